#include "host_sim.h"

#include <cstring>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace sim {

namespace {
Host* g_active = nullptr;

uint32_t address_of(const void* fn) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(fn)); }
}  // namespace

Host* active_host() { return g_active; }

Packet& Packet::put(int off, const void* p, size_t n) {
    if (off < 0 || static_cast<size_t>(off) + n > bytes_.size()) throw std::out_of_range("packet field outside the packet");
    std::memcpy(bytes_.data() + off, p, n);
    return *this;
}

void Packet::get(int off, void* p, size_t n) const {
    if (off < 0 || static_cast<size_t>(off) + n > bytes_.size()) throw std::out_of_range("packet field outside the packet");
    std::memcpy(p, bytes_.data() + off, n);
}

std::string Packet::text(int off, size_t max) const {
    std::string s;
    for (size_t i = 0; i < max && off + i < bytes_.size() && bytes_[off + i]; ++i) s += static_cast<char>(bytes_[off + i]);
    return s;
}

// The six services, C convention, recording into the active host.
struct HostCallbacks {
    static int32_t __attribute__((cdecl)) console_message(const char* text) {
        g_active->events.push_back({Event::CONSOLE, {}, text ? text : "", 0});
        return 0;
    }
    static int32_t __attribute__((cdecl)) send_direct(const char* text) {
        g_active->events.push_back({Event::SEND_DIRECT, {}, text ? text : "", 0});
        return 0;
    }
    static int32_t __attribute__((cdecl)) write_bytes(int32_t a, int32_t b, const void* bytes, int32_t count, int32_t c) {
        Host& h = *g_active;
        int k = ++h.write_calls;
        const Faults& f = h.faults;
        bool fail = f.fail_write_at > 0 && (k == f.fail_write_at || (f.fail_all_writes_after && k > f.fail_write_at));
        std::string data = count > 0 && bytes ? std::string(static_cast<const char*>(bytes), count) : std::string();
        if (!fail) h.job += data;
        h.events.push_back({Event::WRITE_BYTES, {a, b, count, c}, std::move(data), fail ? 0 : 1});
        return fail ? 0 : 1;
    }
    static int32_t __attribute__((cdecl)) load_config(int32_t size, void* record) {
        Host& h = *g_active;
        int32_t result = (h.faults.fail_load || !h.store.present || size != 40) ? 1 : 0;
        if (result == 0) std::memcpy(record, h.store.record, 40);
        h.events.push_back({Event::LOAD_CONFIG, {size}, result == 0 ? std::string(reinterpret_cast<char*>(h.store.record), 40) : "", result});
        return result;
    }
    static int32_t __attribute__((cdecl)) save_config(int32_t size, const void* record) {
        Host& h = *g_active;
        int32_t result = (h.faults.fail_save || size != 40) ? 1 : 0;
        std::string bytes(static_cast<const char*>(record), size == 40 ? 40 : 0);
        if (result == 0) {
            std::memcpy(h.store.record, record, 40);
            h.store.present = true;
        }
        h.events.push_back({Event::SAVE_CONFIG, {size}, bytes, result});
        return result;
    }
    static int32_t __attribute__((cdecl)) job_handle(int32_t value, int32_t mode) {
        Host& h = *g_active;
        int32_t result = value == 30 ? h.faults.job_handle : 0;
        h.events.push_back({Event::JOB_HANDLE, {value, mode}, "", result});
        return result;
    }
};

Host::Host(const DriverBinding& driver) : driver_(driver) {
    if (!driver.pladi) throw std::runtime_error("no driver bound: " + driver.error);
    services_[0x70 / 4] = address_of(reinterpret_cast<const void*>(&HostCallbacks::console_message));
    services_[0x8C / 4] = address_of(reinterpret_cast<const void*>(&HostCallbacks::send_direct));
    services_[0xA0 / 4] = address_of(reinterpret_cast<const void*>(&HostCallbacks::write_bytes));
    services_[0xB0 / 4] = address_of(reinterpret_cast<const void*>(&HostCallbacks::load_config));
    services_[0xB4 / 4] = address_of(reinterpret_cast<const void*>(&HostCallbacks::save_config));
    services_[0xC0 / 4] = address_of(reinterpret_cast<const void*>(&HostCallbacks::job_handle));
    g_active = this;
    pladi();
}

Host::~Host() {
    if (g_active == this) g_active = nullptr;
}

const uint8_t* Host::pladi() {
    g_active = this;
    descriptor_ = static_cast<const uint8_t*>(driver_.pladi(services_, 0));
    return descriptor_;
}

namespace {
using HandlerFn = void(__attribute__((cdecl))*)(uint8_t*);

HandlerFn handler_at(const uint8_t* descriptor, int off) {
    uint32_t v;
    std::memcpy(&v, descriptor + off, 4);
    return reinterpret_cast<HandlerFn>(static_cast<uintptr_t>(v));
}
}  // namespace

void Host::config(Packet& p) {
    g_active = this;
    handler_at(descriptor_, 410)(p.data());
}

void Host::plot(Packet& p) {
    g_active = this;
    handler_at(descriptor_, 414)(p.data());
}

std::vector<std::string> Host::console_texts() const {
    std::vector<std::string> out;
    for (const Event& e : events)
        if (e.kind == Event::CONSOLE) out.push_back(e.bytes);
    return out;
}

std::string Host::console_text() const {
    std::string out;
    for (const Event& e : events)
        if (e.kind == Event::CONSOLE) out += e.bytes;
    return out;
}

std::vector<const Event*> Host::events_of(Event::Kind kind) const {
    std::vector<const Event*> out;
    for (const Event& e : events)
        if (e.kind == kind) out.push_back(&e);
    return out;
}

void Host::clear_records() {
    events.clear();
    job.clear();
    write_calls = 0;
}

DriverBinding load_driver(const std::string& path) {
    DriverBinding b;
#ifdef _WIN32
    HMODULE m = LoadLibraryA(path.c_str());
    if (!m) {
        b.error = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
        return b;
    }
    b.module = m;
    b.pladi = reinterpret_cast<PladiFn>(reinterpret_cast<void*>(GetProcAddress(m, "PLADI")));
#else
    void* m = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m) {
        b.error = dlerror();
        return b;
    }
    b.module = m;
    b.pladi = reinterpret_cast<PladiFn>(dlsym(m, "PLADI"));
#endif
    if (!b.pladi) b.error = path + " does not export PLADI";
    return b;
}

std::string cp1252_to_utf8(const std::string& text) {
    static const char32_t k_c1[32] = {
        0x20AC, 0x81, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D, 0x017D, 0x8F,
        0x90, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D, 0x017E, 0x0178};
    std::string out;
    for (unsigned char c : text) {
        char32_t cp = c >= 0x80 && c < 0xA0 ? k_c1[c - 0x80] : c;
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

}  // namespace sim
