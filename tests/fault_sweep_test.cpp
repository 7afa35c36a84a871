// Fault sweeps: one plot run again and again on a fresh driver, each time with one fault
// at a different point: the k-th host write fails, the k-th allocation fails, an image's
// fetch stops or fails at each line, the configuration cannot be loaded or saved (also
// after the user confirmed a choice in a dialog).
// Whatever fails, the plot must end cleanly: the failure reported as documented, nothing
// sent after a port failure, every fetch reply released unless it failed, no block left
// allocated, and the job handle opened and closed in pairs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "headless.h"
#include "host/message_table.h"
#include "plot_run.h"
#include "sim/config_session.h"
#include "sim/record_fields.h"
#include "ui/dialog_ids.h"

namespace {

using namespace sim;

constexpr int16_t END_PLOT = 2;
constexpr int16_t BEGIN_PLOT = 30;
constexpr int16_t POLYGON_B = 33;
constexpr int16_t POLYGON_A = 54;
constexpr int16_t RASTER_IMAGE = 52;

const Picture& colour_picture() {
    static const Picture p = synthetic_colour(8, 6);
    return p;
}
const Picture& mono_picture() {
    static const Picture p = synthetic_monochrome(5, 4);
    return p;
}

ImageSpec frame(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int16_t transparent = 0) {
    ImageSpec s;
    s.x0 = x0, s.y0 = y0, s.x1 = x1, s.y1 = y1, s.transparent = transparent;
    return s;
}

// A small plot with every kind of drawing request (pens, line types, widths, moves, draws,
// lifts, both polygon forms) and two tiny images, an opaque colour one and a transparent
// monochrome one. Each image is followed by a request that writes, which produces it.
// `faults` apply to image `faulty` (0 or 1).
std::vector<PlotItem> small_plot(int faulty = -1, ReplyFaults faults = {}) {
    return {
        op_pen(3), op_line_type(2), op_width(0.02),
        op_move(1000, 1000), op_draw(9000, 1000), op_draw(9000, 9000), op_lift(), op_draw(1000, 9000),
        op_polygon(5, {{2000, 2000}, {4000, 2000}, {3000, 4000}}),
        PlotItem(&colour_picture(), frame(5000, 5000, 5030, 5024), faulty == 0 ? faults : ReplyFaults{}),
        op_pen(4),
        op_line_type(0), op_pen(250),
        op_polygon(2, {{12000, 12000}, {16000, 12000}, {16000, 16000}, {12000, 16000}}, true),
        PlotItem(&mono_picture(), frame(7000, 7000, 7020, 7016, 1), faulty == 1 ? faults : ReplyFaults{}),
        op_move(20000, 20000), op_draw(30000, 25000),
    };
}

// A plot whose output passes the 2 MiB block once, so that one flush happens in the
// middle of the plot: large zigzag polygons, each far beyond the HP-GL/2 numbers' short
// forms.
std::vector<PlotItem> large_plot() {
    std::vector<HostPoint> zigzag;
    for (int i = 0; i < 16000; ++i) zigzag.push_back({static_cast<uint16_t>(i % 2 ? 60000 : 100), static_cast<uint16_t>(i % 2 ? 100 : 40000)});
    std::vector<PlotItem> ops = {op_pen(1), op_move(100, 100), op_draw(5000, 5000)};
    for (int k = 0; k < 40; ++k) ops.push_back(op_polygon(static_cast<int32_t>(1 + k), zigzag, k % 2 == 1));
    ops.push_back(op_draw(100, 100));
    return ops;
}

// The output language and the order images are fetched in: the E-arch sheet is longer
// than wide, so its images come column by column; a 500 mm length of the 36-inch roll is
// wider than long, so its images come row by row.
struct Setup {
    const char* name;
    std::vector<const char*> edits;
};
const Setup k_setups[] = {
    {"HpglColumns", {"output_flags=0x1100"}},
    {"QdpxColumns", {"output_flags=0x1140"}},
    {"HpglRows", {"paper_index=23", "custom_length_mm=500", "output_flags=0x0100"}},
    {"QdpxRows", {"paper_index=23", "custom_length_mm=500", "output_flags=0x0140"}},
};

class FaultSweep : public ::testing::TestWithParam<Setup> {
protected:
    void SetUp() override {
        store = stored_record({});
        for (const char* edit : GetParam().edits) sim::record_assign(store.record, edit, sim::RecordEdit::raw);
    }
    PlotRun plot(const std::vector<PlotItem>& drawing, const PlotArming& arm = {}) { return run_plot(store, {}, drawing, arm); }
    bool qdpx() const { return store.record[30] & 0x40; }
    // The job ends with the trailer: the plot went on to its end.
    void expect_trailer(const PlotRun& r) const {
        static const std::string k_hpgl_end = "\x1B%-12345X\r\n";
        static const std::string k_qdpx_end("\x9B\x5E\x00\x02\x00\x00", 6);
        const std::string& end = qdpx() ? k_qdpx_end : k_hpgl_end;
        ASSERT_GE(r.job.size(), end.size());
        EXPECT_EQ(r.job.substr(r.job.size() - end.size()), end);
    }
    ConfigStore store;
};

// What every run must leave, failed or not.
void expect_clean_end(const PlotRun& r) {
    EXPECT_FALSE(r.buffer_left) << "the output buffer outlived the end of plot";
    EXPECT_EQ(r.blocks_left, 0) << "driver blocks outlived the end of plot";
    EXPECT_EQ(r.replies.back().code, END_PLOT);
    EXPECT_EQ(r.replies.back().word0, END_PLOT) << "end of plot writes no status";
    for (const ImageCalls& img : r.images) EXPECT_EQ(img.foreign, 0) << "release called with a reply the host never gave";
}

void expect_same_replies(const PlotRun& clean, const PlotRun& r) {
    ASSERT_EQ(r.replies.size(), clean.replies.size());
    for (size_t i = 0; i < r.replies.size(); ++i)
        EXPECT_EQ(r.replies[i].word0, clean.replies[i].word0) << "request " << i << " (code " << r.replies[i].code << ")";
}

// The index of the request during which the k-th host write (or allocation) happened.
size_t request_at(const std::vector<int>& counts_after, int k) {
    size_t i = 0;
    while (counts_after[i] < k) ++i;
    return i;
}

// The k-th host write fails: the pieces before it are the clean job's, nothing is tried
// after it, message 77 appears once, the request that was writing answers -1 and every
// later drawing request is refused (a polygon answers 0, as it does on a latched plot).
// An image that was waiting is dropped without a fetch.
void expect_write_failure(const PlotRun& clean, const PlotRun& r, int k) {
    SCOPED_TRACE(testing::Message() << "host write " << k << " of " << clean.write_pieces.size() << " fails");
    expect_clean_end(r);
    ASSERT_EQ(r.write_pieces.size(), static_cast<size_t>(k)) << "writes were tried after the failed one";
    std::string accepted;
    for (int i = 0; i + 1 < k; ++i) accepted += clean.write_pieces[i];
    EXPECT_EQ(r.job, accepted);
    EXPECT_EQ(r.write_pieces[k - 1], clean.write_pieces[k - 1]) << "the failed piece was not the clean run's";
    EXPECT_EQ(r.console, std::vector<std::string>{message_line(MSG_OUTPUT_ERROR)});
    EXPECT_EQ(r.latch, LATCH_OUTPUT);
    EXPECT_EQ(r.handles, clean.handles);
    for (const ImageCalls& img : r.images) EXPECT_EQ(img.outstanding, 0u);

    const size_t failing = request_at(clean.writes_after, k);
    ASSERT_EQ(r.replies.size(), clean.replies.size());
    for (size_t i = 0; i < r.replies.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "request " << i << " (code " << r.replies[i].code << ")");
        const int16_t code = r.replies[i].code;
        if (i < failing) EXPECT_EQ(r.replies[i].word0, clean.replies[i].word0);
        else if (code == END_PLOT || code == RASTER_IMAGE) EXPECT_EQ(r.replies[i].word0, code);
        else if (i > failing && (code == POLYGON_A || code == POLYGON_B)) EXPECT_EQ(r.replies[i].word0, 0);
        else EXPECT_EQ(r.replies[i].word0, -1);
    }
}

