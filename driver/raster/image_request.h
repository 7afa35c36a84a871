// Raster image requests: request 52 only records the image; the dispatcher produces it at
// the top of the next plot-time request (image_flush): placement, the lines pulled through
// the host's fetch callback, halftoning, MMR blocks, and the drawing state put back.
#pragma once
#include <cstdint>

inline constexpr int IMAGE_REQUEST_SIZE = 124;      // bytes of request 52 kept
inline constexpr int IMAGE_FETCH_REQUEST_SIZE = 144;

// The pending image: the copy of request 52 and what is derived from it on receipt.
struct ImageRequest {
    uint8_t packet[IMAGE_REQUEST_SIZE];
    bool monochrome;       // kind 0, or kind 1 with a depth code of 2 or less
    bool transparent;      // never for kind 1 with depth code 2
    int16_t colour_index;  // foreground of a monochrome image, 0..7
    uint8_t foreground[3];
    int32_t x0, y0, x1, y1;  // frame corners, host plot units
    int32_t frame_w;         // x1 - x0
    int32_t width, height;   // pixels; the device dot counts while the image is produced
};

// Values kept while an image is produced.
struct ImageProduction {
    int32_t dots_w, dots_h;  // W and H
    int32_t fetch_count;     // lines to fetch
    int32_t line_pixels;     // pixels per fetched line
    double step;             // host units per fetched line
    int32_t scan_code;       // 2: rows, 7: columns
    int32_t saved_x, saved_y;  // pen position when the image started
};

struct ImageState {
    ImageRequest pending;
    ImageProduction production;
    // The record handed to the fetch callback. Fields an image does not set keep what the
    // previous image left in them, as the host may expect.
    uint8_t fetch_request[IMAGE_FETCH_REQUEST_SIZE];
};
extern ImageState g_image;

// REQ_RASTER_IMAGE: records the image and marks it pending.
void image_accept();
// Produces the pending image (called by the dispatcher before any request). Returns 0.
int32_t image_flush();
// The image resolution of the configuration's nibble (600, 400, 300 or 200 dots per
// inch), which becomes the resolution in force; any other nibble keeps the one in force.
// In HP-RTL output it also sets the HP-RTL resolution command.
double select_resolution(uint16_t output_flags, bool qdpx);

void image_reset();
