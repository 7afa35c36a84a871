#include <string>
#include <vector>

#include "golden.h"
#include "hpgl/plot_area.h"
#include "hpgl/plot_lifecycle.h"
#include "session_fixture.h"

namespace {

using namespace sim;

// One drawing for every golden plot, in host units: every drawing request, the
// duplicate-point rule, lifts, both polygon packet forms, a line type above the host's
// limit, and a draw straight after a polygon.
std::vector<PlotOp> sample_plot() {
    return {
        op_pen(3), op_line_type(2), op_width(0.01),
        op_move(1016, 1016), op_draw(5080, 1016), op_draw(5080, 5080), op_draw(5080, 5080), op_draw(5080, 5080),
        op_lift(), op_move(10160, 1016), op_draw(10160, 10160), op_lift(), op_draw(20000, 10160),
        op_line_type(9), op_width(0.5),
        op_polygon(5, {{2032, 2032}, {4064, 2032}, {4064, 4064}, {2032, 4064}}),
        op_move(30000, 30000), op_draw(48768, 36576),
        op_polygon(250, {{40000, 30000}, {45000, 30000}, {42500, 35000}}, true),
        op_draw(0, 0), op_move(100, 100), op_draw(65535, 65535),
    };
}

using PlotSessionTest = SessionTest;

TEST_F(PlotSessionTest, DefaultEArchPlot) {
    configure();
    run({}, sample_plot());
    EXPECT_EQ(g_plot_area.size_divisor, 1);
    EXPECT_EQ(g_plot_area.plot_w, 48768);
    EXPECT_EQ(g_plot_area.plot_h, 36576);
    expect_golden("plot_default_earch.hex", host->job);
}

TEST_F(PlotSessionTest, CustomLengthWithDivisor2) {
    // A 3000 mm roll of the 36-inch width, margin 10 mm, solid fill, 8-bit PE numbers.
    configure({"paper_index=23", "custom_length_mm=3000", "margin_mm=10", "plot_flags=0x2000"});
    PlotSetup setup;
    setup.resolution = 508;  // what the host learnt at configuration time
    run(setup, sample_plot());
    EXPECT_EQ(g_plot_area.size_divisor, 2);
    EXPECT_EQ(g_plot_area.unit_scale, 2.0);
    expect_golden("plot_custom_length_divisor2.hex", host->job);
}

TEST_F(PlotSessionTest, QdpxPlotWith32BitCoordinates) {
    configure({"output_flags=0x0240", "copies=12"});
    PlotSetup setup;
    setup.before_begin = [](Host&) { set_job_label("ABC"); };
    run(setup, sample_plot());
    EXPECT_EQ(g_plot_area.short_coords, 0);  // E-arch is wider than 40.9575 inches
    expect_golden("plot_qdpx_32bit.hex", host->job);
}

TEST_F(PlotSessionTest, JobLabelCopiesAndFinisher) {
    // Program 20, margins off, bin 13 (row 14), Vitela, manual output; the plot area
    // through the plot-time dialog.
    configure({"copies=3", "finisher_program=20", "finisher_margin=1", "output_bin=14", "media_index=3",
               "output_flags=0x1180"});
    PlotSetup setup;
    setup.plot_dialog = true;
    setup.before_begin = [](Host&) { set_job_label("PLANO 7"); };
    run(setup, sample_plot());
    expect_golden("plot_label_copies_finisher.hex", host->job);
}

}  // namespace