TEST_P(FaultSweep, EveryHostWriteOfASmallPlotFails) {
    PlotRun clean = plot(small_plot());
    expect_clean_end(clean);
    ASSERT_TRUE(clean.console.empty());
    ASSERT_EQ(clean.images.size(), 2u);
    for (const ImageCalls& img : clean.images) ASSERT_GT(img.fetches, 1u);
    const int writes = static_cast<int>(clean.write_pieces.size());
    for (int k = 1; k <= writes; ++k)
        expect_write_failure(clean, plot(small_plot(), [k](Host& h) { h.faults.fail_write_at = k; }), k);
    // One past the last write: nothing fails and the job is the clean one.
    PlotRun past = plot(small_plot(), [writes](Host& h) { h.faults.fail_write_at = writes + 1; });
    EXPECT_EQ(past.job, clean.job);
    EXPECT_TRUE(past.console.empty());
}

// Every line of each image stops the fetching, then fails it. A stop prints what came
// before it and every reply is released; a failure shows the message box once, keeps the
// failed reply with the host and drops the image. Either way the plot goes on to its
// trailer with every request answered as without the fault.
TEST_P(FaultSweep, EveryFetchOfEachImageStopsOrFails) {
    PlotRun clean = plot(small_plot());
    ASSERT_EQ(clean.images.size(), 2u);
    for (int image = 0; image < 2; ++image) {
        const int32_t first = clean.images[image].first_line;
        const int32_t fetches = static_cast<int32_t>(clean.images[image].fetches);
        for (int32_t line = first; line < first + fetches; ++line) {
            const size_t asked = static_cast<size_t>(line - first + 1);
            {
                SCOPED_TRACE(testing::Message() << "image " << image << " stops at line " << line);
                ReplyFaults stop;
                stop.stop_at = line;
                PlotRun r = plot(small_plot(image, stop));
                expect_clean_end(r);
                expect_same_replies(clean, r);
                expect_trailer(r);
                EXPECT_EQ(r.images[image].fetches, asked);
                EXPECT_EQ(r.images[image].releases, static_cast<int32_t>(asked));
                EXPECT_EQ(r.images[image].outstanding, 0u);
                EXPECT_TRUE(r.message_boxes.empty());
                EXPECT_TRUE(r.console.empty());
                EXPECT_EQ(r.latch, 0);
                EXPECT_EQ(r.handles, clean.handles);
            }
            {
                SCOPED_TRACE(testing::Message() << "image " << image << " fails at line " << line);
                ReplyFaults fail;
                fail.fail_at = line;
                PlotRun r = plot(small_plot(image, fail));
                expect_clean_end(r);
                expect_same_replies(clean, r);
                expect_trailer(r);
                EXPECT_EQ(r.images[image].fetches, asked);
                EXPECT_EQ(r.images[image].releases, static_cast<int32_t>(asked) - 1);
                EXPECT_EQ(r.images[image].outstanding, 1u) << "the failed reply stays with the host";
                ASSERT_EQ(r.message_boxes.size(), 1u);
                EXPECT_EQ(r.message_boxes[0].rfind("image faile=" + std::to_string(line) + " ", 0), 0u) << r.message_boxes[0];
                EXPECT_TRUE(r.console.empty());
                EXPECT_EQ(r.latch, 0);
                EXPECT_EQ(r.handles, clean.handles);
            }
        }
    }
}

