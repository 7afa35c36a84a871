// Every block our encoder makes must decode with libtiff's Group 4 decoder to exactly the
// rows we coded, and carry the same code bits as libtiff's Group 4 encoder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include "driver_fixture.h"
#include "one_bit_image.h"
#include "raster/dither.h"
#include "raster/raster_output.h"
#include "tiff_oracle.h"

namespace {

// Checks one image against both halves of the oracle.
void expect_oracle_agrees(const OneBitImage& img) {
    MmrBlock block = mmr_block(img);
    ASSERT_EQ(block.result, 0);
    int32_t bound = 0;
    ASSERT_TRUE(mmr_block_capacity(img.width, img.rows, &bound));
    EXPECT_LE(static_cast<int32_t>(block.bytes.size()), bound);

    oracle::Decoded decoded = oracle::g4_decode(block.bytes, img.width, img.rows);
    EXPECT_TRUE(decoded.ok) << decoded.errors;
    std::vector<uint8_t> rows = img.msb_bytes();
    if (decoded.rows != rows) {
        size_t at = 0;
        while (at < rows.size() && decoded.rows[at] == rows[at]) ++at;
        ADD_FAILURE() << "decoded rows differ from row " << at / (img.width / 8) << ", byte " << at % (img.width / 8);
    }

    // libtiff pads its EOFB to a byte, we to 16 bits: the same bits, then only zeros.
    std::vector<uint8_t> theirs = oracle::g4_encode(rows, img.width, img.rows);
    ASSERT_FALSE(theirs.empty());
    ASSERT_GE(block.bytes.size(), theirs.size());
    EXPECT_LE(block.bytes.size() - theirs.size(), 3u);
    EXPECT_TRUE(std::equal(theirs.begin(), theirs.end(), block.bytes.begin())) << "code bits differ from libtiff's";
    for (size_t i = theirs.size(); i < block.bytes.size(); ++i) EXPECT_EQ(block.bytes[i], 0) << i;
}

void line(OneBitImage& img, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t thick) {
    int32_t dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    int32_t sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1, err = dx + dy;
    for (;;) {
        for (int32_t t = 0; t < thick; ++t)
            if (x0 + t < img.width && y0 >= 0 && y0 < img.rows && x0 + t >= 0) img.set(x0 + t, y0);
        if (x0 == x1 && y0 == y1) break;
        int32_t e2 = 2 * err;
        if (e2 >= dy) { err += dy; x0 += sx; }
        if (e2 <= dx) { err += dx; y0 += sy; }
    }
}

// A drawing: frame, title block, hatched area, slanted lines of every slope the vertical
// codes meet, circles and short strokes like lettering.
OneBitImage line_art(int32_t width, int32_t rows) {
    OneBitImage img(width, rows);
    for (int32_t y = 0; y < rows; ++y) {
        for (int32_t t = 0; t < 3; ++t) {
            img.set(t, y);
            img.set(width - 1 - t, y);
        }
    }
    for (int32_t x = 0; x < width; ++x) {
        img.set(x, 0);
        img.set(x, rows - 1);
    }
    for (int32_t y = rows - 40; y < rows - 1; y += 10) line(img, width / 2, y, width - 4, y, 1);
    for (int32_t k = 0; k < 40; ++k) line(img, 10 + k * 6, 10, 10 + k * 6 + k % 7, rows / 2, 1 + k % 3);
    for (int32_t k = 0; k < 12; ++k) line(img, width / 3, rows / 3 + k * 5, width / 3 + 200, rows / 3 + k * 5 + 60, 2);
    for (int32_t r : {20, 45, 46, 90}) {
        for (int32_t a = 0; a < 720; ++a) {
            double t = a * 3.14159265358979 / 360;
            int32_t x = width * 2 / 3 + static_cast<int32_t>(r * std::cos(t));
            int32_t y = rows / 2 + static_cast<int32_t>(r * std::sin(t));
            if (x >= 0 && x < width && y >= 0 && y < rows) img.set(x, y);
        }
    }
    for (int32_t c = 0; c < 30; ++c)
        for (int32_t s = 0; s < 4; ++s) line(img, 40 + c * 9, rows - 30 + s * 2, 44 + c * 9 + s, rows - 20, 1);
    return img;
}

OneBitImage random_rows(int32_t width, int32_t rows, int percent_black, uint32_t seed) {
    OneBitImage img(width, rows);
    std::mt19937 gen(seed);
    for (int32_t y = 0; y < rows; ++y)
        for (int32_t x = 0; x < width; ++x)
            if (static_cast<int>(gen() % 100) < percent_black) img.set(x, y);
    return img;
}

// Random rectangles and runs: rows that repeat with small shifts, runs of every length.
OneBitImage random_runs(int32_t width, int32_t rows, uint32_t seed) {
    OneBitImage img(width, rows);
    std::mt19937 gen(seed);
    for (int32_t y = 0; y < rows; ++y) {
        int32_t x = static_cast<int32_t>(gen() % 8);
        while (x < width) {
            int32_t len = 1 + static_cast<int32_t>(gen() % (gen() % 4 == 0 ? 300 : 9));
            img.fill(y, x, std::min(width, x + len));
            x += len + 1 + static_cast<int32_t>(gen() % 12);
        }
        if (y > 0 && gen() % 3 == 0)  // often a near copy of the row above
            for (int32_t w = 0; w < width / 32; ++w) img.row(y)[w] = img.row(y - 1)[w] >> (gen() % 3);
    }
    return img;
}

TEST(MmrOracle, LineArt) {
    expect_oracle_agrees(line_art(640, 300));
    expect_oracle_agrees(line_art(1024, 200));
}

TEST(MmrOracle, RandomRows) {
    struct Case {
        int32_t width, rows, percent;
    } cases[] = {{32, 50, 50}, {64, 40, 3}, {256, 64, 50}, {512, 30, 90}, {2048, 20, 20}};
    uint32_t seed = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        expect_oracle_agrees(random_rows(c.width, c.rows, c.percent, seed++));
    }
    expect_oracle_agrees(random_runs(1024, 120, 77));
}

