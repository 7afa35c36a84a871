// The host simulator: plays the CAD host for the driver. It binds the driver (linked in
// process, or a shipped binary loaded by name), calls PLADI with a services table whose
// used slots record every call, and sends real request packets to the two handlers.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

// One call the driver made to the host.
struct Event {
    enum Kind { CONSOLE, SEND_DIRECT, WRITE_BYTES, LOAD_CONFIG, SAVE_CONFIG, JOB_HANDLE } kind;
    std::vector<int32_t> args;  // the 32-bit arguments other than pointers
    std::string bytes;          // text or bytes the call carried
    int32_t result;             // what the host answered
};

// Faults the host injects.
struct Faults {
    int fail_write_at = 0;       // the k-th host_write_bytes call (from 1) fails; 0 = none
    bool fail_all_writes_after = false;  // with fail_write_at: every later write fails too
    bool fail_load = false;      // host_load_config answers "no record"
    bool fail_save = false;      // host_save_config fails
    int32_t job_handle = 7;      // what host_job_handle(30, 1) answers; negative = none
};

// The host's 40-byte configuration store.
struct ConfigStore {
    bool present = false;
    uint8_t record[40] = {};
};

// A request packet: a zero-filled, host-owned byte buffer with little-endian fields.
class Packet {
public:
    explicit Packet(int16_t code, size_t size = 4096) : bytes_(size, 0) { set_i16(0, code); }
    uint8_t* data() { return bytes_.data(); }
    const uint8_t* data() const { return bytes_.data(); }
    size_t size() const { return bytes_.size(); }
    Packet& set_u8(int off, uint8_t v) { bytes_.at(off) = v; return *this; }
    Packet& set_i16(int off, int16_t v) { return put(off, &v, 2); }
    Packet& set_i32(int off, int32_t v) { return put(off, &v, 4); }
    Packet& set_f64(int off, double v) { return put(off, &v, 8); }
    Packet& set_ptr(int off, const void* p) { uint32_t v = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); return put(off, &v, 4); }
    Packet& set_bytes(int off, const void* p, size_t n) { return put(off, p, n); }
    int16_t i16(int off) const { int16_t v; get(off, &v, 2); return v; }
    int32_t i32(int off) const { int32_t v; get(off, &v, 4); return v; }
    double f64(int off) const { double v; get(off, &v, 8); return v; }
    uint8_t u8(int off) const { return bytes_.at(off); }
    std::string text(int off, size_t max) const;

private:
    Packet& put(int off, const void* p, size_t n);
    void get(int off, void* p, size_t n) const;
    std::vector<uint8_t> bytes_;
};

using PladiFn = const void*(__attribute__((stdcall))*)(const void* services, uint32_t unused);

// How the simulator reaches the driver.
struct DriverBinding {
    PladiFn pladi = nullptr;
    void* module = nullptr;   // the loaded binary, when loaded by name
    bool in_process = false;  // linked in: driver_reset and the allocation hook are reachable
    std::string error;        // why loading failed
};

// Loads a shipped binary (dlopen / LoadLibraryA) and finds PLADI in it.
DriverBinding load_driver(const std::string& path);

// The simulated host. One is active at a time: the services are plain C functions.
class Host {
public:
    explicit Host(const DriverBinding& driver);
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // Calls PLADI again with this host's table; returns the descriptor.
    const uint8_t* pladi();
    const uint8_t* descriptor() const { return descriptor_; }
    void config(Packet& p);
    void plot(Packet& p);

    Faults faults;
    ConfigStore store;
    std::vector<Event> events;
    std::string job;                   // every byte the host accepted, in order
    int write_calls = 0;               // host_write_bytes calls so far

    std::vector<std::string> console_texts() const;
    std::string console_text() const;  // all console texts joined
    std::vector<const Event*> events_of(Event::Kind kind) const;
    void clear_records();

    // The table handed to PLADI (64 slots).
    const uint32_t* services() const { return services_; }

private:
    friend struct HostCallbacks;
    uint32_t services_[64] = {};
    const uint8_t* descriptor_ = nullptr;
    DriverBinding driver_;
};

// The active host, for the service callbacks.
Host* active_host();

// Windows-1252 bytes to UTF-8, for showing driver texts on a terminal.
std::string cp1252_to_utf8(const std::string& text);

}  // namespace sim
