#include "raster_output.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "dither.h"
#include "host/alloc.h"
#include "host/console.h"
#include "host/host_services.h"
#include "host/message_table.h"
#include "host/output_buffer.h"
#include "host/plot_state.h"
#include "mmr.h"

RasterJob g_raster = {};

namespace {

constexpr RasterResolution resolution_at_load() {
    RasterResolution r{};
    for (int i = 0; i < 22; ++i) r.rtl_command[i] = ' ';
    return r;
}

}  // namespace

RasterResolution g_raster_resolution = resolution_at_load();

namespace {


template <int N>
int32_t send_record(const uint8_t (&bytes)[N]) {
    return raster_write(bytes, N);
}

uint8_t* put_be32(uint8_t* p, int32_t v) {
    uint32_t u = static_cast<uint32_t>(v);
    p[0] = static_cast<uint8_t>(u >> 24);
    p[1] = static_cast<uint8_t>(u >> 16);
    p[2] = static_cast<uint8_t>(u >> 8);
    p[3] = static_cast<uint8_t>(u);
    return p + 4;
}

bool at_dpi(double dpi) { return g_raster_resolution.dpi == dpi; }

// QDPX resolution command, sent only at 400 and 200 dots per inch.
int32_t send_qdpx_resolution() {
    static const uint8_t k_400[] = {0x9B, 0x52, 0x00, 0x02, 0x00, 0x01};  // resolution 400 dpi
    static const uint8_t k_200[] = {0x9B, 0x52, 0x00, 0x02, 0x00, 0x00};  // resolution 200 dpi
    if (at_dpi(400)) return send_record(k_400);
    if (at_dpi(200)) return send_record(k_200);
    return 0;
}

// Enters HP-RTL from HP-GL/2 at the resolution in force.
int32_t send_rtl_enter() {
    if (raster_write_text("\x1b%1A") != 0) return -1;  // enter HP-RTL, cursor at the pen position
    if (raster_write_text("\x1b&a0N") != 0) return -1;  // negative motion off
    return raster_write_text(g_raster_resolution.rtl_command);  // raster resolution
}

// Leaves HP-RTL for HP-GL/2.
int32_t send_rtl_leave() {
    if (raster_write_text("\x1b*rC") != 0) return -1;  // end raster graphics
    return raster_write_text("\x1b%0B");                // back to HP-GL/2
}

const uint8_t k_qdpx_before_data[] = {0x9B, 0x5D, 0x00, 0x02, 0x02, 0x07};  // image data follows
const uint8_t k_qdpx_after_data[] = {0x9B, 0x5D, 0x00, 0x02, 0x02, 0x00};   // image data ended

// A 32 x 1 all-white image stretched over the block's area: the paper under an opaque
// image is cleared before the image is drawn.
int32_t send_background_patch(int32_t rows) {
    uint8_t placement[30] = {0x9B, 0x5F, 0x00, 0x1A};  // image placement
    uint8_t* p = placement + 4;
    p = put_be32(p, g_raster.pos_x);
    p = put_be32(p, g_raster.pos_y);
    p = put_be32(p, 32);                   // source width
    p = put_be32(p, 1);                    // source height
    p = put_be32(p, g_raster.device_width);  // target width
    p = put_be32(p, rows);                 // target height
    p[0] = 0x00;
    p[1] = 0x01;
    static const uint8_t k_white_row[] = {0x9B, 0x5C, 0x00, 0x00, 0x00, 0x04,  // image data, 4 bytes:
                                          0x80, 0x08, 0x00, 0x80};             // one white row, EOFB
    static const uint8_t k_paint_mode[] = {0x9B, 0x5E, 0x00, 0x02, 0x00, 0x01};
    if (send_record(placement) != 0 || send_record(k_qdpx_before_data) != 0 || send_record(k_white_row) != 0 ||
        send_record(k_qdpx_after_data) != 0 || send_record(k_paint_mode) != 0)
        return -1;
    return send_qdpx_resolution();
}

// Headers and data of one coded block of `rows` rows, N = `count` bytes.
int32_t send_block_data(int32_t rows, int32_t count) {
    const RasterJob& job = g_raster;
    const int32_t w = job.row_width;
    uint8_t width_prefix[4];
    put_be32(width_prefix, w);
    if (!job.qdpx) {
        if (raster_write_fmt("\x1b*r%dS", w) != 0) return -1;      // raster width
        if (raster_write_fmt("\x1b*r%dT", rows) != 0) return -1;   // raster height
        if (raster_write_text("\x1b*r1A") != 0) return -1;         // start raster graphics at the cursor
        if (raster_write_text("\x1b") != 0 || raster_write_text("*b8M") != 0) return -1;  // compression method 8: MMR
        if (raster_write_text("\x1b") != 0 || raster_write_fmt("*b%dW", count + 4) != 0) return -1;  // data follows
        if (raster_write(width_prefix, 4) != 0) return -1;  // the coding width
        return raster_write(job.encoded, count);
    }
    if (!job.transparent && send_background_patch(rows) != 0) return -1;
    uint8_t placement[30] = {0x9B, 0x5F, 0x00, 0x1A};  // image placement
    uint8_t* p = placement + 4;
    p = put_be32(p, job.pos_x);
    p = put_be32(p, job.pos_y);
    p = put_be32(p, w);     // source width
    p = put_be32(p, rows);  // source height
    if (at_dpi(400)) {      // target size in 1/400 inch
        p = put_be32(p, w);
        p = put_be32(p, rows);
    } else if (at_dpi(200)) {
        p = put_be32(p, w * 2);  // w x 400 / 200; w < 2^30 (raster_begin)
        p = put_be32(p, rows * 2);
    }
    *p++ = 0x00;
    *p++ = 0x01;
    uint8_t data_header[6] = {0x9B, 0x5C};  // image data and its 32-bit length
    put_be32(data_header + 2, count);
    if (raster_write(placement, static_cast<int32_t>(p - placement)) != 0) return -1;
    if (send_record(k_qdpx_before_data) != 0 || send_record(data_header) != 0) return -1;
    return raster_write(job.encoded, count);
}

// Codes `rows` rows starting at `first` as one block and sends it.
int32_t send_block(const uint8_t* first, int32_t rows) {
    RasterJob& job = g_raster;
    job.band_rows = rows;
    mmr_begin_block(job.encoded, job.encoded_capacity, job.row_width);
    // The reference list at the middle of the work buffer, on a word boundary; the first
    // row of every block is coded against an all-white line.
    int32_t* coding = job.work;
    int32_t* reference = job.work + job.work_entries / 2;
    mmr_white_line(reference);
    int32_t result = mmr_encode_rows(first, rows, job.row_width / 8, coding, reference);
    if (result != 0) return result;
    if (mmr_end_block() != 0) return RASTER_FAIL_END_BLOCK;
    const int32_t count = g_mmr.byte_count;
    swap_word_bytes(job.encoded, job.encoded, count);
    if (send_block_data(rows, count) != 0) return -1;
    g_plot.image_sent = 1;
    return 0;
}

// Moves the printer on by the height `a` of the band just sent.
int32_t send_band_advance(int32_t a) {
    RasterJob& job = g_raster;
    if (job.qdpx) {
        if (send_record(k_qdpx_after_data) != 0) return -1;
        int32_t& pos = job.orientation == 1 ? job.pos_x : job.pos_y;
        if (__builtin_add_overflow(pos, a, &pos)) return -1;
        return send_qdpx_resolution();
    }
    // a device rows in plotter units (1/1016 inch).
    double units = a / g_raster_resolution.dpi * 1016;
    if (!(units > -2147483648.0 && units < 2147483648.0)) return -1;
    const int32_t move = static_cast<int32_t>(units);
    if (send_rtl_leave() != 0) return -1;
    if ((job.orientation == 1 ? raster_write_fmt("PR%d,0", move) : raster_write_fmt("PR0,%d", move)) != 0) return -1;  // relative move
    return send_rtl_enter();
}

// The band height for `rows` rows: 32 x ceil((rows / 32) / 32), never 0 rows.
int32_t band_height(int32_t rows) {
    const int32_t b = rows / 32;
    const int32_t h = (b + 31) / 32 * 32;
    return h > 0 ? h : 32;
}

// The encoded-output buffer for blocks of up to `rows` rows: the documented capacity of
// 4 x (rb + 100) bytes a row, or the proven worst case of the coder when a hostile row
// pattern could need more. False when the size does not fit in 32 bits.
bool encoded_capacity(int32_t rows, int32_t* bytes) {
    const int32_t rb = g_raster.row_width / 8;
    int32_t documented, worst;
    if (__builtin_add_overflow(rb, 100, &documented) || __builtin_mul_overflow(documented, rows, &documented) ||
        __builtin_mul_overflow(documented, 4, &documented))
        return false;
    if (!mmr_block_capacity(g_raster.row_width, rows, &worst)) return false;
    *bytes = documented > worst ? documented : worst;
    return true;
}

template <typename T>
void release(T*& p) {
    driver_free(p);
    p = nullptr;
}

void release_buffers() {
    RasterJob& job = g_raster;
    release(job.band);
    release(job.levels);
    release(job.encoded);
    release(job.work);
}

uint8_t* allocate(int32_t size) {
    return size > 0 ? static_cast<uint8_t*>(driver_malloc(static_cast<size_t>(size))) : nullptr;
}

}  // namespace

