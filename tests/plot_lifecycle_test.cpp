#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include "config/config_record.h"
#include "host/alloc.h"
#include "host/cp1252.h"
#include "host/message_table.h"
#include "host/output_buffer.h"
#include "host/plot_state.h"
#include "hpgl/pens.h"
#include "hpgl/plot_area.h"
#include "hpgl/plot_lifecycle.h"
#include "hpgl/vectors.h"
#include "session_fixture.h"

namespace {

using sim::op_draw;
using sim::op_move;
using sim::op_polygon;

const std::string k_hpgl_trailer = ";PUSP0;PG;\x1B%-12345X\r\n";

std::string qdpx_trailer() {
    std::string fixed;
    for (int group = 0; group < 5; ++group) {
        fixed += std::string("\x18\x01\x00\x00\x18\x02\x00\x00\x18\x02\xFF", 11);
        fixed += static_cast<char>(0xFF - group);
    }
    fixed += std::string("\x18\x01\x00\x00\x18\x02\x00\x00\x18\x02", 10);
    return fixed + std::string("\xF3\x01\x00\x01\x9B\x5E\x00\x02\x00\x00", 10);
}

class LifecycleTest : public SessionTest {
protected:
    void SetUp() override {
        SessionTest::SetUp();
        configure();
    }
};

TEST_F(LifecycleTest, TrailerEndsAPlotWithADrawing) {
    run({}, {op_move(0, 0), op_draw(10, 0)});
    ASSERT_GE(host->job.size(), k_hpgl_trailer.size());
    EXPECT_EQ(host->job.substr(host->job.size() - k_hpgl_trailer.size()), k_hpgl_trailer);
    EXPECT_EQ(job_handle_calls(), (std::vector<std::pair<int32_t, int32_t>>{{30, 1}, {7, 1}}));
    EXPECT_EQ(g_plot.drawn, 0);
    EXPECT_EQ(g_output.output_buffer, nullptr);

    configure({"output_flags=0x0240"});
    run({}, {op_polygon(3, {{0, 0}, {5, 5}})});
    std::string trailer = qdpx_trailer();
    ASSERT_EQ(trailer.size(), 80u);
    EXPECT_EQ(host->job.substr(host->job.size() - trailer.size()), trailer);
}

TEST_F(LifecycleTest, MovesOnlyPlotSendsNothing) {
    run({}, {op_move(0, 0), op_move(100, 100), sim::op_pen(3), sim::op_width(0.01)});
    EXPECT_TRUE(host->job.empty());
    EXPECT_TRUE(host->events_of(sim::Event::WRITE_BYTES).empty());
    EXPECT_EQ(job_handle_calls().size(), 2u);
}

TEST_F(LifecycleTest, SerialDeviceControlIsAllThatAMovesOnlyPlotSends) {
    struct Case {
        uint16_t plot_flags;
        uint32_t host_flags;
        std::vector<std::string> sent;
    } cases[] = {
        {PF_HALFTONE_FILL, 0, {}},
        {PF_SERIAL_PORT, 0, {"\x1B.R", "\x1B.I81;0;17:", "\x1B.N10;19:", "\x1B.@;0:"}},
        {PF_SERIAL_PORT | PF_HANDSHAKE_HARDWARE, 0, {"\x1B.R", "\x1B.@;1:"}},
        {PF_SERIAL_PORT | 0x0200, 0, {}},
        {PF_SERIAL_PORT | 0x0300, 0, {}},
        {PF_SERIAL_PORT, 0x40, {}},  // the host suppresses them
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.plot_flags << "/" << c.host_flags);
        configure({("plot_flags=" + std::to_string(c.plot_flags)).c_str()});
        sim::PlotSetup setup;
        setup.host_flags = c.host_flags;
        run(setup, {op_move(1, 1)});
        std::vector<std::string> sent;
        for (const sim::Event* e : host->events_of(sim::Event::SEND_DIRECT)) sent.push_back(e->bytes);
        EXPECT_EQ(sent, c.sent);
        EXPECT_TRUE(host->job.empty());
    }
}

