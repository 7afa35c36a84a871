#include "pens.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "config/config_record.h"
#include "config/model_table.h"
#include "host/output_buffer.h"
#include "host/packet.h"
#include "host/plot_dispatch.h"
#include "vectors.h"

namespace {

constexpr PenState k_pens_at_load = {1, 7, 0, {}, {}, {}, {}};

// QDPX opcodes of the pen, line and width records.
constexpr uint8_t QDPX_PEN_WIDTH = 0x40;
constexpr uint8_t QDPX_SELECT_PEN = 0x41;
constexpr uint8_t QDPX_LINE_TYPE = 0x43;
constexpr uint8_t QDPX_REQUESTED_PEN = 0x47;
constexpr uint8_t QDPX_PEN_ENTRY = 0x30;

// HP-GL/2 pattern length of each line type (index 0 unused).
constexpr double k_pattern_length[LINE_TYPE_PATTERNS + 1] = {0.0, 1.0, 1.0, 2.0, 2.0, 2.0, 2.0, 2.0, 2.0};

// QDPX line patterns: opcode 36, word count, then the pattern number and its dash and gap
// lengths as 16-bit words.
constexpr uint8_t k_line_pattern_1[] = {0x36, 0x04, 0x00, 0x01, 0x00, 0x00, 0x00, 0x64, 0x00, 0x00};
constexpr uint8_t k_line_pattern_2[] = {0x36, 0x04, 0x00, 0x02, 0x00, 0x19, 0x00, 0x32, 0x00, 0x19};
constexpr uint8_t k_line_pattern_3[] = {0x36, 0x04, 0x00, 0x03, 0x00, 0x23, 0x00, 0x1E, 0x00, 0x23};
constexpr uint8_t k_line_pattern_4[] = {0x36, 0x06, 0x00, 0x04, 0x00, 0x28, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x28};
constexpr uint8_t k_line_pattern_5[] = {0x36, 0x06, 0x00, 0x05, 0x00, 0x23, 0x00, 0x0A, 0x00, 0x0A, 0x00, 0x0A, 0x00, 0x23};
constexpr uint8_t k_line_pattern_6[] = {0x36, 0x08, 0x00, 0x06, 0x00, 0x19, 0x00, 0x0A, 0x00, 0x0A,
                                        0x00, 0x0A, 0x00, 0x0A, 0x00, 0x0A, 0x00, 0x19};
constexpr uint8_t k_line_pattern_7[] = {0x36, 0x08, 0x00, 0x07, 0x00, 0x23, 0x00, 0x0A, 0x00, 0x00,
                                        0x00, 0x0A, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x23};
constexpr uint8_t k_line_pattern_8[] = {0x36, 0x0A, 0x00, 0x08, 0x00, 0x19, 0x00, 0x0A, 0x00, 0x00, 0x00,
                                        0x0A, 0x00, 0x0A, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x19};

struct ByteRun {
    const uint8_t* bytes;
    int32_t length;
};
constexpr ByteRun k_line_patterns[LINE_TYPE_PATTERNS] = {
    {k_line_pattern_1, sizeof k_line_pattern_1}, {k_line_pattern_2, sizeof k_line_pattern_2},
    {k_line_pattern_3, sizeof k_line_pattern_3}, {k_line_pattern_4, sizeof k_line_pattern_4},
    {k_line_pattern_5, sizeof k_line_pattern_5}, {k_line_pattern_6, sizeof k_line_pattern_6},
    {k_line_pattern_7, sizeof k_line_pattern_7}, {k_line_pattern_8, sizeof k_line_pattern_8},
};

bool model_has_red_print() { return current_model_info().has_red_print == 1; }

// Red printing applies to this pen number on this model with this configuration.
bool is_red_pen(int32_t pen) {
    return model_has_red_print() && (g_config.output_flags & OF_RED_PRINT) != 0 && pen == g_config.red_pen;
}

void save_text(SavedCommand& saved, const char* text) {
    size_t n = std::strlen(text);
    std::memcpy(saved.bytes, text, n + 1);
    saved.length = static_cast<int16_t>(n);
}

void save_record(SavedCommand& saved, const uint8_t* rec, int n) {
    std::memcpy(saved.bytes, rec, n);
    saved.bytes[n] = 0;
    saved.length = static_cast<int16_t>(n);
}

int32_t write_saved(const SavedCommand& saved) { return write_bytes(saved.length, saved.bytes); }

// A QDPX record of one 16-bit word: opcode, word count 1, value.
void one_word_record(SavedCommand& saved, uint8_t opcode, int32_t value) {
    uint8_t rec[4] = {opcode, 1};
    be16(rec + 2, value);
    save_record(saved, rec, 4);
}

}  // namespace

