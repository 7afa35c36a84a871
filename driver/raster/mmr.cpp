#include "mmr.h"

#include <emmintrin.h>

#include <bit>

MmrWriter g_mmr = {nullptr, nullptr, 0, 0, 0, 0};

namespace {

// Appends one left-justified code. The coder works on a local copy of the writer so that
// the compiler keeps it in registers through a whole row.
inline bool put_checked(MmrWriter& w, MmrCode c) {
    int32_t p = w.bit_pos;
    if (p + c.length < 32) {
        w.partial |= c.code >> p;
        w.bit_pos = p + c.length;
        return true;
    }
    if (w.out == w.end) return false;
    *w.out++ = w.partial | (c.code >> p);
    w.byte_count += 4;
    // p + length >= 32 with length <= 32 means p > 0 unless the code is a whole word, so
    // the shift count is 1..32; the bits of the code that did not fit move to the top.
    w.partial = p == 0 ? 0 : c.code << (32 - p);
    w.bit_pos = p + c.length - 32;
    return true;
}

// The bit writer of rows that are known to fit (see mmr_encode_rows): the same steps as
// put_checked without the capacity test. (A branch-free form that stores the partial word
// at every code measured slower: the branch is well predicted, the longer chain is not.)
struct FastWriter {
    static constexpr bool kChecked = false;
    uint32_t* out;
    uint32_t partial;
    int32_t bit_pos;

