#include <climits>
#include <cstring>
#include <string>

#include "config/config_record.h"
#include "config/model_table.h"
#include "config/paper_table.h"
#include "driver_fixture.h"

namespace {

constexpr double MM = 0.03937007874015748;

std::string text(const char* s) { return std::string(s); }

TEST_F(DriverTest, ModelZeroIsTheOnlyModel) {
    const ModelInfo& m = current_model_info();
    EXPECT_EQ(text(m.name.data()), "4410/4430 Wide Format");
    EXPECT_EQ(m.name[31], '\0');
    EXPECT_EQ((std::array<int, 7>{m.has_finisher, m.has_media_select, m.has_plot_label, m.has_red_print,
                                   m.has_manual_output, m.has_600dpi, m.has_qdpx}),
              (std::array<int, 7>{1, 1, 1, 0, 1, 1, 0}));
    // A model index taken from a stored record never selects a row past the table.
    for (int32_t stored : {1, 2, -1, 32767, INT32_MIN}) {
        model_set_current(stored);
        EXPECT_EQ(current_model(), 0) << stored;
    }
}

TEST_F(DriverTest, PaperRowsAreTheBuiltInOnesInWindows1252) {
    struct Row {
        int index;
        const char* name;  // Windows-1252 bytes
        double length_in, width_in;
        int is_custom, max_length_mm;
    } rows[] = {
        {1, "E-arch(36pulg)    ", 48.0, 36.0, 0, 0},
        {3, "C-arch(18pulg)    ", 24.0, 17.973, 0, 0},
        {4, "B-arch(12pulg)    ", 17.973, 12.0, 0, 0},
        {5, "A-arch(9pulg)     ", 12.0, 8.96, 0, 0},
        {11, "A0                ", 46.773, 33.12, 0, 0},
        {16, "Esp. A0 880 x 1230", 48.426, 34.613, 0, 0},
        {22, "Esp. A3 310 x 435 ", 17.12, 12.16, 0, 0},
        {23, "Tama\xF1o pers ancho E-arch(36pulg) ", 118.11, 36.0, 1, 15000},
        {27, "Tama\xF1o pers ancho A-arch(9pulg) ", 118.11, 8.96, 1, 15000},
        {32, "Tama\xF1o pers ancho A-ANSI(8.5pulg) ", 118.11, 8.5, 1, 15000},
        {41, "Tama\xF1o pers ancho Esp. A2 435mm ", 118.11, 17.12, 1, 15000},
    };
    EXPECT_EQ(paper_row_count(), 41);
    for (const Row& r : rows) {
        SCOPED_TRACE(r.index);
        const PaperSize& p = paper_row(r.index);
        EXPECT_EQ(text(p.name.data()), r.name);
        EXPECT_EQ(p.length_in, r.length_in);
        EXPECT_EQ(p.width_in, r.width_in);
        EXPECT_EQ(p.is_custom, r.is_custom);
        EXPECT_EQ(p.max_length_mm, r.max_length_mm);
    }
    // Every custom row is named after a base size, after the 18 bytes of "Tamaño pers ancho ".
    for (int i = 23; i <= 41; ++i) EXPECT_EQ(std::memcmp(paper_row(i).name.data(), "Tama\xF1o pers ancho ", 18), 0) << i;
}

TEST_F(DriverTest, PaperListHasFortyOneFiftyByteEntries) {
    EXPECT_STREQ(paper_list_entry(1), "");  // not built yet
    EXPECT_EQ(paper_list_build(), 41);
    EXPECT_EQ(g_paper.paper_count, 41);
    EXPECT_STREQ(g_paper.paper_list[0], "E-arch(36pulg)    ");
    EXPECT_STREQ(g_paper.paper_list[22], "Tama\xF1o pers ancho E-arch(36pulg) ");
    EXPECT_STREQ(g_paper.paper_list[40], "Tama\xF1o pers ancho Esp. A2 435mm ");
    for (int i = 0; i < 41; ++i) EXPECT_STREQ(g_paper.paper_list[i], paper_row(i + 1).name.data()) << i;
    // Entries are 1-based like paper_index; anything outside the list shows entry 0.
    EXPECT_STREQ(paper_list_entry(41), g_paper.paper_list[40]);
    for (int32_t stored : {0, -1, 42, INT32_MAX, INT32_MIN}) EXPECT_STREQ(paper_list_entry(stored), g_paper.paper_list[0]) << stored;
}

TEST_F(DriverTest, DefaultCustomLengths) {
    const int32_t expected[][2] = {
        {1, 396},   {22, 396},  {23, 1219}, {24, 914},  {25, 609},  {26, 457},  {27, 304},
        {28, 1117}, {29, 863},  {30, 558},  {31, 431},  {32, 279},  {33, 1189}, {34, 841},
        {35, 594},  {36, 420},  {37, 1230}, {38, 880},  {39, 871},  {40, 625},  {41, 620},
        // outside the list: row 1
        {0, 396},   {42, 396},  {-23, 396}, {INT32_MAX, 396},
    };
    for (const auto& e : expected) EXPECT_EQ(paper_default_length_mm(e[0]), e[1]) << "row " << e[0];
}

TEST_F(DriverTest, PlotAreaAndOrientation) {
    struct Case {
        int32_t paper_index, custom_length_mm;
        int16_t margin_mm;
        double x, y;
        bool rotated;
    } cases[] = {
        {1, 396, 0, 48.0, 36.0, true},
        {1, 396, 10, 48 - 20 / 25.4, 36 - 20 / 25.4, true},
        {5, 396, 0, 12.0, 8.96, true},
        {23, 500, 0, 36.0, 500 * MM, false},
        {23, 3000, 0, 3000 * MM, 36.0, true},
        {27, 15000, 3, 15000 * MM - 6 * MM, 8.96 - 6 * MM, true},
        // a stored paper index outside the list plots on row 1
        {0, 3000, 0, 48.0, 36.0, true},
        {42, 3000, 0, 48.0, 36.0, true},
        {INT32_MIN, 3000, 0, 48.0, 36.0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << c.paper_index << ", " << c.custom_length_mm << " mm, margin " << c.margin_mm);
        g_config.paper_index = c.paper_index;
        g_config.custom_length_mm = c.custom_length_mm;
        g_config.margin_mm = c.margin_mm;
        g_config.output_flags = c.rotated ? 0x0100 : 0x1100;  // the bit must follow the rule either way
        PaperArea a = paper_plot_area();
        EXPECT_NEAR(a.x, c.x, 1e-12);
        EXPECT_NEAR(a.y, c.y, 1e-12);
        EXPECT_EQ((g_config.output_flags & OF_ROTATED) != 0, c.rotated);
        EXPECT_EQ(g_config.output_flags & ~OF_ROTATED, 0x0100);
        EXPECT_EQ(a.portrait, c.rotated ? 0 : 1);
    }
}

TEST_F(DriverTest, PlotAreaIsExactAndCustomRowsKeepTheirLength) {
    g_config.paper_index = 1;
    g_config.margin_mm = 10;
    PaperArea a = paper_plot_area();
    EXPECT_EQ(a.x, 48 - 2 * (10 * MM));
    EXPECT_EQ(a.y, 36 - 2 * (10 * MM));
    // The custom row keeps the length it was last given.
    g_config.paper_index = 23;
    g_config.custom_length_mm = 3000;
    g_config.margin_mm = 0;
    a = paper_plot_area();
    EXPECT_EQ(a.x, 3000 * MM);
    EXPECT_EQ(paper_row(23).length_in, 3000 * MM);
    EXPECT_EQ(paper_row(24).length_in, 118.11);
    paper_table_reset();
    EXPECT_EQ(paper_row(23).length_in, 118.11);
}

}  // namespace
