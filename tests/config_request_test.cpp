#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "config/config_record.h"
#include "config/config_request.h"
#include "config/model_table.h"
#include "config/option_tables.h"
#include "config/paper_table.h"
#include "driver_fixture.h"
#include "headless.h"
#include "host/message_table.h"
#include "host/plot_state.h"
#include "hpgl/plot_area.h"
#include "raster/tone_curve.h"
#include "sim/config_session.h"
#include "sim/record_fields.h"

namespace {

constexpr double MM = 0.03937007874015748;

class ConfigRequestTest : public DriverTest {
protected:
    // The host's store holds a record made by the given field assignments (raw: hostile
    // values allowed), starting from the defaults of model 0.
    void store(const std::vector<std::string>& assignments) {
        const std::vector<std::string> defaults = {
            "copies=1",     "paper_index=1", "custom_length_mm=396", "red_pen=1",        "reserved=2",
            "plot_flags=0x1000", "output_flags=0x1100", "tone_point1=123", "tone_point2=187", "tone_point3=228",
            "tone_point4=255"};
        std::memset(host->store.record, 0, 40);
        for (const std::string& a : defaults) sim::record_assign(host->store.record, a);
        for (const std::string& a : assignments) sim::record_assign(host->store.record, a, sim::RecordEdit::raw);
        host->store.present = true;
    }
    int64_t stored(const char* field) { return sim::record_get(host->store.record, sim::record_field(field)); }
    int64_t in_memory(const char* field) {
        return sim::record_get(reinterpret_cast<const uint8_t*>(&g_config), sim::record_field(field));
    }
    // Requests 20 and 21 as the host sends them; returns 21's packet.
    sim::Packet entry(int16_t want_defaults = 0) {
        config(20);
        sim::Packet p(21);
        p.set_i16(6, want_defaults);
        host->config(p);
        return p;
    }
};

TEST_F(ConfigRequestTest, EntryOnAFreshDriver) {
    sim::Packet p(21);
    for (size_t i = 2; i < p.size(); ++i) p.set_u8(static_cast<int>(i), static_cast<uint8_t>(i * 7));
    std::vector<uint8_t> before(p.data(), p.data() + p.size());
    host->config(p);
    EXPECT_EQ(p.i16(0), 0);
    EXPECT_EQ(p.i16(2), 59);
    EXPECT_EQ(p.f64(8), 48.0);
    EXPECT_EQ(p.f64(16), 36.0);
    EXPECT_EQ(p.f64(24), 1016.0);
    EXPECT_EQ(p.f64(32), 1016.0);
    EXPECT_EQ((std::vector<int>{p.i16(40), p.i16(42), p.i16(44), p.i16(46), p.i16(48), p.i16(50), p.i16(52), p.i16(54), p.i16(56), p.u8(58)}),
              (std::vector<int>{395, 255, 1, 7, 2, 9600, 0, 8, 1, 0}));
    // Nothing else in the packet is touched.
    EXPECT_TRUE(std::equal(before.begin() + 4, before.begin() + 8, p.data() + 4));
    EXPECT_TRUE(std::equal(before.begin() + 59, before.end(), p.data() + 59));

    EXPECT_EQ(g_plot_area.size_divisor, 1);
    EXPECT_EQ(g_plot_area.unit_scale, 1.0);
    EXPECT_EQ(g_plot_area.res_x, 1016.0);
    EXPECT_EQ(g_plot_area.res_y, 1016.0);
    EXPECT_EQ(g_plot_area.extent_x, 48.0);
    EXPECT_EQ(g_plot_area.extent_y, 36.0);
    EXPECT_EQ(g_plot_area.portrait, 0);
    EXPECT_EQ(g_plot_area.page_margin_in, 0.0);
    // The defaults, with the rotation bit derived from E-arch.
    EXPECT_EQ(g_config.output_flags, 0x1100);
    EXPECT_EQ(g_config.plot_flags, 0x1000);
    EXPECT_EQ(g_config.custom_length_mm, 396);
    EXPECT_EQ(tone_get(170), 208);
    // The main dialog was asked for by its configuration-time name; the headless layer has
    // no user, so the record stays as defaulted.
    ASSERT_EQ(headless_dialogs().size(), 1u);
    EXPECT_EQ(headless_dialogs()[0].template_name, "detailcfg2_spa");
}

TEST_F(ConfigRequestTest, CustomLengthSetsDivisorAndResolutionPerLanguage) {
    struct Case {
        int32_t length_mm;
        bool qdpx;
        int32_t divisor;
        double res, unit_scale;
    } cases[] = {
        {3000, false, 2, 508.0, 2.0},
        {3000, true, 2, 400.0, 1.0},
        {1638, false, 1, 1016.0, 1.0},   // 64.49 in
        {1639, false, 2, 508.0, 2.0},    // 64.53 in
        {8322, true, 4, 200.0, 2.0},     // 327.64 in
        {8323, true, 8, 100.0, 4.0},     // 327.68 in: the QDPX ladder continues
        {15000, true, 8, 100.0, 4.0},    // the longest custom roll
        {15000, false, 16, 63.5, 16.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.length_mm << " mm" << (c.qdpx ? " QDPX" : " HP-GL/2"));
        store({"paper_index=23", "custom_length_mm=" + std::to_string(c.length_mm), c.qdpx ? "output_flags=0x0240" : "output_flags=0x0100"});
        sim::Packet p = entry();
        EXPECT_EQ(p.i16(0), 0);
        EXPECT_EQ(p.f64(8), c.length_mm * MM);
        EXPECT_EQ(p.f64(16), 36.0);
        EXPECT_EQ(g_plot_area.size_divisor, c.divisor);
        EXPECT_EQ(p.f64(24), c.res);
        EXPECT_EQ(p.f64(32), c.res);
        EXPECT_EQ(g_plot_area.unit_scale, c.unit_scale);
        EXPECT_NE(g_config.output_flags & OF_ROTATED, 0);
    }
}

TEST_F(ConfigRequestTest, ShortCustomLengthIsPortrait) {
    store({"paper_index=23", "custom_length_mm=500", "margin_mm=10"});
    sim::Packet p = entry();
    EXPECT_EQ(p.f64(8), 36.0 - 2 * (10 * MM));
    EXPECT_EQ(p.f64(16), 500 * MM - 2 * (10 * MM));
    EXPECT_EQ(g_plot_area.page_margin_in, 10 * MM);
    EXPECT_EQ(g_plot_area.portrait, 1);
    EXPECT_EQ(g_config.output_flags & OF_ROTATED, 0);
}

TEST_F(ConfigRequestTest, DivisorLadders) {
    struct Case {
        double x, y;
        bool qdpx;
        int32_t divisor;
    } cases[] = {
        {64.5, 64.5, false, 1},   {64.5, 10, false, 1},     {10, 64.50001, false, 2}, {129.0, 1, false, 2},
        {129.001, 1, false, 4},   {258.0, 258.0, false, 4}, {516.0, 1, false, 8},     {516.01, 1, false, 16},
        {1e9, 1, false, 16},      {81.915, 81.915, true, 1}, {81.916, 1, true, 2},    {163.83, 1, true, 2},
        {1, 327.66, true, 4},     {327.67, 1, true, 8},     {655.32, 655.32, true, 8}, {655.33, 1, true, 16},
    };
    for (const Case& c : cases) {
        g_config.output_flags = c.qdpx ? OF_FORMAT_QDPX : 0;
        EXPECT_EQ(size_divisor_for(c.x, c.y), c.divisor) << c.x << " x " << c.y << (c.qdpx ? " QDPX" : "");
    }
    EXPECT_EQ(fits_short(40, 30), 1);
    EXPECT_EQ(fits_short(41, 30), 0);
    EXPECT_EQ(fits_short(30, 40.9575), 0);
    EXPECT_EQ(fits_short(40.9574, 40.9574), 1);
}

TEST_F(ConfigRequestTest, StoredRecordIsUsedAsLoaded) {
    store({"copies=5", "paper_index=2", "media_index=3", "finisher_program=20", "margin_mm=4", "tone_point1=64",
           "tone_point2=128", "tone_point3=192", "tone_point4=255", "pad=0x77", "reserved=-9", "plot_flags=0x1001"});
    std::vector<uint8_t> saved(host->store.record, host->store.record + 40);
    sim::Packet p = entry();
    EXPECT_EQ(p.i16(48), 1);  // serial port
    EXPECT_EQ(p.f64(8), 36.0 - 8 * MM);
    EXPECT_EQ(p.f64(16), 24.0 - 8 * MM);
    // The record is the stored one, byte for byte (its rotation bit was already right).
    EXPECT_EQ(std::memcmp(&g_config, saved.data(), 40), 0);
    // The record's tone points are now the curve.
    for (int g = 0; g < 256; ++g) ASSERT_EQ(tone_get(g), g);
}

TEST_F(ConfigRequestTest, DefaultsReplaceAnotherModelsRecordOrWhenAsked) {
    for (bool other_model : {true, false}) {
        SCOPED_TRACE(other_model ? "record of model 3" : "host asks for defaults");
        store({"copies=7", "paper_index=5", "margin_mm=3", other_model ? "model_index=3" : "model_index=0"});
        sim::Packet p = entry(other_model ? 0 : 1);
        EXPECT_EQ(p.f64(8), 48.0);
        EXPECT_EQ(g_config.copies, 1);
        EXPECT_EQ(g_config.paper_index, 1);
        EXPECT_EQ(g_config.margin_mm, 0);
        // The defaults keep the record's model; the save stamps the current one.
        EXPECT_EQ(g_config.model_index, other_model ? 3 : 0);
        sim::Packet s = config(47);
        EXPECT_EQ(s.i16(0), 0);
        EXPECT_EQ(stored("model_index"), 0);
        EXPECT_EQ(stored("copies"), 1);
    }
}

TEST_F(ConfigRequestTest, HostileStoredRecordNeverReadsOutsideATable) {
    // Every value the 40 bytes can hold at their extremes; ASan stops the test on any read
    // outside a table.
    for (const char* extreme : {"min", "max"}) {
        SCOPED_TRACE(extreme);
        bool min = std::strcmp(extreme, "min") == 0;
        store({min ? "copies=-5" : "copies=2147483647", min ? "paper_index=-2147483648" : "paper_index=2147483647",
               min ? "custom_length_mm=-1" : "custom_length_mm=2147483647", min ? "media_index=-32768" : "media_index=32767",
               min ? "finisher_program=-32768" : "finisher_program=32767", min ? "finisher_margin=-1" : "finisher_margin=32767",
               min ? "output_bin=-32768" : "output_bin=32767", min ? "margin_mm=-32768" : "margin_mm=32767",
               "plot_flags=0xFFFF", min ? "output_flags=0xEFFF" : "output_flags=0xFFFF"});
        sim::Packet p = entry();
        EXPECT_EQ(p.i16(0), 0);
        // Copies, length and margin are mended on load; the paper row falls back to row 1.
        EXPECT_EQ(g_config.copies, 1);
        EXPECT_EQ(g_config.margin_mm, min ? 0 : 10);
        EXPECT_EQ(g_config.custom_length_mm, min ? 1 : 15000);
        double m = min ? 0 : 20 * MM;
        EXPECT_EQ(p.f64(8), 48.0 - m);
        EXPECT_EQ(p.f64(16), 36.0 - m);
        EXPECT_EQ(std::string(media_name(g_config.media_index, config_qdpx())), std::string(media_name(0, config_qdpx())));
        const char* lines[3] = {};
        EXPECT_EQ(finisher_lines(lines), 1);
        EXPECT_STREQ(lines[0], "@PJL DEFAULT FINISHPROGID=BYPASS\r\n");
        paper_list_build();
        EXPECT_STREQ(paper_list_entry(g_config.paper_index), "E-arch(36pulg)    ");
    }
}

TEST_F(ConfigRequestTest, ModelNameRequest) {
    model_set_current(0);
    g_config.model_index = 0;
    sim::Packet p(20);
    p.set_i16(2, 99).set_i16(4, 99).set_i16(6, 99);
    host->config(p);
    EXPECT_EQ(p.i16(0), 0);
    EXPECT_EQ(p.i16(2), 40);
    EXPECT_EQ(p.i16(4), 1);
    EXPECT_EQ(p.i16(6), 0);
    char name[32] = "4410/4430 Wide Format";
    EXPECT_EQ(std::memcmp(p.data() + 8, name, 32), 0);
    EXPECT_EQ(p.u8(40), 0);
    // The load is attempted and its failure ignored.
    EXPECT_EQ(host->events_of(sim::Event::LOAD_CONFIG).size(), 1u);
}

TEST_F(ConfigRequestTest, HostLevelAndLatch) {
    config(50);
    sim::Packet ok(11);
    ok.set_i16(4, 14).set_i16(6, 5).set_i32(11, 0x12345678);
    host->config(ok);
    EXPECT_EQ(ok.i16(0), 0);
    EXPECT_EQ(ok.i16(4), 3);
    EXPECT_EQ(ok.i16(6), 0);
    EXPECT_EQ(g_plot.host_window, 0x12345678);
    EXPECT_TRUE(host->console_texts().empty());

    sim::Packet old(11);
    old.set_i16(4, 2).set_i32(11, 0x1111);
    host->config(old);
    EXPECT_EQ(old.i16(0), -1);
    EXPECT_EQ(old.i16(4), 2);
    EXPECT_EQ(g_plot.host_window, 0x12345678);
    EXPECT_EQ(g_plot.failure_latch, LATCH_CONFIG);
    EXPECT_EQ(host->console_texts(), (std::vector<std::string>{std::string("\n") + message_builtin(MSG_BAD_VERSION) + "\n"}));

    // While latched, 11, 21, 40 and 47 answer -1 and do nothing else.
    host->clear_records();
    for (int16_t code : {11, 21, 40, 47}) {
        SCOPED_TRACE(code);
        sim::Packet p(code);
        p.set_i16(4, 3).set_i32(11, 0x2222);
        std::vector<uint8_t> before(p.data() + 2, p.data() + p.size());
        host->config(p);
        EXPECT_EQ(p.i16(0), -1);
        EXPECT_TRUE(std::equal(before.begin(), before.end(), p.data() + 2));
    }
    EXPECT_TRUE(host->events.empty());
    EXPECT_TRUE(headless_dialogs().empty());
    EXPECT_EQ(g_plot.host_window, 0x12345678);

    // Identification clears the latch.
    sim::Packet init(49);
    init.set_i16(4, 1).set_u8(7, 2);
    host->config(init);
    EXPECT_EQ(g_plot.failure_latch, 0);
    EXPECT_EQ(config(40).i16(0), 0);
}

TEST_F(ConfigRequestTest, SaveFailureIsReportedAndLatched) {
    config(50);
    config(20);
    config(21);
    host->faults.fail_save = true;
    sim::Packet p = config(47);
    EXPECT_EQ(p.i16(0), -1);
    EXPECT_EQ(g_plot.failure_latch, LATCH_CONFIG);
    EXPECT_EQ(host->console_texts().back(), std::string("\n") + message_builtin(MSG_SAVE_FAILED) + "\n");
    EXPECT_FALSE(host->store.present);
    EXPECT_EQ(config(21).i16(0), -1);
}

TEST_F(ConfigRequestTest, FixedTables) {
    sim::Packet t22 = config(22), t23 = config(23), t25 = config(25);
    for (sim::Packet* t : {&t22, &t23, &t25}) {
        EXPECT_EQ(t->i16(0), 0);
        EXPECT_EQ(t->i16(2), 262);
    }
    EXPECT_EQ(t22.i16(4), 7);
    EXPECT_EQ(t23.i16(4), 255);
    EXPECT_EQ(t25.i16(4), 255);
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(t22.u8(6 + i), 0) << i;
        ASSERT_EQ(t23.u8(6 + i), 1) << i;
        ASSERT_EQ(t25.u8(6 + i), i == 0 ? 1 : i) << i;
    }
    EXPECT_EQ(t23.u8(262), 0);

