// Calls into the host's services table. Only six slots are used; all are C-convention
// functions with 32-bit arguments and a 32-bit result.
#pragma once
#include <cstdint>

struct HostState {
    const uint8_t* services;  // the table PLADI received; null before PLADI
};
extern HostState g_host;

inline constexpr int HS_CONSOLE_MESSAGE = 0x70;  // slot 28
inline constexpr int HS_SEND_DIRECT = 0x8C;      // slot 35
inline constexpr int HS_WRITE_BYTES = 0xA0;      // slot 40
inline constexpr int HS_LOAD_CONFIG = 0xB0;      // slot 44
inline constexpr int HS_SAVE_CONFIG = 0xB4;      // slot 45
inline constexpr int HS_JOB_HANDLE = 0xC0;       // slot 48

void host_console_message(const char* text);
void host_send_direct(const char* text);
// Non-zero: the bytes were accepted.
int32_t host_write_bytes(const void* bytes, int32_t count);
// Zero: the record was filled.
int32_t host_load_config(void* record, int32_t size);
// Zero: saved.
int32_t host_save_config(const void* record, int32_t size);
int32_t host_job_handle(int32_t value);

void host_services_reset();
