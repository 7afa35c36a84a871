// Hostile values from the host and from stored records, each with its documented outcome,
// checked on whole plots in both languages: an out-of-range value behaves exactly like the
// value it is documented to fall back to (the job bytes are the same), an image that
// cannot be produced is dropped or abandoned without a fetch, and the plot always goes on
// to its end with every driver block freed.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "plot_run.h"
#include "sim/record_fields.h"

namespace {

using namespace sim;

const char* const k_languages[] = {"output_flags=0x1100", "output_flags=0x1140"};

std::vector<PlotItem> lines_and_polygons() {
    return {op_pen(3), op_line_type(2), op_move(1000, 1000), op_draw(9000, 1000), op_draw(9000, 9000),
            op_polygon(5, {{2000, 2000}, {4000, 2000}, {3000, 4000}}), op_move(100, 100), op_draw(20000, 15000)};
}

void expect_plot_ended(const PlotRun& r) {
    EXPECT_EQ(r.blocks_left, 0);
    EXPECT_FALSE(r.buffer_left);
    EXPECT_EQ(r.latch, 0);
    EXPECT_EQ(r.replies.back().word0, 2);
    for (const PlotReply& reply : r.replies) EXPECT_NE(reply.word0, -1) << "request " << reply.code;
}

// A whole plot (with the settings summary after it) from a stored record with edits.
struct RecordPlot {
    std::string job, summary;
};
RecordPlot plot_with_record(const char* language, const std::vector<std::string>& edits) {
    ConfigStore store = stored_record({language});
    for (const std::string& e : edits) record_assign(store.record, e, RecordEdit::raw);
    Host host(bind_in_process());
    host.store = store;
    PlotRun r = run_plot_in(host, {}, lines_and_polygons());
    expect_plot_ended(r);
    host.clear_records();
    Packet settings(31);
    host.plot(settings);
    return {r.job, host.console_text()};
}

// Stored records whose index fields point outside every table, and counts, lengths and
// margins outside their ranges: each plots exactly as the record with the documented
// replacement (paper row 1, table row 0, model 0, one copy, 1..15000 mm, 0..10 mm).
TEST(HostileValues, StoredRecordFieldsFallBackToTheirDocumentedValues) {
    struct Case {
        std::vector<std::string> stored, same_as;
    };
    std::vector<Case> cases;
    for (const char* field : {"media_index", "finisher_program", "finisher_margin", "output_bin", "model_index"})
        for (const char* value : {"-1", "32767"})
            cases.push_back({{std::string(field) + "=" + value}, {std::string(field) + "=0"}});
    for (const char* value : {"-1", "0", "32767"}) cases.push_back({{std::string("paper_index=") + value}, {"paper_index=1"}});
    cases.push_back({{"media_index=-1", "finisher_program=32767", "finisher_margin=-1", "output_bin=32767", "model_index=-1",
                      "paper_index=32767"},
                     {"paper_index=1"}});
    for (const char* copies : {"0", "150", "-5"}) cases.push_back({{std::string("copies=") + copies}, {"copies=1"}});
    cases.push_back({{"paper_index=23", "custom_length_mm=0"}, {"paper_index=23", "custom_length_mm=1"}});
    cases.push_back({{"paper_index=23", "custom_length_mm=15001"}, {"paper_index=23", "custom_length_mm=15000"}});
    cases.push_back({{"margin_mm=11"}, {"margin_mm=10"}});
    cases.push_back({{"margin_mm=-1"}, {"margin_mm=0"}});
    for (const char* language : k_languages) {
        for (const Case& c : cases) {
            std::string name;
            for (const std::string& e : c.stored) name += e + " ";
            SCOPED_TRACE(name + language);
            RecordPlot hostile = plot_with_record(language, c.stored);
            RecordPlot expected = plot_with_record(language, c.same_as);
            EXPECT_FALSE(expected.job.empty());
            EXPECT_EQ(hostile.job, expected.job);
            EXPECT_EQ(hostile.summary, expected.summary);
        }
    }
}

// Polygon point counts: 0, 1 and -1 draw nothing and answer nothing; 32767 vertices fill
// in HP-GL/2 and in QDPX's short form, but are refused with -1 where QDPX needs its wide
// form (more than 16383 vertices do not fit its word count). Either way the plot goes on.
TEST(HostileValues, PolygonPointCounts) {
    struct Case {
        const char* language;
        const char* paper;  // E-arch needs QDPX's wide form; a 500 mm sheet its short form
        int16_t count;
        int16_t answer;     // at offset 0; the request code when nothing is written
    };
    const Case cases[] = {
        {"output_flags=0x1100", "paper_index=1", 0, -2},  {"output_flags=0x1100", "paper_index=1", 1, -2},
        {"output_flags=0x1100", "paper_index=1", -1, -2}, {"output_flags=0x1100", "paper_index=1", 32767, 0},
        {"output_flags=0x0140", "paper_index=23", -1, -2}, {"output_flags=0x0140", "paper_index=23", 32767, 0},
        {"output_flags=0x1140", "paper_index=1", 1, -2},  {"output_flags=0x1140", "paper_index=1", 32767, -1},
    };
    for (const Case& c : cases) {
        for (bool pointer_form : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.language << " " << c.paper << " count " << c.count << (pointer_form ? " (54)" : " (33)"));
            ConfigStore store = stored_record({c.language, c.paper, "custom_length_mm=500"});
            std::vector<HostPoint> points(c.count > 0 ? c.count : 3);
            for (size_t i = 0; i < points.size(); ++i) points[i] = {static_cast<uint16_t>(100 + i % 2 * 5000), static_cast<uint16_t>(100 + i)};
            PlotOp polygon = op_polygon(7, points, pointer_form);
            Host host(bind_in_process());
            host.store = store;
            std::vector<PlotReply> replies = plot_prepare(host, {});
            // The packet announces c.count vertices whatever the array holds (at least 3).
            const int16_t code = pointer_form ? 54 : 33;
            std::vector<uint8_t> vertices(4 * points.size());
            std::memcpy(vertices.data(), points.data(), vertices.size());
            Packet p(code, pointer_form ? 64 : 12 + vertices.size());
            if (pointer_form) p.set_i16(4, 7).set_i16(6, c.count).set_ptr(8, vertices.data());
            else p.set_i16(6, 7).set_i16(10, c.count).set_bytes(12, vertices.data(), vertices.size());
            host.plot(p);
            EXPECT_EQ(p.i16(0), c.answer == -2 ? code : c.answer);
            EXPECT_EQ(send_plot_op(host, op_draw(3000, 3000)).word0, 4) << "the plot goes on";
            plot_finish(host);
            EXPECT_EQ(driver_alloc_live(), 0);
            EXPECT_GT(host.job.size(), 0u);
        }
    }
}

