// The one-bit test sheets of the coding benchmarks, in the driver's row format (32-bit
// host-order words, pixel x at bit 31 - x % 32, 1 = dot).
#pragma once
#include <cstdint>
#include <vector>

namespace bench {

struct Bitmap {
    int32_t width = 0, rows = 0;  // width a multiple of 32
    std::vector<uint32_t> words;
    // The same rows as bytes, most significant bit first (what libtiff takes).
    std::vector<uint8_t> msb_bytes() const;
};

inline constexpr int32_t SHEET_W = 14400, SHEET_H = 10800;  // 36 x 27 in at 400 dpi

// A smooth photograph-like grey field, halftoned with the driver's 16 x 16 matrix.
const Bitmap& halftone_photo();
// A sparse drawing: a frame, a grid, lines, hatching, small text-like blocks.
const Bitmap& line_art();
// Worst case for run coding: independent random dots.
const Bitmap& adversarial();

}  // namespace bench
