// Request sequences to both handlers of a freshly loaded driver, as a careless or hostile
// host could send them: any code in any order, any field values, host services that fail,
// allocations that fail, stored records of any bytes, and images whose fetch replies stop,
// fail, or carry too few or too many pixels, and a user who does anything at all in the
// dialogs. Pointer fields point only at buffers this target owns (a host that hands over
// wild pointers cannot be defended against).
//
// Besides the sanitizers, every run checks what the host can rely on: host_write_bytes is
// called as (1, 0, bytes, count > 0, 0); every fetch reply is released exactly once unless
// it reported a failure; no dialog leaves a GDI object or misuses a Win32 call; and after
// the closing end of plot no driver block is left.
//
// Input, front to back (fuzz_input.h; past the end everything reads as 0):
//   u8 host flags, u8 failing write, u8 failing allocation, [40 bytes stored record],
//   then operations: u8 kind and its values (see run_operation).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "headless.h"
#include "host/alloc.h"
#include "host/output_buffer.h"
#include "sim/config_session.h"
#include "sim/host_sim.h"
#include "sim/in_process.h"
#include "sim/plot_session.h"

namespace {

[[noreturn]] void broken(const char* what) {
    std::fprintf(stderr, "request_fuzzer: %s\n", what);
    std::abort();
}

constexpr int16_t k_plot_codes[] = {2,  3,  4,  5,  7,  8,  9,  15, 29, 30, 31, 33, 36, 41,
                                    43, 46, 47, 48, 49, 50, 52, 54, 6,  53, 60, 0,  -1};
constexpr int16_t k_config_codes[] = {2, 11, 20, 21, 22, 23, 25, 40, 44, 47, 49, 50, 3, 30, 52};

constexpr size_t PACKET_SIZE = 4096;        // larger than any fixed field either handler touches
constexpr int MAX_OPERATIONS = 200;
// This host stops an image after 64 lines, or at once when a line is wider than 65536
// pixels: the driver's work grows with the frame the host announces, and a run should
// spend its time on many inputs rather than on halftoning one huge image.
constexpr int MAX_FETCHES_PER_REQUEST = 64;
constexpr int64_t MAX_LINE_PIXELS = 65536;

// One fetch reply the host handed out: the 16-byte record and the pixels behind it.
struct Reply {
    uint8_t record[16] = {};
    std::vector<uint8_t> pixels;
    enum { OUT, RELEASED, FAILED } state = OUT;
};

struct Harness {
    FuzzInput* in = nullptr;
    sim::Host* host = nullptr;
    std::vector<std::unique_ptr<Reply>> replies;
    std::vector<std::vector<uint8_t>> vertex_arrays;  // request 54's pointed-to vertices
    int fetches = 0;
    size_t checked_events = 0;
    size_t checked_errors = 0;
};
Harness g;

int32_t rd32(const uint8_t* p, int off) {
    int32_t v;
    std::memcpy(&v, p + off, 4);
    return v;
}

// The fetch callback: the reply's kind and pixels come from the input at the moment of
// the fetch.
void* __attribute__((cdecl)) fetch_line(void* request) {
    const uint8_t* rq = static_cast<const uint8_t*>(request);
    auto reply = std::make_unique<Reply>();
    uint8_t* r = reply->record;
    bool columns = rd32(rq, 40) == 7;
    int64_t pixels = static_cast<int64_t>(rd32(rq, columns ? 12 : 8)) + 1;
    int64_t asked = pixels * (rd32(rq, 36) == 8 ? 3 : 1);
    uint8_t mode = g.in->u8();
    int16_t stop = 0, fail = 0;
    int64_t count = asked;
    switch (mode % 8) {
        case 3: count = asked / 2; break;                    // short
        case 4: count = asked + 1 + g.in->u8(); break;       // long
        case 5: count = 0; break;
        case 6: stop = 1; break;
        case 7: fail = 1; break;
        default: break;                                      // exact
    }
    if (++g.fetches > MAX_FETCHES_PER_REQUEST || pixels > MAX_LINE_PIXELS || count < 0 || count > 4 * MAX_LINE_PIXELS) {
        stop = 1;
        count = 0;
    }
    uint8_t pattern[4];
    g.in->bytes(pattern, sizeof pattern);
    reply->pixels.resize(static_cast<size_t>(count));
    for (size_t i = 0; i < reply->pixels.size(); ++i) reply->pixels[i] = pattern[i & 3] ^ static_cast<uint8_t>(i >> 5);
    uint32_t address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(reply->pixels.data()));
    uint32_t bytes = static_cast<uint32_t>(count);
    std::memcpy(r + 0, &address, 4);
    std::memcpy(r + 4, &bytes, 4);
    std::memcpy(r + 12, &stop, 2);
    std::memcpy(r + 14, &fail, 2);
    // A stop flag wins over a failure flag: the reply is then released like any stop.
    if (fail && !stop) reply->state = Reply::FAILED;
    g.replies.push_back(std::move(reply));
    return g.replies.back()->record;
}

