// The configuration-time request handler.
#pragma once
#include <cstdint>

#include "host/call_conv.h"

extern "C" void WF_CDECL config_request(uint8_t* packet);
