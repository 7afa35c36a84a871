#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "config/config_record.h"
#include "golden.h"
#include "headless.h"
#include "host/message_table.h"
#include "host/plot_state.h"
#include "hpgl/plot_area.h"
#include "session_fixture.h"

namespace {

class PlotAreaTest : public SessionTest {
protected:
    // Initialisation, messages, model and configuration load, as before a plot.
    void prepare(std::initializer_list<const char*> edits = {}) {
        configure(edits);
        sim::Packet init(49);
        init.set_i16(4, 1).set_u8(7, 2);
        host->plot(init);
        plot(50);
        sim::Packet model(43);
        model.set_u8(8, 7);
        host->plot(model);
        sim::Packet load(29);
        load.set_i16(4, 3);
        host->plot(load);
        ASSERT_EQ(load.i16(0), 0);
    }
    sim::Packet area_request(int16_t code, double x, double y, double res = 1016, uint32_t flags = 0) {
        sim::Packet p(code, 512);
        p.set_i32(5, static_cast<int32_t>(flags)).set_f64(9, x).set_f64(17, y).set_f64(41, res).set_f64(49, res);
        host->plot(p);
        return p;
    }
};

TEST_F(PlotAreaTest, HostAreaSmallerThanThePaperIsKept) {
    prepare();
    sim::Packet p = area_request(48, 10, 10, 1016, 0x40);
    EXPECT_EQ(p.i16(0), 19);
    EXPECT_EQ(p.f64(9), 10.0);
    EXPECT_EQ(p.f64(17), 10.0);
    EXPECT_EQ(p.f64(25), 48.0);
    EXPECT_EQ(p.f64(33), 36.0);
    EXPECT_EQ(p.text(73, 4), "");
    EXPECT_EQ(p.u8(139), 2);
    EXPECT_EQ(p.u8(140), 0);
    EXPECT_EQ(g_plot_area.extent_x, 10.0);
    EXPECT_EQ(g_plot_area.host_flags, 0x40u);
}

TEST_F(PlotAreaTest, HostAreaAtLeastThePaperGetsTheLargest) {
    prepare();
    sim::Packet p = area_request(48, 100, 100, 508);
    EXPECT_EQ(p.i16(0), 19);
    EXPECT_EQ(p.f64(9), 48.0);
    EXPECT_EQ(p.f64(17), 36.0);
    EXPECT_EQ(std::memcmp(p.data() + 73, "MAX", 4), 0);
    EXPECT_EQ(g_plot_area.extent_x, 48.0);
    EXPECT_EQ(g_plot_area.extent_y, 36.0);
    EXPECT_EQ(g_plot_area.res_x, 508.0);  // the host's resolution is taken as it is
    EXPECT_EQ(g_plot_area.size_divisor, 1);
    EXPECT_EQ(g_plot_area.unit_scale, 1.0);
}

TEST_F(PlotAreaTest, OnlyTheFirstRequestOfAPlotComputesTheArea) {
    prepare();
    area_request(48, 100, 100);
    sim::Packet again = area_request(48, 5, 5, 1016, 0x40);
    EXPECT_EQ(again.i16(0), 0);
    EXPECT_EQ(again.f64(25), 0.0);  // nothing written
    EXPECT_EQ(g_plot_area.extent_x, 48.0);
    EXPECT_EQ(g_plot_area.host_flags, 0x40u);
}

TEST_F(PlotAreaTest, DivisorAndScaleForEachLanguage) {
    struct Case {
        const char* output_flags;
        const char* paper;
        const char* length;
        int32_t divisor;
        double unit_scale;
        int32_t short_coords;
    } cases[] = {
        {"output_flags=0x0100", "paper_index=1", "custom_length_mm=396", 1, 1.0, 1},
        {"output_flags=0x0100", "paper_index=23", "custom_length_mm=3000", 2, 2.0, 1},
        {"output_flags=0x0240", "paper_index=23", "custom_length_mm=3000", 2, 1.0, 0},
        {"output_flags=0x0240", "paper_index=1", "custom_length_mm=396", 1, 0.5, 0},
        {"output_flags=0x0240", "paper_index=3", "custom_length_mm=396", 1, 0.5, 1},  // 24 x 17.973
        {"output_flags=0x0240", "paper_index=23", "custom_length_mm=15000", 8, 4.0, 0},
        {"output_flags=0x0100", "paper_index=23", "custom_length_mm=15000", 16, 16.0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.output_flags << " " << c.paper << " " << c.length);
        prepare({c.output_flags, c.paper, c.length});
        // A divisor left from another plot must not survive this one's area request.
        g_plot_area.size_divisor = 4;
        EXPECT_EQ(area_request(48, 1e4, 1e4).i16(0), 19);
        EXPECT_EQ(g_plot_area.size_divisor, c.divisor);
        EXPECT_EQ(g_plot_area.unit_scale, c.unit_scale);
        EXPECT_EQ(g_plot_area.short_coords, c.short_coords);
    }
}

TEST_F(PlotAreaTest, MarginIsTakenOffEverySide) {
    prepare({"margin_mm=10"});
    sim::Packet p = area_request(48, 1e4, 1e4);
    EXPECT_DOUBLE_EQ(p.f64(25), 48 - 20 / 25.4);
    EXPECT_DOUBLE_EQ(p.f64(33), 36 - 20 / 25.4);
    EXPECT_EQ(g_plot_area.size_divisor, 1);
}

TEST_F(PlotAreaTest, PaperIndexOutsideTheListFallsBackToRow1) {
    for (const char* paper : {"paper_index=42", "paper_index=0", "paper_index=-7"}) {
        SCOPED_TRACE(paper);
        prepare({paper});
        area_request(48, 1e4, 1e4);
        EXPECT_EQ(g_config.paper_index, 1);
        EXPECT_EQ(g_plot_area.extent_x, 48.0);
    }
}

TEST_F(PlotAreaTest, SetPlotArea) {
    struct Case {
        const char* output_flags;
        double x, y;
        int32_t short_coords;
    } cases[] = {
        {"output_flags=0x0240", 40, 30, 1},
        {"output_flags=0x0240", 41, 30, 0},
        {"output_flags=0x0240", 30, 40.9575, 0},
        {"output_flags=0x0100", 41, 30, 1},  // HP-GL/2 leaves the flag alone
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.output_flags << " " << c.x << "x" << c.y);
        prepare({c.output_flags});
        sim::Packet p = area_request(47, c.x, c.y, 1016, 0x40);
        EXPECT_EQ(p.i16(0), 47);
        EXPECT_EQ(p.u8(139), 2);
        EXPECT_EQ(g_plot_area.extent_x, c.x);
        EXPECT_EQ(g_plot_area.extent_y, c.y);
        EXPECT_EQ(g_plot_area.short_coords, c.short_coords);
        EXPECT_EQ(g_plot_area.host_flags, 0x40u);
    }
}

