#include "config_session.h"

namespace sim {

bool ConfigSessionReplies::ok() const {
    return identify.i16(10) == 0 && host_level.i16(0) == 0 && model.i16(0) == 0 && entry.i16(0) == 0 && save.i16(0) == 0;
}

ConfigSessionReplies run_config_session(Host& host, const ConfigSession& s) {
    ConfigSessionReplies r;
    r.identify.set_i16(4, s.host_kind).set_u8(7, s.host_version);
    host.config(r.identify);

    std::string tag = s.caller_tag.substr(0, 8);
    r.messages.set_bytes(8, tag.data(), tag.size());
    host.config(r.messages);

    r.host_level.set_i16(4, s.host_level).set_i32(11, static_cast<int32_t>(s.host_window));
    host.config(r.host_level);

    host.config(r.model);

    r.entry.set_i16(6, s.defaults ? 1 : 0);
    host.config(r.entry);

    host.config(r.save);
    return r;
}

}  // namespace sim