    sim::Packet f(40);
    f.set_i32(5, 0x00000401).set_u8(139, 9).set_u8(140, 9);
    host->config(f);
    EXPECT_EQ(f.i16(0), 0);
    EXPECT_EQ(f.u8(4), 1);
    EXPECT_EQ(f.i32(5), 0x00080401);
    EXPECT_EQ(f.u8(139), 2);
    EXPECT_EQ(f.u8(140), 0);
}

TEST_F(ConfigRequestTest, DoubleTableAnswersTheSumModulo65536) {
    const int32_t sums[][3] = {
        {70000, -5, 4459}, {1, 2, 3}, {0, -1, 65535}, {INT32_MAX, 1, 0}, {INT32_MIN, -32768, 32768},
    };
    for (const auto& s : sums) {
        sim::Packet p(44);
        p.set_i32(8, s[0]).set_i16(12, static_cast<int16_t>(s[1]));
        host->config(p);
        EXPECT_EQ(p.i16(0), 0);
        EXPECT_EQ(static_cast<uint16_t>(p.i16(2)), s[2]) << s[0] << " + " << s[1];
        EXPECT_EQ(p.i32(4), 255);
        EXPECT_EQ(p.i32(8), s[0]);
        const uint8_t value[8] = {0xF5, 0xF3, 0xA6, 0x22, 0x15, 0xC6, 0x66, 0x3F};
        for (int k = 0; k < 256; ++k) ASSERT_EQ(std::memcmp(p.data() + 16 + 8 * k, value, 8), 0) << k;
        EXPECT_EQ(p.f64(16), 0.00278);
        EXPECT_EQ(p.u8(2064), 0);
    }
}

