#include "mmr.h"

#include <bit>

MmrWriter g_mmr = {nullptr, nullptr, 0, 0, 0, 0};

namespace {

// The bit writer's working state, copied out of g_mmr for a stretch of coding so that the
// compiler keeps it in registers. A checked writer refuses a word past the end of the
// buffer; an unchecked one is used only while the buffer is known to hold the worst case.
template <bool Checked>
struct Bits {
    uint32_t* out;
    uint32_t* end;
    uint32_t partial;
    int32_t pos;

    // Appends one left-justified code of 1..32 bits.
    bool put(uint32_t code, int32_t length) {
        const int32_t p = pos;
        if (p + length < 32) {
            partial |= code >> p;
            pos = p + length;
            return true;
        }
        if (Checked && out == end) return false;
        *out++ = partial | (code >> p);
        // p + length >= 32 with length <= 32 means p > 0 unless the code is a whole word,
        // so the shift count is 1..32; the bits that did not fit move to the top.
        partial = p == 0 ? 0 : code << (32 - p);
        pos = p + length - 32;
        return true;
    }
    bool put(MmrCode c) { return put(c.code, c.length); }

    // Make-up codes while 64 or more pixels remain (2560 at most each), then the
    // terminating code.
    bool put_run(const MmrCode* table, int32_t length) {
        while (length >= 64) [[unlikely]] {
            int32_t k = length / 64;
            if (k > MMR_LONGEST_MAKEUP / 64) k = MMR_LONGEST_MAKEUP / 64;
            if (!put(table[MMR_TERMINATING_CODES - 1 + k])) return false;
            length -= k * 64;
        }
        return put(table[length]);
    }
};

template <bool Checked>
Bits<Checked> bits_from(const MmrWriter& w) {
    return Bits<Checked>{w.out, w.end, w.partial, w.bit_pos};
}

template <bool Checked>
void bits_to(const Bits<Checked>& b, MmrWriter& w) {
    w.byte_count += static_cast<int32_t>(b.out - w.out) * 4;
    w.out = b.out;
    w.partial = b.partial;
    w.bit_pos = b.pos;
}

// Vertical codes by a1 - b1 + 3: VL3, VL2, VL1, V0, VR1, VR2, VR3.
constexpr MmrCode k_vertical_by_offset[7] = {
    MMR_VERTICAL_CODES[6], MMR_VERTICAL_CODES[5], MMR_VERTICAL_CODES[4], MMR_VERTICAL_CODES[0],
    MMR_VERTICAL_CODES[1], MMR_VERTICAL_CODES[2], MMR_VERTICAL_CODES[3],
};

// Run tables by colour: 0 white, 1 black.
constexpr const MmrCode* k_run_tables[2] = {MMR_WHITE_CODES, MMR_BLACK_CODES};

// Codes one row, given as changing elements: the run list's pairs read as one ascending
// list, where even entries are white-to-black changes (run starts) and odd entries
// black-to-white changes (run ends). a and b point at the first pair of the coding and
// the reference list.
//
// The one trick: b1 is the first change right of a0 whose colour is opposite to a0's,
// that is the first entry right of a0 with the parity of the phase (even in the white
// phase, odd in the black). So the search finds the first entry right of a0 of either
// parity (jb, which only moves forward as a0 does) and steps one further when the parity
// is wrong. The entry after b1 is b2; the extra w behind the sentinel makes that read
// safe when b1 is the sentinel's end.
template <bool Checked>
int32_t code_row(Bits<Checked>& w, const int32_t* a, const int32_t* b, int32_t width) {
    int32_t a0 = -1;  // the imaginary white pixel before the row: a change at 0 lies right of it
    int32_t ia = 0;   // a[ia] is a1
    int32_t jb = 0;   // first reference entry right of a0
    int32_t black = 0;
    for (;;) {
        const int32_t a1 = a[ia];
        while (b[jb] <= a0) ++jb;
        const int32_t ib = jb + ((jb ^ black) & 1);
        const int32_t b1 = b[ib];
        const int32_t b2 = b[ib + 1];
        const int32_t fail = -100 - 5 * black;
        if (b2 < a1) {
            if (!w.put(MMR_PASS_CODE)) return fail;
            a0 = b2;
            jb = ib + 2;
            continue;
        }
        const int32_t d = a1 - b1;
        if (static_cast<uint32_t>(d + 3) <= 6) {
            if (!w.put(k_vertical_by_offset[d + 3])) return fail - 1;
            a0 = a1;
            ++ia;
            black ^= 1;
        } else {
            const int32_t a2 = a[ia + 1];
            const int32_t first = a1 - (a0 < 0 ? 0 : a0);
            const int32_t second = a2 - a1;
            const MmrCode* t1 = k_run_tables[black];
            const MmrCode* t2 = k_run_tables[black ^ 1];
            if (!Checked && first < 64 && second < 64) {
                // Mode code and both terminating codes in one write: at most 3 + 12 + 12 bits.
                const MmrCode c1 = t1[first], c2 = t2[second];
                w.put(MMR_HORIZONTAL_CODE.code | (c1.code >> 3) | (c2.code >> (3 + c1.length)),
                      3 + c1.length + c2.length);
            } else {
                if (!w.put(MMR_HORIZONTAL_CODE)) return fail - 2;
                if (!w.put_run(t1, first)) return fail - 3;
                if (!w.put_run(t2, second)) return fail - 4;
            }
            a0 = a2;
            ia += 2;
        }
        if (a0 >= width) return 0;
    }
}

// Appends the pairs of one row's black runs at `out` and returns the position after them.
// Word by word from the most significant bit: a white word costs one comparison, the
// start of a run is found with a leading-zero count and its end with a leading-one count,
// and a run that reaches the end of a word continues through all-black words 32 at a time.
int32_t* scan_runs(const uint32_t* row, int32_t words, int32_t* out) {
    int32_t i = 0;     // word index
    int32_t used = 0;  // bits of word i already scanned
    uint32_t v = words > 0 ? row[0] : 0;  // the unscanned bits of word i, left-justified
    for (;;) {
        while (v == 0) {
            if (++i >= words) return out;
            v = row[i];
            used = 0;
        }
        const int32_t zeros = std::countl_zero(v);  // v != 0, so below 32
        v <<= zeros;
        used += zeros;
        out[0] = i * 32 + used;
        int32_t ones = std::countl_one(v);  // at least 1: the top bit is the run's first pixel
        used += ones;
        if (used < 32) {
            v <<= ones;
            out[1] = i * 32 + used;
            out += 2;
            continue;
        }
        // The run reaches the end of word i.
        while (++i < words && row[i] == 0xFFFFFFFFu) {
        }
        if (i >= words) {
            out[1] = words * 32;
            return out + 2;
        }
        v = row[i];
        ones = std::countl_one(v);  // below 32: the word is not all black
        v <<= ones;
        used = ones;
        out[1] = i * 32 + used;
        out += 2;
    }
}

}  // namespace