// Writes at the edges of every flush: the first and last piece of the flush in the middle
// of the plot, the first and last of the end of plot, and one past the end.
TEST_P(FaultSweep, HostWritesAtTheEdgesOfEveryFlushOfALargePlot) {
    const std::vector<PlotItem> drawing = large_plot();
    PlotRun clean = plot(drawing);
    expect_clean_end(clean);
    ASSERT_GT(clean.job.size(), 0x200000u) << "the plot must pass the block once";
    std::vector<int> edges;
    for (size_t i = 0, before = 0; i < clean.writes_after.size(); before = clean.writes_after[i++]) {
        if (clean.writes_after[i] == static_cast<int>(before)) continue;
        edges.push_back(static_cast<int>(before) + 1);
        edges.push_back(clean.writes_after[i]);
    }
    ASSERT_GE(edges.size(), 4u) << "a flush in the middle of the plot and one at its end";
    for (int k : edges) expect_write_failure(clean, plot(drawing, [k](Host& h) { h.faults.fail_write_at = k; }), k);
}

// The full sample drawing, images included (at 200 dots per inch, so that each run takes
// seconds, not minutes), at the boundary values: the first and last host write of every
// request that writes, then the first and last allocation of every request that
// allocates, and the first and last line of every image stopped and failed.
using SampleFaultSweep = FaultSweep;  // on the E-arch sheet the sample is drawn for

