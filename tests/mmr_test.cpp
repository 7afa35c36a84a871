#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "one_bit_image.h"
#include "raster/mmr.h"

namespace {

std::string hex(const std::vector<uint8_t>& bytes) {
    std::string s;
    char b[4];
    for (uint8_t v : bytes) {
        std::snprintf(b, sizeof b, "%02X ", v);
        s += b;
    }
    if (!s.empty()) s.pop_back();
    return s;
}

// The bits the writer holds, first bit first, as a string of 0 and 1.
std::string written_bits(const std::vector<uint32_t>& words) {
    std::string s;
    int32_t whole = static_cast<int32_t>(g_mmr.out - words.data());
    for (int32_t i = 0; i < whole; ++i)
        for (int b = 31; b >= 0; --b) s += (words[static_cast<size_t>(i)] >> b) & 1 ? '1' : '0';
    for (int b = 31; b > 31 - g_mmr.bit_pos; --b) s += (g_mmr.partial >> b) & 1 ? '1' : '0';
    return s;
}

std::string code_bits(MmrCode c) {
    std::string s;
    for (int i = 0; i < c.length; ++i) s += (c.code >> (31 - i)) & 1 ? '1' : '0';
    return s;
}

class MmrTest : public ::testing::Test {
protected:
    void SetUp() override { mmr_reset(); }
    void TearDown() override { mmr_reset(); }
};

TEST_F(MmrTest, DocumentedBlocks) {
    struct Case {
        const char* name;
        std::vector<int32_t> black;  // black pixels of one 32-pixel row
        const char* bytes;
    } cases[] = {
        {"all white: V0, EOFB, 7 bits of padding", {}, "80 08 00 80"},
        {"last two pixels black: VL2, V0, EOFB", {30, 31}, "0A 00 20 02"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OneBitImage img(32, 1);
        for (int32_t x : c.black) img.set(x, 0);
        MmrBlock block = mmr_block(img);
        ASSERT_EQ(block.result, 0);
        EXPECT_EQ(hex(block.bytes), c.bytes);
    }
}

TEST_F(MmrTest, FirstPixelBlackStartsWithHorizontalAndWhiteRunOfZero) {
    OneBitImage img(64, 1);
    img.fill(0, 0, 5);
    std::vector<uint32_t> out(16);
    std::vector<int32_t> a(mmr_run_list_entries(64)), b(a.size());
    mmr_begin_block(out.data(), 64, 64);
    mmr_white_line(b.data());
    ASSERT_EQ(mmr_encode_rows(reinterpret_cast<const uint8_t*>(img.words.data()), 1, 8, a.data(), b.data()), 0);
    // horizontal, white 0, black 5 ("0011"), then a1 = b1 = 64: V0.
    EXPECT_EQ(written_bits(out), "001" "00110101" "0011" "1");
}

TEST_F(MmrTest, LongRunsUseRepeatedMakeUpCodes) {
    struct Case {
        int32_t length;
        std::vector<int> entries;  // table entries written, in order
    } cases[] = {
        {0, {0}},
        {63, {63}},
        {64, {64, 0}},          // a make-up code is always followed by a terminating code
        {2560, {103, 0}},
        {2600, {103, 40}},          // 2560 + 40
        {2623, {103, 63}},
        {2624, {103, 64, 0}},       // 2560 + 64 + 0
        {5000, {103, 101, 8}},      // 2560 + 2432 + 8
        {5120 + 64 * 3 + 7, {103, 103, 66, 7}},
    };
    for (const MmrCode* table : {MMR_WHITE_CODES, MMR_BLACK_CODES}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.length);
            std::vector<uint32_t> out(8);
            mmr_begin_block(out.data(), 32, 32);
            ASSERT_EQ(mmr_put_run(table, c.length), 0);
            std::string expected;
            for (int e : c.entries) expected += code_bits(table[e]);
            EXPECT_EQ(written_bits(out), expected);
        }
    }
}

TEST_F(MmrTest, FlushCountsToTheNext16BitBoundary) {
    struct Case {
        int32_t bits;     // written before the flush
        int32_t count;    // byte count after it
    } cases[] = {
        {0, 0}, {32, 4}, {64, 8}, {3, 2}, {35, 6}, {15, 2}, {16, 4}, {17, 4}, {31, 4}, {48, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bits);
        std::vector<uint32_t> out(4, 0xFFFFFFFF);
        mmr_begin_block(out.data(), 16, 32);
        for (int32_t left = c.bits; left > 0; left -= 13) {
            int32_t n = left < 13 ? left : 13;
            ASSERT_EQ(mmr_put_bits(~0u << (32 - n), n), 0);
        }
        ASSERT_EQ(mmr_flush_bits(), 0);
        EXPECT_EQ(g_mmr.byte_count, c.count);
        // The stored words hold exactly the bits written, zero behind them.
        std::string bits;
        for (int32_t i = 0; i < (c.count + 3) / 4; ++i)
            for (int b = 31; b >= 0; --b) bits += (out[static_cast<size_t>(i)] >> b) & 1 ? '1' : '0';
        EXPECT_EQ(bits, std::string(static_cast<size_t>(c.bits), '1') + std::string(bits.size() - c.bits, '0'));
    }
}