TEST_F(PlotAreaTest, PlotDialogRepliesAndSaves) {
    prepare({"output_flags=0x0100", "paper_index=23", "custom_length_mm=3000"});
    host->clear_records();
    headless_reset();
    sim::Packet p(46, 512);
    p.set_i32(5, 0x40).set_u8(300, 0xAB);
    host->plot(p);
    EXPECT_EQ(p.i16(0), 19);
    EXPECT_DOUBLE_EQ(p.f64(9), 3000 / 25.4);
    EXPECT_EQ(p.f64(17), 36.0);
    EXPECT_EQ(p.f64(25), p.f64(9));
    EXPECT_EQ(p.f64(33), 36.0);
    EXPECT_EQ(p.f64(41), 508.0);
    EXPECT_EQ(p.f64(49), 508.0);
    EXPECT_EQ(std::memcmp(p.data() + 73, "MAX", 4), 0);
    EXPECT_EQ(p.u8(139), 2);
    EXPECT_EQ(p.u8(140), 0);
    EXPECT_EQ(p.u8(300), 0xAB);  // beyond the 267 bytes of the reply
    EXPECT_EQ(g_plot_area.size_divisor, 2);
    EXPECT_EQ(g_plot_area.unit_scale, 2.0);
    EXPECT_EQ(g_plot_area.res_x, 508.0);
    EXPECT_EQ(g_plot_area.host_flags, 0x40u);
    ASSERT_EQ(headless_dialogs().size(), 1u);
    EXPECT_EQ(headless_dialogs()[0].template_name, "drivercfg2_spa");
    ASSERT_EQ(host->events_of(sim::Event::SAVE_CONFIG).size(), 1u);
    EXPECT_EQ(host->events_of(sim::Event::SAVE_CONFIG)[0]->bytes, std::string(reinterpret_cast<char*>(&g_config), 40));
}

