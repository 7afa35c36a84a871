// Fault sweeps: one plot run again and again on a fresh driver, each time with one fault
// at a different point: the k-th host write fails, the k-th allocation fails, the
// configuration cannot be loaded or saved. Whatever fails, the plot must end cleanly:
// the failure reported once on the console, the latch set, nothing sent after the
// failure, no block left allocated, and the job handle opened and closed in pairs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/message_table.h"
#include "plot_run.h"

namespace {

using namespace sim;

constexpr int16_t END_PLOT = 2;
constexpr int16_t POLYGON_B = 33;
constexpr int16_t POLYGON_A = 54;

// A small plot with every kind of drawing request: pens, line types, widths, moves,
// draws, lifts and both polygon forms.
std::vector<PlotOp> small_plot() {
    return {
        op_pen(3), op_line_type(2), op_width(0.02),
        op_move(1000, 1000), op_draw(9000, 1000), op_draw(9000, 9000), op_lift(), op_draw(1000, 9000),
        op_polygon(5, {{2000, 2000}, {4000, 2000}, {3000, 4000}}),
        op_line_type(0), op_pen(250),
        op_polygon(2, {{12000, 12000}, {16000, 12000}, {16000, 16000}, {12000, 16000}}, true),
        op_move(20000, 20000), op_draw(30000, 25000),
    };
}

// A plot whose output passes the 2 MiB block once, so that one flush happens in the
// middle of the plot: large zigzag polygons, each far beyond the HP-GL/2 numbers' short
// forms.
std::vector<PlotOp> large_plot() {
    std::vector<HostPoint> zigzag;
    for (int i = 0; i < 16000; ++i) zigzag.push_back({static_cast<uint16_t>(i % 2 ? 60000 : 100), static_cast<uint16_t>(i % 2 ? 100 : 40000)});
    std::vector<PlotOp> ops = {op_pen(1), op_move(100, 100), op_draw(5000, 5000)};
    for (int k = 0; k < 24; ++k) ops.push_back(op_polygon(static_cast<int32_t>(1 + k), zigzag, k % 2 == 1));
    ops.push_back(op_draw(100, 100));
    return ops;
}

struct Language {
    const char* name;
    const char* output_flags;
};
const Language k_languages[] = {{"HP-GL/2", "output_flags=0x1100"}, {"QDPX", "output_flags=0x1140"}};

class FaultSweep : public ::testing::TestWithParam<Language> {
protected:
    void SetUp() override { store = stored_record({GetParam().output_flags}); }
    PlotRun plot(const std::vector<PlotOp>& drawing, const PlotArming& arm = {}) { return run_plot(store, {}, drawing, arm); }
    ConfigStore store;
};

// What every run must leave, failed or not.
void expect_clean_end(const PlotRun& r) {
    EXPECT_FALSE(r.buffer_left) << "the output buffer outlived the end of plot";
    EXPECT_EQ(r.blocks_left, 0) << "driver blocks outlived the end of plot";
    EXPECT_EQ(r.replies.back().code, END_PLOT);
    EXPECT_EQ(r.replies.back().word0, END_PLOT) << "end of plot writes no status";
}

// The index of the request during which the k-th host write happened.
size_t request_of_write(const PlotRun& clean, int k) {
    size_t i = 0;
    while (clean.writes_after[i] < k) ++i;
    return i;
}

// The k-th host write fails: the pieces before it are the clean job's, nothing is tried
// after it, message 77 appears once, the request that flushed answers -1 and every later
// drawing request is refused (a polygon answers 0, as it does on a latched plot).
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

    size_t failing = request_of_write(clean, k);
    ASSERT_EQ(r.replies.size(), clean.replies.size());
    for (size_t i = 0; i < r.replies.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "request " << i << " (code " << r.replies[i].code << ")");
        int16_t code = r.replies[i].code;
        if (i < failing) EXPECT_EQ(r.replies[i].word0, clean.replies[i].word0);
        else if (code == END_PLOT) EXPECT_EQ(r.replies[i].word0, END_PLOT);
        else if (i > failing && (code == POLYGON_A || code == POLYGON_B)) EXPECT_EQ(r.replies[i].word0, 0);
        else EXPECT_EQ(r.replies[i].word0, -1);
    }
}