int32_t raster_write(const void* bytes, int32_t count) {
    if (g_plot.failure_latch) return -1;
    if (count <= 0) return 0;
    if (host_write_bytes(bytes, count) != 0) return 0;
    // The port failed: the same as a failed flush.
    console_printf("\n%s\n", message_text(MSG_OUTPUT_ERROR));
    g_output.output_pending = 0;
    plot_forget_output();
    g_plot.failure_latch = LATCH_OUTPUT;
    return -1;
}

void swap_word_bytes(const uint8_t* src, uint8_t* dst, int32_t count) {
    for (int32_t i = 0; i < count; i += 4) {
        uint32_t v;
        std::memcpy(&v, src + i, 4);
        v = __builtin_bswap32(v);
        std::memcpy(dst + i, &v, 4);
    }
}

int32_t raster_begin(int32_t line_width, int32_t lines, uint8_t transparent, uint8_t key_r, uint8_t key_g,
                     uint8_t key_b, uint8_t qdpx, int32_t pos_x, int32_t pos_y, int32_t n, int32_t orientation) {
    release_buffers();
    RasterJob& job = g_raster;
    job = RasterJob{};
    job.line_width = line_width;
    job.lines = lines;
    job.n = n;
    job.transparent = transparent;
    job.key[0] = key_r;
    job.key[1] = key_g;
    job.key[2] = key_b;
    job.qdpx = qdpx;
    job.pos_x = pos_x;
    job.pos_y = pos_y;
    job.orientation = orientation;
    // Every size below comes from host values: an image whose buffers cannot be sized in
    // 32 bits (or whose encoder work buffer could not be) is abandoned.
    int32_t work_bytes = 0;
    job.broken = line_width <= 0 || lines <= 0 || n <= 0 || __builtin_mul_overflow(line_width, n, &job.device_width) ||
                 __builtin_mul_overflow(lines, n, &job.planned_rows) ||
                 __builtin_mul_overflow(job.device_width, 4, &work_bytes) ||
                 __builtin_add_overflow(work_bytes, 2048, &work_bytes) ||
                 __builtin_mul_overflow(work_bytes, 15, &work_bytes);
    dither_build_masks();

    int32_t header;
    if (qdpx)
        header = send_qdpx_resolution();
    else
        header = send_rtl_enter();
    if (header != 0 || job.broken) {
        job.broken = true;
        return -1;
    }

    // The line of levels covers a whole row, its padding word included (Wd + 63 at most).
    int32_t band_bytes, line_bytes;
    if (__builtin_add_overflow(job.device_width / 8, 100, &band_bytes) ||
        __builtin_mul_overflow(band_bytes, job.planned_rows, &band_bytes) ||
        __builtin_add_overflow(job.device_width, 512, &line_bytes)) {
        job.broken = true;
        return -1;
    }
    job.band = allocate(band_bytes);
    job.levels = job.band ? allocate(line_bytes) : nullptr;
    if (!job.levels) {
        job.broken = true;
        return -1;
    }
    return 0;
}