TEST_F(LifecycleTest, AbortThenEndOfPlotSendsNothingAndClosesTheHandle) {
    sim::plot_prepare(*host, {});
    sim::plot_draw(*host, {op_move(0, 0), op_draw(100, 0)});
    EXPECT_EQ(plot(9).i16(0), 9);  // no status
    EXPECT_EQ(g_plot.failure_latch, LATCH_OUTPUT);
    EXPECT_EQ(g_plot.summary_copies, 1);
    EXPECT_EQ(sim::send_plot_op(*host, op_draw(5, 5)).word0, -1);
    EXPECT_EQ(sim::send_plot_op(*host, op_polygon(1, {{0, 0}, {5, 5}})).word0, 0);
    EXPECT_EQ(sim::plot_finish(*host).word0, 2);
    EXPECT_TRUE(host->job.empty());
    EXPECT_EQ(job_handle_calls(), (std::vector<std::pair<int32_t, int32_t>>{{30, 1}, {7, 1}}));
    EXPECT_EQ(g_output.output_buffer, nullptr);
}

TEST_F(LifecycleTest, TwoEndsOfPlotCloseTheSameHandleTwice) {
    run({}, {op_draw(1, 1)});
    size_t job_size = host->job.size();
    EXPECT_EQ(plot(2).i16(0), 2);
    EXPECT_EQ(host->job.size(), job_size);  // no second trailer
    EXPECT_EQ(job_handle_calls(), (std::vector<std::pair<int32_t, int32_t>>{{30, 1}, {7, 1}, {7, 1}}));
}

TEST_F(LifecycleTest, NegativeHandleIsNeverClosed) {
    host->faults.job_handle = -2;
    run({}, {op_draw(1, 1)});
    EXPECT_EQ(job_handle_calls(), (std::vector<std::pair<int32_t, int32_t>>{{30, 1}}));
    EXPECT_FALSE(host->job.empty());
}

TEST_F(LifecycleTest, FlushFailureInTheMiddleOfAPlot) {
    sim::plot_prepare(*host, {});
    // Polygons of 32767 vertices stage well over 2 MiB between them, so the buffer fills
    // and is flushed while a polygon is being written.
    std::vector<sim::HostPoint> zigzag(32767);
    for (size_t i = 0; i < zigzag.size(); ++i) zigzag[i] = {static_cast<uint16_t>((i % 2) * 60000), static_cast<uint16_t>(i)};
    host->faults.fail_write_at = 5;
    host->faults.fail_all_writes_after = true;
    int failed_at = -1;
    for (int k = 0; k < 20 && failed_at < 0; ++k)
        if (sim::send_plot_op(*host, op_polygon(3, zigzag, true)).word0 == -1) failed_at = k;
    ASSERT_GT(failed_at, 0);
    EXPECT_EQ(g_plot.failure_latch, LATCH_OUTPUT);
    EXPECT_EQ(host->job.size(), 4u * 128);  // the pieces accepted before the failure
    std::vector<std::string> console = host->console_texts();
    ASSERT_EQ(console.size(), 1u);
    EXPECT_EQ(console[0], std::string("\n") + message_builtin(MSG_OUTPUT_ERROR) + "\n");
    // The plot goes on failing quietly; the end of plot still closes the handle.
    EXPECT_EQ(sim::send_plot_op(*host, op_draw(1, 1)).word0, -1);
    EXPECT_EQ(sim::send_plot_op(*host, op_polygon(3, zigzag, true)).word0, 0);
    EXPECT_EQ(sim::plot_finish(*host).word0, 2);
    EXPECT_EQ(host->write_calls, 5);
    EXPECT_EQ(host->console_texts().size(), 1u);
    EXPECT_EQ(job_handle_calls().back(), (std::pair<int32_t, int32_t>{7, 1}));
    EXPECT_EQ(g_plot.summary_copies, 1);
}

TEST_F(LifecycleTest, AllocationFailureAtBeginPlot) {
    std::vector<sim::PlotReply> replies;
    driver_alloc_fail_all(true);
    replies = sim::plot_prepare(*host, {});
    driver_alloc_fail_all(false);
    EXPECT_EQ(replies.back().code, 30);
    EXPECT_EQ(replies.back().word0, -1);
    EXPECT_EQ(g_plot.failure_latch, LATCH_OUTPUT);
    EXPECT_EQ(host->console_texts().back(), std::string("\n") + message_builtin(MSG_NO_MEMORY));
    EXPECT_EQ(sim::send_plot_op(*host, op_draw(1, 1)).word0, -1);
    sim::plot_finish(*host);
    EXPECT_TRUE(job_handle_calls().empty());  // no handle was opened
    EXPECT_TRUE(host->job.empty());
}

TEST_F(LifecycleTest, BeginPlotAgainDropsTheFirstBlock) {
    sim::plot_prepare(*host, {});
    ASSERT_NE(g_output.output_buffer, nullptr);
    ASSERT_GT(g_output.output_pending, 0);
    EXPECT_EQ(plot(30).i16(0), 0);
    ASSERT_NE(g_output.output_buffer, nullptr);
#if defined(__SANITIZE_ADDRESS__)
    EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0) << "the first 2 MiB block leaked";
