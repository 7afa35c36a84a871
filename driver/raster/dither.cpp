#include "dither.h"

#include <cstring>

#include "host/alloc.h"
#include "raster_output.h"
#include "tone_curve.h"

// An 8 x 8 base pattern spread over four quadrants: M[r][c] = 4 B[r % 8][c % 8] + q + 1,
// q = 0, 1, 2, 3 for the top-left, top-right, bottom-left and bottom-right quadrant.
const uint16_t DITHER_MATRIX[16][16] = {
    //  c0   c1   c2   c3   c4   c5   c6   c7   c8   c9  c10  c11  c12  c13  c14  c15
    {    1, 209,  33, 241,  73, 153, 105, 185,   2, 210,  34, 242,  74, 154, 106, 186},  //  0
    {  145,  65, 177,  97, 217,   9, 249,  41, 146,  66, 178,  98, 218,  10, 250,  42},  //  1
    {  193,  17, 225,  49, 137,  89, 169, 121, 194,  18, 226,  50, 138,  90, 170, 122},  //  2
    {   81, 129, 113, 161,  25, 201,  57, 233,  82, 130, 114, 162,  26, 202,  58, 234},  //  3
    {  109, 189,  77, 157,  37, 245,   5, 213, 110, 190,  78, 158,  38, 246,   6, 214},  //  4
    {  253,  45, 221,  13, 181, 101, 149,  69, 254,  46, 222,  14, 182, 102, 150,  70},  //  5
    {  173, 125, 141,  93, 229,  53, 197,  21, 174, 126, 142,  94, 230,  54, 198,  22},  //  6
    {   61, 237,  29, 205, 117, 165,  85, 133,  62, 238,  30, 206, 118, 166,  86, 134},  //  7
    {    3, 211,  35, 243,  75, 155, 107, 187,   4, 212,  36, 244,  76, 156, 108, 188},  //  8
    {  147,  67, 179,  99, 219,  11, 251,  43, 148,  68, 180, 100, 220,  12, 252,  44},  //  9
    {  195,  19, 227,  51, 139,  91, 171, 123, 196,  20, 228,  52, 140,  92, 172, 124},  // 10
    {   83, 131, 115, 163,  27, 203,  59, 235,  84, 132, 116, 164,  28, 204,  60, 236},  // 11
    {  111, 191,  79, 159,  39, 247,   7, 215, 112, 192,  80, 160,  40, 248,   8, 216},  // 12
    {  255,  47, 223,  15, 183, 103, 151,  71, 256,  48, 224,  16, 184, 104, 152,  72},  // 13
    {  175, 127, 143,  95, 231,  55, 199,  23, 176, 128, 144,  96, 232,  56, 200,  24},  // 14
    {   63, 239,  31, 207, 119, 167,  87, 135,  64, 240,  32, 208, 120, 168,  88, 136},  // 15
};

DitherMasks g_dither_masks = {};

void dither_build_masks() {
    for (int r = 0; r < 16; ++r) {
        for (int v = 0; v < 256; ++v) {
            uint16_t m = 0;
            for (int c = 0; c < 16; ++c)
                if (v == 255 || (v > 0 && v >= DITHER_MATRIX[r][c])) m |= static_cast<uint16_t>(0x8000u >> c);
            g_dither_masks.mask[r][v] = m;
        }
    }
}

namespace {

// Grey level of one pixel. (30 R + 59 G + 11 B) / 100 is R itself when R = G = B, and
// never above 255, so neither the equal-channel case nor the limit needs a test.
inline uint32_t grey(uint32_t r, uint32_t g, uint32_t b) { return (30 * r + 59 * g + 11 * b) / 100; }

// One group of 16 pixels. Pixel j of the group is compared with matrix column j XOR 8, so
// its dot is bit 15 - (j ^ 8) of the mask, which is bit 15 - j with the mask's two bytes
// swapped: the group is gathered in mask order with one AND per pixel and its bytes are
// swapped once at the end.
inline uint32_t dither_group(const uint16_t* masks, const uint8_t* tone, const uint8_t* pr, const uint8_t* pg,
                             const uint8_t* pb) {
    uint32_t g16 = 0;
    for (int j = 0; j < 16; ++j) {
        uint32_t v = 255u - tone[grey(pr[j], pg[j], pb[j])];
        g16 |= masks[v] & (0x8000u >> (j ^ 8));
    }
    return ((g16 & 0xFF) << 8) | (g16 >> 8);
}

}  // namespace