int32_t raster_finish() {
    RasterJob& job = g_raster;
    if (job.broken) return -1;
    const int32_t rows = job.row_counter;
    if (rows == 0) return 0;  // nothing halftoned: no block
    const int32_t rb = job.row_width / 8;

    int32_t work_bytes = (job.device_width * 4 + 2048) * 15;  // checked by raster_begin
    job.work = reinterpret_cast<int32_t*>(allocate(work_bytes));
    job.work_entries = work_bytes / 4 / 2 * 2;
    if (!job.work) {
        job.broken = true;
        return -1;
    }

    // Whole when the documented capacity for all rows stays within the limit; a product
    // that does not even fit in 32 bits is far beyond it.
    int32_t whole;
    bool one_block = !__builtin_add_overflow(rb, 100, &whole) && !__builtin_mul_overflow(whole, rows, &whole) &&
                     !__builtin_mul_overflow(whole, 4, &whole) && whole <= RASTER_BLOCK_LIMIT;
    const int32_t band = one_block ? rows : band_height(rows);
    if (!encoded_capacity(band, &job.encoded_capacity)) {
        job.broken = true;
        return -1;
    }
    job.encoded = allocate(job.encoded_capacity);
    if (!job.encoded) {
        job.broken = true;
        return -1;
    }
    for (int32_t start = 0; start < rows; start += band) {
        if (start > 0 && send_band_advance(band) != 0) return -1;
        const int32_t r = rows - start < band ? rows - start : band;
        int32_t result = send_block(job.band + static_cast<size_t>(start) * rb, r);
        if (result != 0) return result;
    }
    return 0;
}

void raster_end() {
    if (g_raster.qdpx) {
        static const uint8_t k_end_400[] = {0x9B, 0x52, 0x00, 0x02, 0x00, 0x01};  // resolution 400 dpi
        if (send_record(k_qdpx_after_data) == 0) send_record(k_end_400);
    } else {
        send_rtl_leave();
    }
    release_buffers();
}

void raster_reset() {
    release_buffers();
    g_raster = RasterJob{};
    g_raster_resolution = resolution_at_load();
}

int32_t raster_write_text(const char* text) { return raster_write(text, static_cast<int32_t>(std::strlen(text))); }

int32_t raster_write_fmt(const char* format, ...) {
    char text[96];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return raster_write_text(text);
}
