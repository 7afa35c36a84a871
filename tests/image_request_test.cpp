#include <algorithm>
#include <functional>
#include <cstring>
#include <string>
#include <vector>

#include "config/config_record.h"
#include "headless.h"
#include "host/message_table.h"
#include "host/output_buffer.h"
#include "host/plot_state.h"
#include "hpgl/job_header.h"
#include "hpgl/pens.h"
#include "hpgl/plot_area.h"
#include "hpgl/vectors.h"
#include "raster/image_request.h"
#include "raster/raster_output.h"
#include "raster_stream.h"
#include "session_fixture.h"
#include "sim/record_fields.h"
#include "sim/image_source.h"
#include "tiff_oracle.h"

namespace {

using Strings = std::vector<std::string>;
using sim::ImageSource;
using sim::ImageSpec;

int32_t rd32(const std::vector<uint8_t>& r, int off) {
    int32_t v;
    std::memcpy(&v, r.data() + off, 4);
    return v;
}
int16_t rd16(const std::vector<uint8_t>& r, int off) {
    int16_t v;
    std::memcpy(&v, r.data() + off, 2);
    return v;
}

ImageSpec frame(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    ImageSpec s;
    s.x0 = x0, s.y0 = y0, s.x1 = x1, s.y1 = y1;
    return s;
}

// Counts the commands equal to `what`.
int count_of(const Strings& commands, const std::string& what) {
    return static_cast<int>(std::count(commands.begin(), commands.end(), what));
}

// Everything between the start of a plot and its end, with images in between.
class ImageRequestTest : public SessionTest {
protected:
    // A stored configuration with these edits, then a plot begun on it.
    void begin_plot(std::initializer_list<const char*> edits, sim::PlotSetup setup = {}) {
        configure(edits);
        for (const sim::PlotReply& r : sim::plot_prepare(*host, setup)) ASSERT_NE(r.word0, -1) << r.code;
        host->clear_records();
    }
    // Sends request 52 and then an ignored request, which produces the image first;
    // returns the bytes the image sent straight to the host.
    std::string produce(ImageSource& src, const ImageSpec& layout,
                        const std::function<void(sim::Packet&)>& edit = nullptr) {
        sim::Packet p = src.request_packet(layout);
        if (edit) edit(p);
        host->plot(p);
        reply_word = p.i16(122);
        status_word = p.i16(0);
        EXPECT_EQ(g_plot.image_pending_mark, IMAGE_PENDING);
        flush_output();  // what the plot staged before, so that only the image follows
        size_t before = host->job.size();
        plot(53);
        EXPECT_EQ(g_plot.image_pending_mark, 0);
        return host->job.substr(before);
    }
    // The data of the image's only block, without its width prefix, decoded.
    oracle::Decoded decode_block(const RasterStream& s, int32_t width, int32_t rows) {
        EXPECT_EQ(s.data.size(), 1u);
        if (s.data.empty()) return {};
        std::vector<uint8_t> data(s.data[0].begin() + 4, s.data[0].end());
        return oracle::g4_decode(data, width, rows);
    }
    // Row order (OF_ROTATED clear) or column order; the plot-area requests choose it from
    // the paper, and the image reads it when it is produced.
    static void set_rotated(bool on) {
        if (on)
            g_config.output_flags |= OF_ROTATED;
        else
            g_config.output_flags &= static_cast<uint16_t>(~OF_ROTATED);
    }
    int16_t reply_word = 0, status_word = 0;
};

// A plot set up through request 48 on a 3000 mm custom length in a freshly loaded driver
// (divisor 2; the long sheet is fetched column by column): pen move and input window
// times d, every fetched pixel and line doubled, and the trailer at the end although only
// an image was sent.
TEST_F(ImageRequestTest, CustomLengthPlotPlacesAndReplicatesAtDivisor2) {
    sim::PlotSetup setup;
    setup.resolution = 508;
    begin_plot({"paper_index=23", "custom_length_mm=3000", "output_flags=0x0400"}, setup);
    ASSERT_EQ(g_plot_area.size_divisor, 2);
    ASSERT_TRUE(g_config.output_flags & OF_ROTATED);
    ImageSource src(sim::synthetic_monochrome(64, 64));
    std::string bytes = produce(src, frame(100, 200, 300, 500));
    EXPECT_EQ(reply_word, 1);
    EXPECT_EQ(status_word, 52);  // the status word is left as received

    // 200 x 300 host units at 300 dpi: 59 x 88 dots, fetched as 59 columns of 88 pixels,
    // each doubled: 118 rows of 176 dots, announced 224 wide.
    RasterStream s = split_rtl(bytes);
    ASSERT_GE(s.commands.size(), 12u);
    EXPECT_EQ(Strings(s.commands.begin(), s.commands.begin() + 12),
              (Strings{"TR0;PU200,400PA200,400IW200,400,600,1000", "E%1A", "E&a0N", "E*t300R", "E*r224S", "E*r118T",
                       "E*r1A", "E*b8M", "E*b" + std::to_string(s.data.at(0).size()) + "W", "DATA", "E*rC", "E%0B"}));
    ASSERT_EQ(src.requests.size(), 59u);
    EXPECT_EQ(ImageSource::count_of(src.requests[0]), 88);
    oracle::Decoded d = decode_block(s, 224, 118);
    ASSERT_TRUE(d.ok) << d.errors;
    auto dot = [&](int32_t x, int32_t y) { return (d.rows[static_cast<size_t>(y) * 28 + x / 8] >> (7 - x % 8)) & 1; };
    int32_t dots = 0;
    for (int32_t y = 0; y < 118; y += 2) {
        for (int32_t x = 0; x < 176; x += 2) {
            // one fetched pixel: two dots across, two rows down
            ASSERT_EQ(dot(x, y), dot(x + 1, y)) << x << "," << y;
            ASSERT_EQ(dot(x, y), dot(x, y + 1)) << x << "," << y;
            dots += dot(x, y);
        }
    }
    EXPECT_GT(dots, 0);
    sim::plot_finish(*host);
    EXPECT_NE(host->job.find(";PUSP0;PG;\x1b%-12345X\r\n"), std::string::npos);
}

// The documented row-order placement: pen move to (x1, y0) and an input window with y0
// first, all times d.
TEST_F(ImageRequestTest, RowOrderPlacementAtDivisor2) {
    sim::PlotSetup setup;
    setup.resolution = 508;
    begin_plot({"paper_index=23", "custom_length_mm=3000", "output_flags=0x0400"}, setup);
    set_rotated(false);
    ImageSource src(sim::synthetic_monochrome(64, 64));
    std::string bytes = produce(src, frame(100, 200, 300, 500));
    EXPECT_EQ(bytes.substr(0, 40), "TR0;PU600,400PA600,400IW400,200,1000,600");
    ASSERT_EQ(src.requests.size(), 88u);  // 88 rows of 59 pixels
    EXPECT_EQ(ImageSource::count_of(src.requests[0]), 59);
    RasterStream s = split_rtl(bytes);
    EXPECT_EQ(count_of(s.commands, "E*r160S"), 1);
    EXPECT_EQ(count_of(s.commands, "E*r176T"), 1);
}

TEST_F(ImageRequestTest, RtlRestoresTheDrawingState) {
    begin_plot({"output_flags=0x0400"});
    sim::plot_draw(*host, {sim::op_pen(3), sim::op_width(0.01), sim::op_line_type(2), sim::op_move(500, 700)});
    const std::string window = g_job_header.saved_window_cmd;
    const int32_t pen_x = g_vector.cur_x, pen_y = g_vector.cur_y;
    ImageSource src(sim::solid_colour(8, 8, 0, 0, 0));
    std::string bytes = produce(src, frame(1000, 2000, 1100, 2100));
    RasterStream s = split_rtl(bytes);
    std::string tail = s.commands.back();
    std::string expected = "TR0;PA1100,2000PU" + std::to_string(pen_x) + "," + std::to_string(pen_y) + "PR";
    for (int pen = 1; pen <= 255; ++pen) {
        char text[24];
        palette_instruction(pen, text);
        expected += text;
    }
    expected += window + "SP7PW0.254LT-2,1.0";
    EXPECT_EQ(tail, expected);
    EXPECT_EQ(g_vector.pe_state, PE_CLOSED);
    // The next move opens a fresh polyline instruction.
    const size_t before = host->job.size();
    sim::plot_draw(*host, {sim::op_move(600, 700)});
    flush_output();
    EXPECT_EQ(host->job.substr(before, 4), "PE7<");
}

// The transparency instruction starts with ";" when something was drawn, and when a move
// left a polyline instruction open (its pairs would otherwise swallow the instruction).
TEST_F(ImageRequestTest, TransparencyInstructionNeverLandsInsideAPolyline) {
    struct Case {
        const char* name;
        std::vector<sim::PlotOp> before;
        int16_t transparent;
        const char* starts;
    } cases[] = {
        {"nothing drawn", {}, 0, "TR0;PU"},
        {"nothing drawn, transparent", {}, 1, "TR1;PU"},
        {"after a move", {sim::op_move(10, 10)}, 0, ";TR0;PU"},
        {"after a draw", {sim::op_move(10, 10), sim::op_draw(20, 20)}, 1, ";TR1;PU"},
        {"after a pen change", {sim::op_pen(2)}, 0, "TR0;PU"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        begin_plot({"output_flags=0x0400"});
        sim::plot_draw(*host, c.before);
        ImageSource src(sim::solid_colour(4, 4, 0, 0, 0));
        ImageSpec layout = frame(0, 0, 200, 200);
        layout.transparent = c.transparent;
        std::string bytes = produce(src, layout);
        EXPECT_EQ(bytes.compare(0, std::strlen(c.starts), c.starts), 0) << bytes.substr(0, 12);
    }
}

TEST_F(ImageRequestTest, DotCountsFollowTheDocumentedArithmetic) {
    struct Case {
        const char* flags;
        int32_t span, pixels;
        int32_t dots;  // pixels per fetched row
    } cases[] = {
        {"output_flags=0x0400", 1016, 1, 300},
        {"output_flags=0x0400", 1016, 2, 300},
        {"output_flags=0x0400", 1016, 3, 299},   // one short: the quotient lands just below 300
        {"output_flags=0x0240", 2000, 7, 1000},  // QDPX at 400 dpi: the frame halved
        {"output_flags=0x0840", 2000, 7, 500},   // QDPX at 200 dpi: quartered
        {"output_flags=0x0440", 2000, 7, 2000},  // QDPX at 300 dpi: the frame itself
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.flags << " " << c.pixels);
        begin_plot({c.flags});
        set_rotated(false);
        ImageSource src(sim::solid_colour(c.pixels, 2, 0, 0, 0));
        produce(src, frame(0, 0, c.span, 64));
        ASSERT_FALSE(src.requests.empty());
        EXPECT_EQ(ImageSource::count_of(src.requests[0]), c.dots);  // pixels per row
        EXPECT_EQ(g_image.production.dots_w, c.dots);
    }
}

TEST_F(ImageRequestTest, FetchRequestRecordInBothOrders) {
    for (bool columns : {false, true}) {
        SCOPED_TRACE(columns);
        begin_plot({"output_flags=0x0400"});
        set_rotated(columns);
        ImageSource src(sim::synthetic_monochrome(20, 10));
        ImageSpec layout = frame(1000, 2000, 1508, 2254);  // 150 x 75 dots at 300 dpi
        layout.colour_index = 5;
        produce(src, layout);
        ASSERT_EQ(src.requests.size(), columns ? 150u : 75u);
        const std::vector<uint8_t>& r = src.requests[3];
        const double step = columns ? 508.0 / 150 : 254.0 / 75;
        const int32_t lo = static_cast<int32_t>((columns ? 1000 : 2000) + 3 * step);
        const int32_t hi = static_cast<int32_t>((columns ? 1000 : 2000) + 4 * step);
        std::vector<int32_t> head;
        for (int off = 0; off < 44; off += 4) head.push_back(rd32(r, off));
        const int32_t self = static_cast<int32_t>(reinterpret_cast<uintptr_t>(&src));
        if (columns)
            EXPECT_EQ(head, (std::vector<int32_t>{3, 0, 3, 74, lo, 2000, hi, 2254, self, 1, 7}));
        else
            EXPECT_EQ(head, (std::vector<int32_t>{0, 3, 149, 3, 1000, lo, 1508, hi, self, 1, 2}));
        EXPECT_EQ(rd16(r, 46), 1);
        EXPECT_EQ(rd16(r, 48), 0);
        EXPECT_EQ(rd16(r, 56), 5);
        EXPECT_EQ(rd32(r, 64), 0);
        EXPECT_EQ(rd16(r, 68), 0);
        EXPECT_EQ(rd16(r, 70), 1);
        for (int k = 0; k < 72; ++k) ASSERT_EQ(r[static_cast<size_t>(72 + k)], static_cast<uint8_t>(0xA0 + 50 + k)) << k;
        EXPECT_EQ(src.releases, static_cast<int32_t>(src.requests.size()));
    }
    // A colour image carries its sample layout instead.
    begin_plot({"output_flags=0x0400"});
    set_rotated(false);
    ImageSource colour(sim::synthetic_colour(20, 10));
    produce(colour, frame(1000, 2000, 1508, 2254));
    const std::vector<uint8_t>& r = colour.requests.at(0);
    EXPECT_EQ(rd32(r, 36), 8);
    EXPECT_EQ(rd16(r, 46), 24);
    EXPECT_EQ(std::vector<uint8_t>(r.begin() + 48, r.begin() + 55), (std::vector<uint8_t>{255, 255, 255, 0, 0, 1, 2}));
}

TEST_F(ImageRequestTest, RtlAt600DpiNeverAsksForLineZero) {
    struct Case {
        const char* flags;
        int32_t first;
    } cases[] = {{"output_flags=0x0100", 1}, {"output_flags=0x0140", 0}, {"output_flags=0x0400", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        begin_plot({c.flags});
        ImageSource src(sim::solid_colour(4, 4, 90, 90, 90));
        produce(src, frame(0, 0, 100, 100));
        ASSERT_FALSE(src.requests.empty());
        EXPECT_EQ(ImageSource::line_of(src.requests[0]), c.first);
    }
}

TEST_F(ImageRequestTest, TwoImagesInARowAndTheRequestThatFollows) {
    begin_plot({"output_flags=0x0400"});
    ImageSource first(sim::solid_colour(4, 4, 0, 0, 0)), second(sim::solid_colour(4, 4, 0, 0, 0));
    sim::send_image(*host, first, frame(0, 0, 100, 100));
    sim::send_image(*host, second, frame(200, 0, 300, 100));  // produces the first
    EXPECT_FALSE(first.requests.empty());
    EXPECT_TRUE(second.requests.empty());
    EXPECT_EQ(g_plot.image_pending_mark, IMAGE_PENDING);
    sim::plot_draw(*host, {sim::op_pen(2)});  // produces the second before its own output
    EXPECT_FALSE(second.requests.empty());
    flush_output();
    RasterStream s = split_rtl(host->job);
    EXPECT_EQ(s.data.size(), 2u);
    EXPECT_NE(s.commands.back().find("SP7"), std::string::npos);
    EXPECT_EQ(count_of(s.commands, "E*rC"), 2);
}

TEST_F(ImageRequestTest, MonochromeKindsAndColourIndices) {
    struct Case {
        const char* name;
        int32_t kind;
        int16_t depth, transparent, index;
        const char* same_as;  // the image prints like this index (nullptr: blank)
    } cases[] = {
        {"index 7", 0, 0, 0, 7, "7"},
        {"index 12 prints like 7", 0, 0, 0, 12, "7"},
        {"negative index prints like 7", 0, 0, 0, -3, "7"},
        {"index 0 is white: nothing prints", 0, 0, 0, 0, nullptr},
        {"kind 1, depth 2: monochrome and never transparent", 1, 2, 1, 7, "7"},
    };
    std::string reference;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        begin_plot({"output_flags=0x0400"});
        ImageSource src(sim::synthetic_monochrome(32, 32));
        ImageSpec layout = frame(0, 0, 200, 200);
        layout.kind = c.kind, layout.depth = c.depth, layout.transparent = c.transparent, layout.colour_index = c.index;
        std::string bytes = produce(src, layout);
        EXPECT_EQ(bytes.compare(0, 4, "TR0;"), 0);
        EXPECT_EQ(rd32(src.requests.at(0), 36), 1);  // asked as monochrome
        RasterStream s = split_rtl(bytes);
        oracle::Decoded d = decode_block(s, 96, 59);
        ASSERT_TRUE(d.ok) << d.errors;
        std::string rows(d.rows.begin(), d.rows.end());
        if (!c.same_as) {
            EXPECT_EQ(rows.find_first_not_of('\0'), std::string::npos);
        } else if (reference.empty()) {
            reference = rows;
            EXPECT_NE(rows.find_first_not_of('\0'), std::string::npos);
        } else {
            EXPECT_EQ(rows, reference);
        }
    }
}

TEST_F(ImageRequestTest, FailedFetchShowsTheMessageAndDropsTheImage) {
    begin_plot({"output_flags=0x0400"});
    headless_reset();
    ImageSource src(sim::solid_colour(4, 4, 0, 0, 0));
    src.faults.fail_at = 5;
    std::string bytes = produce(src, frame(0, 0, 100, 100));  // 29 x 29 dots
    ASSERT_EQ(headless_message_boxes().size(), 1u);
    const ShownMessageBox& box = headless_message_boxes()[0];
    EXPECT_EQ(box.text, "image faile=5 29 87");
    EXPECT_EQ(box.caption, "ADI4.3");
    EXPECT_EQ(box.type, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_EQ(reinterpret_cast<intptr_t>(box.owner), 0x00010ABC);  // the host's window from request 29
    RasterStream s = split_rtl(bytes);
    EXPECT_TRUE(s.data.empty());                  // nothing of the image
    EXPECT_EQ(count_of(s.commands, "E*rC"), 1);   // raster mode still left
    EXPECT_EQ(s.commands.back().compare(0, 4, "TR0;"), 0);  // and the state restored
    EXPECT_EQ(src.outstanding(), 1u);             // the failed reply stays with the host
    EXPECT_EQ(src.releases, 5);
    EXPECT_EQ(g_raster.band, nullptr);
}

TEST_F(ImageRequestTest, StopFlagPrintsWhatWasFetched) {
    struct Case {
        int32_t stop_at;
        size_t blocks;
        const char* height;
    } cases[] = {{0, 0, nullptr}, {10, 1, "E*r10T"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stop_at);
        begin_plot({"output_flags=0x0400"});
        ImageSource src(sim::solid_colour(4, 4, 0, 0, 0));
        src.faults.stop_at = c.stop_at;
        RasterStream s = split_rtl(produce(src, frame(0, 0, 100, 100)));
        EXPECT_EQ(s.data.size(), c.blocks);
        if (c.height) {
            EXPECT_EQ(count_of(s.commands, c.height), 1);
        }
        EXPECT_EQ(count_of(s.commands, "E*rC"), 1);
        EXPECT_EQ(src.outstanding(), 0u);
        EXPECT_EQ(src.requests.size(), static_cast<size_t>(c.stop_at + 1));
    }
}

// Longer replies are cut to the line (their surplus is black and must not print), shorter
// ones padded with white.
TEST_F(ImageRequestTest, ShortAndLongRepliesKeepTheLineWidth) {
    for (int32_t delta : {-20, -28, 25, 1000}) {
        SCOPED_TRACE(delta);
        begin_plot({"output_flags=0x0400"});
        ImageSource src(sim::solid_colour(4, 4, 255, 255, 255));
        src.faults.pixel_delta = delta;
        RasterStream s = split_rtl(produce(src, frame(0, 0, 100, 100)));  // 29 x 29 dots
        oracle::Decoded d = decode_block(s, 64, 29);
        ASSERT_TRUE(d.ok) << d.errors;
        EXPECT_EQ(std::string(d.rows.begin(), d.rows.end()).find_first_not_of('\0'), std::string::npos);
    }
}

TEST_F(ImageRequestTest, ImagesThatCannotBePlacedAreDroppedWithoutAByte) {
    struct Case {
        const char* name;
        const char* flags;
        ImageSpec layout;
        int32_t width, height;  // pixels in the packet
    } cases[] = {
        {"no resolution ever selected", "output_flags=0x0000", frame(0, 0, 100, 100), 4, 4},
        {"zero width", "output_flags=0x0400", frame(0, 0, 100, 100), 0, 4},
        {"negative height", "output_flags=0x0400", frame(0, 0, 100, 100), 4, -4},
        {"empty frame", "output_flags=0x0400", frame(50, 50, 50, 100), 4, 4},
        {"inverted frame", "output_flags=0x0400", frame(100, 0, 0, 100), 4, 4},
        {"frame of a few host units", "output_flags=0x0400", frame(0, 0, 2, 2), 4, 4},
        {"QDPX frame past 32 bits", "output_flags=0x0240", frame(-2000000000, 0, 2000000000, 100), 4, 4},
        {"RTL frame past 32 bits at divisor 2", "output_flags=0x0400", frame(0, 0, 2000000000, 100), 4, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::PlotSetup setup;
        setup.resolution = 508;
        begin_plot({"paper_index=23", "custom_length_mm=3000", c.flags}, setup);
        g_config.output_flags = static_cast<uint16_t>(g_config.output_flags & ~OF_RESOLUTION_MASK);
        sim::record_assign(reinterpret_cast<uint8_t*>(&g_config), c.flags, sim::RecordEdit::raw);
        ImageSource src(sim::solid_colour(4, 4, 0, 0, 0));
        const int16_t pe_before = g_vector.pe_state;
        std::string bytes = produce(src, c.layout, [&](sim::Packet& p) { p.set_i32(36, c.width).set_i32(40, c.height); });
        EXPECT_TRUE(bytes.empty()) << bytes.substr(0, 20);
        EXPECT_TRUE(src.requests.empty());
        EXPECT_EQ(g_vector.pe_state, pe_before);
        EXPECT_EQ(g_plot.failure_latch, 0);
    }
}

// After a failed port, a failed configuration load or an abort nothing more reaches the
// host: a waiting image is dropped without a fetch.
TEST_F(ImageRequestTest, PendingImageIsDroppedWhileTheLatchIsSet) {
    begin_plot({"output_flags=0x0400"});
    ImageSource src(sim::solid_colour(4, 4, 0, 0, 0));
    sim::send_image(*host, src, frame(0, 0, 100, 100));
    plot(9);  // abort: the image is produced before the abort is read
    EXPECT_EQ(src.requests.size(), 29u);
    host->clear_records();
    ImageSource late(sim::solid_colour(4, 4, 0, 0, 0));
    sim::send_image(*host, late, frame(0, 0, 100, 100));
    plot(2);
    EXPECT_TRUE(late.requests.empty());
    EXPECT_EQ(host->write_calls, 0);
    EXPECT_EQ(g_plot.image_pending_mark, 0);
}

TEST_F(ImageRequestTest, FailedPortDuringAnImageFailsThePlotOnce) {
    begin_plot({"output_flags=0x0400"});
    sim::plot_draw(*host, {sim::op_move(10, 10), sim::op_draw(100, 100)});
    flush_output();
    host->faults.fail_write_at = host->write_calls + 12;  // the block's data
    ImageSource src(sim::solid_colour(4, 4, 0, 0, 0));
    sim::send_image(*host, src, frame(0, 0, 100, 100));
    const int calls_before = host->write_calls;
    plot(53);
    sim::plot_finish(*host);
    EXPECT_EQ(host->write_calls, calls_before + 12);  // nothing after the refused write
    EXPECT_EQ(g_plot.failure_latch, LATCH_OUTPUT);
    EXPECT_EQ(host->console_texts(), (Strings{std::string("\n") + message_builtin(MSG_OUTPUT_ERROR) + "\n"}));
    EXPECT_EQ(g_raster.band, nullptr);
}

TEST_F(ImageRequestTest, QdpxImageOpensTheTrailerBlockAndRestoresTheSetUp) {
    begin_plot({"output_flags=0x0240"});
    set_rotated(false);
    sim::plot_draw(*host, {sim::op_pen(3), sim::op_width(0.5), sim::op_line_type(2)});
    const SavedCommand pen = g_pens.saved_pen_cmd, req = g_pens.saved_req_pen_cmd, width = g_pens.saved_width_cmd,
                       line = g_pens.saved_line_type_cmd;
    ImageSource src(sim::solid_colour(4, 4, 0, 0, 0));
    std::string bytes = produce(src, frame(100, 300, 500, 700));
    std::string staged(reinterpret_cast<char*>(g_output.output_buffer), static_cast<size_t>(g_output.output_pending));

    // Before the image: the trailer's opening block, flushed, then the paint mode.
    g_output.output_pending = 0;
    write_qdpx_trailer_opening();
    std::string opening(reinterpret_cast<char*>(g_output.output_buffer), static_cast<size_t>(g_output.output_pending));
    g_output.output_pending = 0;
    ASSERT_EQ(bytes.compare(0, opening.size(), opening), 0);
    bytes.erase(0, opening.size());
    RasterStream s = split_qdpx(bytes);
    ASSERT_GE(s.commands.size(), 3u);
    EXPECT_EQ(s.commands[0], "9B 5E 00 02 00 02");
    EXPECT_EQ(s.commands[1], "9B 52 00 02 00 01");
    // Position (trunc(x1 x 0.5), trunc(y0 x 0.5)), 200 x 200 dots at 400 dpi.
    EXPECT_EQ(s.commands[2].substr(0, 35), "9B 5F 00 1A 00 00 00 FA 00 00 00 96");
    EXPECT_EQ(s.commands.back(), "9B 5E 00 02 00 02");

    // After it, staged: the set-up block, the pen and line set-up, the saved records.
    g_output.output_pending = 0;
    write_qdpx_setup_block();
    write_qdpx_pen_setup();
    std::string expected(reinterpret_cast<char*>(g_output.output_buffer), static_cast<size_t>(g_output.output_pending));
    g_output.output_pending = 0;
    for (const SavedCommand* c : {&pen, &req, &width, &line}) expected.append(reinterpret_cast<const char*>(c->bytes), c->length);
    EXPECT_EQ(staged, expected);
}

// The whole road: an E-size sheet at 600 dots per inch, one colour photograph over it,
// through the simulated host under the sanitizers.
TEST_F(ImageRequestTest, ESizeImageAt600Dpi) {
    begin_plot({"output_flags=0x0100"});
    ImageSource src(sim::synthetic_colour(600, 450));
    std::string bytes = produce(src, frame(0, 0, 48768, 36576));
    RasterStream s = split_rtl(bytes);
    EXPECT_EQ(g_image.production.dots_w, 28800);
    EXPECT_EQ(g_image.production.dots_h, 21600);
    // E-arch is fetched column by column; column 0 is never asked for at 600 dpi.
    EXPECT_EQ(src.requests.size(), 28799u);
    EXPECT_EQ(s.data.size(), 32u);  // 31 bands of 928 rows and one of 31
    EXPECT_EQ(count_of(s.commands, "E*r21632S"), 32);
    EXPECT_EQ(src.outstanding(), 0u);
    EXPECT_EQ(g_raster.band, nullptr);
}

}  // namespace
