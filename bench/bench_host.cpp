#include "bench_host.h"

#include <cstring>
#include <vector>

#include "config/config_record.h"
#include "host/descriptor.h"
#include "host/driver_reset.h"
#include "host/packet.h"

namespace bench {

HostCounters g_counters;

namespace {

uint32_t g_services[64];
uint8_t g_store[40];
const DriverDescriptor* g_desc = nullptr;

int32_t __attribute__((cdecl)) console(const char*) { return 0; }
int32_t __attribute__((cdecl)) write_bytes(int32_t, int32_t, const void*, int32_t count, int32_t) {
    ++g_counters.write_calls;
    g_counters.bytes_written += count;
    return 1;
}
int32_t __attribute__((cdecl)) load_config(int32_t, void* record) {
    std::memcpy(record, g_store, 40);
    return 0;
}
int32_t __attribute__((cdecl)) save_config(int32_t, const void* record) {
    std::memcpy(g_store, record, 40);
    return 0;
}
int32_t __attribute__((cdecl)) job_handle(int32_t, int32_t) { return 1; }

uint32_t addr(const void* fn) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(fn)); }

struct Packet {
    std::vector<uint8_t> b = std::vector<uint8_t>(4096, 0);
    explicit Packet(int16_t code) { wr_i16(b.data(), 0, code); }
    uint8_t* data() { return b.data(); }
};

}  // namespace

void bind_free_host(uint16_t output_flags) {
    driver_reset();
    g_counters = HostCounters{};
    std::memset(g_services, 0, sizeof g_services);
    g_services[0x70 / 4] = addr(reinterpret_cast<const void*>(&console));
    g_services[0x8C / 4] = addr(reinterpret_cast<const void*>(&console));
    g_services[0xA0 / 4] = addr(reinterpret_cast<const void*>(&write_bytes));
    g_services[0xB0 / 4] = addr(reinterpret_cast<const void*>(&load_config));
    g_services[0xB4 / 4] = addr(reinterpret_cast<const void*>(&save_config));
    g_services[0xC0 / 4] = addr(reinterpret_cast<const void*>(&job_handle));
    g_desc = PLADI(g_services, 0);
    // The record the driver stores for a new plotter, then the data format asked for.
    Packet init(49);
    wr_i16(init.data(), 4, 1);
    init.data()[7] = 2;
    config(init.data());
    Packet entry(21);
    wr_i16(entry.data(), 6, 1);
    config(entry.data());
    Packet save(47);
    config(save.data());
    uint16_t flags;
    std::memcpy(&flags, g_store + 30, 2);
    flags = static_cast<uint16_t>((flags & OF_ROTATED) | (output_flags & ~OF_ROTATED));
    std::memcpy(g_store + 30, &flags, 2);
}

void plot(uint8_t* packet) { g_desc->plot_handler(packet); }
void config(uint8_t* packet) { g_desc->config_handler(packet); }

void begin_e_arch_plot() {
    Packet init(49);
    wr_i16(init.data(), 4, 1);
    init.data()[7] = 2;
    plot(init.data());
    Packet messages(50);
    plot(messages.data());
    Packet model(43);
    model.data()[8] = 7;
    plot(model.data());
    Packet load(29);
    wr_i16(load.data(), 4, 3);
    plot(load.data());
    Packet area(48);
    double res = config_qdpx() ? 800 : 1016;
    wr_f64(area.data(), 9, 10000);
    wr_f64(area.data(), 17, 10000);
    wr_f64(area.data(), 41, res);
    wr_f64(area.data(), 49, res);
    plot(area.data());
    Packet begin(30);
    plot(begin.data());
}

void end_plot() {
    Packet end(2);
    plot(end.data());
}

}  // namespace bench
