#include <cstring>
#include <vector>

#include "driver_fixture.h"
#include "host/message_table.h"
#include "host/plot_state.h"

namespace {

TEST_F(DriverTest, UnhandledCodesLeaveThePacketUnchanged) {
    for (int16_t code : {int16_t(-1), int16_t(0), int16_t(1), int16_t(6), int16_t(53), int16_t(55), int16_t(60), int16_t(32767)}) {
        SCOPED_TRACE(code);
        sim::Packet p(code, 512);
        for (size_t i = 2; i < p.size(); ++i) p.set_u8(static_cast<int>(i), static_cast<uint8_t>(i * 31));
        std::vector<uint8_t> before(p.data(), p.data() + p.size());
        host->plot(p);
        EXPECT_TRUE(std::equal(before.begin(), before.end(), p.data()));
        EXPECT_TRUE(host->events.empty());
    }
}

TEST_F(DriverTest, PendingImageRunsBeforeAnyCodeIsRead) {
    g_plot.image_pending_mark = IMAGE_PENDING;
    sim::Packet p(53);
    host->plot(p);
    EXPECT_EQ(g_plot.image_pending_mark, 0);
    EXPECT_EQ(p.i16(0), 53);
}

TEST_F(DriverTest, HostCheckRepliesAndRefusals) {
    plot(50);
    struct Case {
        int16_t kind;
        uint8_t version;
        int16_t result;
        int message;  // -1: none
    } cases[] = {
        {1, 2, 0, -1},
        {1, 9, 0, -1},
        {2, 2, -3, MSG_NOT_AUTOCAD},
        {0, 1, -3, MSG_NOT_AUTOCAD},
        {1, 1, -5, MSG_BAD_VERSION},
    };
    for (bool at_config_time : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.kind << "/" << int(c.version) << (at_config_time ? " config" : " plot"));
            host->clear_records();
            g_plot.failure_latch = 0xFF;  // initialisation clears an earlier failure
            sim::Packet p(49);
            p.set_i16(4, c.kind).set_u8(7, c.version).set_i16(10, 99).set_i16(12, 99);
            if (at_config_time) host->config(p); else host->plot(p);
            EXPECT_EQ(p.i16(0), 49);  // no status word
            EXPECT_EQ(p.i16(10), c.result);
            EXPECT_EQ(p.i16(12), 0);
            EXPECT_EQ(std::memcmp(p.data() + 86, host->descriptor(), 81), 0);
            if (c.message < 0) {
                EXPECT_EQ(g_plot.failure_latch, 0);
                EXPECT_TRUE(host->console_texts().empty());
            } else {
                EXPECT_EQ(g_plot.failure_latch, LATCH_CONFIG);
                EXPECT_EQ(host->console_texts(), (std::vector<std::string>{std::string("\n") + message_builtin(c.message) + "\n"}));
            }
        }
    }
}

TEST_F(DriverTest, MessagesAreEmptyUntilLoaded) {
    sim::Packet p(49);
    p.set_i16(4, 2).set_u8(7, 2);
    host->plot(p);
    EXPECT_EQ(host->console_texts(), (std::vector<std::string>{"\n\n"}));
    plot(50);
    EXPECT_STREQ(message_text(26), message_builtin(26));
}

}  // namespace
