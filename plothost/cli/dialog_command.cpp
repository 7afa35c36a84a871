// dialog-test: a configuration-time or plot-time session whose dialogs a script works, and
// what the user saw. The same script and the same transcript on both builds: the headless
// dialogs on Linux, the real ones of wfdrv_s.dll on Windows (under Wine in the tests).
#include <cstdio>
#include <sstream>

#include "commands.h"
#include "sim/config_session.h"
#include "sim/dialog_user.h"
#include "sim/plot_session.h"
#include "sim/record_fields.h"
#include "sim/session_script.h"

namespace cli {

namespace {

struct DialogTest {
    bool plot = false;            // "session plot": configuration, then a plot through request 46
    std::string store;            // "store HEX": the host's stored record before the session
    std::string actions;          // everything else: the user's part
};

DialogTest parse_dialog_test(const std::string& path) {
    DialogTest t;
    std::istringstream in(read_file(path));
    std::string line;
    int n = 0;
    while (std::getline(in, line)) {
        ++n;
        std::istringstream words(line);
        std::string first;
        words >> first;
        if (first == "session") {
            std::string kind;
            words >> kind;
            if (kind != "config" && kind != "plot") throw Error(path + ":" + std::to_string(n) + ": session config or session plot");
            t.plot = kind == "plot";
        } else if (first == "store") {
            std::string hex, part;
            while (words >> part) hex += part;
            if (hex.size() != 80 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
                throw Error(path + ":" + std::to_string(n) + ": store needs the 40 bytes of a record in hex");
            t.store = hex;
        } else {
            t.actions += line + "\n";
        }
    }
    return t;
}

std::string begin_plot_line(const std::string& job) {
    size_t at = job.find("BP");
    size_t end = at == std::string::npos ? at : job.find(";IN;", at);
    return end == std::string::npos ? "(none)" : job.substr(at, end + 4 - at);
}

}  // namespace

int cmd_dialog_test(const Options& o) {
    if (o.args.size() != 1) throw Error("needs one SCRIPT file", 2);
    DialogTest t = parse_dialog_test(o.args[0]);
    sim::Host host(bind_driver(o));
    sim::dialog_user_start(t.actions, o.shots);
    if (!t.store.empty()) {
        for (int k = 0; k < 40; ++k) host.store.record[k] = static_cast<uint8_t>(std::stoi(t.store.substr(2 * k, 2), nullptr, 16));
        host.store.present = true;
    }
    sim::run_config_session(host);
    if (t.plot) {
        sim::PlotSetup setup;
        setup.plot_dialog = true;
        sim::run_plot_session(host, setup, {sim::op_move(0, 0), sim::op_draw(1016, 1016)});
    }
    sim::DialogRecord r = sim::dialog_user_finish();

    std::string out = "dialogs:";
    for (const std::string& d : r.dialogs) out += " " + d;
    out += "\n";
    for (const std::string& b : r.boxes) out += "box " + b + "\n";
    for (const std::string& s : r.snapshots) out += s;
    out += "stored record:\n" + sim::record_show(host.store.record);
    if (t.plot) out += "begin plot: " + begin_plot_line(host.job) + "\n";
    for (const std::string& e : r.errors) out += "error: " + e + "\n";
    if (o.output.empty()) std::fputs(out.c_str(), stdout);
    else write_file_atomic(o.output, out);
    return r.errors.empty() ? 0 : 1;
}

}  // namespace cli