    bool put(MmrCode c) {
        partial |= c.code >> bit_pos;
        bit_pos += c.length;
        if (bit_pos >= 32) {
            *out++ = partial;
            bit_pos -= 32;
            // The code is shorter than 32 bits, so it started at bit 32 - (length - bit_pos)
            // > 0: the shift count is 1..31.
            partial = c.code << (c.length - bit_pos);
        }
        return true;
    }
};

// The writer with a capacity check, for rows that might not fit: every write can fail.
struct CheckedWriter {
    static constexpr bool kChecked = true;
    MmrWriter& w;
    bool put(MmrCode c) { return put_checked(w, c); }
};

// Make-up codes while 64 or more pixels remain (2560 at most each), then the terminating code.
template <typename Writer>
inline bool put_run(Writer& w, const MmrCode* table, int32_t length) {
    while (length >= 64) [[unlikely]] {
        int32_t k = length / 64;
        if (k > MMR_LONGEST_MAKEUP / 64) k = MMR_LONGEST_MAKEUP / 64;
        if (!w.put(table[MMR_TERMINATING_CODES - 1 + k])) return false;
        length -= k * 64;
    }
    return w.put(table[length]);
}

// Horizontal mode: the mode code, then the first run from `first_table` and the second
// from `second_table`. 0, or the failure code of the step: `fail_mode` for the mode code,
// one less for the first run, two less for the second. Without capacity checks, two runs
// of less than 64 go out in one write with the mode code (at most 3 + 12 + 12 bits).
template <typename Writer>
inline int32_t put_horizontal(Writer& w, const MmrCode* first_table, int32_t first, const MmrCode* second_table,
                              int32_t second, int32_t fail_mode) {
    if (!Writer::kChecked && first < 64 && second < 64) {
        const MmrCode c1 = first_table[first], c2 = second_table[second];
        const MmrCode all = {MMR_HORIZONTAL_CODE.code | c1.code >> MMR_HORIZONTAL_CODE.length |
                                 c2.code >> (MMR_HORIZONTAL_CODE.length + c1.length),
                             MMR_HORIZONTAL_CODE.length + c1.length + c2.length};
        w.put(all);
        return 0;
    }
    if (!w.put(MMR_HORIZONTAL_CODE)) return fail_mode;
    if (!put_run(w, first_table, first)) return fail_mode - 1;
    if (!put_run(w, second_table, second)) return fail_mode - 2;
    return 0;
}

// Vertical codes by a1 - b1 + 3: VL3, VL2, VL1, V0, VR1, VR2, VR3.
constexpr MmrCode k_vertical_by_offset[7] = {
    MMR_VERTICAL_CODES[6], MMR_VERTICAL_CODES[5], MMR_VERTICAL_CODES[4], MMR_VERTICAL_CODES[0],
    MMR_VERTICAL_CODES[1], MMR_VERTICAL_CODES[2], MMR_VERTICAL_CODES[3],
};

// A run list's pairs are read through a pointer to a pair: start(r) and end(r) of that
// black run (pixels start .. end - 1), r + 2 the next pair.
inline int32_t start(const int32_t* r) { return r[0]; }
inline int32_t end(const int32_t* r) { return r[1]; }

// Codes one row against the reference line, both as run lists (p and q point at their
// first pair). a0 is the coding position; the phase (the colour at a0) is where the code
// runs: the white-phase loop or the black-phase loop, so no colour has to be tested.
//
// On the reference line, q is the first run whose end lies right of a0; it only moves
// forward. The changes right of a0 are then, in order: q's start if it lies right of a0
// (else a0 is inside q), q's end, the next run's start. So b1 and b2 are, in the white
// phase (b1 a run start), the start and end of q, or of the run after q when a0 is inside
// q; in the black phase (b1 a run end), q's end and the next run's start. On the coding
// line, p is the run at or after a0: a1 and a2 are p's start and end in the white phase,
// p's end and the next run's start in the black phase. The sentinel (w, w) and the extra
// pair of w behind it stand for "no change": every read stays inside the list.
template <typename Writer>
int32_t code_row(Writer& w, const int32_t* p, const int32_t* q, int32_t width) {
    // A copy on the stack: the 32-bit position-independent code then reads the most used
    // table relative to the stack pointer instead of through the global offset table.
    MmrCode vertical[7];
    for (int k = 0; k < 7; ++k) vertical[k] = k_vertical_by_offset[k];
    int32_t a0 = -1;  // the imaginary white pixel before the row: a change at 0 lies right of it
    for (;;) {
        // White phase.
        for (;;) {
            while (end(q) <= a0) q += 2;
            const int32_t* r = q + 2 * (start(q) <= a0);
            const int32_t a1 = start(p);
            if (end(r) < a1) {  // pass: b2 left of a1
                if (!w.put(MMR_PASS_CODE)) return MMR_FAIL_WHITE_PASS;
                a0 = end(r);
                q = r + 2;
                continue;
            }
            const int32_t d = a1 - start(r);
            if (d >= -3 && d <= 3) {
                if (!w.put(vertical[d + 3])) return MMR_FAIL_WHITE_VERTICAL;
                a0 = a1;
                if (a0 >= width) return 0;
                break;  // now on the black run p
            }
            const int32_t a2 = end(p);
            const int32_t fail = put_horizontal(w, MMR_WHITE_CODES, a1 - (a0 < 0 ? 0 : a0), MMR_BLACK_CODES, a2 - a1,
                                                MMR_FAIL_WHITE_HORIZONTAL);
            if (fail != 0) return fail;
            a0 = a2;
            p += 2;
            if (a0 >= width) return 0;
        }
        // Black phase: a0 is inside run p.
        for (;;) {
            while (end(q) <= a0) q += 2;
            const int32_t a1 = end(p);
            const int32_t b2 = start(q + 2);
            if (b2 < a1) {
                if (!w.put(MMR_PASS_CODE)) return MMR_FAIL_BLACK_PASS;
                a0 = b2;
                q += 2;
                continue;
            }
            const int32_t d = a1 - end(q);
            if (d >= -3 && d <= 3) {
                if (!w.put(vertical[d + 3])) return MMR_FAIL_BLACK_VERTICAL;
                a0 = a1;
                p += 2;
                if (a0 >= width) return 0;
                break;  // now white, before run p
            }
            const int32_t a2 = start(p + 2);
            const int32_t fail =
                put_horizontal(w, MMR_BLACK_CODES, a1 - a0, MMR_WHITE_CODES, a2 - a1, MMR_FAIL_BLACK_HORIZONTAL);
            if (fail != 0) return fail;
            a0 = a2;
            p += 2;
            if (a0 >= width) return 0;
        }
    }
}

// Change positions within a byte of transitions (bit 7 = the byte's first pixel), in
// order, padded with zeros to 8 entries, and their count.
struct ByteChanges {
    alignas(16) int32_t offset[256][8];
    uint8_t count[256];
};

constexpr ByteChanges make_byte_changes() {
    ByteChanges t{};
    for (int v = 0; v < 256; ++v) {
        int n = 0;
        for (int k = 0; k < 8; ++k)
            if ((v >> (7 - k)) & 1) t.offset[v][n++] = k;
        t.count[v] = static_cast<uint8_t>(n);
    }
    return t;
}

constexpr ByteChanges k_byte_changes = make_byte_changes();

// The changes of one word that has some: x is the row position of its first pixel.
inline int32_t* word_changes(uint32_t changes, int32_t x, int32_t* out) {
    const uint32_t rest = changes & (changes - 1);  // without the last change
    if ((rest & (rest - 1)) == 0) {
        // One or two changes, as in a drawing: the first and the last are stored either way
        // (with one change they are the same) and the position moves on by the count.
        out[0] = x + std::countl_zero(changes);
        out[1] = x + 31 - std::countr_zero(changes);
        return out + 1 + (rest != 0);
    }
    // A byte at a time: the table gives the byte's change positions; all eight slots are
    // stored whatever the count (the list has room behind its end).
    for (int k = 0; k < 4; ++k, x += 8) {
        const uint32_t byte = (changes >> (24 - 8 * k)) & 0xFF;
        const __m128i base = _mm_set1_epi32(x);
        const __m128i* at = reinterpret_cast<const __m128i*>(k_byte_changes.offset[byte]);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_add_epi32(base, _mm_load_si128(at)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4), _mm_add_epi32(base, _mm_load_si128(at + 1)));
        out += k_byte_changes.count[byte];
    }
    return out;
}