// Line-type limits above the eight patterns (request 43's byte): types 1 to 8 keep their
// patterns, anything above draws solid.
TEST(HostileValues, LineTypeLimitsAboveEight) {
    for (const char* language : k_languages) {
        for (int limit : {9, 200, 255}) {
            SCOPED_TRACE(testing::Message() << language << " limit " << limit);
            PlotSetup setup;
            setup.line_types = static_cast<uint8_t>(limit);
            ConfigStore store = stored_record({language});
            auto with_types = [&](int a, int b) {
                return run_plot(store, setup, {op_line_type(a), op_move(0, 0), op_draw(1000, 1000), op_line_type(b), op_draw(2000, 0)});
            };
            PlotRun hostile = with_types(8, limit);
            PlotRun solid = with_types(8, 0);
            expect_plot_ended(hostile);
            EXPECT_EQ(hostile.job, solid.job);
            PlotRun nine = with_types(9, 0);
            PlotRun zero = with_types(0, 0);
            EXPECT_EQ(nine.job, zero.job);
        }
    }
}

// ---------- images ----------

const Picture& picture() {
    static const Picture p = synthetic_colour(6, 4);
    return p;
}

ImageSpec layout(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t width = -1, int32_t height = -1) {
    ImageSpec s;
    s.x0 = x0, s.y0 = y0, s.x1 = x1, s.y1 = y1, s.width = width, s.height = height;
    return s;
}

// A plot with one image; the packet carries the layout's pixel counts as they are (the
// simulator would replace a negative one with the picture's).
std::vector<PlotItem> with_image(const ImageSpec& s, int16_t colour_index = 7, const Picture* pic = &picture()) {
    ImageSpec sp = s;
    sp.colour_index = colour_index;
    std::vector<PlotItem> items = {op_move(500, 500), op_draw(5000, 500)};
    auto exact_counts = [s](Packet& p) {
        if (s.width != -1 || s.height != -1) p.set_i32(36, s.width).set_i32(40, s.height);
    };
    items.push_back(PlotItem(pic, sp, {}, exact_counts));
    items.push_back(op_move(600, 600));
    items.push_back(op_draw(6000, 6000));
    return items;
}

std::vector<PlotItem> without_image() { return {op_move(500, 500), op_draw(5000, 500), op_move(600, 600), op_draw(6000, 6000)}; }

enum Outcome {
    DROPPED,    // nothing of the image is sent: the job is the job without it
    ABANDONED,  // placed, but its buffers cannot be sized: no fetch, no data, raster mode left
    PRINTED,    // fetched and sent
};