TEST_F(PlotAreaTest, PlotDialogSaveFailure) {
    prepare();
    host->faults.fail_save = true;
    host->clear_records();
    sim::Packet p(46, 512);
    host->plot(p);
    EXPECT_EQ(p.i16(0), -1);
    EXPECT_EQ(p.f64(25), 48.0);  // the reply was filled before the save
    EXPECT_EQ(g_plot.failure_latch, LATCH_CONFIG);
    EXPECT_EQ(host->console_texts(), (std::vector<std::string>{std::string("\n") + message_builtin(MSG_SAVE_FAILED) + "\n"}));
}

TEST_F(PlotAreaTest, LatchedRequestsChangeNothing) {
    prepare();
    g_plot.failure_latch = LATCH_OUTPUT;
    headless_reset();
    for (int16_t code : {46, 47, 48}) {
        sim::Packet p = area_request(code, 10, 10, 1016, 0x40);
        EXPECT_EQ(p.i16(0), -1) << code;
        EXPECT_EQ(p.u8(139), 0) << code;
    }
    EXPECT_EQ(g_plot_area.extent_x, 0.0);
    EXPECT_EQ(g_plot_area.host_flags, 0u);
    EXPECT_TRUE(headless_dialogs().empty());
}

// What the job header makes of an area: the page size, scaling points, scale and window.
std::string hpgl_frame(const std::string& job) {
    size_t from = job.find("PS"), to = job.find("XF4");
    return from == std::string::npos || to == std::string::npos ? "" : job.substr(from, to - from);
}

TEST_F(PlotAreaTest, PortraitPaperSwapsOnlyThePageSize) {
    // A 500 mm length on the 36-inch roll: wider than long.
    prepare({"paper_index=23", "custom_length_mm=500", "margin_mm=5"});
    area_request(48, 1e4, 1e4);
    ASSERT_EQ(g_plot_area.portrait, 1);
    EXPECT_EQ(g_plot_area.extent_x, 36 - 10 / 25.4);
    plot(30);
    plot(4);  // something drawn, so the job reaches the host
    plot(2);
    // 1016 x (36 - 10/25.4) = 36176, 1016 x (500 - 10)/25.4 = 19600, margin floor(5/25.4 x 1016) = 199
    EXPECT_EQ(hpgl_frame(host->job), "PS19998,36574IP199,199,36375,19799SC0,36176,0,19600IW0,0,36176,19600;");
}

TEST_F(PlotAreaTest, HostilePlotAreasCannotOverflowThePlotValues) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        double x, y, res;
        const char* frame;
    } cases[] = {
        {1e300, 1e300, 1016, "PS536870911,536870911IP0,0,536870911,536870911SC0,536870911,0,536870911IW0,0,536870911,536870911;"},
        {inf, -inf, 1016, "PS536870911,0IP0,0,536870911,0SC0,536870911,0,0IW0,0,536870911,0;"},
        {nan, 10, nan, "PS0,0IP0,0,0,0SC0,0,0,0IW0,0,0,0;"},
        {-5, 10, 1016, "PS0,10160IP0,0,0,10160SC0,0,0,10160IW0,0,0,10160;"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "x" << c.y << " at " << c.res);
        prepare();
        area_request(48, 1e4, 1e4, c.res);
        area_request(47, c.x, c.y);
        plot(30);
        plot(4);
        plot(2);
        EXPECT_EQ(hpgl_frame(host->job), c.frame);
    }
}

}  // namespace