TEST_F(MmrTest, WriterKeepsCodesThatStraddleAWord) {
    std::vector<uint32_t> out(4);
    mmr_begin_block(out.data(), 16, 32);
    std::string expected;
    const MmrCode codes[] = {mmr_code("1011001"), mmr_code("0000001101100"), mmr_code("000000011111"), mmr_code("1"),
                             mmr_code("000000011111"), mmr_code("0110111"), mmr_code("11011")};
    for (MmrCode c : codes) {
        ASSERT_EQ(mmr_put_bits(c.code, c.length), 0);
        expected += code_bits(c);
    }
    EXPECT_EQ(written_bits(out), expected);
    EXPECT_EQ(g_mmr.byte_count, 4 * (static_cast<int32_t>(expected.size()) / 32));
}

TEST_F(MmrTest, RunListsOfOneRow) {
    struct Case {
        int32_t width;
        std::vector<std::pair<int32_t, int32_t>> runs;
    } cases[] = {
        {32, {}},
        {32, {{0, 32}}},
        {32, {{0, 1}, {31, 32}}},
        {96, {{31, 33}, {63, 64}, {64, 65}}},  // touching pairs across a word join: 63..65
        {128, {{5, 128}}},
        {128, {{32, 64}, {96, 97}}},
        {160, {{0, 32}, {33, 100}, {127, 159}}},
    };
    for (const Case& c : cases) {
        OneBitImage img(c.width, 1);
        for (auto [s, e] : c.runs) img.fill(0, s, e);
        // What a pixel-by-pixel scan of the same row finds.
        std::vector<int32_t> expected;
        for (int32_t x = 0; x < c.width; ++x) {
            bool now = img.get(x, 0), before = x > 0 && img.get(x - 1, 0);
            if (now != before) expected.push_back(x);
        }
        if (expected.size() % 2) expected.push_back(c.width);
        expected.push_back(c.width);
        expected.push_back(c.width);

        mmr_begin_block(nullptr, 0, c.width);
        std::vector<int32_t> list(mmr_run_list_entries(c.width), -7);
        int32_t count = mmr_row_to_runs(img.row(0), list.data());
        EXPECT_EQ(count, static_cast<int32_t>(expected.size() / 2));
        EXPECT_EQ(list[0], count);
        EXPECT_EQ(std::vector<int32_t>(list.begin() + 1, list.begin() + 1 + 2 * count), expected);
        EXPECT_EQ(list[static_cast<size_t>(2 * count + 1)], c.width);  // the extra w behind the sentinel
    }
}

// Rows whose pixels alternate: the densest run lists and the longest codes.
TEST_F(MmrTest, RunListOfAlternatingPixelsFitsItsArea) {
    const int32_t width = 256;
    OneBitImage img(width, 1);
    for (int32_t x = 1; x < width; x += 2) img.set(x, 0);
    mmr_begin_block(nullptr, 0, width);
    std::vector<int32_t> list(mmr_run_list_entries(width));
    EXPECT_EQ(mmr_row_to_runs(img.row(0), list.data()), width / 2 + 1);
}

// A buffer too small for the block: every write past its end fails with the code of the
// step that made it, nothing is stored beyond it, and a buffer of the proven size is enough.
TEST_F(MmrTest, ShortBufferFailsWithTheStepCodeAndNeverOverruns) {
    OneBitImage img(128, 24);
    std::srand(5);
    for (int32_t y = 0; y < img.rows; ++y)
        for (int32_t x = 0; x < img.width; ++x)
            if (std::rand() % 3 == 0 || (y % 4 == 0 && x > 40 && x < 110)) img.set(x, y);
    int32_t full = 0;
    ASSERT_TRUE(mmr_block_capacity(img.width, img.rows, &full));
    std::set<int32_t> seen;
    for (int32_t capacity = 0; capacity <= full; capacity += 4) {
        // Exactly `capacity` bytes on the heap, so that a store past them is caught.
        uint32_t* out = static_cast<uint32_t*>(std::malloc(capacity > 0 ? capacity : 1));
        std::vector<int32_t> a(mmr_run_list_entries(img.width)), b(a.size());
        mmr_begin_block(out, capacity, img.width);
        mmr_white_line(b.data());
        int32_t r = mmr_encode_rows(reinterpret_cast<const uint8_t*>(img.words.data()), img.rows, img.width / 8,
                                    a.data(), b.data());
        if (r == 0) r = mmr_end_block() == 0 ? 0 : -300;
        std::free(out);
        if (r == 0) break;
        EXPECT_TRUE((r <= -100 && r >= -109) || r == -300) << r;
        EXPECT_LE(g_mmr.byte_count, capacity);
        seen.insert(r);
    }
    EXPECT_EQ(mmr_block(img, full).result, 0);
    // The sweep meets codes of both phases.
    EXPECT_TRUE(seen.count(MMR_FAIL_WHITE_VERTICAL) && seen.count(MMR_FAIL_BLACK_VERTICAL));
    EXPECT_TRUE(seen.count(MMR_FAIL_WHITE_HORIZONTAL) || seen.count(MMR_FAIL_WHITE_WHITE_RUN) ||
                seen.count(MMR_FAIL_WHITE_BLACK_RUN));
}

TEST_F(MmrTest, CapacityIsCheckedIn32Bits) {
    int32_t bytes = 0;
    EXPECT_TRUE(mmr_block_capacity(32, 1, &bytes));
    EXPECT_EQ(bytes, 7 * 4 + 4 + 8);
    EXPECT_TRUE(mmr_block_capacity(21632, 928, &bytes));
    EXPECT_FALSE(mmr_block_capacity(1 << 20, 4096, &bytes));
    EXPECT_FALSE(mmr_block_capacity(0x7FFFFFE0, 2, &bytes));
}

}  // namespace