void __attribute__((cdecl)) release_line(void* record) {
    for (auto& r : g.replies) {
        if (r->record != record) continue;
        if (r->state == Reply::RELEASED) broken("a fetch reply was released twice");
        if (r->state == Reply::FAILED) broken("a failed fetch reply was released");
        r->state = Reply::RELEASED;
        return;
    }
    broken("release called with something the fetch callback never returned");
}

// Errors of the scripted user: an action on a control that is not there, disabled or of
// another kind, an unanswered question, a script that ran out with a dialog open.
bool users_error(const std::string& e) {
    static const char* const k_user[] = {"click ", "select ", "type ", "focus ", "scroll ", "drag", "poke", "close:", "end:",
                                         "enable ", "'",      "unknown action", "answer ", "question ", "the script ran out"};
    for (const char* prefix : k_user)
        if (e.rfind(prefix, 0) == 0) return true;
    return false;
}

// What the host can rely on after every request.
void check_after_request() {
    const std::vector<sim::Event>& ev = g.host->events;
    for (; g.checked_events < ev.size(); ++g.checked_events) {
        const sim::Event& e = ev[g.checked_events];
        if (e.kind != sim::Event::WRITE_BYTES) continue;
        if (e.args[0] != 1 || e.args[1] != 0 || e.args[3] != 0) broken("host_write_bytes called with other fixed arguments");
        if (e.args[2] <= 0) broken("host_write_bytes called with nothing to write");
    }
    for (auto& r : g.replies)
        if (r->state == Reply::OUT) broken("a fetch reply was not released");
    g.fetches = 0;
    // Dialogs are closed between requests: everything they drew with is released, and the
    // driver used the Win32 calls as documented (a user's action that could not be done is
    // the user's, not the driver's).
    if (headless_gdi_objects() != 0) broken("a dialog left GDI objects behind");
    for (; g.checked_errors < headless_errors().size(); ++g.checked_errors)
        if (!users_error(headless_errors()[g.checked_errors])) {
            std::fprintf(stderr, "request_fuzzer: %s\n", headless_errors()[g.checked_errors].c_str());
            broken("the driver misused the Win32 layer");
        }
}

void edit_fields(sim::Packet& p, int first, int limit) {
    int n = g.in->u8() % 16;
    for (int k = 0; k < n; ++k) {
        static constexpr int widths[4] = {1, 2, 4, 8};
        int width = widths[g.in->u8() & 3];
        int span = limit - first - width;
        int off = first + (span > 0 ? g.in->u16() % span : 0);
        if (off + width > static_cast<int>(p.size())) continue;
        g.in->bytes(p.data() + off, width);
    }
}

void send_plot(sim::Packet& p) {
    g.host->plot(p);
    check_after_request();
}

void send_config(sim::Packet& p) {
    g.host->config(p);
    check_after_request();
}

// A plot-time request with fields from the input; the pointer fields and the inline
// vertices are laid out as a host would.
void plot_request(int16_t code) {
    if (code == 33) {
        // The inline form: the host sizes its packet to hold the vertices it announces.
        int16_t n = g.in->i16();
        size_t size = 12 + 4 * static_cast<size_t>(n > 0 ? n : 0);
        sim::Packet p(code, size);
        edit_fields(p, 2, 10);
        p.set_i16(10, n);
        g.in->bytes(p.data() + 12, size - 12);
        send_plot(p);
        return;
    }
    sim::Packet p(code, PACKET_SIZE);
    edit_fields(p, 2, 320);
    if (code == 54) {
        int16_t n = g.in->i16();
        bool null_array = g.in->u8() == 0xFF;
        g.vertex_arrays.emplace_back(4 * static_cast<size_t>(n > 0 ? n : 0));
        std::vector<uint8_t>& v = g.vertex_arrays.back();
        g.in->bytes(v.data(), v.size());
        p.set_i16(6, n).set_ptr(8, null_array ? nullptr : v.data());
    } else if (code == 52) {
        for (int off : {16, 20, 24, 28, 32, 36, 40}) p.set_i32(off, g.in->i32());
        p.set_i16(44, g.in->i16()).set_i16(46, g.in->i16()).set_i16(48, g.in->i16());
        p.set_ptr(4, reinterpret_cast<const void*>(&fetch_line)).set_ptr(8, reinterpret_cast<const void*>(&release_line));
    }
    send_plot(p);
}

