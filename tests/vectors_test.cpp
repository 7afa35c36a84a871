#include <climits>
#include <cstdint>
#include <string>

#include "host/plot_state.h"
#include "hpgl/pens.h"
#include "staging_fixture.h"

namespace {

// Independent decoder of polyline-encoded numbers, least significant digit first.
int64_t pe_decode(const uint8_t* p, int n, bool eight_bit) {
    const int bits = eight_bit ? 6 : 5;
    const int last = eight_bit ? 191 : 95;
    uint64_t u = 0;
    for (int i = 0; i < n; ++i) {
        bool final_digit = p[i] >= last;
        uint64_t digit = final_digit ? p[i] - last : p[i] - 63;
        u |= digit << (bits * i);
        if (final_digit) {
            EXPECT_EQ(i, n - 1) << "a final digit before the end";
            break;
        }
    }
    return (u & 1) ? -static_cast<int64_t>((u - 1) / 2) : static_cast<int64_t>(u / 2);
}

std::string encoded(int32_t v, bool eight_bit) {
    uint8_t out[PE_NUMBER_MAX];
    int n = pe_encode(v, eight_bit, out);
    return std::string(reinterpret_cast<char*>(out), n);
}

TEST(PeNumber, DocumentedExamples) {
    EXPECT_EQ(encoded(0, false), "_");
    EXPECT_EQ(encoded(0, true), "\xBF");
    EXPECT_EQ(encoded(1, false), "a");
    EXPECT_EQ(encoded(-1, false), "b");
    EXPECT_EQ(encoded(16, false), "\x3F\x60");
}

TEST(PeNumber, EveryFormRoundTripsIncludingTheExtremes) {
    for (bool eight_bit : {false, true}) {
        for (int32_t v : {0, 1, -1, 15, 16, -16, 31, 32, 63, 64, 1000, -1000, 65535, -65535, 1 << 20, INT32_MAX, INT32_MIN}) {
            SCOPED_TRACE(testing::Message() << v << (eight_bit ? " 8-bit" : " 7-bit"));
            uint8_t out[PE_NUMBER_MAX];
            int n = pe_encode(v, eight_bit, out);
            ASSERT_LE(n, PE_NUMBER_MAX);
            for (int i = 0; i < n; ++i) {
                // 7-bit data stays printable ASCII; 8-bit digits stay clear of control bytes.
                EXPECT_GE(out[i], 63);
                if (!eight_bit) {
                    EXPECT_LE(out[i], 126);
                }
            }
            EXPECT_EQ(pe_decode(out, n, eight_bit), v);
        }
    }
}

TEST(BigEndian, Fields) {
    uint8_t b[4];
    EXPECT_EQ(be16(b, -1), 2);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(b), 2), bytes({0xFF, 0xFF}));
    EXPECT_EQ(be32(b, 1), 4);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(b), 4), bytes({0, 0, 0, 1}));
    be32(b, -2);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(b), 4), bytes({0xFF, 0xFF, 0xFF, 0xFE}));
    be16(b, 0x12345);  // the low 16 bits
    EXPECT_EQ(std::string(reinterpret_cast<char*>(b), 2), bytes({0x23, 0x45}));
    EXPECT_EQ(be8(b, 200), 1);
    EXPECT_EQ(b[0], 200);
}

using VectorTest = StagingTest;

// Pairs in the 7-bit form: 100 is "Ge", 0 is "_", -100 is "He".
TEST_F(VectorTest, MoveThenDrawOpensOnePolyline) {
    start(false);
    EXPECT_EQ(move(100, 0), 3);
    EXPECT_EQ(draw(200, 0), 4);
    EXPECT_EQ(take(), "PE7<Ge_Ge_");
    EXPECT_EQ(g_plot.drawn, 1);
}

TEST_F(VectorTest, StateTransitionsInHpgl) {
    struct Step {
        char op;  // m move, d draw, l lift
        int32_t x, y;
        const char* bytes;
        int16_t state;
    };
    const Step steps[] = {
        {'l', 0, 0, "", PE_CLOSED},           // lift with nothing open does nothing
        {'d', 100, 0, "PE7Ge_", PE_DRAWING},  // a draw opens with the pen down
        {'d', 100, 0, "__", PE_DRAWING},      // same point again: written, zero displacement
        {'d', 100, 0, "", PE_DRAWING},        // and a third time: ignored
        {'m', 0, 0, "<He_", PE_MOVING},
        {'m', 0, 0, "<__", PE_MOVING},        // the repeat is written once, like a draw
        {'m', 0, 0, "", PE_MOVING},
        {'l', 0, 0, "<", PE_LIFTED},
        {'l', 0, 0, "", PE_LIFTED},
        {'m', 100, 0, "Ge_", PE_MOVING},      // the "<" is already out
        {'l', 0, 0, "<", PE_LIFTED},
        {'d', 0, 0, "__He_", PE_MOVING},      // a null move consumes the "<", then the pair
        {'d', 100, 0, "Ge_", PE_DRAWING},
    };
    start(false);
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << s.op << " " << s.x << "," << s.y);
        int16_t code = s.op == 'm' ? move(s.x, s.y) : s.op == 'd' ? draw(s.x, s.y) : lift();
        EXPECT_EQ(code, s.op == 'm' ? 3 : s.op == 'd' ? 4 : 8);
        EXPECT_EQ(take(), s.bytes);
        EXPECT_EQ(g_vector.pe_state, s.state);
    }
}

