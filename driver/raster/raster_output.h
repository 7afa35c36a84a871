// The life of one raster image in the printer job: raster_begin enters raster mode and
// allocates the image's buffers, raster_finish MMR-codes the stored one-bit rows and
// sends them (in bands when the image is large), raster_end leaves raster mode and frees
// everything. HP-RTL embedded in the HP-GL/2 job, or QDPX. Every byte goes straight to
// the host; the caller has flushed the output buffer before.
#pragma once
#include <cstdint>

// One image, from raster_begin to raster_end.
struct RasterJob {
    int32_t line_width;    // pixels per fetched line, before replication
    int32_t lines;         // lines the image was started with
    int32_t n;             // replication factor: a source pixel becomes n x n device pixels
    int32_t device_width;  // Wd = line_width x n
    int32_t planned_rows;  // lines x n
    uint8_t transparent;
    uint8_t key[3];        // (R, G, B) printed as paper in a transparent image
    uint8_t qdpx;          // QDPX output for this image
    int32_t pos_x, pos_y;  // QDPX: where the image goes; advanced between bands
    int32_t orientation;   // 0: bands follow each other along y; 1: along x
    int32_t row_counter;   // one-bit rows stored so far
    int32_t row_width;     // w: bits per stored row, a multiple of 32
    int32_t band_rows;     // rows of the band being sent
    bool broken;           // a size overflowed or a buffer could not be had: nothing is sent
    // Buffers, each null until allocated.
    uint8_t* band;          // every one-bit row of the image, (Wd / 8 + 100) bytes a row
    uint8_t* levels;        // one line at device resolution, a level byte per pixel (dither.cpp)
    uint8_t* encoded;       // the coded data of one block
    int32_t encoded_capacity;
    int32_t* work;          // the encoder's two run lists
    int32_t work_entries;   // 32-bit entries of the work buffer
};
extern RasterJob g_raster;

// The resolution in force and its HP-RTL command; both persist from image to image.
struct RasterResolution {
    double dpi;              // 0 until an image selects one
    char rtl_command[23];    // "\e*t600R" and its NUL at the start of 22 blanks; blanks at load
};
extern RasterResolution g_raster_resolution;

// Size above which the encoded data of an image is sent in bands.
inline constexpr int32_t RASTER_BLOCK_LIMIT = 0xA00000;
// raster_finish: closing the MMR block failed.
inline constexpr int32_t RASTER_FAIL_END_BLOCK = -300;

// Enters raster mode and allocates the rows. 0, or -1 when the image cannot be held (a
// size overflows or an allocation fails): the caller skips to raster_end.
int32_t raster_begin(int32_t line_width, int32_t lines, uint8_t transparent, uint8_t key_r, uint8_t key_g,
                     uint8_t key_b, uint8_t qdpx, int32_t pos_x, int32_t pos_y, int32_t n, int32_t orientation);
// Codes and sends every stored row. 0, an encoder failure code, RASTER_FAIL_END_BLOCK, or
// -1 when the image could not be held or a write to the host failed.
int32_t raster_finish();
// Leaves raster mode and frees every buffer of the image.
void raster_end();

// Reverses the bytes of each of the ceil(count / 4) groups of four; src may equal dst.
void swap_word_bytes(const uint8_t* src, uint8_t* dst, int32_t count);

// Sends bytes straight to the host. A refused write fails the plot as a failed flush does
// (message row 77, latch); nothing is sent while the latch is set. 0 or -1.
int32_t raster_write(const void* bytes, int32_t count);
// The same for a NUL-terminated text, and for a formatted one (at most 95 bytes).
int32_t raster_write_text(const char* text);
int32_t raster_write_fmt(const char* format, ...) __attribute__((format(printf, 1, 2)));

void raster_reset();