TEST_P(SampleFaultSweep, SamplePlotAtTheBoundaries) {
    const int output_flags = store.record[30] | store.record[31] << 8;
    record_assign(store.record, "output_flags=" + std::to_string((output_flags & ~0x0F00) | 0x0800), RecordEdit::raw);
    PlotSetup setup;
    setup.resolution = configured_resolution(store);
    const DrawingRequests sample = drawing_requests(drawing::sample_drawing(), setup.resolution);
    const std::vector<PlotItem>& drawing = sample.items;
    // The job label is typed into the plot-time dialog, as plothost plot does; on this
    // model the dialog would turn QDPX back into HP-GL/2, so a QDPX plot goes without it.
    ASSERT_FALSE(sample.label.empty());
    const std::string label_script = qdpx() ? "" : "type " + std::to_string(IDC_JOB_LABEL) + " " + sample.label + "\nclick 1\n";
    setup.plot_dialog = !qdpx();
    auto run_plot = [&](const ConfigStore& s, const PlotSetup& su, const std::vector<PlotItem>& d, const PlotArming& arm = {}) {
        return ::run_plot(s, su, d, [&](Host& h) {
            if (!label_script.empty()) headless_set_script(label_script);
            if (arm) arm(h);
        });
    };
    PlotRun clean = run_plot(store, setup, drawing);
    ASSERT_EQ(clean.job.find(sample.label) != std::string::npos, !qdpx()) << "the label reaches the job";
    expect_clean_end(clean);
    ASSERT_TRUE(clean.console.empty());
    ASSERT_EQ(clean.images.size(), 3u);

    std::vector<int> writes, allocations;
    for (size_t i = 0; i < clean.replies.size(); ++i) {
        const int writes_before = i ? clean.writes_after[i - 1] : 0, allocations_before = i ? clean.allocations_after[i - 1] : 0;
        if (clean.writes_after[i] > writes_before) writes.insert(writes.end(), {writes_before + 1, clean.writes_after[i]});
        if (clean.allocations_after[i] > allocations_before)
            allocations.insert(allocations.end(), {allocations_before + 1, clean.allocations_after[i]});
    }
    for (int k : writes)
        expect_write_failure(clean, run_plot(store, setup, drawing, [k](Host& h) { h.faults.fail_write_at = k; }), k);
    EXPECT_EQ(run_plot(store, setup, drawing, [&](Host& h) { h.faults.fail_write_at = clean.writes_after.back() + 1; }).job, clean.job);

    for (int k : allocations) {
        SCOPED_TRACE(testing::Message() << "allocation " << k << " fails");
        PlotRun r = run_plot(store, setup, drawing, [k](Host&) { driver_alloc_fail_nth(k); });
        expect_clean_end(r);
        for (const ImageCalls& img : r.images) EXPECT_EQ(img.outstanding, 0u);
        if (clean.replies[request_at(clean.allocations_after, k)].code != BEGIN_PLOT) {  // an image's buffer: the plot goes on
            expect_same_replies(clean, r);
            expect_trailer(r);
            EXPECT_EQ(r.latch, 0);
        }
    }

    size_t image = 0;
    std::vector<PlotItem> faulty = drawing;
    for (PlotItem& item : faulty) {
        if (!item.picture) continue;
        const ImageCalls& calls = clean.images[image++];
        for (int32_t line : {calls.first_line, calls.first_line + static_cast<int32_t>(calls.fetches) - 1}) {
            for (bool fail : {false, true}) {
                SCOPED_TRACE(testing::Message() << "image " << image << (fail ? " fails" : " stops") << " at line " << line);
                item.faults = ReplyFaults{};
                (fail ? item.faults.fail_at : item.faults.stop_at) = line;
                PlotRun r = run_plot(store, setup, faulty);
                expect_clean_end(r);
                expect_same_replies(clean, r);
                expect_trailer(r);
                EXPECT_EQ(r.latch, 0);
                EXPECT_EQ(r.message_boxes.size(), fail ? 1u : 0u);
                EXPECT_EQ(r.images[image - 1].outstanding, fail ? 1u : 0u);
            }
        }
        item.faults = ReplyFaults{};
    }
}

