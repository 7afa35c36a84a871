#include <algorithm>
#include <string>
#include <vector>

#include "driver_fixture.h"
#include "host/message_table.h"
#include "host/output_buffer.h"
#include "host/plot_state.h"

namespace {

class OutputBufferTest : public DriverTest {
protected:
    void SetUp() override {
        DriverTest::SetUp();
        init_and_load_messages();
        host->clear_records();
        ASSERT_TRUE(output_open());
    }
    std::vector<int32_t> piece_sizes() const {
        std::vector<int32_t> sizes;
        for (const sim::Event* e : host->events_of(sim::Event::WRITE_BYTES)) sizes.push_back(e->args[2]);
        return sizes;
    }
};

std::string pattern(size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(i * 7 + (i >> 8));
    return s;
}

TEST_F(OutputBufferTest, WritesBeforeBeginPlotAreDroppedSilently) {
    output_close();
    EXPECT_EQ(write_text("IN;"), 0);
    EXPECT_EQ(write_bytes(3, "abc"), 0);
    EXPECT_EQ(flush_output(), 0);
    EXPECT_TRUE(host->events.empty());
}

TEST_F(OutputBufferTest, OneByteOverTheBlockFlushesInPiecesOf128) {
    std::string data = pattern(0x1FFFFF);
    ASSERT_EQ(write_bytes(0x1FFFFF, data.data()), 0);
    EXPECT_EQ(host->write_calls, 0);
    EXPECT_EQ(g_output.output_pending, 0x1FFFFF);
    ASSERT_EQ(write_bytes(1, "Z"), 0);
    std::vector<int32_t> sizes = piece_sizes();
    ASSERT_EQ(sizes.size(), 16384u);
    EXPECT_EQ(std::count(sizes.begin(), sizes.end() - 1, 128), 16383);
    EXPECT_EQ(sizes.back(), 127);
    EXPECT_EQ(g_output.output_pending, 1);
    EXPECT_EQ(host->job, data);
}

TEST_F(OutputBufferTest, FlushOf300BytesMakesThreeCalls) {
    std::string data = pattern(300);
    ASSERT_EQ(write_bytes(300, data.data()), 0);
    ASSERT_EQ(flush_output(), 0);
    EXPECT_EQ(piece_sizes(), (std::vector<int32_t>{128, 128, 44}));
    for (const sim::Event* e : host->events_of(sim::Event::WRITE_BYTES)) {
        EXPECT_EQ(e->args[0], 1);
        EXPECT_EQ(e->args[1], 0);
        EXPECT_EQ(e->args[3], 0);
    }
    EXPECT_EQ(host->job, data);
    EXPECT_EQ(g_output.output_pending, 0);
}

TEST_F(OutputBufferTest, LargeWritesGoOverInWholeChunks) {
    struct Case {
        size_t staged, size;
        size_t calls;  // host calls the write makes
        int32_t left;  // staged afterwards
    } cases[] = {
        {0, 0x200000, 16384, 0},
        {10, 0x200000, 1 + 16384, 0},
        {0, 2 * 0x200000 + 5, 2 * 16384, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        output_open();
        host->clear_records();
        std::string head = pattern(c.staged), data = pattern(c.size);
        ASSERT_EQ(write_bytes(static_cast<int32_t>(head.size()), head.data()), 0);
        ASSERT_EQ(write_bytes(static_cast<int32_t>(data.size()), data.data()), 0);
        EXPECT_EQ(static_cast<size_t>(host->write_calls), c.calls);
        EXPECT_EQ(g_output.output_pending, c.left);
        ASSERT_EQ(flush_output(), 0);
        EXPECT_EQ(host->job, head + data);
    }
}

TEST_F(OutputBufferTest, EmptyTextWritesNothing) {
    EXPECT_EQ(write_text(""), 0);
    EXPECT_EQ(flush_output(), 0);
    EXPECT_EQ(host->write_calls, 0);
}

TEST_F(OutputBufferTest, FailingHostWriteLatchesOnceAndRepeatsNothing) {
    host->faults.fail_write_at = 2;
    g_plot.drawn = 1;
    g_plot.summary_copies = 5;
    std::string data = pattern(300);
    ASSERT_EQ(write_bytes(300, data.data()), 0);
    EXPECT_EQ(flush_output(), -1);
    EXPECT_EQ(g_plot.failure_latch, 0xFF);
    EXPECT_EQ(g_plot.drawn, 0);
    EXPECT_EQ(g_plot.summary_copies, 1);
    EXPECT_EQ(g_output.output_pending, 0);
    EXPECT_EQ(host->write_calls, 2);  // the piece after the failure is not tried
    EXPECT_EQ(host->job, data.substr(0, 128));
    ASSERT_EQ(host->console_texts(), (std::vector<std::string>{std::string("\n") + message_builtin(77) + "\n"}));

    // Latched: every later write and flush fails quietly and sends nothing.
    EXPECT_EQ(write_text("SP1;"), -1);
    EXPECT_EQ(flush_output(), -1);
    EXPECT_EQ(host->write_calls, 2);
    EXPECT_EQ(host->console_texts().size(), 1u);
}

TEST_F(OutputBufferTest, LatchedWriteDropsStagedBytes) {
    ASSERT_EQ(write_text("PE7<"), 0);
    g_plot.failure_latch = LATCH_CONFIG;
    g_plot.drawn = 1;
    EXPECT_EQ(write_text("x"), -1);
    EXPECT_EQ(g_output.output_pending, 0);
    EXPECT_EQ(g_plot.drawn, 0);
    EXPECT_EQ(g_plot.summary_copies, 1);
}

TEST_F(OutputBufferTest, FailedFlushWhenTheBlockFillsFailsTheWrite) {
    host->faults.fail_write_at = 1;
    std::string data = pattern(0x1FFFFF);
    ASSERT_EQ(write_bytes(0x1FFFFF, data.data()), 0);
    EXPECT_EQ(write_bytes(2, "ab"), -1);
    EXPECT_EQ(g_output.output_pending, 0);
    EXPECT_EQ(host->write_calls, 1);
}

TEST_F(OutputBufferTest, FormattedWriteIsBoundedAndExact) {
    ASSERT_EQ(write_fmt("PS%ld,%ld", 48768L, 36576L), 0);
    ASSERT_EQ(flush_output(), 0);
    EXPECT_EQ(host->job, "PS48768,36576");
}

}  // namespace
