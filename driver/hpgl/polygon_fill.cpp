#include "polygon_fill.h"

#include <cstdio>

#include "config/config_record.h"
#include "host/output_buffer.h"
#include "host/packet.h"
#include "host/plot_dispatch.h"
#include "host/plot_state.h"
#include "pens.h"
#include "plot_area.h"
#include "raster/tone_curve.h"
#include "vectors.h"

namespace {

// Threshold matrix of the fill patterns: a pixel of pattern k is printed when M > k.
constexpr uint8_t k_threshold[16][16] = {
    {  2, 210,  34, 242,  74, 154, 106, 186,   3, 211,  35, 243,  75, 155, 107, 187},  // row 0
    {146,  66, 178,  98, 218,  10, 250,  42, 147,  67, 179,  99, 219,  11, 251,  43},  // row 1
    {194,  18, 226,  50, 138,  90, 170, 122, 195,  19, 227,  51, 139,  91, 171, 123},  // row 2
    { 82, 130, 114, 162,  26, 202,  58, 234,  83, 131, 115, 163,  27, 203,  59, 235},  // row 3
    {110, 190,  78, 158,  38, 246,   6, 214, 111, 191,  79, 159,  39, 247,   7, 215},  // row 4
    {254,  46, 222,  14, 182, 102, 150,  70, 255,  47, 223,  15, 183, 103, 151,  71},  // row 5
    {174, 126, 142,  94, 230,  54, 198,  22, 175, 127, 143,  95, 231,  55, 199,  23},  // row 6
    { 62, 238,  30, 206, 118, 166,  86, 134,  63, 239,  31, 207, 119, 167,  87, 135},  // row 7
    {  4, 212,  36, 244,  76, 156, 108, 188,   5, 213,  37, 245,  77, 157, 109, 189},  // row 8
    {148,  68, 180, 100, 220,  12, 252,  44, 149,  69, 181, 101, 221,  13, 253,  45},  // row 9
    {196,  20, 228,  52, 140,  92, 172, 124, 197,  21, 229,  53, 141,  93, 173, 125},  // row 10
    { 84, 132, 116, 164,  28, 204,  60, 236,  85, 133, 117, 165,  29, 205,  61, 237},  // row 11
    {112, 192,  80, 160,  40, 248,   8, 216, 113, 193,  81, 161,  41, 249,   9, 217},  // row 12
    {255,  48, 224,  16, 184, 104, 152,  72,   1,  49, 225,  17, 185, 105, 153,  73},  // row 13
    {176, 128, 144,  96, 232,  56, 200,  24, 177, 129, 145,  97, 233,  57, 201,  25},  // row 14
    { 64, 240,  32, 208, 120, 168,  88, 136,  65, 241,  33, 209, 121, 169,  89, 137},  // row 15
};

struct PatternTable {
    uint16_t rows[256][16];
};

consteval PatternTable build_patterns() {
    PatternTable t{};
    for (int k = 0; k < 256; ++k)
        for (int r = 0; r < 16; ++r) {
            uint16_t row = 0;
            for (int c = 0; c < 16; ++c)
                if (k_threshold[r][c] > k) row |= static_cast<uint16_t>(0x8000 >> c);
            t.rows[k][r] = row;
        }
    return t;
}

constexpr PatternTable k_patterns = build_patterns();

constexpr uint8_t QDPX_REQUESTED_PEN = 0x47;
constexpr uint8_t QDPX_FILL_PATTERN = 0x32;

int32_t vertex_x(const uint8_t* v, int32_t i) { return rd_u16(v, 4 * i); }
int32_t vertex_y(const uint8_t* v, int32_t i) { return rd_u16(v, 4 * i + 2); }

int32_t requested_pen_record(int32_t pen) {
    uint8_t rec[4] = {QDPX_REQUESTED_PEN, 1};
    be16(rec + 2, pen);
    return write_bytes(4, rec);
}

bool fits16(int32_t v) { return v >= -32768 && v <= 32767; }

// 16-bit polygon words only when the plot area allows them and every value fits: the
// first vertex and each displacement.
bool polygon_fits_short(int32_t n, const uint8_t* v) {
    if (g_plot_area.short_coords != 1) return false;
    DevicePoint prev = to_printer(vertex_x(v, 0), vertex_y(v, 0));
    if (!fits16(prev.x) || !fits16(prev.y)) return false;
    for (int32_t i = 1; i < n; ++i) {
        DevicePoint p = to_printer(vertex_x(v, i), vertex_y(v, i));
        if (!fits16(p.x - prev.x) || !fits16(p.y - prev.y)) return false;
        prev = p;
    }
    return true;
}

int32_t fill_hpgl(int32_t fill_pen, int16_t pen, int32_t n, const uint8_t* v) {
    char text[24];
    if (close_pe() != 0) return -1;
    std::snprintf(text, sizeof text, "SP%d", fill_pen);  // Select the fill pen
    if (write_text(text) != 0) return -1;
    std::snprintf(text, sizeof text, "%s<", g_vector.pe_command);  // Pen-up move to the first vertex
    if (write_text(text) != 0) return -1;
    set_pe_state(PE_MOVING);
    if (put_point(vertex_x(v, 0), vertex_y(v, 0)) != 0) return -1;
    std::snprintf(text, sizeof text, ";PM0%s", g_vector.pe_command);  // Polygon mode, outline follows
    if (write_text(text) != 0) return -1;
    set_pe_state(PE_DRAWING);
    for (int32_t i = 1; i < n; ++i)
        if (put_point(vertex_x(v, i), vertex_y(v, i)) != 0) return -1;
    if (put_point(vertex_x(v, 0), vertex_y(v, 0)) != 0) return -1;  // close the outline
    if (write_text(";PM2FP") != 0) return -1;  // Close polygon mode, fill
    if (!(g_config.plot_flags & PF_HALFTONE_FILL)) {
        std::snprintf(text, sizeof text, "SP%d", pen);  // Back to the requested pen
        if (write_text(text) != 0) return -1;
    }
    return 0;
}

int32_t fill_qdpx(int32_t fill_pen, int16_t pen, int32_t n, const uint8_t* v) {
    bool wide = !polygon_fits_short(n, v);
    if (wide && n > QDPX_WIDE_POLYGON_MAX) return -1;  // its word count would not fit 16 bits
    set_pe_state(PE_CLOSED);
    if (requested_pen_record(fill_pen) != 0) return -1;
    set_pe_state(PE_DRAWING);
    if (put_polygon_start(vertex_x(v, 0), vertex_y(v, 0), n, wide) != 0) return -1;
    for (int32_t i = 1; i < n; ++i)
        if (put_polygon_vertex(vertex_x(v, i), vertex_y(v, i), wide) != 0) return -1;
    if (!(g_config.plot_flags & PF_HALFTONE_FILL) && requested_pen_record(pen) != 0) return -1;
    return 0;
}

// The polygon-request rules: a failed plot answers 0 and draws nothing; fewer than two
// vertices draw nothing and answer nothing.
void polygon_request(int16_t pen, int16_t n, const uint8_t* vertices) {
    if (g_plot.failure_latch) {
        set_status(STATUS_OK);
        return;
    }
    if (n < 2) return;
    int32_t r = vertices ? fill_polygon(pen, n, vertices) : -1;  // a null array draws nothing
    set_status(r == 0 ? STATUS_OK : STATUS_FAILED);
    if (r == 0) g_vector.reselect_pen = true;
}

}  // namespace

