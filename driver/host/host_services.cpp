#include "host_services.h"

#include "call_conv.h"
#include "packet.h"

HostState g_host = {nullptr};

namespace {

using TextFn = int32_t(WF_CDECL*)(const char*);
using WriteFn = int32_t(WF_CDECL*)(int32_t, int32_t, const void*, int32_t, int32_t);
using ConfigFn = int32_t(WF_CDECL*)(int32_t, const void*);
using HandleFn = int32_t(WF_CDECL*)(int32_t, int32_t);

// The slot's code address, or null when there is no table or the host left it empty.
template <typename Fn>
Fn slot(int offset) {
    if (!g_host.services) return nullptr;
    return reinterpret_cast<Fn>(rd_ptr(g_host.services, offset));
}

}  // namespace

void host_console_message(const char* text) {
    if (auto fn = slot<TextFn>(HS_CONSOLE_MESSAGE)) fn(text);
}

void host_send_direct(const char* text) {
    if (auto fn = slot<TextFn>(HS_SEND_DIRECT)) fn(text);
}

int32_t host_write_bytes(const void* bytes, int32_t count) {
    auto fn = slot<WriteFn>(HS_WRITE_BYTES);
    return fn ? fn(1, 0, bytes, count, 0) : 0;
}

int32_t host_load_config(void* record, int32_t size) {
    auto fn = slot<ConfigFn>(HS_LOAD_CONFIG);
    return fn ? fn(size, record) : 1;
}

int32_t host_save_config(const void* record, int32_t size) {
    auto fn = slot<ConfigFn>(HS_SAVE_CONFIG);
    return fn ? fn(size, record) : 1;
}

int32_t host_job_handle(int32_t value) {
    auto fn = slot<HandleFn>(HS_JOB_HANDLE);
    return fn ? fn(value, 1) : -1;
}

void host_services_reset() { g_host = HostState{nullptr}; }