// Every allocation the plot makes fails in turn. The output buffer's failure at begin
// plot is reported with message 2; the plot then sends nothing, fetches no image and
// never opens the job handle. An image whose buffer cannot be had is dropped, with every
// reply it fetched released, and the plot goes on to its trailer.
TEST_P(FaultSweep, EveryAllocationOfASmallPlotFails) {
    PlotRun clean = plot(small_plot());
    const int allocations = clean.allocations_after.back();
    ASSERT_GE(allocations, 3) << "the output buffer and each image's buffers";
    for (int k = 1; k <= allocations; ++k) {
        SCOPED_TRACE(testing::Message() << "allocation " << k << " of " << allocations << " fails");
        PlotRun r = plot(small_plot(), [k](Host&) { driver_alloc_fail_nth(k); });
        expect_clean_end(r);
        for (const ImageCalls& img : r.images) EXPECT_EQ(img.outstanding, 0u);
        EXPECT_TRUE(r.message_boxes.empty());
        const size_t failing = request_at(clean.allocations_after, k);
        if (r.replies[failing].code == BEGIN_PLOT) {
            EXPECT_EQ(r.replies[failing].word0, -1);
            EXPECT_EQ(r.console, std::vector<std::string>{std::string("\n") + message_builtin(MSG_NO_MEMORY)});
            EXPECT_EQ(r.latch, LATCH_OUTPUT);
            EXPECT_TRUE(r.write_pieces.empty());
            EXPECT_TRUE(r.handles.empty()) << "no job was opened, so none is closed";
            for (const ImageCalls& img : r.images) EXPECT_EQ(img.fetches, 0u);
        } else {
            ASSERT_EQ(r.replies[failing - 1].code, RASTER_IMAGE) << "only begin plot and images allocate";
            expect_same_replies(clean, r);
            expect_trailer(r);
            EXPECT_TRUE(r.console.empty());
            EXPECT_EQ(r.latch, 0);
            EXPECT_EQ(r.handles, clean.handles);
        }
    }
}