#endif
    sim::plot_draw(*host, {op_draw(1, 1)});
    sim::plot_finish(*host);
    // One header only: the one staged by the first begin plot was dropped.
    EXPECT_EQ(host->job.find("\x1B%-12345X@PJL"), 0u);
    EXPECT_EQ(host->job.find("\x1B%-12345X@PJL", 1), std::string::npos);

    // Initialisation without an end of plot frees the block too.
    sim::plot_prepare(*host, {});
    sim::Packet init(49);
    init.set_i16(4, 1).set_u8(7, 2);
    host->plot(init);
    EXPECT_EQ(g_output.output_buffer, nullptr);
}

TEST_F(LifecycleTest, InitialisationResetsThePlotState) {
    configure({"output_flags=0x0240"});
    run({}, {op_polygon(3, {{0, 0}, {5, 5}})});
    ASSERT_EQ(g_pens.default_pen, 255);  // the QDPX pen table chose it
    g_vector.reselect_pen = true;
    g_plot.failure_latch = LATCH_CONFIG;
    sim::Packet init(49);
    init.set_i16(4, 1).set_u8(7, 2);
    host->plot(init);
    EXPECT_EQ(g_pens.default_pen, 7);
    EXPECT_FALSE(g_vector.reselect_pen);
    EXPECT_EQ(g_plot.failure_latch, 0);
    EXPECT_EQ(g_lifecycle.job_handle, -1);
    EXPECT_EQ(g_plot_area.extent_x, 0.0);
    EXPECT_EQ(g_plot_area.extent_y, 0.0);
    EXPECT_EQ(g_plot_area.paper_list_pending, 1);
}

TEST_F(LifecycleTest, LoadConfigReplies) {
    plot(50);
    set_job_label("OLD");
    sim::Packet p(29);
    p.set_i16(4, 5).set_i32(11, 0x12345678);
    host->plot(p);
    EXPECT_EQ(p.i16(0), 0);
    EXPECT_EQ(p.i16(4), 3);
    EXPECT_EQ(p.i16(6), 0);
    EXPECT_EQ(g_plot.host_window, 0x12345678);
    EXPECT_STREQ(g_lifecycle.job_label, "");
    EXPECT_EQ(host->events_of(sim::Event::LOAD_CONFIG).size(), 1u);
}

TEST_F(LifecycleTest, LoadConfigCopies) {
    for (int32_t stored : {150, 99, 5}) {
        host->store.record[0] = static_cast<uint8_t>(stored);
        sim::Packet p(29);
        p.set_i16(4, 3);
        host->plot(p);
        int32_t expected = stored > 99 ? 1 : stored;
        EXPECT_EQ(g_config.copies, expected);
        EXPECT_EQ(g_plot.summary_copies, expected);
    }
}

TEST_F(LifecycleTest, LoadConfigFailures) {
    plot(50);
    struct Case {
        int16_t level;
        bool fail_load;
        bool latched;
        int message;  // -1: none
    } cases[] = {
        {2, false, false, MSG_BAD_VERSION},
        {3, true, false, MSG_LOAD_FAILED},
        {3, false, true, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.level << " " << c.fail_load << " " << c.latched);
        host->clear_records();
        host->faults.fail_load = c.fail_load;
        g_plot.failure_latch = c.latched ? LATCH_OUTPUT : 0;
        sim::Packet p(29);
        p.set_i16(4, c.level);
        host->plot(p);
        EXPECT_EQ(p.i16(0), -1);
        EXPECT_EQ(p.i16(4), c.level);  // the reply fields stay unwritten
        if (c.message >= 0) {
            EXPECT_EQ(g_plot.failure_latch, LATCH_CONFIG);
            EXPECT_EQ(host->console_texts(), (std::vector<std::string>{std::string("\n") + message_builtin(c.message) + "\n"}));
        } else {
            EXPECT_TRUE(host->events.empty());
        }
    }
}

TEST_F(LifecycleTest, LatchedBeginPlotDoesNothing) {
    g_plot.failure_latch = LATCH_CONFIG;
    g_plot.image_pending_mark = 1;
    EXPECT_EQ(plot(30).i16(0), -1);
    EXPECT_EQ(g_output.output_buffer, nullptr);
    EXPECT_TRUE(job_handle_calls().empty());
    EXPECT_EQ(g_plot.image_pending_mark, 0);
}

