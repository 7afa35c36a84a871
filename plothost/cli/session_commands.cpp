// identify and transcript: the driver as a host sees it.
#include <cstdio>
#include <cstring>

#include "commands.h"
#include "sim/session_script.h"

namespace cli {

int cmd_identify(const Options& o) {
    sim::Host host(bind_driver(o));
    std::string identity(reinterpret_cast<const char*>(host.descriptor()), 81);
    identity.resize(std::strlen(identity.c_str()));
    std::printf("driver: %s\n", utf8(identity).c_str());
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
    for (const std::string& t : host.console_texts()) std::printf("console:%s", utf8(t).c_str());
    std::printf("\n");
    return init.i16(10) == 0 ? 0 : 1;
}

int cmd_transcript(const Options& o) {
    if (o.args.size() != 1) throw Error("needs one SCRIPT file", 2);
    std::string script = read_file(o.args[0]);
    sim::Host host(bind_driver(o));
    install_dialog_script(o);
    try {
        std::fputs(sim::run_session_script(host, script).c_str(), stdout);
    } catch (const sim::ScriptError& e) {
        throw Error(o.args[0] + ": " + e.what());
    }
    return 0;
}

}  // namespace cli