const uint16_t* halftone_pattern(int k) { return k_patterns.rows[k & 0xFF]; }

int pattern_for_pen(int pen) { return default_tone_table[default_tone_table[default_tone_table[pen & 0xFF]]]; }

int32_t fill_polygon(int16_t pen, int32_t n, const uint8_t* vertices) {
    int32_t fill_pen = (g_config.plot_flags & PF_HALFTONE_FILL) ? pen : g_pens.default_pen;
    int32_t r = config_qdpx() ? fill_qdpx(fill_pen, pen, n, vertices) : fill_hpgl(fill_pen, pen, n, vertices);
    if (r != 0) return -1;
    set_pe_state(PE_CLOSED);
    g_plot.drawn = 1;
    return 0;
}

int32_t put_fill_patterns() {
    int32_t r = 0;
    for (int pen = 0; pen < 256; ++pen) {
        uint8_t rec[2 + 3 * 2 + 32] = {QDPX_FILL_PATTERN, 3 + 16};
        int n = 2;
        n += be16(rec + n, pen);
        n += be16(rec + n, 16);  // width
        n += be16(rec + n, 16);  // height
        const uint16_t* rows = halftone_pattern(pattern_for_pen(pen));
        for (int row = 0; row < 16; ++row) n += be16(rec + n, rows[row]);
        r = write_bytes(n, rec);  // every pattern is attempted, whatever the last one did
    }
    return r;
}

void req_polygon_a() {
    polygon_request(rd_i16(g_packet, 4), rd_i16(g_packet, 6), static_cast<const uint8_t*>(rd_ptr(g_packet, 8)));
}

// The vertices follow the header inside the packet: the host sizes its packet to hold all
// n of them (12 + 4n bytes), which the driver cannot check.
void req_polygon_b() { polygon_request(rd_i16(g_packet, 6), rd_i16(g_packet, 10), g_packet + 12); }
