#include "image_request.h"

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "config/config_record.h"
#include "dither.h"
#include "host/call_conv.h"
#include "host/output_buffer.h"
#include "host/packet.h"
#include "host/plot_state.h"
#include "hpgl/job_header.h"
#include "hpgl/pens.h"
#include "hpgl/plot_area.h"
#include "hpgl/vectors.h"
#include "raster_output.h"

ImageState g_image = {};

namespace {

// Foreground colours of monochrome images, by colour index.
const uint8_t k_foreground[8][3] = {
    {255, 255, 255},  // 0 white
    {255, 0, 0},      // 1 red
    {255, 255, 0},    // 2 yellow
    {0, 255, 0},      // 3 green
    {0, 255, 255},    // 4 cyan
    {0, 0, 255},      // 5 blue
    {255, 0, 255},    // 6 magenta
    {0, 0, 0},        // 7 black
};

// The colour a transparent image leaves as paper.
constexpr uint8_t KEY_R = 0, KEY_G = 1, KEY_B = 2;

// Offsets of request 52.
constexpr int IR_FETCH = 4, IR_RELEASE = 8, IR_HOST_VALUE = 12, IR_X0 = 16, IR_Y0 = 20, IR_X1 = 24, IR_Y1 = 28,
              IR_KIND = 32, IR_WIDTH = 36, IR_HEIGHT = 40, IR_TRANSPARENT = 44, IR_DEPTH = 46, IR_COLOUR = 48,
              IR_HOST_DATA = 50, IR_REPLY = 122;
constexpr int HOST_DATA_SIZE = 72;

// Offsets of the fetch reply.
constexpr int RP_PIXELS = 0, RP_COUNT = 4, RP_STOP = 12, RP_FAILED = 14;

using FetchFn = uint8_t*(WF_CDECL*)(uint8_t* request);
using ReleaseFn = void(WF_CDECL*)(uint8_t* reply);

// What one image will do, worked out before anything is sent.
struct Plan {
    bool qdpx;
    bool rows;          // OF_ROTATED clear: the image is fetched row by row
    int32_t d;          // size divisor, the replication factor
    int32_t w, h;       // device dot counts W and H
    int32_t pu_x, pu_y;  // HP-RTL pen move (already times d)
    int32_t iw[4];      // HP-RTL input window
    int32_t pos_x, pos_y;  // QDPX raster position
};

// Truncation toward zero of a host-derived double; false when the value has no 32-bit form.
bool trunc_i32(double v, int32_t* out) {
    if (!(v > -2147483649.0 && v < 2147483648.0)) return false;
    *out = static_cast<int32_t>(v);
    return true;
}

// Device dots across a frame of `span` host units for an image of `pixels` pixels, in the
// order of operations that gives the printer's counts (it can fall one short of the exact
// value). False when there is no resolution, no pixel or no dot.
bool device_dots(double span, int32_t pixels, double dpi, int32_t* dots) {
    if (!(dpi > 0) || pixels <= 0) return false;
    double cm = span * 0.0025;
    double image_cm = pixels / dpi * 2.54;
    return trunc_i32(cm / image_cm * pixels, dots) && *dots > 0;
}

bool times(int32_t a, int32_t b, int32_t* out) { return !__builtin_mul_overflow(a, b, out); }

// Works out dot counts, placement and raster position; false when the image cannot be
// produced (no resolution, an empty image or frame, or a frame beyond 32-bit coordinates).
bool plan_image(const ImageRequest& img, Plan& p) {
    const uint16_t flags = g_config.output_flags;
    p.qdpx = config_qdpx();
    p.rows = (flags & OF_ROTATED) == 0;
    p.d = g_plot_area.size_divisor;
    const double span_x = static_cast<double>(img.x1) - img.x0;
    const double span_y = static_cast<double>(img.y1) - img.y0;
    int32_t dev_w, dev_h;
    if (!device_dots(span_x, img.width, select_resolution(flags, p.qdpx), &dev_w)) return false;
    if (!device_dots(span_y, img.height, select_resolution(flags, p.qdpx), &dev_h)) return false;
    if (p.qdpx) {
        if (__builtin_sub_overflow(img.x1, img.x0, &p.w) || __builtin_sub_overflow(img.y1, img.y0, &p.h)) return false;
        const uint16_t nibble = flags & OF_RESOLUTION_MASK;
        if (nibble == OF_RES_400) p.w /= 2, p.h /= 2;
        if (nibble == OF_RES_200) p.w /= 4, p.h /= 4;
    } else {
        p.w = dev_w;
        p.h = dev_h;
    }
    if (p.w <= 0 || p.h <= 0) return false;

    const int32_t corner_x = p.rows ? img.x1 : img.x0;  // where the raster starts
    if (p.qdpx) {
        const double s = g_plot_area.unit_scale;
        return trunc_i32(corner_x * s, &p.pos_x) && trunc_i32(img.y0 * s, &p.pos_y);
    }
    int32_t x0d, y0d, x1d, y1d;
    if (!times(img.x0, p.d, &x0d) || !times(img.y0, p.d, &y0d) || !times(img.x1, p.d, &x1d) || !times(img.y1, p.d, &y1d))
        return false;
    p.pu_x = p.rows ? x1d : x0d;
    p.pu_y = y0d;
    if (p.rows) {
        const int32_t window[4] = {y0d, x0d, y1d, x1d};
        std::memcpy(p.iw, window, sizeof window);
    } else {
        const int32_t window[4] = {x0d, y0d, x1d, y1d};
        std::memcpy(p.iw, window, sizeof window);
    }
    return true;
}


// A saved HP-GL/2 instruction: its text up to the NUL.
void send_saved_text(const SavedCommand& saved) {
    raster_write(saved.bytes, static_cast<int32_t>(strnlen(reinterpret_cast<const char*>(saved.bytes), SAVED_CMD_SIZE)));
}

void write_saved_record(const SavedCommand& saved) {
    if (saved.length > 0 && saved.length <= SAVED_CMD_SIZE) write_bytes(saved.length, saved.bytes);
}

// Fills the fetch request for line i.
void fill_fetch_request(const ImageRequest& img, const ImageProduction& prod, int32_t i) {
    uint8_t* r = g_image.fetch_request;
    const bool colour = !img.monochrome;
    const int32_t last = prod.line_pixels - 1;
    if (prod.scan_code == 2) {
        wr_i32(r, 0, 0);
        wr_i32(r, 4, i);
        wr_i32(r, 8, last);
        wr_i32(r, 12, i);
    } else {
        wr_i32(r, 0, i);
        wr_i32(r, 4, 0);
        wr_i32(r, 8, i);
        wr_i32(r, 12, last);
    }
    // The line's strip of the frame: each line one step wide from the frame's first edge.
    const bool rows = prod.scan_code == 2;
    const double start = rows ? img.y0 : img.x0;
    int32_t lo = 0, hi = 0;
    trunc_i32(start + i * prod.step, &lo);
    trunc_i32(start + (i + 1) * prod.step, &hi);
    wr_i32(r, 16, rows ? img.x0 : lo);
    wr_i32(r, 20, rows ? lo : img.y0);
    wr_i32(r, 24, rows ? img.x1 : hi);
    wr_i32(r, 28, rows ? hi : img.y1);
    wr_i32(r, 32, rd_i32(img.packet, IR_HOST_VALUE));
    wr_i32(r, 36, colour ? 8 : 1);   // bits per sample
    wr_i32(r, 40, prod.scan_code);
    wr_i16(r, 46, colour ? 24 : 1);  // bits per pixel
    if (colour) {
        r[48] = r[49] = r[50] = 255;  // sample maxima
        r[52] = 0, r[53] = 1, r[54] = 2;  // sample order R, G, B
    } else {
        wr_i16(r, 48, 0);
        wr_i16(r, 56, img.colour_index);
    }
    wr_i32(r, 64, 0);
    wr_i16(r, 68, 0);
    wr_i16(r, 70, 1);
    std::memcpy(r + 72, img.packet + IR_HOST_DATA, HOST_DATA_SIZE);
}

void show_fetch_failure(int32_t line, int32_t pixels, uint32_t bytes) {
    char text[96];
    std::snprintf(text, sizeof text, "image faile=%d %d %d", line, pixels, static_cast<int32_t>(bytes));
    MessageBoxA(reinterpret_cast<HWND>(static_cast<intptr_t>(g_plot.host_window)), text, "ADI4.3",
                MB_OK | MB_ICONEXCLAMATION);  // the warning icon
}

// Pulls the lines from the host and halftones them. False when the image is abandoned
// (a failed fetch, or a line that could not be stored): nothing of it is then sent.
bool fetch_lines(const ImageRequest& img, const ImageProduction& prod, int32_t first) {
    const auto fetch = reinterpret_cast<FetchFn>(rd_ptr(img.packet, IR_FETCH));
    const auto release = reinterpret_cast<ReleaseFn>(rd_ptr(img.packet, IR_RELEASE));
    if (!fetch) {
        show_fetch_failure(first, prod.line_pixels, 0);
        return false;
    }
    const int32_t bytes_per_pixel = img.monochrome ? 1 : 3;
    for (int32_t i = first; i < prod.fetch_count; ++i) {
        fill_fetch_request(img, prod, i);
        uint8_t* reply = fetch(g_image.fetch_request);
        if (!reply) {  // no reply at all: a failed fetch with nothing to release
            show_fetch_failure(i, prod.line_pixels, 0);
            return false;
        }
        if (rd_i16(reply, RP_STOP) != 0) {
            if (release) release(reply);
            return true;  // what was fetched so far is printed
        }
        const uint32_t count = rd_u32(reply, RP_COUNT);
        if (rd_i16(reply, RP_FAILED) != 0) {
            show_fetch_failure(i, prod.line_pixels, count);
            return false;  // the host keeps this reply
        }
        // A count beyond the line is cut here already, so that no size is formed from it.
        const uint32_t limit = static_cast<uint32_t>(prod.line_pixels) * bytes_per_pixel;
        const int32_t pixels = static_cast<int32_t>((count < limit ? count : limit) / bytes_per_pixel);
        const uint8_t* data = static_cast<const uint8_t*>(rd_ptr(reply, RP_PIXELS));
        int32_t added = raster_add_row(data ? pixels : 0, data, img.monochrome, img.foreground[0], img.foreground[1],
                                       img.foreground[2]);
        if (release) release(reply);
        if (added != 0) return false;
    }
    return true;
}

// Puts back what raster mode disturbed, so that the next vector draws as before.
void restore_drawing_state(const ImageRequest& img, const ImageProduction& prod, bool qdpx) {
    if (qdpx) {
        static const uint8_t k_paint_opaque[] = {0x9B, 0x5E, 0x00, 0x02, 0x00, 0x02};
        raster_write(k_paint_opaque, sizeof k_paint_opaque);
        write_qdpx_setup_block();
        write_qdpx_pen_setup();
        write_saved_record(g_pens.saved_pen_cmd);
        write_saved_record(g_pens.saved_req_pen_cmd);
        write_saved_record(g_pens.saved_width_cmd);
        write_saved_record(g_pens.saved_line_type_cmd);
        return;
    }
    raster_write_text("TR0;");                              // Transparency off
    raster_write_fmt("PA%d,%d", img.x1, img.y0);            // Absolute
    raster_write_fmt("PU%d,%d", prod.saved_x, prod.saved_y);  // Pen up to where the pen was
    raster_write_text("PR");                                // Relative again
    for (int pen = 1; pen <= 255; ++pen) {          // the palette that raster mode replaced
        char text[24];
        palette_instruction(pen, text);
        raster_write_text(text);
    }
    raster_write(g_job_header.saved_window_cmd,
                 static_cast<int32_t>(strnlen(g_job_header.saved_window_cmd, WINDOW_CMD_SIZE)));
    send_saved_text(g_pens.saved_pen_cmd);
    send_saved_text(g_pens.saved_width_cmd);
    send_saved_text(g_pens.saved_line_type_cmd);
}

void produce(ImageRequest& img) {
    Plan p{};
    // Checked before anything is sent: an image that cannot be placed is dropped whole.
    if (!plan_image(img, p)) return;
    ImageProduction& prod = g_image.production;
    img.width = p.w;
    img.height = p.h;
    prod.dots_w = p.w;
    prod.dots_h = p.h;

    if (p.qdpx) write_qdpx_trailer_opening();
    prod.saved_x = g_vector.cur_x;
    prod.saved_y = g_vector.cur_y;
    if (g_output.output_pending > 0) flush_output();

    // A move leaves its polyline instruction open: the transparency instruction must not
    // land inside it as coordinate data.
    const bool separate = g_plot.drawn != 0 || g_vector.pe_state != PE_CLOSED;
    if (p.qdpx) {
        static const uint8_t k_paint_transparent[] = {0x9B, 0x5E, 0x00, 0x02, 0x00, 0x01};
        static const uint8_t k_paint_opaque[] = {0x9B, 0x5E, 0x00, 0x02, 0x00, 0x02};
        if (img.transparent)
            raster_write(k_paint_transparent, sizeof k_paint_transparent);
        else
            raster_write(k_paint_opaque, sizeof k_paint_opaque);
    } else {
        raster_write_text(img.transparent ? (separate ? ";TR1;" : "TR1;") : (separate ? ";TR0;" : "TR0;"));  // Transparency
    }

    if (!p.qdpx) {
        raster_write_fmt("PU%d,%d", p.pu_x, p.pu_y);  // Pen up to the raster origin
        raster_write_fmt("PA%d,%d", p.pu_x, p.pu_y);  // Absolute
    }
    if (p.rows) {
        prod.step = (static_cast<double>(img.y1) - img.y0) / p.h;
        prod.fetch_count = p.h;
        prod.line_pixels = p.w;
        prod.scan_code = 2;
    } else {
        prod.step = (static_cast<double>(img.x1) - img.x0) / p.w;
        prod.fetch_count = p.w;
        prod.line_pixels = p.h;
        prod.scan_code = 7;
    }
    if (!p.qdpx) raster_write_fmt("IW%d,%d,%d,%d", p.iw[0], p.iw[1], p.iw[2], p.iw[3]);  // Input window: the frame
    if (g_output.output_pending > 0) flush_output();

    bool whole = raster_begin(prod.line_pixels, prod.fetch_count, img.transparent, KEY_R, KEY_G, KEY_B, p.qdpx,
                              p.pos_x, p.pos_y, p.d, p.rows ? 0 : 1) == 0;
    // At 600 dots per inch in HP-RTL the first line is never asked for.
    const bool skip_first = !p.qdpx && (g_config.output_flags & OF_RESOLUTION_MASK) == OF_RES_600;
    if (whole) whole = fetch_lines(img, prod, skip_first ? 1 : 0);
    if (whole) raster_finish();
    raster_end();
    restore_drawing_state(img, prod, p.qdpx);
    set_pe_state(PE_CLOSED);
}

}  // namespace

