// Renders a printer job of either language to a greyscale picture of the sheet: vectors
// with their line types and widths, polygon fills, raster images.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace job {

struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> grey;  // row-major, top row first, 255 = white
    uint8_t at(int x, int y) const { return grey[static_cast<size_t>(y) * width + x]; }
};

struct PreviewStats {
    size_t lines = 0, polygons = 0, images = 0;  // images: raster blocks (a banded image has several)
};

// Renders at `dpi` pixels per inch. Throws std::runtime_error for a job it cannot place
// on a sheet (no page size) or a sheet too large for the resolution.
Picture render_job(const std::string& bytes, double dpi, PreviewStats* stats = nullptr);

// Writes the picture as an 8-bit greyscale PNG; throws std::runtime_error on failure.
void write_png(const Picture& picture, const std::string& path);

}  // namespace job
