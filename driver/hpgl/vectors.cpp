#include "vectors.h"

#include <cstdio>
#include <cstring>

#include "config/config_record.h"
#include "double_to_int.h"
#include "host/output_buffer.h"
#include "host/packet.h"
#include "host/plot_dispatch.h"
#include "host/plot_state.h"
#include "pens.h"
#include "plot_area.h"

namespace {

constexpr VectorState k_vector_at_load = {0, 0, 0, 0, -1, -1, PE_CLOSED, PE_CLOSED, {'P', 'E', '7', 0}, false, false};

// QDPX line-segment records: opcode, count of 16-bit words that follow, then x0, y0, dx, dy.
constexpr uint8_t QDPX_SEGMENT_16 = 0x64;
constexpr uint8_t QDPX_SEGMENT_32 = 0x6B;
// QDPX polygon records: the count word is the number of coordinate words in the polygon.
constexpr uint8_t QDPX_POLYGON_16 = 0x7C;
constexpr uint8_t QDPX_POLYGON_32 = 0x83;
constexpr uint8_t QDPX_ESCAPE = 0xFF;
constexpr uint8_t QDPX_SELECT_PEN = 0x41;

bool fits16(int32_t v) { return v >= -32768 && v <= 32767; }

// Records a host point and moves the current position to it.
void move_position(int32_t hx, int32_t hy, DevicePoint to) {
    g_vector.last_host_x = hx;
    g_vector.last_host_y = hy;
    g_vector.prev_x = g_vector.cur_x;
    g_vector.prev_y = g_vector.cur_y;
    g_vector.cur_x = to.x;
    g_vector.cur_y = to.y;
}

// One line-segment record from (x0, y0) with displacement (dx, dy). 16-bit words are used
// when the plot area allows them and every value fits; a value that does not (a host point
// outside the area it announced) gets the 32-bit record rather than a wrapped one.
int32_t write_segment(int32_t x0, int32_t y0, int32_t dx, int32_t dy) {
    uint8_t rec[2 + 4 * 4];
    int n = 0;
    if (g_plot_area.short_coords == 1 && fits16(x0) && fits16(y0) && fits16(dx) && fits16(dy)) {
        rec[n++] = QDPX_SEGMENT_16;
        rec[n++] = 4;
        n += be16(rec + n, x0);
        n += be16(rec + n, y0);
        n += be16(rec + n, dx);
        n += be16(rec + n, dy);
    } else {
        rec[n++] = QDPX_SEGMENT_32;
        rec[n++] = 8;
        n += be32(rec + n, x0);
        n += be32(rec + n, y0);
        n += be32(rec + n, dx);
        n += be32(rec + n, dy);
    }
    return write_bytes(n, rec);
}

// The duplicate-point rule: the same point again in an unchanged open state adds nothing.
bool is_repeat(int32_t hx, int32_t hy) {
    return g_vector.prev_pe_state == g_vector.pe_state && g_vector.pe_state != PE_CLOSED && hx == g_vector.last_host_x &&
           hy == g_vector.last_host_y;
}

// After a polygon the printer holds the fill pen: select the line pen again.
int32_t reselect_current_pen() {
    g_vector.reselect_pen = false;
    if (config_qdpx()) {
        uint8_t rec[4] = {QDPX_SELECT_PEN, 1};
        be16(rec + 2, g_pens.current_pen);
        return write_bytes(4, rec);
    }
    char text[16];
    std::snprintf(text, sizeof text, ";SP%d", g_pens.current_pen);  // Select pen
    // The ";" ends a PE instruction that a draw may have opened since the polygon; the
    // state must say so, or the next pairs would follow "SP" without a new "PE".
    if (g_vector.pe_state != PE_CLOSED) set_pe_state(PE_CLOSED);
    return write_text(text);
}

}  // namespace

VectorState g_vector = k_vector_at_load;

DevicePoint to_printer(int32_t hx, int32_t hy) {
    double scale = g_plot_area.unit_scale;
    return {trunc_to_i32(hx * scale, INT32_MIN, INT32_MAX, 0), trunc_to_i32(hy * scale, INT32_MIN, INT32_MAX, 0)};
}