// Frames and pixel counts at 0, negative and near 2^31 in both languages.
TEST(HostileValues, ImageSizesAndFrames) {
    struct Case {
        const char* name;
        ImageSpec layout;
        Outcome hpgl, qdpx;
    };
    const Case cases[] = {
        {"frame all at 0", layout(0, 0, 0, 0), DROPPED, DROPPED},
        {"pixel width 0", layout(100, 100, 200, 200, 0, 4), DROPPED, DROPPED},
        {"pixel height -2", layout(100, 100, 200, 200, 6, -2), DROPPED, DROPPED},
        {"pixel counts at INT32_MIN", layout(100, 100, 200, 200, INT32_MIN, INT32_MIN), DROPPED, DROPPED},
        {"pixel counts near 2^31: the frame decides the dots", layout(100, 100, 200, 200, INT32_MAX, INT32_MAX - 1), PRINTED, PRINTED},
        {"negative frame, in order", layout(-300, -300, -200, -200), PRINTED, PRINTED},
        {"inverted frame", layout(200, 200, 100, 100), DROPPED, DROPPED},
        {"frame near 2^31 wide", layout(0, 0, INT32_MAX, 100), ABANDONED, ABANDONED},
        {"frame near 2^31 high", layout(0, 0, 100, INT32_MAX), ABANDONED, ABANDONED},
        {"frame across the whole 32-bit range", layout(INT32_MIN, 0, INT32_MAX, 100), DROPPED, DROPPED},
        {"frame corners at the 32-bit ends", layout(INT32_MIN, INT32_MIN, INT32_MIN + 100, INT32_MIN + 100), PRINTED, PRINTED},
    };
    for (const char* language : k_languages) {
        const bool qdpx = std::string(language).find("1140") != std::string::npos;
        const ConfigStore store = stored_record({language});
        const std::string plain = run_plot(store, {}, without_image()).job;
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.name << " " << language);
            PlotRun r = run_plot(store, {}, with_image(c.layout));
            expect_plot_ended(r);
            ASSERT_EQ(r.images.size(), 1u);
            EXPECT_EQ(r.images[0].outstanding, 0u);
            EXPECT_TRUE(r.message_boxes.empty());
            EXPECT_TRUE(r.console.empty());
            switch (qdpx ? c.qdpx : c.hpgl) {
                case DROPPED:
                    EXPECT_EQ(r.images[0].fetches, 0u);
                    EXPECT_EQ(r.job, plain);
                    break;
                case ABANDONED:
                    EXPECT_EQ(r.images[0].fetches, 0u);
                    EXPECT_NE(r.job, plain);
                    break;
                case PRINTED:
                    EXPECT_GT(r.images[0].fetches, 0u);
                    EXPECT_NE(r.job, plain);
                    break;
            }
        }
    }
}

// Every value of the resolution nibble, including none: the four single bits select
// 600, 400, 300 and 200 dots per inch; any other nibble keeps the resolution of the last
// image, and before any image there is none, so the image is dropped.
TEST(HostileValues, EveryResolutionNibble) {
    const char* const k_rtl[16] = {nullptr, "\x1B*t600R", "\x1B*t400R", nullptr, "\x1B*t300R", nullptr, nullptr, nullptr,
                                   "\x1B*t200R"};
    const ImageSpec frame = layout(1000, 1000, 1100, 1080);
    for (bool qdpx : {false, true}) {
        for (int nibble = 0; nibble < 16; ++nibble) {
            SCOPED_TRACE(testing::Message() << (qdpx ? "QDPX" : "HP-GL/2") << " nibble 0x" << std::hex << nibble);
            const std::string flags = "output_flags=" + std::to_string(0x1000 | (qdpx ? 0x40 : 0) | nibble << 8);
            const ConfigStore store = stored_record({flags.c_str()});
            const bool recognised = nibble == 1 || nibble == 2 || nibble == 4 || nibble == 8;
            // A freshly loaded driver: no resolution before this image.
            PlotRun fresh = run_plot(store, {}, with_image(frame));
            expect_plot_ended(fresh);
            EXPECT_EQ(fresh.images[0].fetches > 0, recognised);
            if (!qdpx && recognised) {
                EXPECT_NE(fresh.job.find(k_rtl[nibble]), std::string::npos);
            }
            // After a 300-dpi image in the same loaded driver.
            const ConfigStore at_300 = stored_record({qdpx ? "output_flags=0x1440" : "output_flags=0x1400"});
            Host host(bind_in_process());
            host.store = at_300;
            expect_plot_ended(run_plot_in(host, {}, with_image(frame)));
            host.store = store;
            PlotRun later = run_plot_in(host, {}, with_image(frame));
            expect_plot_ended(later);
            EXPECT_GT(later.images[0].fetches, 0u);
            if (!qdpx) {
                EXPECT_NE(later.job.find(recognised ? k_rtl[nibble] : "\x1B*t300R"), std::string::npos);
            }
        }
    }
}

// Colour indices of a monochrome image beyond the table at both ends print like index 7
// (black), and the host is asked with index 7.
TEST(HostileValues, MonochromeColourIndices) {
    const Picture mono = synthetic_monochrome(8, 8);
    const ImageSpec frame = layout(1000, 1000, 1060, 1060);
    for (const char* language : k_languages) {
        const ConfigStore store = stored_record({language});
        const std::string black = run_plot(store, {}, with_image(frame, 7, &mono)).job;
        for (int16_t index : {int16_t(INT16_MIN), int16_t(-1), int16_t(8), int16_t(INT16_MAX)}) {
            SCOPED_TRACE(testing::Message() << language << " index " << index);
            PlotRun r = run_plot(store, {}, with_image(frame, index, &mono));
            expect_plot_ended(r);
            EXPECT_EQ(r.job, black);
        }
    }
}

}  // namespace
