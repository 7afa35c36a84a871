// plothost: plays the CAD host for the driver from a terminal.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "sim/host_sim.h"
#include "sim/in_process.h"
#include "sim/session_script.h"

namespace {

const char* k_usage =
    "usage: plothost COMMAND [OPTIONS]\n"
    "\n"
    "commands:\n"
    "  identify [--dll PATH]          load the driver, print its identity, run an\n"
    "                                 initialisation and message load\n"
    "  transcript SCRIPT [--dll PATH] run a session script and print what the driver\n"
    "                                 answered and sent to the host\n"
    "\n"
    "Without --dll the driver linked into plothost is used"
#ifdef _WIN32
    " (on Windows: wfdrv_s.dll beside plothost.exe)"
#endif
    ".\n";

struct Options {
    std::vector<std::string> args;
    std::string dll;
};

bool parse(int argc, char** argv, int from, Options& o) {
    for (int i = from; i < argc; ++i) {
        if (std::strcmp(argv[i], "--dll") == 0) {
            if (++i >= argc) {
                std::fprintf(stderr, "plothost: --dll needs a path\n");
                return false;
            }
            o.dll = argv[i];
        } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(k_usage, stdout);
            std::exit(0);
        } else {
            o.args.push_back(argv[i]);
        }
    }
    return true;
}

sim::DriverBinding bind(const Options& o) {
#ifdef _WIN32
    return sim::load_driver(o.dll.empty() ? "wfdrv_s.dll" : o.dll);
#else
    return o.dll.empty() ? sim::bind_in_process() : sim::load_driver(o.dll);
#endif
}

int cmd_identify(const Options& o) {
    sim::DriverBinding b = bind(o);
    if (!b.pladi) {
        std::fprintf(stderr, "plothost: %s\n", b.error.c_str());
        return 1;
    }
    sim::Host host(b);
    std::string identity(reinterpret_cast<const char*>(host.descriptor()), 81);
    identity.resize(std::strlen(identity.c_str()));
    std::printf("driver: %s\n", sim::cp1252_to_utf8(identity).c_str());
    sim::Packet init(49);
    init.set_i16(4, 1).set_u8(7, 2);
    host.config(init);
    sim::Packet messages(50);
    host.config(messages);
    // A second initialisation now that the texts are loaded: its console text is real.
    sim::Packet check(49);
    check.set_i16(4, 2).set_u8(7, 2);
    host.config(check);
    std::printf("initialisation: result %d (a host of another kind is refused with %d)\n", init.i16(10), check.i16(10));
    for (const std::string& t : host.console_texts()) std::printf("console:%s", sim::cp1252_to_utf8(t).c_str());
    std::printf("\n");
    return init.i16(10) == 0 ? 0 : 1;
}

int cmd_transcript(const Options& o) {
    if (o.args.size() != 1) {
        std::fprintf(stderr, "plothost transcript: needs one SCRIPT file\n");
        return 2;
    }
    std::ifstream in(o.args[0], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "plothost transcript: cannot read %s\n", o.args[0].c_str());
        return 1;
    }
    std::stringstream script;
    script << in.rdbuf();
    sim::DriverBinding b = bind(o);
    if (!b.pladi) {
        std::fprintf(stderr, "plothost: %s\n", b.error.c_str());
        return 1;
    }
    sim::Host host(b);
    try {
        std::fputs(sim::run_session_script(host, script.str()).c_str(), stdout);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "plothost transcript: %s: %s\n", o.args[0].c_str(), e.what());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // Transcripts must be byte-identical to the Linux ones: no CR LF translation.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    if (argc < 2) {
        std::fputs(k_usage, stderr);
        return 2;
    }
    std::string cmd = argv[1];
    Options o;
    if (cmd == "--help" || cmd == "-h" || cmd == "help") {
        std::fputs(k_usage, stdout);
        return 0;
    }
    if (!parse(argc, argv, 2, o)) return 2;
    if (cmd == "identify") return cmd_identify(o);
    if (cmd == "transcript") return cmd_transcript(o);
    std::fprintf(stderr, "plothost: unknown command '%s'\n\n%s", cmd.c_str(), k_usage);
    return 2;
}