TEST_F(ConfigRequestTest, CodesWithoutAnEntryLeaveThePacketUnchanged) {
    for (int16_t code : {int16_t(-1), int16_t(0), int16_t(1), int16_t(2), int16_t(3), int16_t(24), int16_t(29),
                         int16_t(30), int16_t(46), int16_t(48), int16_t(51), int16_t(32767)}) {
        SCOPED_TRACE(code);
        sim::Packet p(code, 2200);
        for (size_t i = 2; i < p.size(); ++i) p.set_u8(static_cast<int>(i), static_cast<uint8_t>(i * 31));
        std::vector<uint8_t> before(p.data(), p.data() + p.size());
        host->config(p);
        EXPECT_TRUE(std::equal(before.begin(), before.end(), p.data()));
        EXPECT_TRUE(host->events.empty());
    }
}

TEST_F(ConfigRequestTest, SessionLeavesTheDefaultRecordInTheStore) {
    sim::ConfigSessionReplies r = sim::run_config_session(*host);
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.entry.f64(8), 48.0);
    EXPECT_EQ(g_plot.host_window, 0x000200A6);
    ASSERT_TRUE(host->store.present);
    const uint8_t expected[40] = {1, 0, 0, 0, 1, 0, 0, 0, 0x8C, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                  1, 0, 0, 0, 2, 0, 0, 0, 0x00, 0x10, 0x00, 0x11, 0, 0, 0, 123, 187, 228, 255, 0};
    EXPECT_EQ(std::vector<uint8_t>(host->store.record, host->store.record + 40), std::vector<uint8_t>(expected, expected + 40));
    EXPECT_EQ(host->console_texts().size(), 0u);

    // A second session finds the stored record and keeps it; an old host is refused.
    sim::ConfigSession old;
    old.host_level = 2;
    r = sim::run_config_session(*host, old);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.host_level.i16(0), -1);
    EXPECT_EQ(r.entry.i16(0), -1);
    EXPECT_EQ(r.save.i16(0), -1);
}

}  // namespace
