// The plothost commands. Each returns the exit status; failures throw cli::Error.
#pragma once
#include "cli.h"

namespace cli {

struct Command {
    const char* name;
    const char* usage;  // the --help text
    int (*run)(const Options&);
};

int cmd_identify(const Options& o);
int cmd_transcript(const Options& o);
int cmd_configure(const Options& o);
int cmd_record(const Options& o);
int cmd_dialog_test(const Options& o);
int cmd_plot(const Options& o);
int cmd_settings(const Options& o);
#ifdef PLOTHOST_JOB_TOOLS
int cmd_dump(const Options& o);
int cmd_preview(const Options& o);
#endif

}  // namespace cli
