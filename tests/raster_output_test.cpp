#include <functional>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "driver_fixture.h"
#include "host/alloc.h"
#include "host/message_table.h"
#include "host/plot_state.h"
#include "one_bit_image.h"
#include "raster/dither.h"
#include "raster/mmr.h"
#include "raster/raster_output.h"
#include "raster_stream.h"
#include "tiff_oracle.h"

namespace {

using Strings = std::vector<std::string>;

class RasterOutputTest : public DriverTest {
protected:
    void SetUp() override {
        DriverTest::SetUp();
        init_and_load_messages();
        host->clear_records();
    }
    void TearDown() override {
        raster_end();
        DriverTest::TearDown();
    }
    static void set_resolution(int dpi) {
        g_raster_resolution.dpi = dpi;
        std::snprintf(g_raster_resolution.rtl_command, sizeof g_raster_resolution.rtl_command, "\x1b*t%dR", dpi);
    }
    // Starts an image and stores `rows` one-bit rows of width w directly, as the
    // halftoning would have.
    void begin_with_rows(int32_t line_width, int32_t rows, const std::function<void(OneBitImage&)>& draw,
                         bool qdpx = false, bool transparent = false, int32_t orientation = 0) {
        ASSERT_EQ(raster_begin(line_width, rows, transparent, 0, 1, 2, qdpx, 120, 340, 1, orientation), 0);
        const int32_t w = (line_width + 31) / 32 * 32 + 32;
        image = OneBitImage(w, rows);
        draw(image);
        std::memcpy(g_raster.band, image.words.data(), image.words.size() * 4);
        g_raster.row_counter = rows;
        g_raster.row_width = w;
    }
    // Checks that the data of every block decodes to the image's rows, band after band.
    void expect_blocks_decode(const RasterStream& s, const std::vector<int32_t>& band_rows) {
        ASSERT_EQ(s.data.size(), band_rows.size());
        const std::vector<uint8_t> all = image.msb_bytes();
        int32_t start = 0;
        for (size_t k = 0; k < band_rows.size(); ++k) {
            std::vector<uint8_t> data = s.data[k];
            if (!g_raster.qdpx) data.erase(data.begin(), data.begin() + 4);  // the width prefix
            oracle::Decoded d = oracle::g4_decode(data, image.width, band_rows[k]);
            ASSERT_TRUE(d.ok) << "band " << k << ": " << d.errors;
            const size_t rb = static_cast<size_t>(image.width / 8);
            EXPECT_TRUE(std::equal(d.rows.begin(), d.rows.end(), all.begin() + static_cast<long>(start * rb))) << "band " << k;
            start += band_rows[k];
        }
    }
    OneBitImage image{32, 0};
};

int count_of_command(const Strings& commands, const std::string& what) {
    return static_cast<int>(std::count(commands.begin(), commands.end(), what));
}

TEST(SwapWordBytes, ReversesEveryGroupOfFour) {
    uint8_t buf[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    uint8_t out[12] = {};
    swap_word_bytes(buf, out, 6);  // two groups: the second is partly counted but swapped whole
    const uint8_t expected[12] = {4, 3, 2, 1, 8, 7, 6, 5, 0, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(out, expected, 12));
    swap_word_bytes(buf, buf, 12);
    const uint8_t in_place[12] = {4, 3, 2, 1, 8, 7, 6, 5, 12, 11, 10, 9};
    EXPECT_EQ(0, std::memcmp(buf, in_place, 12));
}

TEST_F(RasterOutputTest, RtlImageOf1000RowsIsOneBlockAnnouncedWithThePaddedWidth) {
    set_resolution(300);
    begin_with_rows(2000, 1000, [](OneBitImage& img) {
        for (int32_t y = 0; y < img.rows; ++y) img.fill(y, y % 700, y % 700 + 900);
    });
    ASSERT_EQ(raster_finish(), 0);
    raster_end();
    RasterStream s = split_rtl(host->job);
    ASSERT_EQ(s.data.size(), 1u);
    const int32_t n = static_cast<int32_t>(s.data[0].size()) - 4;
    EXPECT_EQ(s.commands, (Strings{"E%1A", "E&a0N", "E*t300R", "E*r2048S", "E*r1000T", "E*r1A", "E*b8M",
                                   "E*b" + std::to_string(n + 4) + "W", "DATA", "E*rC", "E%0B"}));
    EXPECT_EQ(hex_bytes(s.data[0].data(), 4), "00 00 08 00");  // w = 2048, most significant first
    expect_blocks_decode(s, {1000});
    EXPECT_EQ(g_plot.image_sent, 1);
}

TEST_F(RasterOutputTest, LargeImageIsSentInBandsWithPenAdvances) {
    struct Case {
        int32_t orientation;
        const char* advance;
    } cases[] = {{0, "PR0,1083"}, {1, "PR1083,0"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.orientation);
        host->clear_records();
        set_resolution(300);
        // 10000 rows of 7040 bits: 10000 x 980 x 4 bytes is over the limit.
        begin_with_rows(7000, 10000, [](OneBitImage& img) {
            for (int32_t y = 0; y < img.rows; y += 7) img.fill(y, (y * 13) % 6000, (y * 13) % 6000 + 900);
            for (int32_t y = 0; y < img.rows; ++y) img.set(y % 6990, y);
        }, false, false, c.orientation);
        ASSERT_EQ(raster_finish(), 0);
        raster_end();
        RasterStream s = split_rtl(host->job);
        std::vector<int32_t> bands(31, 320);
        bands.push_back(80);
        expect_blocks_decode(s, bands);
        // between two bands: leave raster mode, move the pen, enter again
        Strings between;
        for (size_t i = 0; i < s.commands.size(); ++i) {
            if (s.commands[i] == "DATA" && i + 6 < s.commands.size() && s.commands[i + 1] == "E*rC")
                between = Strings(s.commands.begin() + static_cast<long>(i) + 1, s.commands.begin() + static_cast<long>(i) + 10);
            if (!between.empty()) break;
        }
        EXPECT_EQ(between, (Strings{"E*rC", "E%0B", c.advance, "E%1A", "E&a0N", "E*t300R", "E*r7040S", "E*r320T", "E*r1A"}));
        int advances = 0, last_height = 0;
        for (const std::string& cmd : s.commands) {
            advances += cmd == c.advance;
            if (cmd.size() > 3 && cmd.compare(0, 3, "E*r") == 0 && cmd.back() == 'T') last_height = std::stoi(cmd.substr(3));
        }
        EXPECT_EQ(advances, 31);
        EXPECT_EQ(last_height, 80);
    }
}

TEST_F(RasterOutputTest, QdpxPlacementBackgroundPatchAndResolutions) {
    struct Case {
        int dpi;
        bool transparent;
        Strings expected;
    } cases[] = {
        {400, false, {"9B 52 00 02 00 01",
                      "9B 5F 00 1A 00 00 00 78 00 00 01 54 00 00 00 20 00 00 00 01 00 00 00 28 00 00 00 02 00 01",
                      "9B 5D 00 02 02 07", "9B 5C 00 00 00 04 DATA", "9B 5D 00 02 02 00", "9B 5E 00 02 00 01",
                      "9B 52 00 02 00 01",
                      "9B 5F 00 1A 00 00 00 78 00 00 01 54 00 00 00 60 00 00 00 02 00 00 00 60 00 00 00 02 00 01",
                      "9B 5D 00 02 02 07", "9B 5C DATA", "9B 5D 00 02 02 00", "9B 52 00 02 00 01"}},
        {200, true, {"9B 52 00 02 00 00",
                     "9B 5F 00 1A 00 00 00 78 00 00 01 54 00 00 00 60 00 00 00 02 00 00 00 C0 00 00 00 04 00 01",
                     "9B 5D 00 02 02 07", "9B 5C DATA", "9B 5D 00 02 02 00", "9B 52 00 02 00 01"}},
        // 300 and 600: no resolution command and no target size; the end still selects 400
        {300, false, {"9B 5F 00 1A 00 00 00 78 00 00 01 54 00 00 00 20 00 00 00 01 00 00 00 28 00 00 00 02 00 01",
                      "9B 5D 00 02 02 07", "9B 5C 00 00 00 04 DATA", "9B 5D 00 02 02 00", "9B 5E 00 02 00 01",
                      "9B 5F 00 1A 00 00 00 78 00 00 01 54 00 00 00 60 00 00 00 02 00 01",
                      "9B 5D 00 02 02 07", "9B 5C DATA", "9B 5D 00 02 02 00", "9B 52 00 02 00 01"}},
        {600, true, {"9B 5F 00 1A 00 00 00 78 00 00 01 54 00 00 00 60 00 00 00 02 00 01",
                     "9B 5D 00 02 02 07", "9B 5C DATA", "9B 5D 00 02 02 00", "9B 52 00 02 00 01"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dpi);
        host->clear_records();
        set_resolution(c.dpi);
        begin_with_rows(40, 2, [](OneBitImage& img) { img.fill(1, 3, 9); }, true, c.transparent);
        ASSERT_EQ(raster_finish(), 0);
        raster_end();
        RasterStream s = split_qdpx(host->job);
        Strings got = s.commands;
        for (std::string& cmd : got)  // the data length varies with the coding; shown apart
            if (cmd.compare(0, 5, "9B 5C") == 0 && cmd != "9B 5C 00 00 00 04 DATA") cmd = "9B 5C DATA";
        EXPECT_EQ(got, c.expected);
        ASSERT_FALSE(s.data.empty());
        EXPECT_EQ(hex_bytes(s.data.front().data(), s.data.front().size()), c.transparent ? hex_bytes(s.data.back().data(), s.data.back().size()) : "80 08 00 80");
        expect_blocks_decode(RasterStream{{}, {s.data.back()}}, {2});
    }
}

TEST_F(RasterOutputTest, QdpxBandsAdvanceThePosition) {
    set_resolution(400);
    begin_with_rows(7000, 10000, [](OneBitImage& img) { img.fill(0, 0, 10); }, true, true, 1);
    ASSERT_EQ(raster_finish(), 0);
    raster_end();
    RasterStream s = split_qdpx(host->job);
    std::vector<std::string> placements;
    for (const std::string& cmd : s.commands)
        if (cmd.compare(0, 5, "9B 5F") == 0) placements.push_back(cmd.substr(12, 11));  // position x
    ASSERT_EQ(placements.size(), 32u);
    EXPECT_EQ(placements[0], "00 00 00 78");   // 120
    EXPECT_EQ(placements[1], "00 00 01 B8");   // 120 + 320
    EXPECT_EQ(placements[31], "00 00 27 38");  // 120 + 31 x 320
}

// A line of alternating pixels, then white, then alternating again: the coding reaches
// about 6 bits a pixel, past the documented 4 x (rb + 100) bytes a row. The image still
// goes out whole.
TEST_F(RasterOutputTest, ImageThatCompressesBadlyIsNeverCut) {
    set_resolution(600);
    struct Case {
        int32_t line_width, rows;
    } cases[] = {{8000, 1}, {8000, 3}, {20000, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line_width);
        host->clear_records();
        begin_with_rows(c.line_width, c.rows, [&](OneBitImage& img) {
            for (int32_t y = 0; y < img.rows; y += 2)
                for (int32_t x = 1; x < c.line_width; x += 2) img.set(x, y);
        });
        ASSERT_EQ(raster_finish(), 0);
        raster_end();
        RasterStream s = split_rtl(host->job);
        ASSERT_EQ(s.data.size(), 1u);
        const size_t documented = static_cast<size_t>(c.rows) * (image.width / 8 + 100) * 4;
        EXPECT_GT(s.data[0].size() - 4, documented);
        expect_blocks_decode(s, {c.rows});
    }
}

// Rows so wide that even 10 of them pass the limit: the band rule gives 0 rows a band,
// and the image still goes out, in one band.
TEST_F(RasterOutputTest, BandIsNeverZeroRowsHigh) {
    set_resolution(300);
    begin_with_rows(2100000, 10, [](OneBitImage& img) {
        for (int32_t y = 0; y < img.rows; ++y) img.fill(y, 1000 * y, 1000 * y + 3000);
    });
    ASSERT_EQ(raster_finish(), 0);
    raster_end();
    RasterStream s = split_rtl(host->job);
    EXPECT_EQ(count_of_command(s.commands, "E*r10T"), 1);
    expect_blocks_decode(s, {10});
}

TEST_F(RasterOutputTest, ImageWithoutRowsSendsNoBlockButClosesRasterMode) {
    set_resolution(300);
    ASSERT_EQ(raster_begin(100, 10, 0, 0, 1, 2, 0, 0, 0, 1, 0), 0);
    EXPECT_EQ(raster_finish(), 0);
    raster_end();
    EXPECT_EQ(split_rtl(host->job).commands, (Strings{"E%1A", "E&a0N", "E*t300R", "E*rC", "E%0B"}));
    EXPECT_EQ(g_plot.image_sent, 0);
    EXPECT_EQ(g_raster.band, nullptr);
}

TEST_F(RasterOutputTest, SizesThatOverflowAbandonTheImageCleanly) {
    struct Case {
        int32_t line_width, lines, n;
    } cases[] = {
        {0x40000000, 1, 4},   // device width
        {1000, 0x40000000, 4},  // planned rows
        {0x2400000, 1, 1},    // encoder work buffer
        {100000, 200000, 1},  // band buffer
        {0, 10, 1},
        {10, -1, 1},
    };
    set_resolution(300);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line_width);
        host->clear_records();
        EXPECT_EQ(raster_begin(c.line_width, c.lines, 0, 0, 1, 2, 0, 0, 0, c.n, 0), -1);
        std::vector<uint8_t> px(30, 0);
        EXPECT_EQ(raster_add_row(10, px.data(), false, 0, 0, 0), -1);
        EXPECT_EQ(raster_finish(), -1);
        raster_end();
        EXPECT_EQ(split_rtl(host->job).commands, (Strings{"E%1A", "E&a0N", "E*t300R", "E*rC", "E%0B"}));
        EXPECT_EQ(g_raster.band, nullptr);
        EXPECT_EQ(g_plot.failure_latch, 0);
    }
}

// Every allocation of an image, made to fail in turn: the image is dropped without a
// byte of data, raster mode is closed, and nothing leaks (the sanitizer checks that).
TEST_F(RasterOutputTest, EveryFailedAllocationAbandonsTheImage) {
    set_resolution(300);
    for (int nth = 1;; ++nth) {
        SCOPED_TRACE(nth);
        host->clear_records();
        driver_alloc_reset();
        driver_alloc_fail_nth(nth);
        int32_t begun = raster_begin(64, 4, 0, 0, 1, 2, 0, 0, 0, 2, 0);
        std::vector<uint8_t> px(64 * 3, 0);
        int32_t added = 0;
        for (int i = 0; i < 4; ++i) added |= raster_add_row(64, px.data(), false, 0, 0, 0);
        int32_t finished = raster_finish();
        raster_end();
        const int attempts = driver_alloc_count();
        driver_alloc_fail_nth(0);
        RasterStream s = split_rtl(host->job);
        EXPECT_EQ(s.commands.back(), "E%0B");
        EXPECT_EQ(g_raster.band, nullptr);
        EXPECT_EQ(g_raster.encoded, nullptr);
        if (nth > attempts) {  // past the last allocation: the image goes out
            EXPECT_EQ(begun | added | finished, 0);
            EXPECT_EQ(s.data.size(), 1u);
            break;
        }
        EXPECT_NE(begun | added | finished, 0);
        EXPECT_TRUE(s.data.empty());
    }
}

TEST_F(RasterOutputTest, FailedWriteToTheHostFailsThePlotOnce) {
    set_resolution(300);
    // Writes: header 1-3, block header 4-10, width prefix 11, data 12, trailer 13-14.
    for (int k : {1, 4, 11, 12, 13}) {
        SCOPED_TRACE(k);
        host->clear_records();
        g_plot.failure_latch = 0;
        g_plot.drawn = 1;
        host->faults.fail_write_at = k;
        if (raster_begin(64, 40, 0, 0, 1, 2, 0, 0, 0, 1, 0) == 0) {
            std::vector<uint8_t> px(64 * 3, 0);
            ASSERT_EQ(raster_add_row(64, px.data(), false, 0, 0, 0), 0);
            int32_t finished = raster_finish();
            if (k <= 12) {
                EXPECT_NE(finished, 0);
            }
        }
        raster_end();
        host->faults.fail_write_at = 0;
        EXPECT_EQ(host->write_calls, k);  // nothing more after the refused write
        EXPECT_EQ(g_plot.failure_latch, LATCH_OUTPUT);
        EXPECT_EQ(g_plot.drawn, 0);
        EXPECT_EQ(g_plot.image_sent, 0);
        EXPECT_EQ(host->console_texts(), (Strings{std::string("\n") + message_builtin(MSG_OUTPUT_ERROR) + "\n"}));
        EXPECT_EQ(g_raster.band, nullptr);
    }
}

TEST_F(RasterOutputTest, NothingIsSentWhileTheLatchIsSet) {
    set_resolution(300);
    g_plot.failure_latch = LATCH_CONFIG;
    EXPECT_EQ(raster_begin(64, 4, 0, 0, 1, 2, 0, 0, 0, 1, 0), -1);
    EXPECT_EQ(raster_finish(), -1);
    raster_end();
    EXPECT_EQ(host->write_calls, 0);
    EXPECT_TRUE(host->console_texts().empty());
}

TEST_F(RasterOutputTest, EveryBandStartsAgainstAWhiteLine) {
    set_resolution(200);
    // Identical rows: within a band every row after the first is all V0; the first row of
    // each band must be coded in full again.
    begin_with_rows(7000, 4000, [](OneBitImage& img) {
        for (int32_t y = 0; y < img.rows; ++y) img.fill(y, 100, 5000);
    }, false, true, 0);
    ASSERT_EQ(raster_finish(), 0);
    raster_end();
    RasterStream s = split_rtl(host->job);
    std::vector<int32_t> bands(31, 128);
    bands.push_back(4000 - 31 * 128);
    expect_blocks_decode(s, bands);
    EXPECT_EQ(s.data[0], s.data[1]);  // the same rows give the same block in every full band
}

}  // namespace
