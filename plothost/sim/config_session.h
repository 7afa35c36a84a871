// A configuration-time session as the CAD host drives it when the user configures the
// plotter: identification, message loading, host check, model name, configuration entry
// (which shows the main dialog) and save. The saved record ends up in host.store.
#pragma once
#include <cstdint>
#include <string>

#include "host_sim.h"

namespace sim {

struct ConfigSession {
    bool defaults = false;               // request 21 asks for the defaults (+6 = 1)
    int16_t host_kind = 1;               // request 49 +4: 1 is the CAD host
    uint8_t host_version = 2;            // request 49 +7
    int16_t host_level = 3;              // request 11 +4
    uint32_t host_window = 0x000200A6;   // request 11 +11: the host's main window
    std::string caller_tag = "ACAD";     // request 50 +8, up to 8 characters
};

// Every packet of the session, as the driver answered it.
struct ConfigSessionReplies {
    Packet identify{49};
    Packet messages{50};
    Packet host_level{11};
    Packet model{20};
    Packet entry{21};
    Packet save{47};
    // Every step succeeded: the host check passed and 11, 20, 21 and 47 answered 0.
    bool ok() const;
};

// Sends the six requests in order, whatever the driver answers (a refused step shows in
// the replies, and the latch makes the later steps answer -1 as a host would see them).
ConfigSessionReplies run_config_session(Host& host, const ConfigSession& session = {});

}  // namespace sim