// The configuration cannot be loaded (29) or, after the plot-time dialog, saved (46): the
// plot is refused from there on, with one message, and nothing is allocated, fetched or
// sent.
TEST_P(FaultSweep, ConfigurationLoadOrSaveFails) {
    struct Case {
        const char* what;
        bool fail_load, plot_dialog;
        int16_t failing_code;
        int message;
    };
    const Case cases[] = {
        {"load", true, false, 29, MSG_LOAD_FAILED},
        {"save after the plot-time dialog", false, true, 46, MSG_SAVE_FAILED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PlotSetup setup;
        setup.plot_dialog = c.plot_dialog;
        PlotRun r = run_plot(store, setup, small_plot(), [&c](Host& h) {
            h.faults.fail_load = c.fail_load;
            h.faults.fail_save = !c.fail_load;
        });
        expect_clean_end(r);
        EXPECT_EQ(r.console, std::vector<std::string>{message_line(c.message)});
        EXPECT_EQ(r.latch, LATCH_CONFIG);
        EXPECT_TRUE(r.write_pieces.empty());
        EXPECT_TRUE(r.handles.empty());
        for (const ImageCalls& img : r.images) EXPECT_EQ(img.fetches, 0u);
        EXPECT_EQ(r.allocations_after.back(), 0) << "a refused begin plot allocates nothing";
        bool after = false;
        for (const PlotReply& reply : r.replies) {
            if (reply.code == c.failing_code) {
                EXPECT_EQ(reply.word0, -1);
                after = true;
            } else if (after && (reply.code == BEGIN_PLOT || reply.code == 3 || reply.code == 4)) {
                EXPECT_EQ(reply.word0, -1) << "request " << reply.code << " after the failure";
            } else if (after && (reply.code == POLYGON_A || reply.code == POLYGON_B)) {
                EXPECT_EQ(reply.word0, 0);
            }
        }
        EXPECT_TRUE(after);
    }
}

// A user confirms a changed configuration in the dialog and the host cannot store it, at
// configuration time (request 47 after 21) and at plot time (46). The failure is reported
// once, the plot refused, and nothing the user chose is lost: the host keeps its former
// record, and the driver's record still holds the choice, which the next save stores.
TEST(DialogFaults, ConfirmedChoicesWhoseSaveFails) {
    const std::string choice = "type " + std::to_string(IDC_COPIES) + " 7\nclick " + std::to_string(IDC_FILL_SOLID) + "\nclick 1\n";
    const ConfigStore before = stored_record({});
    {
        SCOPED_TRACE("configuration time");
        Host host(bind_in_process());
        host.store = before;
        host.faults.fail_save = true;
        headless_set_script(choice);
        ConfigSessionReplies replies = run_config_session(host);
        EXPECT_EQ(replies.entry.i16(0), 0);
        EXPECT_EQ(replies.save.i16(0), -1);
        EXPECT_EQ(host.console_texts(), std::vector<std::string>{message_line(MSG_SAVE_FAILED)});
        EXPECT_EQ(g_plot.failure_latch, LATCH_CONFIG);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(host.store.record), 40),
                  std::string(reinterpret_cast<const char*>(before.record), 40)) << "the host's record is untouched";
        EXPECT_EQ(headless_gdi_objects(), 0);
        // The host tries again after identifying itself (which clears the latch).
        host.faults.fail_save = false;
        Packet identify(49), save(47);
        identify.set_i16(4, 1).set_u8(7, 2);
        host.config(identify);
        host.config(save);
        EXPECT_EQ(save.i16(0), 0);
        EXPECT_EQ(record_get(host.store.record, sim::record_field("copies")), 7);
        EXPECT_EQ(record_get(host.store.record, sim::record_field("plot_flags")) & 0x1000, 0) << "solid fill chosen";
        headless_reset();
    }
    {
        SCOPED_TRACE("plot time");
        PlotSetup setup;
        setup.plot_dialog = true;
        PlotRun r = run_plot(before, setup, small_plot(), [&](Host& h) {
            h.faults.fail_save = true;
            headless_set_script(choice);
        });
        expect_clean_end(r);
        EXPECT_EQ(r.replies[4].code, 46);
        EXPECT_EQ(r.replies[4].word0, -1);
        EXPECT_EQ(r.console, std::vector<std::string>{message_line(MSG_SAVE_FAILED)});
        EXPECT_EQ(r.latch, LATCH_CONFIG);
        EXPECT_TRUE(r.write_pieces.empty());
        EXPECT_TRUE(r.handles.empty());
        EXPECT_EQ(headless_gdi_objects(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(LanguagesAndOrders, FaultSweep, ::testing::ValuesIn(k_setups),
                         [](const testing::TestParamInfo<Setup>& info) { return std::string(info.param.name); });
INSTANTIATE_TEST_SUITE_P(Languages, SampleFaultSweep, ::testing::Values(k_setups[0], k_setups[1]),
                         [](const testing::TestParamInfo<Setup>& info) { return std::string(info.param.name); });

}  // namespace
