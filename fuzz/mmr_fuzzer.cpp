// The MMR encoder on rows of any content and width: every block must decode with
// libtiff's Group 4 decoder to exactly the rows coded, carry libtiff's own code bits, and
// stay within the worst-case size; a block coded into a smaller buffer must fail with a
// step code or succeed, never write past the buffer (ASan sees the buffer's exact end).
//
// Input: u8 width (32 to 4096 pixels), u8 rows (1 to 64), u16 the smaller buffer's
// size, then per row a u8 mode and its data (raw bits, run lengths, a shifted copy of
// the row above, all white or all black). Past the end of the input rows are white.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "fuzz_input.h"
#include "one_bit_image.h"
#include "tiff_oracle.h"

namespace {

[[noreturn]] void broken(const char* what, int32_t width, int32_t rows) {
    std::fprintf(stderr, "mmr_fuzzer: %s (%d x %d)\n", what, width, rows);
    std::abort();
}

void fill_row(OneBitImage& img, int32_t y, FuzzInput& in) {
    const int32_t w = img.width;
    const int32_t words = w / 32;
    uint32_t* row = img.row(y);
    switch (in.u8() % 5) {
        case 0:  // raw bits
            for (int32_t k = 0; k < words; ++k) row[k] = in.u32();
            break;
        case 1: {  // runs of alternating colour; long runs reach the make-up codes
            bool black = in.u8() & 1;
            for (int32_t x = 0; x < w;) {
                uint8_t b = in.u8();
                int32_t len = b < 200 ? b : (b - 199) * 97;
                if (in.empty()) len = w;
                if (black) img.fill(y, x, x + len < w ? x + len : w);
                x += len;
                black = !black;
            }
            break;
        }
        case 2: {  // the row above, shifted a few pixels: the vertical codes
            if (y == 0) break;
            int shift = static_cast<int>(in.u8() % 7) - 3;
            for (int32_t x = 0; x < w; ++x) {
                int32_t from = x - shift;
                if (from >= 0 && from < w && img.get(from, y - 1)) img.set(x, y);
            }
            break;
        }
        case 3: break;  // white
        default:
            for (int32_t k = 0; k < words; ++k) row[k] = 0xFFFFFFFFu;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const int32_t width = 32 * (1 + in.u8() % 128);
    const int32_t rows = 1 + in.u8() % 64;
    const uint16_t small = in.u16();
    OneBitImage img(width, rows);
    for (int32_t y = 0; y < rows; ++y) fill_row(img, y, in);

    int32_t bound = 0;
    if (!mmr_block_capacity(width, rows, &bound)) broken("no worst-case size for a small block", width, rows);
    MmrBlock block = mmr_block(img);
    if (block.result != 0) broken("coding failed in a buffer of the worst-case size", width, rows);
    if (static_cast<int32_t>(block.bytes.size()) > bound) broken("the block is larger than its worst case", width, rows);

    const std::vector<uint8_t> expected = img.msb_bytes();
    oracle::Decoded decoded = oracle::g4_decode(block.bytes, width, rows);
    if (!decoded.ok || decoded.rows != expected) broken("libtiff does not decode the block to the rows coded", width, rows);
    // libtiff pads its EOFB to a byte, the driver to 16 bits: the same bits, then zeros.
    std::vector<uint8_t> theirs = oracle::g4_encode(expected, width, rows);
    if (theirs.size() > block.bytes.size() || block.bytes.size() - theirs.size() > 3) broken("padding differs from libtiff's", width, rows);
    for (size_t i = 0; i < block.bytes.size(); ++i)
        if (block.bytes[i] != (i < theirs.size() ? theirs[i] : 0)) broken("code bits differ from libtiff's", width, rows);

    // The same rows into a buffer that may be too small, allocated to its exact size.
    int32_t capacity = small % (bound + 1);
    std::vector<uint8_t> buffer(static_cast<size_t>(capacity) + (capacity == 0));
    std::vector<int32_t> a(static_cast<size_t>(mmr_run_list_entries(width))), b(a.size());
    mmr_begin_block(buffer.data(), capacity, width);
    mmr_white_line(b.data());
    int32_t result = mmr_encode_rows(reinterpret_cast<const uint8_t*>(img.words.data()), rows, width / 8, a.data(), b.data());
    if (result == 0) result = mmr_end_block();
    if (result == 0 && g_mmr.byte_count != static_cast<int32_t>(block.bytes.size())) broken("a smaller buffer changed the block", width, rows);
    if (result != 0 && result != MMR_FAIL_FULL && (result > MMR_FAIL_WHITE_PASS || result < MMR_FAIL_BLACK_WHITE_RUN))
        broken("a failure without a step code", width, rows);
    if (g_mmr.byte_count > capacity) broken("the writer counted past its buffer", width, rows);
    return 0;
}
