#include <bitset>
#include <cstring>
#include <string>
#include <vector>

#include "host/plot_state.h"
#include "hpgl/pens.h"
#include "hpgl/polygon_fill.h"
#include "staging_fixture.h"

namespace {

struct Vertex {
    uint16_t x, y;
};

const std::vector<Vertex> k_triangle = {{0, 0}, {100, 0}, {100, 100}};

class PolygonTest : public StagingTest {
protected:
    static constexpr int k_all = -100000;  // send the vector's size as the count

    // Request 54: the vertices behind a pointer.
    int16_t polygon_a(int16_t pen, const std::vector<Vertex>& v, int count = k_all) {
        std::vector<uint8_t> array(v.size() * 4);
        for (size_t i = 0; i < v.size(); ++i) {
            std::memcpy(&array[4 * i], &v[i].x, 2);
            std::memcpy(&array[4 * i + 2], &v[i].y, 2);
        }
        sim::Packet p(54);
        p.set_i16(4, pen).set_i16(6, static_cast<int16_t>(count == k_all ? static_cast<int>(v.size()) : count)).set_ptr(8, array.data());
        host->plot(p);
        return p.i16(0);
    }
    // Request 33: the vertices inline.
    int16_t polygon_b(int16_t pen, const std::vector<Vertex>& v, int count = k_all) {
        sim::Packet p(33, 12 + 4 * v.size() + 16);
        p.set_i16(6, pen).set_i16(10, static_cast<int16_t>(count == k_all ? static_cast<int>(v.size()) : count));
        for (size_t i = 0; i < v.size(); ++i) p.set_i16(12 + 4 * i, v[i].x).set_i16(14 + 4 * i, v[i].y);
        host->plot(p);
        return p.i16(0);
    }
};

// Pairs in the 7-bit form: 100 is "Ge", 0 is "_", -100 is "He".
TEST_F(PolygonTest, HpglTriangleHalftoneAndSolid) {
    start(false);
    EXPECT_EQ(polygon_a(3, k_triangle), 0);
    EXPECT_EQ(take(), "SP3PE7<__;PM0PE7Ge__GeHeHe;PM2FP");
    EXPECT_EQ(g_vector.pe_state, PE_CLOSED);
    EXPECT_EQ(g_plot.drawn, 1);
    EXPECT_TRUE(g_vector.reselect_pen);

    start(false, 1.0, 1, 0);
    EXPECT_EQ(polygon_b(3, k_triangle), 0);
    EXPECT_EQ(take(), "SP7PE7<__;PM0PE7Ge__GeHeHe;PM2FPSP3");
}

TEST_F(PolygonTest, HpglPolygonClosesAnOpenPolylineFirst) {
    start(false);
    move(0, 0);
    take();
    polygon_b(3, k_triangle);
    EXPECT_EQ(take().substr(0, 4), ";SP3");
}

TEST_F(PolygonTest, QdpxTriangleHalftoneAndSolid) {
    start(true);
    EXPECT_EQ(polygon_b(3, k_triangle), 0);
    EXPECT_EQ(take(), bytes({0x47, 0x01, 0x00, 0x03, 0xFF, 0x7C, 0x00, 0x06, 0x00, 0x00, 0x00, 0x00,  //
                             0x00, 0x64, 0x00, 0x00, 0x00, 0x00, 0x00, 0x64}));
    start(true, 1.0, 1, 0);
    g_pens.default_pen = 255;
    EXPECT_EQ(polygon_a(3, k_triangle), 0);
    EXPECT_EQ(take(), bytes({0x47, 0x01, 0x00, 0xFF, 0xFF, 0x7C, 0x00, 0x06, 0x00, 0x00, 0x00, 0x00,  //
                             0x00, 0x64, 0x00, 0x00, 0x00, 0x00, 0x00, 0x64, 0x47, 0x01, 0x00, 0x03}));
}

TEST_F(PolygonTest, BothPacketFormsWriteTheSameBytes) {
    std::vector<Vertex> shape = {{10, 20}, {300, 20}, {300, 4000}, {65535, 0}, {7, 7}};
    for (bool qdpx : {false, true}) {
        start(qdpx, 0.5);
        ASSERT_EQ(polygon_a(9, shape), 0);
        std::string a = take();
        start(qdpx, 0.5);
        ASSERT_EQ(polygon_b(9, shape), 0);
        EXPECT_EQ(take(), a);
    }
}

TEST_F(PolygonTest, FewerThanTwoVerticesDrawAndAnswerNothing) {
    start(false);
    for (int16_t count : {1, 0, -5}) {
        SCOPED_TRACE(count);
        EXPECT_EQ(polygon_a(3, k_triangle, count), 54);
        EXPECT_EQ(polygon_b(3, k_triangle, count), 33);
        EXPECT_EQ(take(), "");
        EXPECT_EQ(g_plot.drawn, 0);
    }
}

TEST_F(PolygonTest, LatchedPlotAnswersSuccessAndDrawsNothing) {
    start(false);
    g_plot.failure_latch = LATCH_CONFIG;
    EXPECT_EQ(polygon_a(3, k_triangle), 0);
    EXPECT_EQ(polygon_b(3, k_triangle), 0);
    EXPECT_EQ(g_output.output_pending, 0);
    EXPECT_FALSE(g_vector.reselect_pen);
}

TEST_F(PolygonTest, NullVertexArrayIsRefused) {
    start(false);
    sim::Packet p(54);
    p.set_i16(4, 3).set_i16(6, 3);  // the pointer at +8 stays 0
    host->plot(p);
    EXPECT_EQ(p.i16(0), -1);
    EXPECT_EQ(take(), "");
    EXPECT_FALSE(g_vector.reselect_pen);
}

TEST_F(PolygonTest, WideQdpxPolygonLimit) {
    start(true, 1.0, 0);
    std::vector<Vertex> v(QDPX_WIDE_POLYGON_MAX);
    for (size_t i = 0; i < v.size(); ++i) v[i] = {static_cast<uint16_t>(i % 2), static_cast<uint16_t>(i / 2)};
    EXPECT_EQ(polygon_a(3, v), 0);
    std::string out = take();
    ASSERT_EQ(out.size(), 4u + 4 + 8 + 8 * (v.size() - 1));
    EXPECT_EQ(out.substr(4, 4), bytes({0xFF, 0x83, 0xFF, 0xFC}));  // 4 x 16383 words

    v.push_back({0, 0});
    g_vector.reselect_pen = false;
    EXPECT_EQ(polygon_a(3, v), -1);
    EXPECT_EQ(take(), "");
    EXPECT_FALSE(g_vector.reselect_pen);
}

TEST_F(PolygonTest, ShortQdpxPolygonsTakeEveryVertexCount) {
    start(true);
    std::vector<Vertex> v(32767);
    for (size_t i = 0; i < v.size(); ++i) v[i] = {static_cast<uint16_t>(i % 2), 0};
    EXPECT_EQ(polygon_a(3, v), 0);
    EXPECT_EQ(take().substr(4, 4), bytes({0xFF, 0x7C, 0xFF, 0xFE}));
}

TEST_F(PolygonTest, QdpxPolygonOutsideTheShortRangeIsWrittenWide) {
    start(true);
    EXPECT_EQ(polygon_a(3, {{0, 0}, {40000, 0}}), 0);
    EXPECT_EQ(take(), bytes({0x47, 0x01, 0x00, 0x03, 0xFF, 0x83, 0x00, 0x08, 0, 0, 0, 0, 0, 0, 0, 0,  //
                             0, 0, 0x9C, 0x40, 0, 0, 0, 0}));
}

TEST_F(PolygonTest, FillPatterns) {
    EXPECT_EQ(pattern_for_pen(0), 0);
    EXPECT_EQ(pattern_for_pen(1), 35);
    EXPECT_EQ(pattern_for_pen(2), 52);
    EXPECT_EQ(pattern_for_pen(3), 80);
    EXPECT_EQ(pattern_for_pen(255), 255);
    // Each pattern prints one pixel fewer than the one before: the matrix holds every
    // threshold once, except 255 twice.
    for (int k = 0; k < 256; ++k) {
        size_t pixels = 0;
        for (int r = 0; r < 16; ++r) pixels += std::bitset<16>(halftone_pattern(k)[r]).count();
        EXPECT_EQ(pixels, k == 255 ? 0u : 256u - k) << k;
    }
    EXPECT_EQ(halftone_pattern(254)[5], 0x0080);   // the two 255 thresholds: row 5 column 8,
    EXPECT_EQ(halftone_pattern(254)[13], 0x8000);  // row 13 column 0

    start(true);
    put_fill_patterns();
    std::string out = take();
    ASSERT_EQ(out.size(), 256u * 40);
    EXPECT_EQ(out.substr(0, 8), bytes({0x32, 0x13, 0, 0, 0, 16, 0, 16}));
    EXPECT_EQ(out.substr(8, 32), std::string(32, '\xFF'));
    EXPECT_EQ(out.substr(255 * 40, 8), bytes({0x32, 0x13, 0, 0xFF, 0, 16, 0, 16}));
    EXPECT_EQ(out.substr(255 * 40 + 8), std::string(32, '\0'));
}

}  // namespace
