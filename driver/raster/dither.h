// Ordered-dither halftoning: each pixel of a fetched line is mapped to grey and through the
// tone table to a darkness, replicated n times across to device resolution, and compared
// with a 16 x 16 threshold matrix, giving n one-bit rows that are appended to the image's
// band buffer. One pass per line computes each pixel's darkness (or, under a rising tone
// curve, a level that orders the same way; see dither.cpp); each of the n rows is then one
// compare per 16 pixels.
//
// One-bit row format, shared with the raster output and the MMR encoder: a row of w bits
// is w / 32 unsigned 32-bit words in host byte order; device pixel x is bit 31 - (x mod
// 32) of word x / 32; 1 is a dot. Rows lie in the band buffer w / 8 bytes apart.
#pragma once
#include <cstdint>

// Thresholds 1..256, [row][column].
extern const uint16_t DITHER_MATRIX[16][16];

// [matrix row][darkness]: bit 15 - c is set when column c of that row gets a dot.
struct DitherMasks {
    uint16_t mask[16][256];
    // The same masks as one threshold per pixel position: a pixel of darkness v gets a dot
    // when v >= threshold. Position p of a matrix row holds column (15 - p) XOR 8, the
    // order in which the halftoning loop reads the pixels (see dither.cpp).
    alignas(16) uint8_t threshold[16][16];
};
extern DitherMasks g_dither_masks;

// Rebuilds the masks and thresholds from the matrix (once per image).
void dither_build_masks();

// Adds one fetched line of p pixels: p triples (R, G, B) for a colour line, p bytes (0
// background, otherwise foreground) for a monochrome one. A line longer than the image's
// line width is cut to it, a shorter one is padded with white. 0, or -1 when the line
// cannot be stored (no buffer, or the image already has all its rows).
int32_t raster_add_row(int32_t p, const uint8_t* pixels, bool monochrome, uint8_t fg_r, uint8_t fg_g,
                       uint8_t fg_b);
