#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "config/config_record.h"
#include "config/option_tables.h"
#include "driver_fixture.h"
#include "host/message_table.h"

namespace {

std::string command_text(MediaCommand c) {
    return c.bytes ? std::string(reinterpret_cast<const char*>(c.bytes), c.length) : std::string("(none)");
}

std::vector<std::string> finisher(int16_t program, int16_t margin, int16_t bin) {
    g_config.finisher_program = program;
    g_config.finisher_margin = margin;
    g_config.output_bin = bin;
    const char* lines[3] = {};
    int32_t n = finisher_lines(lines);
    return std::vector<std::string>(lines, lines + n);
}

TEST_F(DriverTest, ListsEndAtTheFirstEmptyName) {
    EXPECT_EQ(media_count(false), 4);
    EXPECT_EQ(media_count(true), 0);
    EXPECT_EQ(option_count(OPTION_PROGRAMS), 21);
    EXPECT_EQ(option_count(OPTION_MARGINS), 2);
    EXPECT_EQ(option_count(OPTION_BINS), 15);
    // Display names are blank-padded to one width per table.
    for (int i = 0; i < 4; ++i) EXPECT_EQ(std::strlen(media_name(i, false)), 25u) << i;
    for (int i = 0; i < 21; ++i) EXPECT_EQ(std::strlen(option_row(OPTION_PROGRAMS, i).name.data()), 17u) << i;
    for (int i = 0; i < 2; ++i) EXPECT_EQ(std::strlen(option_row(OPTION_MARGINS, i).name.data()), 25u) << i;
    for (int i = 0; i < 15; ++i) EXPECT_EQ(std::strlen(option_row(OPTION_BINS, i).name.data()), 25u) << i;
    EXPECT_STREQ(media_name(1, false), "Poli\xE9ster                ");
    EXPECT_STREQ(option_row(OPTION_PROGRAMS, 0).name.data(), "Saltar plegadora ");
    EXPECT_STREQ(option_row(OPTION_BINS, 14).name.data(), "Bandeja 13               ");
    EXPECT_STREQ(option_row(OPTION_BINS, 14).pjl_line.data(), "@PJL DEFAULT FINISHBIN=BIN_13\r\n");
}

TEST_F(DriverTest, MediaCommandFollowsTheRowNotItsNumber) {
    struct Case {
        int16_t media_index;
        bool qdpx;
        const char* sent;
    } cases[] = {
        {0, false, "MT0;"}, {1, false, "MT1;"}, {2, false, "MT2;"}, {3, false, "MT4;"},
        // the QDPX rows are empty: nothing is sent
        {0, true, "(none)"}, {3, true, "(none)"},
        // a stored row outside the list sends row 0's command
        {4, false, "MT0;"}, {-1, false, "MT0;"}, {32767, false, "MT0;"}, {-32768, true, "(none)"},
    };
    for (const Case& c : cases) {
        g_config.media_index = c.media_index;
        g_config.output_flags = c.qdpx ? OF_FORMAT_QDPX : 0;
        EXPECT_EQ(command_text(media_command()), c.sent) << c.media_index << (c.qdpx ? " qdpx" : "");
    }
}

TEST_F(DriverTest, FinisherLines) {
    const std::string bypass = "@PJL DEFAULT FINISHPROGID=BYPASS\r\n";
    EXPECT_EQ(finisher(0, 0, 0), (std::vector<std::string>{bypass}));
    // With the bypass program the margin and bin are not sent, whatever they are.
    EXPECT_EQ(finisher(0, 1, 14), (std::vector<std::string>{bypass}));
    EXPECT_EQ(finisher(20, 1, 14), (std::vector<std::string>{"@PJL DEFAULT FINISHPROGID=PROGRAM20\r\n",
                                                             "@PJL DEFAULT FINISHMARGINS=MARGINSOFF\r\n",
                                                             "@PJL DEFAULT FINISHBIN=BIN_13\r\n"}));
    EXPECT_EQ(finisher(1, 0, 1), (std::vector<std::string>{"@PJL DEFAULT FINISHPROGID=PROGRAM1\r\n",
                                                            "@PJL DEFAULT FINISHMARGINS=USEPROGRAM\r\n",
                                                            "@PJL DEFAULT FINISHBIN=FANFOLD\r\n"}));
    // Stored rows outside the lists: a program outside is the bypass row; margin and bin
    // outside give their row 0.
    EXPECT_EQ(finisher(21, 1, 1), (std::vector<std::string>{bypass}));
    EXPECT_EQ(finisher(-1, 0, 0), (std::vector<std::string>{bypass}));
    EXPECT_EQ(finisher(2, 2, 15), (std::vector<std::string>{"@PJL DEFAULT FINISHPROGID=PROGRAM2\r\n",
                                                            "@PJL DEFAULT FINISHMARGINS=USEPROGRAM\r\n",
                                                            "@PJL DEFAULT FINISHBIN=DONTCARE\r\n"}));
    EXPECT_EQ(finisher(3, -32768, 32767)[2], "@PJL DEFAULT FINISHBIN=DONTCARE\r\n");
}

TEST_F(DriverTest, SummaryTexts) {
    SummaryLine media{};
    g_config.media_index = 3;
    ASSERT_TRUE(media_summary(&media));
    EXPECT_EQ(media.message_row, MSG_MEDIA);
    EXPECT_STREQ(media.name, "Vitela                   ");
    g_config.output_flags = OF_FORMAT_QDPX;  // the QDPX name column is empty
    ASSERT_TRUE(media_summary(&media));
    EXPECT_STREQ(media.name, "");

    SummaryLine lines[3] = {};
    g_config.finisher_program = 0;
    g_config.finisher_margin = 1;
    ASSERT_EQ(finisher_summary(lines), 1);
    EXPECT_EQ(lines[0].message_row, MSG_PROGRAM);
    EXPECT_STREQ(lines[0].name, "Saltar plegadora ");

    g_config.finisher_program = 7;
    g_config.finisher_margin = 1;
    g_config.output_bin = 2;
    ASSERT_EQ(finisher_summary(lines), 3);
    EXPECT_EQ((std::vector<int32_t>{lines[0].message_row, lines[1].message_row, lines[2].message_row}),
              (std::vector<int32_t>{MSG_PROGRAM, MSG_MARGIN, MSG_OUTPUT_BIN}));
    EXPECT_STREQ(lines[0].name, "Programa 7       ");
    EXPECT_STREQ(lines[1].name, "Siempre desactivado      ");
    EXPECT_STREQ(lines[2].name, "Bandeja 1                ");

    // A program outside the list is summarised as the job header sends it: bypass only.
    g_config.finisher_program = 99;
    EXPECT_EQ(finisher_summary(lines), 1);
    EXPECT_STREQ(lines[0].name, "Saltar plegadora ");
}

}  // namespace
