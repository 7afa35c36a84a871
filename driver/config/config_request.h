// The configuration-time request handler: the host's questions about the device, the
// configuration entry with the main dialog, and the save of the record.
#pragma once
#include <cstdint>

#include "host/call_conv.h"

enum ConfigRequest : int16_t {
    CFG_END = 2,               // nothing to do
    CFG_HOST_LEVEL = 11,       // the host's interface level; records the host's window
    CFG_MODEL_NAME = 20,       // selects model 0 and replies with its name
    CFG_ENTRY = 21,            // load or default the record, main dialog, plot area
    CFG_TABLE_ZERO = 22,       // fixed device tables; their meaning is the host's
    CFG_TABLE_ONE = 23,
    CFG_TABLE_RAMP = 25,
    CFG_DEVICE_FLAGS = 40,
    CFG_DOUBLE_TABLE = 44,
    CFG_SAVE = 47,             // save the record through the host
    CFG_IDENTIFY = 49,         // clears the latch, identification reply
    CFG_LOAD_MESSAGES = 50,
};

extern "C" void WF_CDECL config_request(uint8_t* packet);