// Appends the changing elements of one row at `out` and returns the position after them.
// A pixel is a change when it differs from the pixel before it (the one before the row
// is white), so XOR-ing a word with itself shifted by one pixel, the previous word's last
// pixel shifted in, marks all changes of its 32 pixels at once. Four words are marked
// together, so that a stretch without changes (white or black) costs one test per four
// words. Changes alternate between run starts and run ends, so the list is exactly the run
// list's pairs.
int32_t* scan_changes(const uint32_t* row, int32_t words, int32_t* out) {
    uint32_t last = 0;  // the previous word (white before the row)
    int32_t i = 0;
    for (; i + 4 <= words; i += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
        // Each lane's previous word: the lanes moved up by one, the word before them in lane 0.
        const __m128i previous = _mm_or_si128(_mm_slli_si128(v, 4), _mm_cvtsi32_si128(static_cast<int32_t>(last)));
        const __m128i marks =
            _mm_xor_si128(v, _mm_or_si128(_mm_srli_epi32(v, 1), _mm_slli_epi32(previous, 31)));
        last = row[i + 3];
        const int none = _mm_movemask_epi8(_mm_cmpeq_epi32(marks, _mm_setzero_si128()));
        if (none == 0xFFFF) continue;
        alignas(16) uint32_t changes[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(changes), marks);
        for (int k = 0; k < 4; ++k)
            if (changes[k] != 0) out = word_changes(changes[k], (i + k) * 32, out);
    }
    for (; i < words; ++i) {
        const uint32_t v = row[i];
        const uint32_t changes = v ^ ((v >> 1) | last << 31);
        last = v;
        if (changes != 0) out = word_changes(changes, i * 32, out);
    }
    return out;
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
    list[1] = list[2] = list[3] = list[4] = g_mmr.width;
}

int32_t mmr_put_bits(uint32_t code, int32_t length) {
    return put_checked(g_mmr, MmrCode{code, length}) ? 0 : MMR_FAIL_FULL;
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
    int32_t* out = scan_changes(row, width / 32, list + 1);
    // A run that reaches the row's end ends at w.
    if ((out - (list + 1)) & 1) *out++ = width;
    // The sentinel pair and two more w, so that the coder may look ahead.
    out[0] = out[1] = out[2] = out[3] = width;
    const int32_t count = static_cast<int32_t>((out - (list + 1)) / 2) + 1;
    list[0] = count;
    return count;
}

int32_t mmr_put_run(const MmrCode* table, int32_t length) {
    CheckedWriter w{g_mmr};
    return put_run(w, table, length) ? 0 : MMR_FAIL_FULL;
}

namespace {

// The pairs of a run list, behind its count.
const int32_t* runs(const int32_t* list) { return list + 1; }

}  // namespace

int32_t mmr_encode_rows(const uint8_t* first_row, int32_t rows, int32_t pitch, int32_t* coding,
                        int32_t* reference) {
    MmrWriter w = g_mmr;
    // Words one row can complete at most (7 w + 22 bits, see mmr_block_capacity), plus
    // the partial word: a row is coded without capacity tests when that many remain.
    const int64_t row_words = (7 * static_cast<int64_t>(w.width) + 22 + 31) / 32 + 1;
    int32_t result = 0;
    const uint8_t* row = first_row;
    for (int32_t r = 0; r < rows; ++r, row += pitch) {
        mmr_row_to_runs(reinterpret_cast<const uint32_t*>(row), coding);
        if (w.end - w.out >= row_words) {
            FastWriter f{w.out, w.partial, w.bit_pos};
            code_row(f, runs(coding), runs(reference), w.width);
            w.byte_count += static_cast<int32_t>(f.out - w.out) * 4;
            w.out = f.out;
            w.partial = f.partial;
            w.bit_pos = f.bit_pos;
        } else {
            CheckedWriter c{w};
            result = code_row(c, runs(coding), runs(reference), w.width);
            if (result != 0) break;
        }
        int32_t* t = coding;
        coding = reference;
        reference = t;
    }
    g_mmr = w;
    return result;
}

void mmr_reset() { g_mmr = MmrWriter{nullptr, nullptr, 0, 0, 0, 0}; }
