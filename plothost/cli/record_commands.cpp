// configure and record: the host's stored configuration.
#include <cstdio>
#include <string>

#include "commands.h"
#include "sim/config_session.h"
#include "sim/record_fields.h"

namespace cli {

namespace {

std::string stored_bytes(const sim::Host& host) { return std::string(reinterpret_cast<const char*>(host.store.record), 40); }

}  // namespace

int cmd_configure(const Options& o) {
    if (o.record.empty() || !o.args.empty()) throw Error("needs --record FILE and nothing else", 2);
    sim::Host host(bind_driver(o));
    install_dialog_script(o);
    load_record(host, o);
    sim::ConfigSessionReplies r = sim::run_config_session(host);
    for (const std::string& t : host.console_texts()) std::fputs(utf8(t).c_str(), stdout);
    if (!r.ok()) throw Error("the driver refused the configuration (see its messages above); " + o.record + " is unchanged");
    std::printf("plot area %.3f x %.3f in, %.1f host units per inch\n", r.entry.f64(8), r.entry.f64(16), r.entry.f64(24));
    write_file_atomic(o.record, stored_bytes(host));
    std::printf("stored %s:\n%s", o.record.c_str(), sim::record_show(host.store.record).c_str());
    return 0;
}

// record show FILE | record set FILE FIELD=VALUE...
int cmd_record(const Options& o) {
    if (o.args.size() < 2 || (o.args[0] != "show" && o.args[0] != "set")) throw Error("expected: record show FILE | record set FILE FIELD=VALUE...", 2);
    const std::string& path = o.args[1];
    std::string bytes = read_file(path);
    if (bytes.size() != 40) throw Error(path + " is not a stored configuration (" + std::to_string(bytes.size()) + " bytes, not 40)");
    uint8_t record[40];
    std::copy(bytes.begin(), bytes.end(), record);
    if (o.args[0] == "show") {
        if (o.args.size() != 2) throw Error("record show takes one FILE", 2);
        std::fputs(sim::record_show(record).c_str(), stdout);
        return 0;
    }
    if (o.args.size() < 3) throw Error("record set needs at least one FIELD=VALUE", 2);
    for (size_t k = 2; k < o.args.size(); ++k) {
        try {
            sim::record_assign(record, o.args[k]);
        } catch (const sim::RecordFieldError& e) {
            throw Error(o.args[k] + ": " + e.what() + "; " + path + " is unchanged", 2);
        }
    }
    write_file_atomic(path, std::string(reinterpret_cast<char*>(record), 40));
    std::fputs(sim::record_show(record).c_str(), stdout);
    return 0;
}

}  // namespace cli
