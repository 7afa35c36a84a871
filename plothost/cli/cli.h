// Shared pieces of the plothost commands: options, files, binding the driver.
#pragma once
#include <stdexcept>
#include <string>
#include <vector>

#include "sim/host_sim.h"

namespace cli {

// A failure to report: one line on stderr, exit status 1 (2 for usage errors).
struct Error : std::runtime_error {
    explicit Error(const std::string& what, int status = 1) : std::runtime_error(what), status(status) {}
    int status;
};

struct Options {
    std::vector<std::string> args;  // positional arguments
    std::string dll;                // --dll: load a shipped binary instead of the linked driver
    std::string output;             // -o
    std::string record;             // --record: the host's stored configuration file
    std::string dialog;             // --dialog: the user's part in the driver's dialogs
    std::vector<std::string> sets;  // --set FIELD=VALUE
    double dpi = 50;                // --dpi
    std::string shots;              // --shots: where dialog-test leaves its screenshots (Windows)
};

// Parses argv[from..]; throws Error (status 2) for an unknown or incomplete option.
Options parse_options(int argc, char** argv, int from);

std::string read_file(const std::string& path);  // throws Error
// Writes through a temporary name and renames, so a failure never leaves half a file.
void write_file_atomic(const std::string& path, const std::string& bytes);  // throws Error
bool file_exists(const std::string& path);

// The driver the command talks to: the linked one, or the binary named by --dll (always a
// loaded binary on Windows).
sim::DriverBinding bind_driver(const Options& o);
// Hands the --dialog script to the user of the driver's dialogs (sim/dialog_user.h).
void install_dialog_script(const Options& o);
void set_dialog_script(const std::string& script);

// Loads the --record file into the host's store, if given and present (40 bytes).
void load_record(sim::Host& host, const Options& o);
// The record a plot reads: the --record file, or the driver's own defaults for a plotter
// never configured, with the --set edits applied.
void prepare_store(sim::Host& host, const Options& o);

std::string utf8(const std::string& cp1252);

}  // namespace cli
