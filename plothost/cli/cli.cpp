#include "cli.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "sim/config_session.h"
#include "sim/dialog_user.h"
#include "sim/record_fields.h"

#ifndef _WIN32
#include "sim/in_process.h"
#endif

namespace cli {

Options parse_options(int argc, char** argv, int from) {
    Options o;
    auto value = [&](int& i, const char* name) -> std::string {
        if (++i >= argc) throw Error(std::string(name) + " needs a value", 2);
        return argv[i];
    };
    for (int i = from; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--dll") o.dll = value(i, "--dll");
        else if (a == "-o") o.output = value(i, "-o");
        else if (a == "--record") o.record = value(i, "--record");
        else if (a == "--dialog") o.dialog = value(i, "--dialog");
        else if (a == "--shots") o.shots = value(i, "--shots");
        else if (a == "--set") o.sets.push_back(value(i, "--set"));
        else if (a == "--dpi") {
            std::string v = value(i, "--dpi");
            char* end = nullptr;
            o.dpi = std::strtod(v.c_str(), &end);
            if (v.empty() || *end) throw Error("--dpi needs a number", 2);
        } else if (a.size() > 1 && a[0] == '-') {
            throw Error("unknown option '" + a + "'", 2);
        } else {
            o.args.push_back(a);
        }
    }
    return o;
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Error("cannot read " + path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void write_file_atomic(const std::string& path, const std::string& bytes) {
    std::string temp = path + ".part";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) throw Error("cannot write " + path);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            std::remove(temp.c_str());
            throw Error("cannot write " + path);
        }
    }
#ifdef _WIN32
    std::remove(path.c_str());
#endif
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        throw Error("cannot write " + path);
    }
}

bool file_exists(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return static_cast<bool>(in);
}

sim::DriverBinding bind_driver(const Options& o) {
#ifdef _WIN32
    sim::DriverBinding b = sim::load_driver(o.dll.empty() ? "wfdrv_s.dll" : o.dll);
    // The driver's dialogs are real here. Nobody scripted them: they are cancelled, as the
    // headless dialogs fail when there is no user.
    if (b.pladi) sim::dialog_user_start("");
#else
    sim::DriverBinding b = o.dll.empty() ? sim::bind_in_process() : sim::load_driver(o.dll);
#endif
    if (!b.pladi) throw Error(b.error);
    return b;
}

void install_dialog_script(const Options& o) {
    if (o.dialog.empty()) return;
    set_dialog_script(read_file(o.dialog));
}

void set_dialog_script(const std::string& script) { sim::dialog_user_start(script); }

void load_record(sim::Host& host, const Options& o) {
    if (o.record.empty() || !file_exists(o.record)) return;
    std::string bytes = read_file(o.record);
    if (bytes.size() != 40) throw Error(o.record + " is not a stored configuration (" + std::to_string(bytes.size()) + " bytes, not 40)");
    std::memcpy(host.store.record, bytes.data(), 40);
    host.store.present = true;
}

void prepare_store(sim::Host& host, const Options& o) {
    load_record(host, o);
    if (!host.store.present) {
        // What the driver itself stores for a plotter configured with its defaults.
        sim::ConfigSession defaults;
        defaults.defaults = true;
        sim::run_config_session(host, defaults);
        host.clear_records();
    }
    for (const std::string& s : o.sets) {
        try {
            sim::record_assign(host.store.record, s);
        } catch (const sim::RecordFieldError& e) {
            throw Error(std::string("--set ") + s + ": " + e.what(), 2);
        }
        host.store.present = true;
    }
}

std::string utf8(const std::string& cp1252) { return sim::cp1252_to_utf8(cp1252); }

}  // namespace cli