void config_request(int16_t code) {
    sim::Packet p(code, PACKET_SIZE);
    edit_fields(p, 2, 2100);
    send_config(p);
}

// The host's usual preparation of a plot (49, 50, 43, 29, 48 or 46, 47, 30), with values
// from the input.
void prepare_plot() {
    sim::PlotSetup s;
    uint8_t flags = g.in->u8();
    s.line_types = g.in->u8();
    s.plot_dialog = flags & 1;
    s.host_flags = g.in->u32();
    if (flags & 2) {
        s.area_x = g.in->f64();
        s.area_y = g.in->f64();
    }
    if (flags & 4) s.resolution = g.in->f64();
    if (flags & 8) {
        s.set_area = true;
        s.set_x = g.in->f64();
        s.set_y = g.in->f64();
    }
    if (flags & 16) s.host_level = g.in->i16();
    sim::plot_prepare(*g.host, s);
    check_after_request();
}

void drawing_request() {
    uint8_t kind = g.in->u8();
    uint16_t x = g.in->u16(), y = g.in->u16();
    sim::PlotOp op;
    switch (kind & 7) {
        case 0: op = sim::op_move(x, y); break;
        case 1: op = sim::op_draw(x, y); break;
        case 2: op = sim::op_lift(); break;
        case 3: op = sim::op_pen(g.in->i16()); break;
        case 4: op = sim::op_line_type(g.in->i16()); break;
        case 5: op = sim::op_width(g.in->f64()); break;
        default: {
            std::vector<sim::HostPoint> pts(g.in->u8() % 24);
            for (sim::HostPoint& pt : pts) pt = {g.in->u16(), g.in->u16()};
            op = sim::op_polygon(g.in->i16(), pts, kind & 8);
        }
    }
    sim::send_plot_op(*g.host, op);
    check_after_request();
}

// Controls of the driver's dialogs, and the buttons every dialog has.
constexpr int k_controls[] = {1,    2,    104,  105,  108,  114,  115,  116,  501,  1006, 1007, 1008, 1009, 1010,
                              1011, 1012, 1013, 1017, 1018, 1019, 1025, 1029, 1030, 1031, 1032, 1033, 1038, 1039,
                              1040, 1041, 1067, 1068, 1069, 1070, 1071, 1072, 1073, 1074, 1075, 1076, 1081, 1089,
                              1090, 1094, 1095, 1096, 1112, 1114, 1116, 3000, 3005, 3008, 3009, 3010, 3015, 3017,
                              3019, 3021, 3030, 3031};

// What a user may type into a field: numbers at and past every limit, text past the label's
// 64 characters, letters where digits belong.
const char* const k_typed[] = {"",   "0",     "1",     "-1",          "10",         "11",   "99",
                               "100", "150",  "15000", "15001",       "32767",      "65536", "-2147483648",
                               "99999999999", "abc", "Tamaño 1:50", "  7 ",
                               "plano de planta con una etiqueta mucho mas larga que sesenta y cuatro letras en total"};

