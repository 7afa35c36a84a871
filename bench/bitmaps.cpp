#include "bitmaps.h"

#include <cmath>

#include "raster/dither.h"

namespace bench {

std::vector<uint8_t> Bitmap::msb_bytes() const {
    std::vector<uint8_t> out;
    out.reserve(words.size() * 4);
    for (uint32_t v : words)
        for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
    return out;
}

namespace {

Bitmap blank() {
    Bitmap b;
    b.width = SHEET_W;
    b.rows = SHEET_H;
    b.words.assign(static_cast<size_t>(SHEET_W / 32) * SHEET_H, 0);
    return b;
}

void set(Bitmap& b, int32_t x, int32_t y) {
    if (x < 0 || y < 0 || x >= b.width || y >= b.rows) return;
    b.words[static_cast<size_t>(y) * (b.width / 32) + x / 32] |= 1u << (31 - x % 32);
}

// Grey 0 (black) .. 255 (white): soft gradients and blobs, like a photograph's tones.
int grey_at(int32_t x, int32_t y) {
    double u = static_cast<double>(x) / SHEET_W, v = static_cast<double>(y) / SHEET_H;
    double g = 128 + 60 * std::sin(6.1 * u + 1.3 * std::cos(4.7 * v)) + 40 * std::cos(9.3 * v - 2.1 * u) +
               20 * std::sin(23.0 * u * v);
    return g < 0 ? 0 : g > 255 ? 255 : static_cast<int>(g);
}

Bitmap make_photo() {
    Bitmap b = blank();
    for (int32_t y = 0; y < b.rows; ++y)
        for (int32_t x = 0; x < b.width; ++x)
            if (DITHER_MATRIX[y & 15][x & 15] > grey_at(x, y)) set(b, x, y);
    return b;
}

void line(Bitmap& b, double x0, double y0, double x1, double y1, int thick) {
    int steps = static_cast<int>(std::hypot(x1 - x0, y1 - y0)) + 1;
    for (int k = 0; k <= steps; ++k) {
        double t = static_cast<double>(k) / steps;
        int32_t x = static_cast<int32_t>(x0 + (x1 - x0) * t), y = static_cast<int32_t>(y0 + (y1 - y0) * t);
        for (int dy = 0; dy < thick; ++dy)
            for (int dx = 0; dx < thick; ++dx) set(b, x + dx, y + dy);
    }
}

Bitmap make_line_art() {
    Bitmap b = blank();
    line(b, 100, 100, SHEET_W - 100, 100, 8);
    line(b, 100, SHEET_H - 100, SHEET_W - 100, SHEET_H - 100, 8);
    line(b, 100, 100, 100, SHEET_H - 100, 8);
    line(b, SHEET_W - 100, 100, SHEET_W - 100, SHEET_H - 100, 8);
    for (int32_t g = 800; g < SHEET_W - 200; g += 1200) line(b, g, 200, g, SHEET_H - 200, 2);
    for (int32_t g = 800; g < SHEET_H - 200; g += 1200) line(b, 200, g, SHEET_W - 200, g, 2);
    for (int k = 0; k < 60; ++k)
        line(b, 300 + 230 * k, 400, 2000 + 190 * k, SHEET_H - 600 - 50 * k, 3);
    for (int k = 0; k < 120; ++k) line(b, 9000 + 20 * k, 6000, 10500 + 20 * k, 7500, 2);  // hatching
    uint32_t seed = 7;
    for (int k = 0; k < 3000; ++k) {  // text-like blocks in the title area
        seed = seed * 1664525u + 1013904223u;
        int32_t x = 9000 + static_cast<int32_t>(seed % 5000), y = 9000 + static_cast<int32_t>((seed >> 16) % 1500);
        line(b, x, y, x + 12, y, 2);
        line(b, x, y, x, y + 18, 2);
    }
    return b;
}

Bitmap make_adversarial() {
    Bitmap b = blank();
    uint32_t seed = 12345;
    for (uint32_t& w : b.words) {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        w = seed;
    }
    return b;
}

}  // namespace

const Bitmap& halftone_photo() {
    static const Bitmap b = make_photo();
    return b;
}
const Bitmap& line_art() {
    static const Bitmap b = make_line_art();
    return b;
}
const Bitmap& adversarial() {
    static const Bitmap b = make_adversarial();
    return b;
}

}  // namespace bench