PenState g_pens = k_pens_at_load;

// Pens 0, 7 and 255 are black; 1..9 the named colours; 10..249 24 hues of ten shades;
// 250..254 greys.
const uint8_t k_host_palette[256][3] = {
    {  0,   0,   0}, {255,   0,   0}, {255, 255,   0}, {  0, 255,   0}, {  0, 255, 255}, {  0,   0, 255}, {255,   0, 255}, {  0,   0,   0}, {191, 191, 191}, {127, 127, 127},  // 0-9
    {255,   0,   0}, {255, 127, 127}, {165,   0,   0}, {165,  81,  81}, {127,   0,   0}, {127,  63,  63}, { 73,   0,   0}, { 73,  35,  35}, { 35,   0,   0}, { 35,  17,  17},  // 10-19
    {255,  63,   0}, {255, 158, 127}, {165,  40,   0}, {165, 102,  81}, {127,  30,   0}, {127,  79,  63}, { 73,  17,   0}, { 73,  45,  35}, { 35,   7,   0}, { 35,  22,  17},  // 20-29
    {255, 127,   0}, {255, 191, 127}, {165,  81,   0}, {165, 122,  81}, {127,  63,   0}, {127,  94,  63}, { 73,  35,   0}, { 73,  56,  35}, { 35,  17,   0}, { 35,  28,  17},  // 30-39
    {255, 191,   0}, {255, 221, 127}, {165, 122,   0}, {165, 142,  81}, {127,  94,   0}, {127, 109,  63}, { 73,  56,   0}, { 73,  66,  35}, { 35,  28,   0}, { 35,  33,  17},  // 40-49
    {255, 255,   0}, {255, 255, 127}, {165, 165,   0}, {165, 165,  81}, {127, 127,   0}, {127, 127,  63}, { 73,  73,   0}, { 71,  73,  35}, { 35,  35,   0}, { 35,  35,  17},  // 50-59
    {191, 255,   0}, {221, 255, 127}, {122, 165,   0}, {142, 165,  81}, { 94, 127,   0}, {109, 127,  63}, { 56,  73,   0}, { 66,  73,  35}, { 28,  35,   0}, { 33,  35,  17},  // 60-69
    {127, 255,   0}, {191, 255, 127}, { 81, 165,   0}, {122, 165,  81}, { 63, 127,   0}, { 94, 127,  63}, { 35,  73,   0}, { 56,  73,  35}, { 17,  35,   0}, { 28,  35,  17},  // 70-79
    { 63, 255,   0}, {158, 255, 127}, { 40, 165,   0}, {102, 165,  81}, { 30, 127,   0}, { 79, 127,  63}, { 17,  73,   0}, { 45,  73,  35}, {  7,  35,   0}, { 22,  35,  17},  // 80-89
    {  0, 255,   0}, {127, 255, 127}, {  0, 165,   0}, { 81, 165,  81}, {  0, 127,   0}, { 63, 127,  63}, {  0,  73,   0}, { 35,  73,  35}, {  0,  35,   0}, { 17,  35,  17},  // 90-99
    {  0, 255,  63}, {127, 255, 158}, {  0, 165,  40}, { 81, 165, 102}, {  0, 127,  79}, { 63, 127,  79}, {  0,  73,  17}, { 35,  73,  45}, {  0,  35,   7}, { 17,  35,  22},  // 100-109
    {  0, 255, 127}, {127, 255, 191}, {  0, 165,  81}, { 81, 165, 122}, {  0, 127,  63}, { 63, 127,  94}, {  0,  73,  35}, { 35,  73,  56}, {  0,  35,  17}, { 17,  35,  28},  // 110-119
    {  0, 255, 191}, {127, 255, 221}, {  0, 165, 122}, { 81, 165, 142}, {  0, 127,  94}, { 63, 127, 109}, {  0,  73,  56}, { 35,  73,  66}, {  0,  35,  28}, { 17,  35,  33},  // 120-129
    {  0, 255, 255}, {127, 255, 255}, {  0, 165, 165}, { 81, 165, 165}, {  0, 127, 153}, { 63, 127, 127}, {  0,  73,  73}, { 35,  73,  73}, {  0,  35,  35}, { 17,  35,  35},  // 130-139
    {  0, 191, 255}, {127, 221, 255}, {  0, 122, 165}, { 81, 142, 165}, {  0,  94, 127}, { 63, 109, 127}, {  0,  56,  73}, { 35,  66,  73}, {  0,  28,  35}, { 17,  33,  35},  // 140-149
    {  0, 127, 255}, {127, 191, 255}, {  0,  81, 165}, { 81, 122, 165}, {  0,  63, 127}, { 63,  94, 127}, {  0,  35,  73}, { 35,  56,  73}, {  0,  17,  35}, { 17,  28,  35},  // 150-159
    {  0,  63, 255}, {127, 158, 255}, {  0,  40, 165}, { 81, 102, 165}, {  0,  30, 127}, { 63,  79, 127}, {  0,  17,  73}, { 35,  45,  73}, {  0,   7,  35}, { 17,  22,  35},  // 160-169
    {  0,   0, 255}, {127, 127, 255}, {  0,   0, 165}, { 81,  81, 165}, {  0,   0, 127}, { 63,  63, 127}, {  0,   0,  73}, { 35,  35,  73}, {  0,   0,  35}, { 17,  17,  35},  // 170-179
    { 63,   0, 255}, {158, 127, 255}, { 40,   0, 165}, {102,  81, 165}, { 30,   0, 127}, { 79,  63, 127}, { 17,   0,  73}, { 45,  35,  73}, {  7,   0,  35}, { 22,  17,  35},  // 180-189
    {127,   0, 255}, {191, 127, 255}, { 81,   0, 165}, {122,  81, 165}, { 63,   0, 127}, { 94,  63, 127}, { 35,   0,  73}, { 56,  35,  73}, { 17,   0,  35}, { 28,  17,  35},  // 190-199
    {191,   0, 255}, {221, 127, 255}, {122,   0, 165}, {142,  81, 165}, { 94,   0, 127}, {109,  63, 127}, { 56,   0,  73}, { 66,  35,  73}, { 28,   0,  35}, { 33,  17,  35},  // 200-209
    {255,   0, 255}, {255, 127, 255}, {165,   0, 165}, {165,  81, 165}, {127,   0, 127}, {127,  63, 127}, { 73,   0,  73}, { 73,  35,  73}, { 35,   0,  35}, { 35,  17,  35},  // 210-219
    {255,   0, 191}, {255, 127, 221}, {165,   0, 122}, {165,  81, 142}, {127,   0,  94}, {127,  63, 109}, { 73,   0,  56}, { 73,  35,  66}, { 35,   0,  28}, { 35,  17,  33},  // 220-229
    {255,   0, 127}, {255, 127, 191}, {165,   0,  81}, {165,  81, 122}, {127,   0,  63}, {127,  63,  94}, { 73,   0,  35}, { 73,  35,  56}, { 35,   0,  17}, { 35,  17,  28},  // 230-239
    {255,   0,  63}, {255, 127, 158}, {165,   0,  40}, {165,  81, 102}, {127,   0,  30}, {127,  63,  79}, { 73,   0,  17}, { 73,  35,  45}, { 35,   0,   7}, { 35,  17,  22},  // 240-249
    { 84,  84,  84}, {117, 117, 117}, {150, 150, 150}, {186, 186, 186}, {219, 219, 219}, {  0,   0,   0},  // 250-255
};