// The user's part in the next dialogs and message boxes, from the input.
std::string dialog_script() {
    std::string script;
    int n = g.in->u8() % 16;
    auto id = [] { return std::to_string(k_controls[g.in->u8() % (sizeof k_controls / sizeof k_controls[0])]); };
    for (int k = 0; k < n; ++k) {
        switch (g.in->u8() % 12) {
            case 0: case 1: script += "click " + id(); break;
            case 2: script += "select " + id() + " " + std::to_string(static_cast<int>(g.in->u8()) - 2); break;
            case 3: script += "type " + id() + " " + k_typed[g.in->u8() % (sizeof k_typed / sizeof k_typed[0])]; break;
            case 4: {
                static const char* hows[] = {"up", "down", "pageup", "pagedown", "top", "bottom", "thumb"};
                script += "scroll " + id() + " " + hows[g.in->u8() % 7];
                break;
            }
            case 5: script += "drag point " + std::to_string(g.in->u8() % 6) + " to row " + std::to_string(g.in->i16()); break;
            case 6: script += "poke point " + std::to_string(g.in->u8() % 6) + " " + std::to_string(g.in->i16() % 300) + " " + std::to_string(g.in->i16() % 300); break;
            case 7: {
                static const char* keys[] = {"escape", "enter", "close"};
                script += keys[g.in->u8() % 3];
                break;
            }
            case 8: script += "focus " + id(); break;
            case 9: script += "enable " + id(); break;
            case 10: {
                static const char* answers[] = {"IDOK", "IDCANCEL", "IDYES", "IDNO"};
                script += std::string("answer ") + answers[g.in->u8() % 4];
                break;
            }
            default: script += "end " + std::to_string(static_cast<int>(g.in->u8() % 4) - 1);
        }
        script += "\n";
    }
    return script;
}

void change_faults() {
    sim::Faults& f = g.host->faults;
    uint8_t which = g.in->u8();
    switch (which % 6) {
        case 0: f.fail_write_at = g.host->write_calls + 1 + g.in->u8(); break;
        case 1: f.fail_write_at = 0; break;
        case 2: f.fail_load = !f.fail_load; break;
        case 3: f.fail_save = !f.fail_save; break;
        case 4: driver_alloc_fail_nth(g.in->u8() % 4); break;
        default: headless_set_script(dialog_script());
    }
}

void run_operation() {
    uint8_t kind = g.in->u8();

    switch (kind % 8) {
        case 0:
        case 1: plot_request(k_plot_codes[g.in->u8() % (sizeof k_plot_codes / sizeof k_plot_codes[0])]); break;
        case 2: config_request(k_config_codes[g.in->u8() % (sizeof k_config_codes / sizeof k_config_codes[0])]); break;
        case 3: {
            int16_t code = g.in->i16();
            if (kind & 8) config_request(code);
            else plot_request(code);
            break;
        }
        case 4: prepare_plot(); break;
        case 5:
            sim::run_config_session(*g.host);
            check_after_request();
            break;
        case 6: change_faults(); break;
        default: drawing_request(); break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    sim::Host host(sim::bind_in_process());
    g = Harness{};
    g.in = &in;
    g.host = &host;

    uint8_t flags = in.u8();
    host.faults.fail_write_at = in.u8();
    host.faults.fail_all_writes_after = flags & 1;
    host.faults.fail_load = flags & 2;
    host.faults.fail_save = flags & 4;
    host.faults.job_handle = flags & 8 ? -1 : 7;
    driver_alloc_fail_nth(in.u8());
    if (flags & 16) {
        host.store.present = true;
        in.bytes(host.store.record, sizeof host.store.record);
    }

    for (int k = 0; k < MAX_OPERATIONS && !in.empty(); ++k) run_operation();

    // The host ends the plot: whatever happened, nothing of the driver's stays allocated.
    sim::Packet end(2);
    send_plot(end);
    if (g_output.output_buffer) broken("the output buffer outlived the end of plot");
    if (driver_alloc_live() != 0) broken("a driver block outlived the end of plot");
    // For checking what a seed does: REQUEST_FUZZER_VERBOSE=1 request_fuzzer SEED
    if (std::getenv("REQUEST_FUZZER_VERBOSE")) {
        std::fprintf(stderr, "job %zu bytes in %d writes, %zu console texts, %zu fetches, %zu events, %zu dialogs\n",
                     host.job.size(), host.write_calls, host.console_texts().size(), g.replies.size(), host.events.size(),
                     headless_dialogs().size());
        for (const ShownDialog& d : headless_dialogs()) std::fprintf(stderr, "  dialog %s: %d\n", d.template_name.c_str(), static_cast<int>(d.result));
        for (const std::string& e : headless_errors()) std::fprintf(stderr, "  user: %s\n", e.c_str());
        for (const ShownMessageBox& b : headless_message_boxes()) std::fprintf(stderr, "  box: %s\n", b.text.c_str());
        for (const std::string& a : headless_pending_actions()) std::fprintf(stderr, "  not done: %s\n", a.c_str());
    }

    g = Harness{};
    headless_reset();
    return 0;
}