void dither_row(int32_t r, int32_t count) {
    const uint16_t* masks = g_dither_masks.mask[r & 15];
    const uint8_t* tone = g_tone.tone_table;
    const uint8_t* pr = g_raster.plane_r;
    const uint8_t* pg = g_raster.plane_g;
    const uint8_t* pb = g_raster.plane_b;
    uint8_t* out = g_raster.out_row;
    int32_t x = 0;
    for (; x + 32 <= count; x += 32) {
        uint32_t word = dither_group(masks, tone, pr + x, pg + x, pb + x) << 16;
        word |= dither_group(masks, tone, pr + x + 16, pg + x + 16, pb + x + 16);
        std::memcpy(out + x / 8, &word, 4);
    }
    if (x < count) {
        // The last, partial word: pixels beyond count stay 0.
        uint32_t word = 0;
        for (int32_t k = 0; x + k < count; ++k) {
            uint32_t v = 255u - tone[grey(pr[x + k], pg[x + k], pb[x + k])];
            uint32_t c = static_cast<uint32_t>(k & 15) ^ 8;
            word |= ((masks[v] >> (15 - c)) & 1u) << (31 - k);
        }
        std::memcpy(out + x / 8, &word, 4);
    }
}

int32_t raster_add_row(int32_t p, const uint8_t* pixels, bool monochrome, uint8_t fg_r, uint8_t fg_g,
                       uint8_t fg_b) {
    RasterJob& job = g_raster;
    const int32_t n = job.n;
    if (job.broken || !job.band || job.row_counter > job.planned_rows - n) return -1;
    const int32_t bpp = monochrome ? 1 : 3;
    // A longer reply is cut to the line width the buffers were sized for; a shorter one
    // leaves the rest of the line white.
    if (p > job.line_width) p = job.line_width;
    if (p < 0 || !pixels) p = 0;

    if (!job.expansion) {
        // Sized from the image's line width (not from this line) and for colour, so that
        // every later line fits.
        int32_t size;
        if (__builtin_mul_overflow(job.device_width, 3, &size) || __builtin_add_overflow(size, 100, &size)) {
            job.broken = true;
            return -1;
        }
        job.expansion = static_cast<uint8_t*>(driver_malloc(static_cast<size_t>(size)));
        if (!job.expansion) {
            job.broken = true;
            return -1;
        }
    }

    // Replicate every source pixel n times across.
    if (n == 1) {
        // An empty reply may come without pixels at all: nothing to copy from.
        if (p > 0) std::memcpy(job.expansion, pixels, static_cast<size_t>(p) * bpp);
    } else {
        uint8_t* e = job.expansion;
        for (int32_t i = 0; i < p; ++i, pixels += bpp) {
            for (int32_t k = 0; k < n; ++k, e += bpp) std::memcpy(e, pixels, static_cast<size_t>(bpp));
        }
    }
    const int32_t got = p * n;        // device pixels the reply covered
    const int32_t t = job.device_width;  // device pixels of the line

    // Colour planes. Everything right of what the reply covered (the padding of the row,
    // and a short reply's missing pixels) is white; the first t + 256 entries are set.
    const size_t white = static_cast<size_t>(t) + 256 - static_cast<size_t>(got);
    std::memset(job.plane_r + got, 255, white);
    std::memset(job.plane_g + got, 255, white);
    std::memset(job.plane_b + got, 255, white);
    uint8_t* pr = job.plane_r;
    uint8_t* pg = job.plane_g;
    uint8_t* pb = job.plane_b;
    const uint8_t* e = job.expansion;
    if (monochrome) {
        for (int32_t x = 0; x < got; ++x) {
            const bool fg = e[x] != 0;
            pr[x] = fg ? fg_r : 255;
            pg[x] = fg ? fg_g : 255;
            pb[x] = fg ? fg_b : 255;
        }
    } else {
        for (int32_t x = 0; x < got; ++x, e += 3) {
            pr[x] = e[0];
            pg[x] = e[1];
            pb[x] = e[2];
        }
    }
    if (job.transparent) {
        const uint8_t kr = job.key[0], kg = job.key[1], kb = job.key[2];
        for (int32_t x = 0; x < got; ++x)
            if (pr[x] == kr && pg[x] == kg && pb[x] == kb) pr[x] = pg[x] = pb[x] = 255;
    }

    // n device rows, each with the next row of the matrix. The row is one word wider than
    // the line needs; only its w bits are stored, so only they are halftoned.
    const int32_t w = ((t + 31) / 32) * 32 + 32;
    job.row_width = w;
    for (int32_t k = 0; k < n; ++k) {
        dither_row(job.row_counter, w);
        std::memcpy(job.band + static_cast<size_t>(job.row_counter) * (w / 8), job.out_row, static_cast<size_t>(w / 8));
        ++job.row_counter;
    }
    return 0;
}