TEST_F(LifecycleTest, LineTypeLegend) {
    plot(50);
    plot(15);
    std::vector<std::string> expected = {std::string("\n") + CP1252("Tipo de línea No. 0 = línea sólida")};
    for (int type = 1; type <= 7; ++type)
        expected.push_back("\n                " + std::to_string(type) + message_builtin(MSG_LINE_TYPE_0 + type));
    expected.push_back("\n");
    EXPECT_EQ(host->console_texts(), expected);
    EXPECT_EQ(expected[1], "\n                1 = ................................");
}

TEST_F(LifecycleTest, JobLabelIsCutAt64) {
    std::string long_label(80, 'A');
    set_job_label(long_label.c_str());
    EXPECT_EQ(std::string(g_lifecycle.job_label), long_label.substr(0, 64));
    set_job_label(nullptr);
    EXPECT_STREQ(g_lifecycle.job_label, "");
}

}  // namespace

namespace {

std::string line(int message, const std::string& name) { return "\n " + std::string(message_builtin(message)) + name + " "; }
std::string item(int message) { return "\n " + std::string(message_builtin(message)); }

class SettingsSummaryTest : public SessionTest {
protected:
    std::vector<std::string> summary(std::initializer_list<const char*> edits) {
        configure(edits);
        sim::plot_prepare(*host, {});
        host->clear_records();
        plot(31);
        return host->console_texts();
    }
};

TEST_F(SettingsSummaryTest, DefaultsWithFiveCopies) {
    std::vector<std::string> expected = {
        std::string(" ") + message_builtin(MSG_PLOTTER),
        "4410/4430 Wide Format",
        line(MSG_MEDIA, "Bond                     "),
        line(MSG_PAPER_SIZE, "E-arch(36pulg)    "),
        item(MSG_FORMAT_HPGL),
        line(MSG_PROGRAM, "Saltar plegadora "),
        item(MSG_NO_MANUAL_OUTPUT),
        item(MSG_FILL_HALFTONE),
        item(MSG_RESOLUTION),
        message_builtin(MSG_600DPI),
        item(MSG_COPIES) + " 5 ",
        item(MSG_PORT),
        message_builtin(MSG_PARALLEL),
        "\n",
    };
    EXPECT_EQ(summary({"copies=5"}), expected);
    EXPECT_EQ(expected[10], std::string("\n ") + CP1252("Número de copias: ") + " 5 ");
}

TEST_F(SettingsSummaryTest, QdpxWithFinisherAndManualOutput) {
    std::vector<std::string> expected = {
        std::string(" ") + message_builtin(MSG_PLOTTER),
        "4410/4430 Wide Format",
        line(MSG_MEDIA, ""),  // the QDPX media list of this model is empty
        line(MSG_PAPER_SIZE, CP1252("Tamaño pers ancho E-arch(36pulg) ")),
        item(MSG_FORMAT_QDPX),
        line(MSG_PROGRAM, "Programa 20      "),
        line(MSG_MARGIN, "Siempre desactivado      "),
        line(MSG_OUTPUT_BIN, "Bandeja 13               "),
        item(MSG_MANUAL_OUTPUT),
        item(MSG_FILL_SOLID),
        item(MSG_RESOLUTION),
        message_builtin(MSG_400DPI),
        item(MSG_COPIES) + "12 ",
        item(MSG_PORT),
        message_builtin(MSG_PARALLEL),
        "\n",
    };
    EXPECT_EQ(summary({"copies=12", "paper_index=23", "finisher_program=20", "finisher_margin=1", "output_bin=14",
                       "plot_flags=0", "output_flags=0x02C0"}),
              expected);
}

TEST_F(SettingsSummaryTest, UnrecognisedResolutionReads200) {
    std::vector<std::string> texts = summary({"output_flags=0x0300"});
    ASSERT_GE(texts.size(), 10u);
    EXPECT_EQ(texts[9], message_builtin(MSG_200DPI));
}

TEST_F(SettingsSummaryTest, CopiesAfterTheTrailerAndAbortReadOne) {
    configure({"copies=5"});
    sim::run_plot_session(*host, {}, {sim::op_draw(1, 1)});
    EXPECT_EQ(g_plot.summary_copies, 1);
    sim::plot_prepare(*host, {});
    EXPECT_EQ(g_plot.summary_copies, 5);
    plot(9);
    EXPECT_EQ(g_plot.summary_copies, 1);
}

}  // namespace
