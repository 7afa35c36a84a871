// The host's side of a raster image: a picture, the request-52 packet that announces it,
// and the fetch and release callbacks through which the driver pulls its lines. Replies
// can be made to stop, fail, or carry fewer or more pixels than asked.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host_sim.h"

namespace sim {

// Pixels, row-major: 3 bytes (R, G, B) a pixel, or 1 byte (0 background, else
// foreground) for a monochrome picture.
struct Picture {
    int32_t width = 0;
    int32_t height = 0;
    bool monochrome = false;
    std::vector<uint8_t> pixels;
};

// A photograph-like colour picture: gradients, a horizon, discs and fine texture.
Picture synthetic_colour(int32_t width, int32_t height);
// A monochrome drawing: frame, grid, diagonals and a filled block.
Picture synthetic_monochrome(int32_t width, int32_t height);
// One colour everywhere.
Picture solid_colour(int32_t width, int32_t height, uint8_t r, uint8_t g, uint8_t b);
// PNM (P1 to P6) everywhere, PNG where the simulator is built with libpng (Linux). Grey
// and colour files give colour pictures, bitmaps (P1, P4) monochrome ones. False with a
// reason when the file cannot be read.
bool load_picture(const std::string& path, Picture& out, std::string& error);

// How the replies misbehave, by line index (-1: never).
struct ReplyFaults {
    int32_t stop_at = -1;   // this reply carries the stop flag (and no pixels)
    int32_t fail_at = -1;   // this reply carries the failure flag
    int32_t pixel_delta = 0;  // every reply has this many pixels more (or fewer) than asked
};

// One image on the page, as request 52 describes it.
struct ImageSpec {
    int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // frame corners, host plot units
    int32_t kind = -1;         // -1: 0 for a monochrome picture, 2 for a colour one
    int32_t width = -1;        // pixels announced; -1: the picture's
    int32_t height = -1;
    int16_t transparent = 0;
    int16_t depth = 0;
    int16_t colour_index = 7;  // foreground of a monochrome image
};

// The fetch and release callbacks of one picture. The packet's pass-through value (offset
// 12) carries the source's address, so the callbacks find it from every request.
class ImageSource {
public:
    explicit ImageSource(Picture picture);
    ~ImageSource();
    ImageSource(const ImageSource&) = delete;
    ImageSource& operator=(const ImageSource&) = delete;

    // The request-52 packet for this picture (the frame is kept for resampling).
    Packet request_packet(const ImageSpec& layout);

    Picture picture;
    ReplyFaults faults;
    // Called with the fraction of the frame fetched so far, for progress reports.
    std::function<void(double)> progress;
    std::vector<std::vector<uint8_t>> requests;  // every fetch request record (144 bytes)
    int32_t releases = 0;                        // release calls with a reply of ours
    int32_t foreign_releases = 0;                // release calls with anything else

    // Line index of a recorded request, and the pixel count asked for.
    static int32_t line_of(const std::vector<uint8_t>& request);
    static int32_t count_of(const std::vector<uint8_t>& request);
    // Replies handed out and not released yet.
    size_t outstanding() const;

    static void* __attribute__((cdecl)) fetch(void* request);
    static void __attribute__((cdecl)) release(void* reply);

private:
    struct Reply;
    void* answer(const uint8_t* request);
    std::vector<Reply*> live_;
    ImageSpec spec_;  // of the last packet: the frame, for resampling
};

// Session scripts: the request-52 packet of "image X0 Y0 X1 Y1 [PICTURE] [KEY=VALUE ...]".
// PICTURE is colour (the default), mono or a file name; the keys are w and h (picture
// size, 64 x 48 by default), kind, depth, transparent, index, stop, fail and delta (the
// ImageSpec and ReplyFaults fields). The source lives until script_images_clear.
// Throws std::runtime_error for a malformed line.
Packet script_image_packet(const std::string& args);
void script_images_clear();

// Sends request 52 for the source's picture to the host's driver; the image is produced
// when the next plot-time request arrives. Each reply is the line of the picture under
// the line's strip of the frame, resampled to the pixel count asked for (nearest pixel):
// line 0 is the picture's top row (row order) or its left column (column order).
Packet send_image(Host& host, ImageSource& source, const ImageSpec& layout);

}  // namespace sim