TEST_F(VectorTest, EightBitFormSelectsPe) {
    start(false, 1.0, 1, PF_PE_8BIT);
    move(1, 0);
    draw(1, 0);
    EXPECT_EQ(take(), "PE<\xC1\xBF\xBF\xBF");
}

TEST_F(VectorTest, UnitScaleTruncatesTowardZero) {
    start(false, 0.5);
    move(3, 5);  // (1, 2)
    EXPECT_EQ(g_vector.cur_x, 1);
    EXPECT_EQ(g_vector.cur_y, 2);
    start(false, 16.0);
    move(65535, 65535);  // unsigned host coordinates
    EXPECT_EQ(g_vector.cur_x, 65535 * 16);
}

TEST_F(VectorTest, QdpxSegmentsAndSilentMoves) {
    start(true);
    EXPECT_EQ(move(10, 20), 3);
    EXPECT_EQ(take(), "");  // moves write nothing in QDPX
    EXPECT_EQ(draw(15, 20), 4);
    EXPECT_EQ(take(), bytes({0x64, 0x04, 0x00, 0x0A, 0x00, 0x14, 0x00, 0x05, 0x00, 0x00}));
    lift();
    EXPECT_EQ(take(), "");
    EXPECT_EQ(draw(15, 10), 4);  // lifted, then a draw: a segment again
    EXPECT_EQ(take(), bytes({0x64, 0x04, 0x00, 0x0F, 0x00, 0x14, 0x00, 0x00, 0xFF, 0xF6}));
    EXPECT_EQ(g_vector.pe_state, PE_DRAWING);
}

TEST_F(VectorTest, QdpxWideSegments) {
    start(true, 1.0, 0);
    move(10, 20);
    draw(15, 20);
    EXPECT_EQ(take(), bytes({0x6B, 0x08, 0, 0, 0, 0x0A, 0, 0, 0, 0x14, 0, 0, 0, 0x05, 0, 0, 0, 0}));
}

TEST_F(VectorTest, QdpxPointOutsideTheShortRangeGetsAWideRecord) {
    // The host announced a small area but sends a point beyond 16-bit device units.
    start(true, 1.0, 1);
    move(0, 0);
    draw(40000, 0);
    EXPECT_EQ(take(), bytes({0x6B, 0x08, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x9C, 0x40, 0, 0, 0, 0}));
}

TEST_F(VectorTest, LatchedPointRequestsAnswerFailureAndWriteNothing) {
    for (bool qdpx : {false, true}) {
        SCOPED_TRACE(qdpx ? "QDPX" : "HP-GL/2");
        start(qdpx);
        g_plot.failure_latch = LATCH_OUTPUT;
        EXPECT_EQ(move(1, 1), -1);
        EXPECT_EQ(draw(2, 2), -1);
        EXPECT_EQ(lift(), -1);
        EXPECT_EQ(g_output.output_pending, 0);
        EXPECT_EQ(g_plot.drawn, 0);
        EXPECT_EQ(g_vector.pe_state, PE_CLOSED);
    }
}

TEST_F(VectorTest, FailedFlushMidPlotAnswersFailure) {
    start(false);
    host->faults.fail_write_at = 1;
    std::string big(OUTPUT_CHUNK - 3, 'x');
    ASSERT_EQ(write_bytes(static_cast<int32_t>(big.size()), big.data()), 0);
    EXPECT_EQ(move(100, 0), -1);  // "PE7<" no longer fits: the flush fails
    EXPECT_EQ(g_plot.failure_latch, LATCH_OUTPUT);
    EXPECT_EQ(draw(1, 1), -1);
    EXPECT_EQ(g_output.output_pending, 0);
}

TEST_F(VectorTest, MoveAfterPolygonSelectsTheLinePenAgain) {
    start(false);
    g_vector.reselect_pen = true;
    move(0, 0);
    EXPECT_EQ(take(), ";SP1PE7<__");
    EXPECT_FALSE(g_vector.reselect_pen);
    // A draw straight after the polygon opens a PE instruction; the ";" of the pen
    // selection ends it, so the move must open a new one.
    g_vector.reselect_pen = true;
    draw(100, 0);
    move(0, 0);
    EXPECT_EQ(take(), "Ge_;SP1PE7<He_");
}

TEST_F(VectorTest, QdpxMoveAfterPolygonSelectsTheLinePenAgain) {
    start(true);
    g_pens.current_pen = 255;
    g_vector.reselect_pen = true;
    move(0, 0);
    EXPECT_EQ(take(), bytes({0x41, 0x01, 0x00, 0xFF}));
}

TEST_F(VectorTest, WritesOutsideAPlotAreDroppedButStateMoves) {
    start(false);
    output_close();
    EXPECT_EQ(move(5, 5), 3);
    EXPECT_EQ(g_vector.pe_state, PE_MOVING);
    EXPECT_EQ(host->write_calls, 0);
}

TEST_F(VectorTest, MarkDoesNotMoveThePosition) {
    start(true, 0.5);
    move(10, 10);
    ASSERT_EQ(put_mark(100, 40), 0);
    EXPECT_EQ(take(), bytes({0x64, 0x04, 0x00, 0x32, 0x00, 0x14, 0, 0, 0, 0}));
    EXPECT_EQ(g_vector.cur_x, 5);
    EXPECT_EQ(g_vector.cur_y, 5);
}

}  // namespace