bool mmr_block_capacity(int32_t width, int32_t rows, int32_t* bytes) {
    int32_t per_row, all;
    if (width < 0 || rows < 0) return false;
    if (__builtin_mul_overflow(width / 8, 7, &per_row) || __builtin_add_overflow(per_row, 4, &per_row)) return false;
    if (__builtin_mul_overflow(per_row, rows, &all) || __builtin_add_overflow(all, 8, &all)) return false;
    *bytes = all;
    return true;
}

void mmr_begin_block(void* buffer, int32_t capacity, int32_t width) {
    uint32_t* words = static_cast<uint32_t*>(buffer);
    g_mmr = MmrWriter{words, words + (capacity > 0 ? capacity / 4 : 0), 0, 0, 0, width};
}

void mmr_white_line(int32_t* list) {
    list[0] = 1;
    list[1] = list[2] = list[3] = g_mmr.width;
}

int32_t mmr_put_bits(uint32_t code, int32_t length) {
    Bits<true> b = bits_from<true>(g_mmr);
    if (!b.put(code, length)) return MMR_FAIL_FULL;
    bits_to(b, g_mmr);
    return 0;
}

int32_t mmr_flush_bits() {
    if (g_mmr.bit_pos == 0) return 0;
    if (g_mmr.out == g_mmr.end) return MMR_FAIL_FULL;
    // The position stays: the block ends here. Exactly 16 used bits count a whole word,
    // so the coded data always ends on a 16-bit boundary.
    *g_mmr.out = g_mmr.partial;
    g_mmr.byte_count += g_mmr.bit_pos <= 15 ? 2 : 4;
    return 0;
}

int32_t mmr_end_block() {
    if (mmr_put_bits(MMR_EOL_CODE.code, MMR_EOL_CODE.length) != 0) return MMR_FAIL_FULL;
    if (mmr_put_bits(MMR_EOL_CODE.code, MMR_EOL_CODE.length) != 0) return MMR_FAIL_FULL;
    return mmr_flush_bits();
}

int32_t mmr_row_to_runs(const uint32_t* row, int32_t* list) {
    const int32_t width = g_mmr.width;
    int32_t* out = scan_runs(row, width / 32, list + 1);
    out[0] = out[1] = out[2] = width;  // the sentinel pair and the extra w
    const int32_t count = static_cast<int32_t>((out - (list + 1)) / 2) + 1;
    list[0] = count;
    return count;
}

int32_t mmr_put_run(const MmrCode* table, int32_t length) {
    Bits<true> b = bits_from<true>(g_mmr);
    const bool ok = b.put_run(table, length);
    bits_to(b, g_mmr);
    return ok ? 0 : MMR_FAIL_FULL;
}

int32_t mmr_encode_rows(const uint8_t* first_row, int32_t rows, int32_t pitch, int32_t* coding,
                        int32_t* reference) {
    const int32_t width = g_mmr.width;
    // Whole words one row can complete at most (7 bits a pixel and 22 more, see
    // mmr_block_capacity), and one for the partial word.
    const int64_t row_words = (int64_t{7} * width + 22) / 32 + 2;
    const uint8_t* row = first_row;
    for (int32_t r = 0; r < rows; ++r, row += pitch) {
        mmr_row_to_runs(reinterpret_cast<const uint32_t*>(row), coding);
        int32_t result;
        if (g_mmr.end - g_mmr.out >= row_words) {
            Bits<false> b = bits_from<false>(g_mmr);
            result = code_row(b, coding + 1, reference + 1, width);
            bits_to(b, g_mmr);
        } else {
            // Near the end of the buffer every word is checked, and a failure names its step.
            Bits<true> b = bits_from<true>(g_mmr);
            result = code_row(b, coding + 1, reference + 1, width);
            bits_to(b, g_mmr);
        }
        if (result != 0) return result;
        int32_t* t = coding;
        coding = reference;
        reference = t;
    }
    return 0;
}

void mmr_reset() { g_mmr = MmrWriter{nullptr, nullptr, 0, 0, 0, 0}; }
