#include <cstring>
#include <random>
#include <vector>

#include "driver_fixture.h"
#include "raster/dither.h"
#include "raster/raster_output.h"
#include "raster/tone_curve.h"

namespace {

// The documented 8 x 8 base pattern of the threshold matrix.
const int k_base[8][8] = {
    {0, 52, 8, 60, 18, 38, 26, 46},  {36, 16, 44, 24, 54, 2, 62, 10}, {48, 4, 56, 12, 34, 22, 42, 30},
    {20, 32, 28, 40, 6, 50, 14, 58}, {27, 47, 19, 39, 9, 61, 1, 53},  {63, 11, 55, 3, 45, 25, 37, 17},
    {43, 31, 35, 23, 57, 13, 49, 5}, {15, 59, 7, 51, 29, 41, 21, 33},
};

TEST(DitherMatrix, IsTheBasePatternSpreadOverFourQuadrants) {
    std::vector<int> seen(257, 0);
    for (int r = 0; r < 16; ++r) {
        for (int c = 0; c < 16; ++c) {
            int q = (r >= 8 ? 2 : 0) + (c >= 8 ? 1 : 0);
            EXPECT_EQ(DITHER_MATRIX[r][c], 4 * k_base[r % 8][c % 8] + q + 1) << r << "," << c;
            ++seen[DITHER_MATRIX[r][c]];
        }
    }
    for (int v = 1; v <= 256; ++v) EXPECT_EQ(seen[v], 1) << v;
}

TEST(DitherMatrix, MasksFollowTheThresholds) {
    dither_build_masks();
    for (int r = 0; r < 16; ++r) {
        EXPECT_EQ(g_dither_masks.mask[r][0], 0);
        EXPECT_EQ(g_dither_masks.mask[r][255], 0xFFFF);
        for (int v = 1; v < 255; ++v)
            for (int c = 0; c < 16; ++c)
                ASSERT_EQ((g_dither_masks.mask[r][v] >> (15 - c)) & 1, v >= DITHER_MATRIX[r][c] ? 1 : 0);
    }
}

// The halftoning rule written out pixel by pixel, to compare the driver's rows with.
bool reference_dot(int device_x, int device_row, uint8_t r, uint8_t g, uint8_t b) {
    int grey = (r == g && g == b) ? r : std::min(255, (30 * r + 59 * g + 11 * b) / 100);
    int v = 255 - g_tone.tone_table[grey];
    if (v == 0) return false;
    if (v == 255) return true;
    return v >= DITHER_MATRIX[device_row % 16][(device_x % 16) ^ 8];
}

class DitherTest : public DriverTest {
protected:
    void SetUp() override {
        DriverTest::SetUp();
        init_and_load_messages();
    }
    void TearDown() override {
        raster_end();
        DriverTest::TearDown();
    }
    void begin(int32_t line_width, int32_t lines, int32_t n = 1, bool transparent = false) {
        ASSERT_EQ(raster_begin(line_width, lines, transparent, 0, 1, 2, 0, 0, 0, n, 0), 0);
    }
    bool dot(int32_t x, int32_t row) const {
        const uint8_t* p = g_raster.band + static_cast<size_t>(row) * (g_raster.row_width / 8);
        uint32_t word;
        std::memcpy(&word, p + (x / 32) * 4, 4);
        return (word >> (31 - x % 32)) & 1;
    }
    int32_t dots(int32_t row, int32_t x0, int32_t x1) const {
        int32_t n = 0;
        for (int32_t x = x0; x < x1; ++x) n += dot(x, row);
        return n;
    }
    void add_grey(int32_t count, uint8_t level) {
        std::vector<uint8_t> px(static_cast<size_t>(count) * 3, level);
        ASSERT_EQ(raster_add_row(count, px.data(), false, 0, 0, 0), 0);
    }
};

// Random lines against the rule, pixel by pixel: colour lines with some key pixels and
// monochrome lines with random foregrounds, opaque and transparent, at several widths and
// replications, under four tone tables: the factory curve; a rising one that prints white
// (T[255] = 200); a rising one that never prints full black (T[0] = 10); and a scrambled
// one that rises and falls.
TEST_F(DitherTest, RandomLinesMatchTheRuleAtEveryReplication) {
    std::mt19937 gen(11);
    uint8_t prints_white[256], grey_black[256], scrambled[256];
    for (int g = 0; g < 256; ++g) {
        prints_white[g] = static_cast<uint8_t>(g * 200 / 255);
        grey_black[g] = static_cast<uint8_t>(10 + g * 245 / 255);
        scrambled[g] = static_cast<uint8_t>(gen());
    }
    scrambled[0] = 3;
    scrambled[255] = 250;
    const uint8_t* tables[] = {default_tone_table, prints_white, grey_black, scrambled};
    for (int ti = 0; ti < 4; ++ti) {
        std::memcpy(g_tone.tone_table, tables[ti], 256);
        for (bool transparent : {false, true}) {
            for (int32_t n : {1, 2, 3}) {
                for (int32_t width : {1, 15, 16, 17, 31, 32, 33, 100}) {
                    SCOPED_TRACE(::testing::Message() << "table " << ti << " transparent "
                                                      << transparent << " n " << n << " width " << width);
                    begin(width, 6, n, transparent);
                    std::vector<std::vector<uint8_t>> lines;  // each line as (R, G, B) triples
                    for (int line = 0; line < 6; ++line) {
                        std::vector<uint8_t> px(static_cast<size_t>(width) * 3);
                        if (line % 3 == 2) {  // monochrome
                            const uint8_t fg[3] = {static_cast<uint8_t>(gen()), static_cast<uint8_t>(gen()),
                                                   static_cast<uint8_t>(gen())};
                            std::vector<uint8_t> mono(static_cast<size_t>(width));
                            for (int32_t x = 0; x < width; ++x) {
                                mono[x] = gen() % 2 ? static_cast<uint8_t>(gen() | 1) : 0;
                                for (int k = 0; k < 3; ++k) px[3 * x + k] = mono[x] ? fg[k] : 255;
                            }
                            ASSERT_EQ(raster_add_row(width, mono.data(), true, fg[0], fg[1], fg[2]), 0);
                        } else {
                            for (auto& b : px) b = static_cast<uint8_t>(gen() % 4 == 0 ? (gen() % 2) * 255 : gen());
                            for (int32_t x = 0; x < width; x += 3) px[3 * x] = 0, px[3 * x + 1] = 1, px[3 * x + 2] = 2;
                            ASSERT_EQ(raster_add_row(width, px.data(), false, 0, 0, 0), 0);
                        }
                        if (transparent)
                            for (int32_t x = 0; x < width; ++x)
                                if (px[3 * x] == 0 && px[3 * x + 1] == 1 && px[3 * x + 2] == 2)
                                    px[3 * x] = px[3 * x + 1] = px[3 * x + 2] = 255;
                        lines.push_back(px);
                    }
                    const int32_t t = width * n;
                    EXPECT_EQ(g_raster.row_width, (t + 31) / 32 * 32 + 32);
                    EXPECT_EQ(g_raster.row_counter, 6 * n);
                    for (int32_t row = 0; row < 6 * n; ++row) {
                        const std::vector<uint8_t>& px = lines[static_cast<size_t>(row / n)];
                        for (int32_t x = 0; x < g_raster.row_width; ++x) {
                            uint8_t r = 255, g = 255, b = 255;
                            if (x < t) {
                                const uint8_t* p = &px[static_cast<size_t>(x / n) * 3];
                                r = p[0], g = p[1], b = p[2];
                            }
                            ASSERT_EQ(dot(x, row), reference_dot(x, row, r, g, b)) << "x " << x << " row " << row;
                        }
                    }
                    raster_end();
                }
            }
        }
    }
}

TEST_F(DitherTest, FactoryCurveWhiteBlackAndGrey128) {
    ASSERT_EQ(g_tone.tone_table[128], 187);
    begin(64, 48);
    for (int i = 0; i < 16; ++i) add_grey(64, 255);
    for (int i = 0; i < 16; ++i) add_grey(64, 0);
    for (int i = 0; i < 16; ++i) add_grey(64, 128);
    for (int row = 0; row < 16; ++row) EXPECT_EQ(dots(row, 0, 64), 0);
    for (int row = 16; row < 32; ++row) EXPECT_EQ(dots(row, 0, 64), 64);
    // darkness 255 - 187 = 68: 68 dots in every 16 x 16 tile
    for (int tile = 0; tile < 4; ++tile) {
        int32_t n = 0;
        for (int row = 32; row < 48; ++row) n += dots(row, tile * 16, tile * 16 + 16);
        EXPECT_EQ(n, 68) << tile;
    }
}

TEST_F(DitherTest, ColoursAndForegroundsPrintAtTheirGreyLevel) {
    struct Case {
        const char* name;
        bool monochrome;
        uint8_t pixel[3];  // colour pixel, or the monochrome foreground
        uint8_t grey;
    } cases[] = {
        {"red", false, {255, 0, 0}, 76},
        {"green", false, {0, 255, 0}, 150},
        {"blue foreground", true, {0, 0, 255}, 28},
        {"yellow foreground", true, {255, 255, 0}, 226},
        {"opaque key colour", false, {0, 1, 2}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        begin(48, 32);
        for (int i = 0; i < 16; ++i) {
            if (c.monochrome) {
                std::vector<uint8_t> px(48, 1);
                ASSERT_EQ(raster_add_row(48, px.data(), true, c.pixel[0], c.pixel[1], c.pixel[2]), 0);
            } else {
                std::vector<uint8_t> px;
                for (int x = 0; x < 48; ++x) px.insert(px.end(), c.pixel, c.pixel + 3);
                ASSERT_EQ(raster_add_row(48, px.data(), false, 0, 0, 0), 0);
            }
        }
        for (int i = 0; i < 16; ++i) add_grey(48, c.grey);
        for (int row = 0; row < 16; ++row)
            for (int x = 0; x < g_raster.row_width; ++x) ASSERT_EQ(dot(x, row), dot(x, row + 16)) << x << "," << row;
        raster_end();
    }
}

TEST_F(DitherTest, MonochromeBackgroundAndTransparentKeyArePaper) {
    begin(32, 3, 1, true);
    std::vector<uint8_t> mono(32, 0);
    ASSERT_EQ(raster_add_row(32, mono.data(), true, 0, 0, 0), 0);
    std::vector<uint8_t> key;
    for (int x = 0; x < 32; ++x) key.insert(key.end(), {0, 1, 2});
    ASSERT_EQ(raster_add_row(32, key.data(), false, 0, 0, 0), 0);
    key[0] = 1;  // pixel 0 is (1, 1, 2), not quite the key: it prints
    ASSERT_EQ(raster_add_row(32, key.data(), false, 0, 0, 0), 0);
    EXPECT_EQ(dots(0, 0, 64), 0);
    EXPECT_EQ(dots(1, 0, 64), 0);
    EXPECT_TRUE(dot(0, 2));
    EXPECT_EQ(dots(2, 1, 64), 0);
}

TEST_F(DitherTest, PaddingIsWhitePaperThroughTheToneTable) {
    g_tone.tone_table[255] = 200;  // white now prints at darkness 55
    begin(40, 1);
    add_grey(40, 255);
    EXPECT_EQ(g_raster.row_width, 96);  // 40 rounded up to 64, plus one word
    for (int32_t x = 0; x < 96; ++x) EXPECT_EQ(dot(x, 0), reference_dot(x, 0, 255, 255, 255));
    EXPECT_GT(dots(0, 40, 96), 0);
}

TEST_F(DitherTest, ShortRepliesArePaddedWithWhiteAndLongOnesCut) {
    begin(40, 2);
    add_grey(10, 0);  // 10 black pixels, 30 missing
    std::vector<uint8_t> longer(100 * 3, 0);
    ASSERT_EQ(raster_add_row(100, longer.data(), false, 0, 0, 0), 0);
    EXPECT_EQ(dots(0, 0, 10), 10);
    EXPECT_EQ(dots(0, 10, 96), 0);
    EXPECT_EQ(dots(1, 0, 40), 40);
    EXPECT_EQ(dots(1, 40, 96), 0);
    EXPECT_EQ(g_raster.row_width, 96);
}

TEST_F(DitherTest, ReplicationUsesConsecutiveMatrixRowsFromRowZero) {
    begin(16, 2, 2);
    add_grey(16, 128);
    add_grey(16, 128);
    // device row k uses matrix row k; device pixel x is source pixel x / 2
    for (int row = 0; row < 4; ++row)
        for (int x = 0; x < 32; ++x) EXPECT_EQ(dot(x, row), reference_dot(x, row, 128, 128, 128));
    // column 0 uses matrix column 8: threshold 2 at row 0, so darkness 68 prints it
    EXPECT_TRUE(dot(0, 0));
    EXPECT_FALSE(dot(8, 1));  // row 1, column 0: threshold 145
}

TEST_F(DitherTest, ExtraLinesAreRefused) {
    begin(32, 1, 2);
    add_grey(32, 0);
    std::vector<uint8_t> px(96, 0);
    EXPECT_EQ(raster_add_row(32, px.data(), false, 0, 0, 0), -1);
    EXPECT_EQ(g_raster.row_counter, 2);
}

}  // namespace
