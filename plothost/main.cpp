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

#ifdef PLOTHOST_JOB_TOOLS
#include "job/dump.h"
#include "job/preview.h"
#endif

namespace {

const char* k_usage =
    "usage: plothost COMMAND [OPTIONS]\n"
    "\n"
    "commands:\n"
    "  identify [--dll PATH]          load the driver, print its identity, run an\n"
    "                                 initialisation and message load\n"
    "  transcript SCRIPT [--dll PATH] run a session script and print what the driver\n"
    "                                 answered and sent to the host\n"
#ifdef PLOTHOST_JOB_TOOLS
    "  dump JOB                       list a printer job: PJL, HP-GL/2 instructions with\n"
    "                                 absolute coordinates, raster blocks, QDPX records\n"
    "  preview JOB -o PNG [--dpi N]   draw the sheet a job prints (default 50 dpi)\n"
#endif
    "\n"
    "Without --dll the driver linked into plothost is used"
#ifdef _WIN32
    " (on Windows: wfdrv_s.dll beside plothost.exe)"
#endif
    ".\n";

struct Options {
    std::vector<std::string> args;
    std::string dll;
    std::string output;  // -o
    double dpi = 50;     // --dpi
};

bool read_file(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::stringstream s;
    s << in.rdbuf();
    bytes = s.str();
    return true;
}

bool parse(int argc, char** argv, int from, Options& o) {
    for (int i = from; i < argc; ++i) {
        if (std::strcmp(argv[i], "--dll") == 0) {
            if (++i >= argc) {
                std::fprintf(stderr, "plothost: --dll needs a path\n");
                return false;
            }
            o.dll = argv[i];
        } else if (std::strcmp(argv[i], "-o") == 0) {
            if (++i >= argc) {
                std::fprintf(stderr, "plothost: -o needs a file name\n");
                return false;
            }
            o.output = argv[i];
        } else if (std::strcmp(argv[i], "--dpi") == 0) {
            char* end = nullptr;
            if (++i >= argc || (o.dpi = std::strtod(argv[i], &end), *end != '\0')) {
                std::fprintf(stderr, "plothost: --dpi needs a number\n");
                return false;
            }
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
    std::string script;
    if (!read_file(o.args[0], script)) {
        std::fprintf(stderr, "plothost transcript: cannot read %s\n", o.args[0].c_str());
        return 1;
    }
    sim::DriverBinding b = bind(o);
    if (!b.pladi) {
        std::fprintf(stderr, "plothost: %s\n", b.error.c_str());
        return 1;
    }
    sim::Host host(b);
    try {
        std::fputs(sim::run_session_script(host, script).c_str(), stdout);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "plothost transcript: %s: %s\n", o.args[0].c_str(), e.what());
        return 1;
    }
    return 0;
}

#ifdef PLOTHOST_JOB_TOOLS
int cmd_dump(const Options& o) {
    std::string bytes;
    if (o.args.size() != 1) {
        std::fprintf(stderr, "plothost dump: needs one JOB file\n");
        return 2;
    }
    if (!read_file(o.args[0], bytes)) {
        std::fprintf(stderr, "plothost dump: cannot read %s\n", o.args[0].c_str());
        return 1;
    }
    std::fputs(sim::cp1252_to_utf8(job::dump_job(bytes)).c_str(), stdout);
    return 0;
}

int cmd_preview(const Options& o) {
    std::string bytes;
    if (o.args.size() != 1 || o.output.empty()) {
        std::fprintf(stderr, "plothost preview: needs one JOB file and -o PNG\n");
        return 2;
    }
    if (!read_file(o.args[0], bytes)) {
        std::fprintf(stderr, "plothost preview: cannot read %s\n", o.args[0].c_str());
        return 1;
    }
    try {
        job::PreviewStats st;
        job::Picture pic = job::render_job(bytes, o.dpi, &st);
        job::write_png(pic, o.output);
        std::printf("%s: %d x %d pixels at %g dpi; %zu vectors, %zu polygons, %zu images\n", o.output.c_str(), pic.width, pic.height,
                    o.dpi, st.lines, st.polygons, st.images);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "plothost preview: %s: %s\n", o.args[0].c_str(), e.what());
        return 1;
    }
    return 0;
}
#endif

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
#ifdef PLOTHOST_JOB_TOOLS
    if (cmd == "dump") return cmd_dump(o);
    if (cmd == "preview") return cmd_preview(o);
#endif
    std::fprintf(stderr, "plothost: unknown command '%s'\n\n%s", cmd.c_str(), k_usage);
    return 2;
}