int pe_encode(int32_t v, bool eight_bit, uint8_t out[PE_NUMBER_MAX]) {
    // The sign goes into the lowest bit; 64 bits so that INT32_MIN cannot overflow.
    uint64_t u = v >= 0 ? 2 * static_cast<uint64_t>(v) : 1 - 2 * static_cast<int64_t>(v);
    int n = 0;
    if (eight_bit) {
        for (; u >= 64; u >>= 6) out[n++] = static_cast<uint8_t>((u & 63) + 63);
        out[n++] = static_cast<uint8_t>(u + 191);
    } else {
        for (; u >= 32; u >>= 5) out[n++] = static_cast<uint8_t>((u & 31) + 63);
        out[n++] = static_cast<uint8_t>(u + 95);
    }
    return n;
}

int32_t pe_number(int32_t v) {
    uint8_t digits[PE_NUMBER_MAX];
    return write_bytes(pe_encode(v, g_vector.pe_8bit, digits), digits);
}

int be8(uint8_t* out, int32_t v) {
    out[0] = static_cast<uint8_t>(v);
    return 1;
}

int be16(uint8_t* out, int32_t v) {
    out[0] = static_cast<uint8_t>(v >> 8);
    out[1] = static_cast<uint8_t>(v);
    return 2;
}

int be32(uint8_t* out, int32_t v) {
    uint32_t u = static_cast<uint32_t>(v);
    out[0] = static_cast<uint8_t>(u >> 24);
    out[1] = static_cast<uint8_t>(u >> 16);
    out[2] = static_cast<uint8_t>(u >> 8);
    out[3] = static_cast<uint8_t>(u);
    return 4;
}

void vectors_choose_pe_command() {
    g_vector.pe_8bit = (g_config.plot_flags & PF_PE_8BIT) != 0;
    std::strcpy(g_vector.pe_command, g_vector.pe_8bit ? "PE" : "PE7");
}

void vectors_begin_plot() {
    g_vector.cur_x = g_vector.cur_y = 0;
    g_vector.prev_x = g_vector.prev_y = 0;
    g_vector.last_host_x = g_vector.last_host_y = -1;
    g_vector.pe_state = g_vector.prev_pe_state = PE_CLOSED;
}

void set_pe_state(int16_t state) {
    g_vector.prev_pe_state = g_vector.pe_state;
    g_vector.pe_state = state;
}

int32_t close_pe() {
    int16_t s = g_vector.pe_state;
    bool open = s == PE_LIFTED || s == PE_DRAWING || s == PE_MOVING;
    set_pe_state(PE_CLOSED);
    if (open && !config_qdpx()) return write_text(";");
    return 0;
}

int32_t put_point(int32_t hx, int32_t hy) {
    DevicePoint to = to_printer(hx, hy);
    int32_t dx = to.x - g_vector.cur_x, dy = to.y - g_vector.cur_y;
    move_position(hx, hy, to);
    uint8_t pair[2 * PE_NUMBER_MAX];
    int n = pe_encode(dx, g_vector.pe_8bit, pair);
    n += pe_encode(dy, g_vector.pe_8bit, pair + n);
    return write_bytes(n, pair);
}

int32_t put_segment(int32_t hx, int32_t hy) {
    DevicePoint from = {g_vector.cur_x, g_vector.cur_y};
    DevicePoint to = to_printer(hx, hy);
    move_position(hx, hy, to);
    if (g_vector.pe_state != PE_DRAWING) return 0;
    return write_segment(from.x, from.y, to.x - from.x, to.y - from.y);
}

int32_t put_mark(int32_t hx, int32_t hy) {
    DevicePoint at = to_printer(hx, hy);
    return write_segment(at.x, at.y, 0, 0);
}