int pen_grey(int pen) {
    const uint8_t* c = k_host_palette[pen & 0xFF];
    if (c[0] == c[1] && c[1] == c[2]) return c[0];
    int grey = (30 * c[0] + 59 * c[1] + 11 * c[2]) / 100;
    return grey < 0 ? 0 : grey > 255 ? 255 : grey;
}

int palette_instruction(int pen, char* out) {
    if (is_red_pen(pen)) return std::snprintf(out, 24, "PC%d,255,0,0", pen);  // Pen colour: red
    int g = pen_grey(pen);
    return std::snprintf(out, 24, "PC%d,%d,%d,%d", pen, g, g, g);  // Pen colour: grey
}

int32_t write_palette() {
    bool red_model = model_has_red_print();
    for (int pen = 1; pen <= 255; ++pen) {
        char text[24];
        palette_instruction(pen, text);
        // On a model with red printing the black pen is the last black entry; elsewhere it
        // stays the one chosen at initialisation.
        if (red_model && !is_red_pen(pen) && pen_grey(pen) == 0) g_pens.default_pen = static_cast<int16_t>(pen);
        if (write_text(text) != 0) return -1;
    }
    return 0;
}

int32_t write_pen_table() {
    int32_t r = 0;
    for (int pen = 0; pen <= 255; ++pen) {
        uint8_t rec[12] = {QDPX_PEN_ENTRY, 5};
        int n = 2;
        n += be16(rec + n, pen);
        if (is_red_pen(pen)) {
            static constexpr uint8_t red[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF};
            std::memcpy(rec + n, red, 8);
        } else {
            int g = pen_grey(pen);
            n += be16(rec + n, g);
            std::memset(rec + n, 0xFF, 6);
            if (g == 0) g_pens.default_pen = static_cast<int16_t>(pen);
        }
        r = write_bytes(12, rec);
    }
    return r;
}

