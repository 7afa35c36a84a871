#include <cmath>
#include <limits>
#include <string>

#include "host/plot_state.h"
#include "hpgl/pens.h"
#include "staging_fixture.h"

namespace {

using PenTest = StagingTest;

int16_t width_request(sim::Host& host, double inches) {
    sim::Packet p(41);
    p.set_f64(4, inches);
    host.plot(p);
    return p.i16(0);
}

std::string saved(const SavedCommand& c) { return std::string(reinterpret_cast<const char*>(c.bytes), c.length); }

TEST_F(PenTest, EveryPenSelectsTheDefaultPen) {
    start(false);
    for (int16_t pen : {0, 1, 7, 255, 1000}) {
        EXPECT_EQ(word_request(5, pen), 5);
        EXPECT_EQ(take(), "SP7");
    }
    EXPECT_EQ(g_pens.current_pen, 7);
}

TEST_F(PenTest, PenSelectionClosesAnOpenPolyline) {
    start(false);
    draw(1, 0);
    take();
    word_request(5, 3);
    EXPECT_EQ(take(), ";SP7");
    EXPECT_EQ(g_vector.pe_state, PE_CLOSED);
}

TEST_F(PenTest, QdpxSelectionAfterThePenTable) {
    start(true);
    write_pen_table();
    take();
    EXPECT_EQ(g_pens.default_pen, 255);
    word_request(5, 3);
    EXPECT_EQ(take(), bytes({0x41, 0x01, 0x00, 0xFF, 0x47, 0x01, 0x00, 0x03}));
    EXPECT_EQ(saved(g_pens.saved_pen_cmd), bytes({0x41, 0x01, 0x00, 0xFF}));
    EXPECT_EQ(saved(g_pens.saved_req_pen_cmd), bytes({0x47, 0x01, 0x00, 0x03}));
}

TEST_F(PenTest, LineTypes) {
    struct Case {
        int32_t limit;
        uint16_t type;
        const char* hpgl;
        int qdpx_value;
    } cases[] = {
        {7, 0, "LT", 0},
        {0, 3, "LT", 0},         // no limit announced yet
        {7, 1, "LT-1,1.0", 1},
        {7, 2, "LT-2,1.0", 2},
        {7, 3, "LT-3,2.0", 3},
        {8, 8, "LT-8,2.0", 8},
        {8, 9, "LT", 0},
        {7, 8, "LT", 0},
        {-1, 8, "LT-8,2.0", 8},  // -1 compares as 65535
        {-1, 9, "LT", 0},        // above the last pattern: solid
        {-1, 65535, "LT", 0},
    };
    for (bool qdpx : {false, true}) {
        start(qdpx);
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.limit << "/" << c.type << (qdpx ? " QDPX" : ""));
            word_request(36, static_cast<int16_t>(c.limit));
            EXPECT_EQ(word_request(7, static_cast<int16_t>(c.type)), 7);
            std::string expected = qdpx ? bytes({0x43, 0x01, 0x00, c.qdpx_value}) : c.hpgl;
            EXPECT_EQ(take(), expected);
            EXPECT_EQ(saved(g_pens.saved_line_type_cmd), expected);
        }
    }
}

TEST_F(PenTest, ModelRequestTakesTheLimitFromAByte) {
    start(false);
    sim::Packet p(43);
    p.set_u8(8, 200);
    host->plot(p);
    EXPECT_EQ(g_pens.line_type_limit, 200);
}

TEST_F(PenTest, Widths) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double inches;
        const char* hpgl;
        int qdpx;
    } cases[] = {
        {0.0, "PW0.000", 1},
        {-0.0, "PW0.000", 1},
        {0.01, "PW0.254", 4},
        {0.001, "PW0.025", 1},  // 0.4 units: the thinnest line
        {0.5, "PW12.700", 200},
        {2.0, "PW50.800", 511},
        {11.69, "PW296.926", 511},
        {12.0, "PW297.000", 511},
        {-1.0, "PW297.000", 511},
        {nan, "PW297.000", 511},   // not a number: like the widest
        {inf, "PW297.000", 511},
        {-inf, "PW297.000", 511},
    };
    for (bool qdpx : {false, true}) {
        start(qdpx);
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.inches << (qdpx ? " QDPX" : ""));
            EXPECT_EQ(width_request(*host, c.inches), 0);
            std::string expected = qdpx ? bytes({0x40, 0x01, c.qdpx >> 8, c.qdpx & 0xFF}) : c.hpgl;
            EXPECT_EQ(take(), expected);
            EXPECT_EQ(saved(g_pens.saved_width_cmd), expected);
        }
    }
}

TEST_F(PenTest, LatchedRequestsAnswerFailureAfterReplacingTheSavedInstruction) {
    start(false);
    g_plot.failure_latch = LATCH_OUTPUT;
    EXPECT_EQ(width_request(*host, 0.01), -1);
    EXPECT_EQ(word_request(5, 1), -1);
    EXPECT_EQ(word_request(7, 1), -1);
    EXPECT_STREQ(reinterpret_cast<const char*>(g_pens.saved_width_cmd.bytes), "PW0.254");
}

TEST_F(PenTest, GreyConversion) {
    EXPECT_EQ(pen_grey(1), 76);   // (255, 0, 0)
    EXPECT_EQ(pen_grey(5), 28);   // (0, 0, 255)
    EXPECT_EQ(pen_grey(8), 191);  // a grey stays as it is
    EXPECT_EQ(pen_grey(134), 91);  // (0, 127, 153)
    EXPECT_EQ(pen_grey(7), 0);
    EXPECT_EQ(pen_grey(255), 0);
}

TEST_F(PenTest, PaletteHas255InstructionsAndKeepsTheDefaultPen) {
    start(false);
    ASSERT_EQ(write_palette(), 0);
    std::string out = take();
    EXPECT_EQ(out.rfind("PC1,76,76,76PC2,", 0), 0u);
    EXPECT_NE(out.find("PC5,28,28,28PC6,"), std::string::npos);
    EXPECT_NE(out.find("PC8,191,191,191PC9,127,127,127PC10,76,76,76"), std::string::npos);
    EXPECT_EQ(out.substr(out.size() - 28), "PC254,219,219,219PC255,0,0,0");
    size_t count = 0;
    for (size_t at = out.find("PC"); at != std::string::npos; at = out.find("PC", at + 1)) ++count;
    EXPECT_EQ(count, 255u);
    EXPECT_EQ(g_pens.default_pen, 7);  // no red printing on this model
}

TEST_F(PenTest, PenTableRecords) {
    start(true);
    ASSERT_EQ(write_pen_table(), 0);
    std::string out = take();
    ASSERT_EQ(out.size(), 256u * 12);
    EXPECT_EQ(out.substr(0, 12), bytes({0x30, 0x05, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(out.substr(12, 12), bytes({0x30, 0x05, 0, 1, 0, 76, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(out.substr(255 * 12), bytes({0x30, 0x05, 0, 0xFF, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST_F(PenTest, SavedInstructionsSurviveANewPlot) {
    start(false);
    word_request(36, 7);
    word_request(5, 2);
    word_request(7, 4);
    width_request(*host, 0.01);
    start(false);
    EXPECT_STREQ(reinterpret_cast<const char*>(g_pens.saved_pen_cmd.bytes), "SP7");
    EXPECT_STREQ(reinterpret_cast<const char*>(g_pens.saved_line_type_cmd.bytes), "LT-4,2.0");
    EXPECT_STREQ(reinterpret_cast<const char*>(g_pens.saved_width_cmd.bytes), "PW0.254");
}

}  // namespace
