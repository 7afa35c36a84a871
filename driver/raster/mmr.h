// MMR coding (ITU-T T.6) of one-bit rows: every row coded against the row above it, the
// first against an all-white row, no end-of-line codes, the block closed by EOFB.
//
// Rows are in the one-bit row format: 32-bit words in host byte order, pixel x at bit
// 31 - (x mod 32) of word x / 32, 1 = black. Each row is first turned into a run list;
// the coder walks the coding and reference lists side by side.
#pragma once
#include <cstdint>

#include "mmr_tables.h"

// The bit writer and the coding width. Codes fill 32-bit words from the most significant
// bit down; whole words are stored in host byte order and turned into a byte stream once
// per block (swap_word_bytes).
struct MmrWriter {
    uint32_t* out;       // next whole word of the encoded-output buffer
    uint32_t* end;       // one past the last whole word the buffer holds
    int32_t byte_count;  // bytes of coded data so far
    int32_t bit_pos;     // bits used in the partial word, 0..31
    uint32_t partial;    // the partial word, filled from bit 31 down
    int32_t width;       // coding width w in bits, a multiple of 32
};
extern MmrWriter g_mmr;

// Failure codes of mmr_encode_rows, naming the write that failed: the white phase's
// pass, vertical and horizontal codes and its white and black runs, then the same five
// for the black phase (black run before white run).
inline constexpr int32_t MMR_FAIL_WHITE_PASS = -100;
inline constexpr int32_t MMR_FAIL_WHITE_VERTICAL = -101;
inline constexpr int32_t MMR_FAIL_WHITE_HORIZONTAL = -102;
inline constexpr int32_t MMR_FAIL_WHITE_WHITE_RUN = -103;
inline constexpr int32_t MMR_FAIL_WHITE_BLACK_RUN = -104;
inline constexpr int32_t MMR_FAIL_BLACK_PASS = -105;
inline constexpr int32_t MMR_FAIL_BLACK_VERTICAL = -106;
inline constexpr int32_t MMR_FAIL_BLACK_HORIZONTAL = -107;
inline constexpr int32_t MMR_FAIL_BLACK_BLACK_RUN = -108;
inline constexpr int32_t MMR_FAIL_BLACK_WHITE_RUN = -109;
// The writer ran out of room (returned by the bit writer itself).
inline constexpr int32_t MMR_FAIL_FULL = -1;

// A run list holds a count and then the pairs (start, end) of the black runs, ending with
// the sentinel pair (w, w); one more w follows the sentinel. Its size in 32-bit entries
// for a row of w bits (at most w / 2 runs):
inline constexpr int32_t mmr_run_list_entries(int32_t w) { return w + 5; }

// The most bytes a block of `rows` rows of `width` bits can take, EOFB and the last word
// included: false when that does not fit in 32 bits.
//
// Why 7 bits per pixel: every coding step moves a0 right by d pixels. A pass code (4 bits)
// and a vertical code (at most 7) move it at least one pixel; a horizontal step costs 3
// bits plus two run codes, and a run of L >= 1 pixels never costs more than 6L bits (6 for
// a white run of 1, at most 12 below 64, make-up codes of at most 13 bits per 64 or more
// pixels above), so the step costs at most 7d. Only a row's first step (a vertical code at
// pixel 0, or a white run of 0) and its last (a run of 0 at the row end) can cost more,
// by at most 10 and 12 bits. A row of w bits thus takes at most 7w + 22 bits, which we
// round to 7 * (w / 8) + 4 bytes; the EOFB's 24 bits and the partial last word add 8.
bool mmr_block_capacity(int32_t width, int32_t rows, int32_t* bytes);

// Starts a block: the writer at the start of `buffer` (capacity bytes, whole words only
// are used), nothing written, coding width w.
void mmr_begin_block(void* buffer, int32_t capacity, int32_t width);
// The all-white run list of a row of the current width: the reference line of a
// block's first row.
void mmr_white_line(int32_t* list);

// Appends a left-justified code of `length` bits (1..32). 0, or MMR_FAIL_FULL when the
// word it completes does not fit.
int32_t mmr_put_bits(uint32_t code, int32_t length);
// Stores the partial word and counts its bytes to the next 16-bit boundary. 0 or
// MMR_FAIL_FULL.
int32_t mmr_flush_bits();
// EOFB (two EOL codes) and the flush. 0 or MMR_FAIL_FULL.
int32_t mmr_end_block();
// Fills a run list from one row of the current width; returns the pair count with the
// sentinel.
int32_t mmr_row_to_runs(const uint32_t* row, int32_t* list);
// Writes the make-up and terminating codes of one run from the table of its colour.
int32_t mmr_put_run(const MmrCode* table, int32_t length);
// Codes `rows` rows that lie `pitch` bytes apart. `coding` and `reference` are run-list
// areas of mmr_run_list_entries(w) entries; `reference` holds the line above the first
// row. 0, or a failure code MMR_FAIL_*.
int32_t mmr_encode_rows(const uint8_t* first_row, int32_t rows, int32_t pitch, int32_t* coding,
                        int32_t* reference);

void mmr_reset();