int32_t put_polygon_start(int32_t hx, int32_t hy, int32_t n, bool wide) {
    DevicePoint at = to_printer(hx, hy);
    move_position(hx, hy, at);
    if (g_vector.pe_state != PE_DRAWING) return 0;
    uint8_t rec[4 + 2 * 4];
    int k = 0;
    rec[k++] = QDPX_ESCAPE;
    rec[k++] = wide ? QDPX_POLYGON_32 : QDPX_POLYGON_16;
    k += be16(rec + k, wide ? 4 * n : 2 * n);  // coordinate words in the whole polygon
    if (wide) {
        k += be32(rec + k, at.x);
        k += be32(rec + k, at.y);
    } else {
        k += be16(rec + k, at.x);
        k += be16(rec + k, at.y);
    }
    return write_bytes(k, rec);
}

int32_t put_polygon_vertex(int32_t hx, int32_t hy, bool wide) {
    DevicePoint from = {g_vector.cur_x, g_vector.cur_y};
    DevicePoint to = to_printer(hx, hy);
    move_position(hx, hy, to);
    if (g_vector.pe_state != PE_DRAWING) return 0;
    uint8_t rec[2 * 4];
    int k = 0;
    if (wide) {
        k += be32(rec + k, to.x - from.x);
        k += be32(rec + k, to.y - from.y);
    } else {
        k += be16(rec + k, to.x - from.x);
        k += be16(rec + k, to.y - from.y);
    }
    return write_bytes(k, rec);
}

int32_t move_to(int32_t hx, int32_t hy) {
    if (g_plot.failure_latch) return -1;
    if (g_vector.reselect_pen && reselect_current_pen() != 0) return -1;
    if (is_repeat(hx, hy)) return 0;
    int16_t s = g_vector.pe_state;
    g_vector.prev_pe_state = s;
    if (config_qdpx()) {
        g_vector.pe_state = PE_MOVING;
        return put_segment(hx, hy);  // moves write nothing in QDPX
    }
    int32_t r = 0;
    if (s == PE_DRAWING || s == PE_MOVING) {
        r = write_text("<");  // the next pair is a pen-up move
    } else if (s == PE_CLOSED) {
        char text[8];
        std::snprintf(text, sizeof text, "%s<", g_vector.pe_command);  // Polyline encoded, pen up
        r = write_text(text);
    }  // PE_LIFTED: the "<" is already out
    if (r != 0) return -1;
    g_vector.pe_state = PE_MOVING;
    return put_point(hx, hy);
}

int32_t draw_to(int32_t hx, int32_t hy) {
    if (g_plot.failure_latch) return -1;
    if (is_repeat(hx, hy)) return 0;
    int16_t s = g_vector.pe_state;
    g_vector.prev_pe_state = s;
    if (config_qdpx()) {
        g_vector.pe_state = PE_DRAWING;
        if (put_segment(hx, hy) != 0) return -1;
    } else {
        int32_t r = 0;
        if (s == PE_LIFTED) {
            // A null pen-up move consumes the pending "<"; the pair below is then drawn.
            uint8_t zeros[2 * PE_NUMBER_MAX];
            int n = pe_encode(0, g_vector.pe_8bit, zeros);
            n += pe_encode(0, g_vector.pe_8bit, zeros + n);
            r = write_bytes(n, zeros);
        } else if (s == PE_CLOSED) {
            r = write_text(g_vector.pe_command);  // Polyline encoded, pen down
        }
        if (r != 0) return -1;
        g_vector.pe_state = s == PE_LIFTED ? PE_MOVING : PE_DRAWING;
        if (put_point(hx, hy) != 0) return -1;
    }
    g_plot.drawn = 1;
    return 0;
}

int32_t lift_pen() {
    if (g_plot.failure_latch) return -1;
    int16_t s = g_vector.pe_state;
    if (s != PE_DRAWING && s != PE_MOVING) return 0;
    set_pe_state(PE_LIFTED);
    if (config_qdpx()) return 0;
    return write_text("<");  // the next pair is a pen-up move
}

void req_move() {
    if (move_to(rd_u16(g_packet, 4), rd_u16(g_packet, 6)) != 0) set_status(STATUS_FAILED);
}

void req_draw() {
    if (draw_to(rd_u16(g_packet, 4), rd_u16(g_packet, 6)) != 0) set_status(STATUS_FAILED);
}

void req_pen_up() {
    if (lift_pen() != 0) set_status(STATUS_FAILED);
}

void vectors_reset() { g_vector = k_vector_at_load; }
