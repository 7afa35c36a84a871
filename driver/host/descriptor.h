// The driver's entry: PLADI and the descriptor it hands to the host.
#pragma once
#include <cstddef>
#include <cstdint>

#include "call_conv.h"

using RequestHandler = void(WF_CDECL*)(uint8_t* packet);

// The 504-byte record the host reads after PLADI; every offset is part of the interface.
struct __attribute__((packed)) DriverDescriptor {
    char identity[410];             // identity text, NUL-padded
    RequestHandler config_handler;  // configuration-time requests
    RequestHandler plot_handler;    // plot-time requests
    uint16_t value_4;
    uint8_t zero[12];
    uint16_t value_3;
    char plot_name_key[15];         // "$ACADPLNAME$"
    char platform[32];              // "Microsoft Windows Win32"
    uint16_t value_6;
    char host_release[21];          // "14.0-1"
};
static_assert(sizeof(DriverDescriptor) == 504);
static_assert(offsetof(DriverDescriptor, config_handler) == 410);
static_assert(offsetof(DriverDescriptor, plot_handler) == 414);
static_assert(offsetof(DriverDescriptor, value_4) == 418);
static_assert(offsetof(DriverDescriptor, value_3) == 432);
static_assert(offsetof(DriverDescriptor, plot_name_key) == 434);
static_assert(offsetof(DriverDescriptor, platform) == 449);
static_assert(offsetof(DriverDescriptor, value_6) == 481);
static_assert(offsetof(DriverDescriptor, host_release) == 483);

inline constexpr int IDENTITY_REPLY_LEN = 81;  // bytes of the identity copied into replies

extern const DriverDescriptor g_descriptor;

// The export. Stores the host's services table and returns the descriptor.
extern "C" const DriverDescriptor* WF_STDCALL PLADI(const void* services, uint32_t unused);