TEST_P(FaultSweep, EveryHostWriteOfASmallPlotFails) {
    PlotRun clean = plot(small_plot());
    expect_clean_end(clean);
    ASSERT_GT(clean.write_pieces.size(), 1u);
    ASSERT_TRUE(clean.console.empty());
    const int writes = static_cast<int>(clean.write_pieces.size());
    for (int k = 1; k <= writes; ++k)
        expect_write_failure(clean, plot(small_plot(), [k](Host& h) { h.faults.fail_write_at = k; }), k);
    // One past the last write: nothing fails and the job is the clean one.
    PlotRun past = plot(small_plot(), [writes](Host& h) { h.faults.fail_write_at = writes + 1; });
    EXPECT_EQ(past.job, clean.job);
    EXPECT_TRUE(past.console.empty());
}

// Writes at the edges of every flush: the first and last piece of the flush in the middle
// of the plot, the first and last of the end of plot, and one past the end.
TEST_P(FaultSweep, HostWritesAtTheEdgesOfEveryFlushOfALargePlot) {
    const std::vector<PlotOp> drawing = large_plot();
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

// The full sample drawing at the boundary values: the first write, the last, one past it.
TEST_P(FaultSweep, HostWritesOfTheSamplePlot) {
    const std::vector<PlotOp> drawing = drawing_requests(drawing::sample_drawing(), configured_resolution(store));
    PlotSetup setup;
    setup.resolution = configured_resolution(store);
    PlotRun clean = run_plot(store, setup, drawing);
    expect_clean_end(clean);
    ASSERT_TRUE(clean.console.empty());
    const int writes = static_cast<int>(clean.write_pieces.size());
    for (int k : {1, 2, writes - 1, writes})
        expect_write_failure(clean, run_plot(store, setup, drawing, [k](Host& h) { h.faults.fail_write_at = k; }), k);
    EXPECT_EQ(run_plot(store, setup, drawing, [writes](Host& h) { h.faults.fail_write_at = writes + 1; }).job, clean.job);
}

// Every allocation the plot makes fails in turn. The output buffer's failure at begin plot
// is reported with message 2; the plot then sends nothing and never opens the job handle.
TEST_P(FaultSweep, EveryAllocationOfASmallPlotFails) {
    PlotRun clean = plot(small_plot());
    const int allocations = clean.allocations_after.back();
    ASSERT_GE(allocations, 1);
    for (int k = 1; k <= allocations; ++k) {
        SCOPED_TRACE(testing::Message() << "allocation " << k << " of " << allocations << " fails");
        PlotRun r = plot(small_plot(), [k](Host&) { driver_alloc_fail_nth(k); });
        expect_clean_end(r);
        size_t failing = 0;
        while (clean.allocations_after[failing] < k) ++failing;
        ASSERT_EQ(r.replies[failing].code, 30) << "only begin plot allocates in a plot without images";
        EXPECT_EQ(r.replies[failing].word0, -1);
        EXPECT_EQ(r.console, std::vector<std::string>{std::string("\n") + message_builtin(MSG_NO_MEMORY)});
        EXPECT_EQ(r.latch, LATCH_OUTPUT);
        EXPECT_TRUE(r.write_pieces.empty());
        EXPECT_TRUE(r.handles.empty()) << "no job was opened, so none is closed";
    }
}

// The configuration cannot be loaded (29) or, after the plot-time dialog, saved (46): the
// plot is refused from there on, with one message, and nothing is allocated or sent.
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
        EXPECT_EQ(r.allocations_after.back(), 0) << "a refused begin plot allocates nothing";
        bool after = false;
        for (const PlotReply& reply : r.replies) {
            if (reply.code == c.failing_code) {
                EXPECT_EQ(reply.word0, -1);
                after = true;
            } else if (after && (reply.code == 30 || reply.code == 3 || reply.code == 4)) {
                EXPECT_EQ(reply.word0, -1) << "request " << reply.code << " after the failure";
            } else if (after && (reply.code == POLYGON_A || reply.code == POLYGON_B)) {
                EXPECT_EQ(reply.word0, 0);
            }
        }
        EXPECT_TRUE(after);
    }
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, FaultSweep, ::testing::ValuesIn(k_languages),
                         [](const testing::TestParamInfo<Language>& info) { return std::string(info.param.name) == "QDPX" ? "Qdpx" : "Hpgl"; });

}  // namespace
