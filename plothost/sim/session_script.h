// Session scripts: a plain-text list of requests for the simulated host to send, and the
// transcript of what the driver answered and did. The same script run against the Linux
// build and the real DLL under Wine must give the same transcript.
//
//   # comment
//   config CODE [FIELD ...]     send a configuration-time request
//   plot CODE [FIELD ...]       send a plot-time request
//   descriptor                  list the descriptor (handler addresses masked)
//   store HEX                   put a 40-byte record in the host's store
//   fault write=K | load | save | handle=N | none
//   image X0 Y0 X1 Y1 [PICTURE] [KEY=VALUE ...]   send request 52 (see script_image_packet)
//
// FIELD is TYPE@OFFSET=VALUE with TYPE one of u8, i16, i32, f64, e.g. i16@4=1 f64@9=48.5.
#pragma once
#include <stdexcept>
#include <string>

#include "host_sim.h"

namespace sim {

struct ScriptError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Runs the script against the host; returns the transcript. Throws ScriptError naming the
// line for a malformed script.
std::string run_session_script(Host& host, const std::string& script);

// A hex listing of bytes, 16 per line, each line indented by `indent`.
std::string hex_lines(const std::string& bytes, const std::string& indent);

}  // namespace sim
