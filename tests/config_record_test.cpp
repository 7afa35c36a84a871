#include <climits>
#include <cstring>
#include <vector>

#include "config/config_record.h"
#include "driver_fixture.h"
#include "raster/tone_curve.h"

namespace {

std::vector<uint8_t> record_bytes() {
    const uint8_t* p = reinterpret_cast<const uint8_t*>(&g_config);
    return std::vector<uint8_t>(p, p + 40);
}

TEST_F(DriverTest, DefaultsFillEveryFieldAndKeepModelAndPad) {
    std::memset(&g_config, 0xEE, sizeof g_config);
    g_config.model_index = 0x0503;
    g_config.pad = 0xAB;
    for (int k = 0; k < 5; ++k) g_tone.tone_control[k] = 255;
    tone_apply();
    config_record_defaults();
    const std::vector<uint8_t> expected = {
        0x01, 0x00, 0x00, 0x00,  // copies 1
        0x01, 0x00, 0x00, 0x00,  // paper row 1, E-arch
        0x8C, 0x01, 0x00, 0x00,  // custom length 396
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // media, program, margin, bin
        0x01, 0x00, 0x00, 0x00,  // red pen 1
        0x02, 0x00,              // reserved 2
        0x00, 0x00,              // margin 0
        0x00, 0x10,              // halftone fill
        0x00, 0x01,              // 600 dpi; the rotation bit is derived later
        0x03, 0x05,              // model_index kept
        0, 123, 187, 228, 255,   // factory tone points
        0xAB,                    // pad kept
    };
    EXPECT_EQ(record_bytes(), expected);
    // The tone table was recomputed from the factory points, not left as it was.
    EXPECT_EQ(tone_get(64), 103);
    EXPECT_EQ(tone_get(170), 208);
}

TEST_F(DriverTest, ApplyToneMakesThePointsTheCurve) {
    const uint8_t points[5] = {0, 64, 128, 192, 255};
    std::memcpy(g_config.tone_points, points, 5);
    config_apply_tone_points();
    for (int k = 0; k < 5; ++k) EXPECT_EQ(g_tone.tone_control[k], points[k]);
    for (int g = 0; g < 256; ++g) ASSERT_EQ(tone_get(g), g);
}

TEST_F(DriverTest, LoadMendsValuesThatWouldCorruptTheJob) {
    struct Case {
        int32_t copies, custom_length_mm;
        int16_t margin_mm;
        int32_t want_copies, want_length;
        int16_t want_margin;
    } cases[] = {
        {1, 1, 0, 1, 1, 0},
        {99, 15000, 10, 99, 15000, 10},
        {100, 15001, 11, 1, 15000, 10},
        {150, INT32_MAX, 32767, 1, 15000, 10},
        {0, 0, -1, 1, 1, 0},
        {-5, -396, -32768, 1, 1, 0},
        {INT32_MIN, INT32_MIN, 5, 1, 1, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.copies << " copies, " << c.custom_length_mm << " mm, margin " << c.margin_mm);
        ConfigRecord stored{};
        stored.copies = c.copies;
        stored.custom_length_mm = c.custom_length_mm;
        stored.margin_mm = c.margin_mm;
        // Table rows are kept as stored: the accessors guard them.
        stored.paper_index = 999;
        stored.media_index = -7;
        stored.output_bin = 300;
        std::memcpy(host->store.record, &stored, 40);
        host->store.present = true;
        ASSERT_EQ(config_record_load(), 0);
        EXPECT_EQ(g_config.copies, c.want_copies);
        EXPECT_EQ(g_config.custom_length_mm, c.want_length);
        EXPECT_EQ(g_config.margin_mm, c.want_margin);
        EXPECT_EQ(g_config.paper_index, 999);
        EXPECT_EQ(g_config.media_index, -7);
        EXPECT_EQ(g_config.output_bin, 300);
    }
}

TEST_F(DriverTest, LoadWithoutStoredRecordReportsIt) {
    EXPECT_EQ(config_record_load(), -1);
    host->store.present = true;
    host->faults.fail_load = true;
    EXPECT_EQ(config_record_load(), -1);
    auto loads = host->events_of(sim::Event::LOAD_CONFIG);
    ASSERT_EQ(loads.size(), 2u);
    EXPECT_EQ(loads[0]->args, (std::vector<int32_t>{40}));
}

TEST_F(DriverTest, SavedBytesAreTheRecordInMemory) {
    config_record_defaults();
    g_config.reserved = -2;
    g_config.pad = 0x5A;
    g_config.output_flags = 0xFFFF;
    ASSERT_EQ(config_record_save(), 0);
    auto saves = host->events_of(sim::Event::SAVE_CONFIG);
    ASSERT_EQ(saves.size(), 1u);
    EXPECT_EQ(saves[0]->args, (std::vector<int32_t>{40}));
    EXPECT_EQ(std::vector<uint8_t>(saves[0]->bytes.begin(), saves[0]->bytes.end()), record_bytes());
    host->faults.fail_save = true;
    EXPECT_EQ(config_record_save(), -1);
}

}  // namespace
