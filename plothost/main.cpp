// plothost: plays the CAD host for the driver from a terminal.
#include <cstdio>
#include <cstring>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "cli/commands.h"

namespace {

const cli::Command k_commands[] = {
    {"identify", "plothost identify [--dll PATH]\n"
                 "  Loads the driver, prints its identity, runs an initialisation and a message load.\n",
     cli::cmd_identify},
    {"transcript", "plothost transcript SCRIPT [--dll PATH] [--dialog SCRIPT]\n"
                   "  Runs a session script (requests, stored records, faults) and prints what the\n"
                   "  driver answered and sent to the host.\n",
     cli::cmd_transcript},
    {"configure", "plothost configure --record FILE [--dialog SCRIPT] [--dll PATH]\n"
                  "  The configuration-time session: the driver loads FILE (when present), shows its\n"
                  "  main dialog (scripted by --dialog) and stores the record back into FILE.\n",
     cli::cmd_configure},
    {"plot", "plothost plot [DRAWING] -o JOB [--record FILE] [--set FIELD=VALUE]... [--dialog SCRIPT]\n"
             "  Runs a plot-time session as the host does and writes the printer job. Without\n"
             "  DRAWING it plots the built-in sample drawing. --set edits the stored record for\n"
             "  this plot only (e.g. --set output_flags=0x1140 for QDPX).\n",
     cli::cmd_plot},
    {"settings", "plothost settings [--record FILE] [--set FIELD=VALUE]...\n"
                 "  Prints the driver's settings summary and line-type legend.\n",
     cli::cmd_settings},
    {"record", "plothost record show FILE\n"
               "plothost record set FILE FIELD=VALUE...\n"
               "  Reads or edits a stored configuration (the host's 40-byte record) by field name;\n"
               "  values are checked against what the driver's dialogs accept.\n",
     cli::cmd_record},
    {"dialog-test", "plothost dialog-test SCRIPT [-o FILE] [--shots DIR] [--dll PATH]\n"
                    "  A configuration session (\"session plot\": and then a plot) whose dialogs the\n"
                    "  script works as a user; prints what the user saw and the stored record. The\n"
                    "  Linux build and the real DLL under Wine give the same text for one script.\n",
     cli::cmd_dialog_test},
#ifdef PLOTHOST_JOB_TOOLS
    {"dump", "plothost dump JOB\n"
             "  Lists a printer job: PJL lines, HP-GL/2 instructions with polyline numbers as\n"
             "  absolute device coordinates, HP-RTL raster blocks with the rows that decode,\n"
             "  QDPX records by opcode.\n",
     cli::cmd_dump},
    {"preview", "plothost preview JOB -o PNG [--dpi N]\n"
                "  Draws the sheet a job of either language prints (default 50 dpi).\n",
     cli::cmd_preview},
#endif
};

void usage(FILE* to) {
    std::fputs("usage: plothost COMMAND [OPTIONS]   (plothost COMMAND --help for details)\n\ncommands:\n", to);
    for (const cli::Command& c : k_commands) std::fprintf(to, "  %s", c.usage);
#ifdef _WIN32
    std::fputs("\nplothost.exe loads wfdrv_s.dll (beside it, or --dll PATH).\n", to);
#else
    std::fputs("\nWithout --dll the driver linked into plothost is used.\n", to);
#endif
}

bool wants_help(int argc, char** argv) {
    for (int i = 2; i < argc; ++i)
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) return true;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // Transcripts must be byte-identical to the Linux ones: no CR LF translation.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    if (argc < 2) {
        usage(stderr);
        return 2;
    }
    std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        usage(stdout);
        return 0;
    }
    for (const cli::Command& c : k_commands) {
        if (name != c.name) continue;
        if (wants_help(argc, argv)) {
            std::fputs(c.usage, stdout);
            return 0;
        }
        try {
            return c.run(cli::parse_options(argc, argv, 2));
        } catch (const cli::Error& e) {
            std::fprintf(stderr, "plothost %s: %s\n", c.name, e.what());
            if (e.status == 2) std::fprintf(stderr, "usage: %s", c.usage);
            return e.status;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "plothost %s: %s\n", c.name, e.what());
            return 1;
        }
    }
    std::fprintf(stderr, "plothost: unknown command '%s'\n\n", name.c_str());
    usage(stderr);
    return 2;
}