int32_t write_line_patterns() {
    for (const ByteRun& p : k_line_patterns)
        if (write_bytes(p.length, p.bytes) != 0) return -1;
    return 0;
}

int32_t select_pen(uint16_t pen) {
    if (close_pe() != 0) return -1;
    // A monochrome printer: every pen prints with the black pen, except the red one.
    g_pens.current_pen = is_red_pen(pen) ? static_cast<int16_t>(g_config.red_pen) : g_pens.default_pen;
    if (config_qdpx()) {
        one_word_record(g_pens.saved_pen_cmd, QDPX_SELECT_PEN, g_pens.current_pen);
        one_word_record(g_pens.saved_req_pen_cmd, QDPX_REQUESTED_PEN, pen);
        if (write_saved(g_pens.saved_pen_cmd) != 0) return -1;
        return write_saved(g_pens.saved_req_pen_cmd);
    }
    char text[16];
    std::snprintf(text, sizeof text, "SP%d", g_pens.current_pen);  // Select pen
    save_text(g_pens.saved_pen_cmd, text);
    return write_saved(g_pens.saved_pen_cmd);
}

int32_t set_line_type(uint16_t line_type) {
    if (close_pe() != 0) return -1;
    // Line types above the last pattern draw solid: the host may announce any limit, and
    // there is no pattern to read for them.
    bool patterned = line_type != 0 && line_type <= static_cast<uint16_t>(g_pens.line_type_limit) &&
                     line_type <= LINE_TYPE_PATTERNS;
    if (config_qdpx()) {
        one_word_record(g_pens.saved_line_type_cmd, QDPX_LINE_TYPE, patterned ? line_type : 0);
    } else {
        char text[16];
        if (patterned) std::snprintf(text, sizeof text, "LT-%d,%.1lf", line_type, k_pattern_length[line_type]);  // Line type
        else std::strcpy(text, "LT");  // Solid line
        save_text(g_pens.saved_line_type_cmd, text);
    }
    return write_saved(g_pens.saved_line_type_cmd);
}

double width_mm(double inches) {
    double mm = inches * 25.4;
    // Negative, too wide, or not a number at all: the widest pen the printer draws.
    if (inches < 0 || mm > 297.0 || std::isnan(mm)) return 297.0;
    return mm == 0 ? 0.0 : mm;  // no "-0.000" for a width of -0
}

int32_t width_qdpx(double inches) {
    double v = inches * 400;
    if (0 <= inches && v < 1) return 1;
    if (!(v >= 1 && v <= 511)) return 511;  // negative, too wide or NaN
    return static_cast<int32_t>(v);
}

int32_t set_pen_width(double inches) {
    if (close_pe() != 0) return -1;
    if (config_qdpx()) {
        one_word_record(g_pens.saved_width_cmd, QDPX_PEN_WIDTH, width_qdpx(inches));
    } else {
        char text[16];
        std::snprintf(text, sizeof text, "PW%1.3lf", width_mm(inches));  // Pen width, mm
        save_text(g_pens.saved_width_cmd, text);
    }
    return write_saved(g_pens.saved_width_cmd);
}

void req_select_pen() {
    if (select_pen(rd_u16(g_packet, 4)) != 0) set_status(STATUS_FAILED);
}

void req_line_type() {
    if (set_line_type(rd_u16(g_packet, 4)) != 0) set_status(STATUS_FAILED);
}

void req_pen_width() {
    set_status(STATUS_OK);
    if (set_pen_width(rd_f64(g_packet, 4)) != 0) set_status(STATUS_FAILED);
}

void req_line_type_count() { g_pens.line_type_limit = rd_i16(g_packet, 4); }

void req_model_line_types() {
    model_set_current(g_config.model_index);
    g_pens.line_type_limit = g_packet[8];
}

void pens_init() { g_pens.default_pen = 7; }

void pens_begin_plot() { g_pens.current_pen = 1; }

void pens_reset() { g_pens = k_pens_at_load; }