// Rows wider than 2560 pixels: runs long enough for make-up codes, repeated 2560 codes
// and the extended make-up codes, in both colours and at word boundaries.
TEST(MmrOracle, WideRowsWithMakeUpCodes) {
    const int32_t width = 10016;
    OneBitImage img(width, 12);
    img.fill(1, 0, 2600);
    img.fill(2, 2600, 7600);             // white 2600, black 5000
    img.fill(3, 0, width);               // all black
    img.fill(4, 32, width - 32);
    img.fill(5, 1791, 1792 + 1984);
    img.fill(6, 64, 65);
    img.fill(6, 2624 + 65, 2624 + 65 + 2623);
    for (int32_t x = 0; x < width; x += 2561) img.fill(7, x, std::min(width, x + 1));
    img.fill(8, 5000, 5001);
    // rows 9 to 11 white: the last row against an all-white row above it
    expect_oracle_agrees(img);
    expect_oracle_agrees(random_runs(7040, 40, 3));
}

// The densest rows: pixels alternating, against white and against themselves shifted.
TEST(MmrOracle, DensePatterns) {
    const int32_t width = 2048;
    OneBitImage img(width, 16);
    for (int32_t y = 0; y < img.rows; ++y)
        for (int32_t x = 0; x < width; ++x)
            if (((x + (y % 4 == 1 ? 1 : 0)) % 2 == 0 && y % 4 != 3) || (y % 4 == 2 && x % 5 == 0)) img.set(x, y);
    expect_oracle_agrees(img);
}

}  // namespace

// Halftoned photographs: the driver's own dither over a synthetic colour picture (smooth
// gradients, hard edges, fine texture), at replication 1 and 2.

namespace {

void photo_pixel(int32_t x, int32_t y, uint8_t* rgb) {
    double fx = x / 97.0, fy = y / 61.0;
    double sky = 0.5 + 0.5 * std::sin(fx * 0.7 + fy * 0.3);
    double hill = (y > 140 + 30 * std::sin(x / 50.0)) ? 0.35 : 1.0;
    double texture = 0.08 * std::sin(x * 1.3) * std::cos(y * 0.9);
    double shade = std::clamp(sky * hill + texture, 0.0, 1.0);
    rgb[0] = static_cast<uint8_t>(255 * shade);
    rgb[1] = static_cast<uint8_t>(255 * std::clamp(shade * 0.8 + 0.1 * std::cos(fy), 0.0, 1.0));
    rgb[2] = static_cast<uint8_t>(255 * std::clamp(1.0 - shade * 0.6, 0.0, 1.0));
}

class MmrOraclePhoto : public DriverTest {};

TEST_F(MmrOraclePhoto, HalftonedPhotographs) {
    init_and_load_messages();
    for (int32_t n : {1, 2}) {
        const int32_t width = 700, lines = 260 / n;
        ASSERT_EQ(raster_begin(width, lines, 0, 0, 1, 2, 0, 0, 0, n, 0), 0);
        std::vector<uint8_t> line(static_cast<size_t>(width) * 3);
        for (int32_t y = 0; y < lines; ++y) {
            for (int32_t x = 0; x < width; ++x) photo_pixel(x * n, y * n, &line[static_cast<size_t>(x) * 3]);
            ASSERT_EQ(raster_add_row(width, line.data(), false, 0, 0, 0), 0);
        }
        OneBitImage img(g_raster.row_width, g_raster.row_counter);
        std::memcpy(img.words.data(), g_raster.band, img.words.size() * 4);
        raster_end();
        SCOPED_TRACE(n);
        expect_oracle_agrees(img);
    }
}

}  // namespace