double select_resolution(uint16_t output_flags, bool qdpx) {
    struct Choice {
        uint16_t nibble;
        double dpi;
        const char* rtl_command;
    };
    static const Choice k_choices[] = {
        {OF_RES_600, 600, "\x1b*t600R"},
        {OF_RES_400, 400, "\x1b*t400R"},
        {OF_RES_300, 300, "\x1b*t300R"},
        {OF_RES_200, 200, "\x1b*t200R"},
    };
    for (const Choice& c : k_choices) {
        if ((output_flags & OF_RESOLUTION_MASK) != c.nibble) continue;
        g_raster_resolution.dpi = c.dpi;
        if (!qdpx) std::memcpy(g_raster_resolution.rtl_command, c.rtl_command, std::strlen(c.rtl_command) + 1);
        break;
    }
    return g_raster_resolution.dpi;
}

void image_accept() {
    ImageRequest& img = g_image.pending;
    const uint8_t* pk = g_packet;
    img.x0 = rd_i32(pk, IR_X0);
    img.y0 = rd_i32(pk, IR_Y0);
    img.x1 = rd_i32(pk, IR_X1);
    img.y1 = rd_i32(pk, IR_Y1);
    img.frame_w = static_cast<int32_t>(static_cast<uint32_t>(img.x1) - static_cast<uint32_t>(img.x0));
    img.width = rd_i32(pk, IR_WIDTH);
    img.height = rd_i32(pk, IR_HEIGHT);
    const int32_t kind = rd_i32(pk, IR_KIND);
    const int16_t depth = rd_i16(pk, IR_DEPTH);
    img.monochrome = kind == 0 || (kind == 1 && depth <= 2);
    img.transparent = rd_i16(pk, IR_TRANSPARENT) != 0 && !(kind == 1 && depth == 2);
    // Indices past the table print black; a negative one is no entry either and does the same.
    int16_t index = rd_i16(pk, IR_COLOUR);
    img.colour_index = index >= 0 && index < 8 ? index : 7;
    std::memcpy(img.foreground, k_foreground[img.colour_index], 3);
    wr_i16(g_packet, IR_REPLY, 1);
    g_plot.image_pending_mark = IMAGE_PENDING;
    std::memcpy(img.packet, pk, IMAGE_REQUEST_SIZE);
}

int32_t image_flush() {
    // A failed plot sends nothing more: not even an image that was waiting.
    if (!g_plot.failure_latch) produce(g_image.pending);
    g_plot.image_pending_mark = 0;
    return 0;
}

void image_reset() { g_image = ImageState{}; }
