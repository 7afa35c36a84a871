#include "dither.h"

#include <emmintrin.h>

#include <cstring>

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
    DitherMasks& d = g_dither_masks;
    for (int r = 0; r < 16; ++r) {
        for (int v = 0; v < 256; ++v) {
            uint16_t m = 0;
            for (int c = 0; c < 16; ++c)
                if (v == 255 || (v > 0 && v >= DITHER_MATRIX[r][c])) m |= static_cast<uint16_t>(0x8000u >> c);
            d.mask[r][v] = m;
        }
        // The masks grow with the darkness, so each column's threshold is the first level
        // whose mask has its bit: 1..255, since level 0 never prints and 255 always does.
        for (int p = 0; p < 16; ++p) {
            const int c = (15 - p) ^ 8;
            int v = 0;
            while (v < 255 && !((d.mask[r][v] >> (15 - c)) & 1)) ++v;
            d.threshold[r][p] = static_cast<uint8_t>(v);
        }
    }
}

namespace {

// Grey level of one pixel: (30 R + 59 G + 11 B) / 100. That is R itself when R = G = B,
// and never above 255, so neither the equal-channel case nor the limit needs a test. The
// division is a multiplication: (s * 5243) >> 19 equals s / 100 for every s up to 25500.
inline uint32_t grey(uint32_t r, uint32_t g, uint32_t b) { return ((30 * r + 59 * g + 11 * b) * 5243) >> 19; }

// The line holds one level byte per device pixel (see LineLevels), with the pixels of
// every group of 32 in reverse order: pixel x at position x XOR 31. A 16-byte compare
// and a byte-mask extraction then give, for positions p = 0..31, exactly bit p of the
// row's 32-bit word, which is where pixel 31 - p belongs. The threshold rows are stored
// in the same reversed order, with the XOR 8 of the matrix column folded in.
inline uint8_t* level_at(uint8_t* line, int32_t x) { return line + (x ^ 31); }

// What the line holds for each grey level, and the thresholds it is compared with, for one
// line under the tone table as it is now. In general the level is the darkness 255 - T[g]
// and the thresholds are the matrix's. When the tone table never falls and starts at 0 (as
// the factory curve does), the pixels that get a dot at a threshold t are exactly the grey
// levels up to G(t), the last level whose darkness reaches t; the level can then be 255 - g
// itself, compared with 255 - G(t), and a colour pixel needs no tone lookup at all.
struct LineLevels {
    uint8_t level[256];                     // by grey level
    alignas(16) uint8_t threshold[16][16];  // by matrix row, in the order of DitherMasks
    bool by_grey;                           // level[g] is 255 - g
};

void levels_for_line(LineLevels& l) {
    uint8_t dark[256];
    for (int g = 0; g < 256; ++g) dark[g] = static_cast<uint8_t>(255 - g_tone.tone_table[g]);
    l.by_grey = dark[0] == 255;
    for (int g = 1; g < 256 && l.by_grey; ++g) l.by_grey = dark[g] <= dark[g - 1];
    if (!l.by_grey) {
        std::memcpy(l.level, dark, sizeof dark);
        std::memcpy(l.threshold, g_dither_masks.threshold, sizeof l.threshold);
        return;
    }
    uint8_t last_reaching[256];  // G(t) for t = 1..255; dark[0] = 255 reaches every t
    for (int t = 1, g = 255; t < 256; ++t) {
        while (dark[g] < t) --g;
        last_reaching[t] = static_cast<uint8_t>(g);
    }
    for (int g = 0; g < 256; ++g) l.level[g] = static_cast<uint8_t>(255 - g);
    for (int r = 0; r < 16; ++r)
        for (int p = 0; p < 16; ++p)
            l.threshold[r][p] = static_cast<uint8_t>(255 - last_reaching[g_dither_masks.threshold[r][p]]);
}

// Writes the levels of source pixels i..p-1 (from level(i)) n times each.
template <typename Level>
void spread(uint8_t* line, int32_t i, int32_t p, int32_t n, Level level) {
    if (n == 1) {
        for (; i < p; ++i) *level_at(line, i) = level(i);
        return;
    }
    for (int32_t x = i * n; i < p; ++i) {
        const uint8_t v = level(i);
        for (int32_t k = 0; k < n; ++k, ++x) *level_at(line, x) = v;
    }
}

// The weighted sums 30 R + 59 G + 11 B of four pixels, one per 32-bit lane. Each lane is
// loaded as the pixel's three bytes and the next byte, which the masks drop. When
// kTransparent, a pixel equal to `key` (R | G << 8 | B << 16) becomes white first.
template <bool kTransparent>
inline __m128i weighted_sums(const uint8_t* q, __m128i key) {
    auto lane = [](const uint8_t* at) {
        int32_t v;
        std::memcpy(&v, at, 4);
        return _mm_cvtsi32_si128(v);
    };
    __m128i t = _mm_unpacklo_epi64(_mm_unpacklo_epi32(lane(q), lane(q + 3)), _mm_unpacklo_epi32(lane(q + 6), lane(q + 9)));
    if (kTransparent) t = _mm_or_si128(t, _mm_cmpeq_epi32(_mm_and_si128(t, _mm_set1_epi32(0x00FFFFFF)), key));
    const __m128i rb = _mm_and_si128(t, _mm_set1_epi32(0x00FF00FF));                   // R, B as 16-bit halves
    const __m128i g = _mm_and_si128(_mm_srli_epi32(t, 8), _mm_set1_epi32(0x000000FF));  // G, 0
    return _mm_add_epi32(_mm_madd_epi16(rb, _mm_set1_epi32(30 | 11 << 16)), _mm_madd_epi16(g, _mm_set1_epi32(59)));
}

// The grey levels of the eight pixels at q, in 16-bit lanes: the division by 100 is a high
// multiplication by 5243 and a shift by 3. Reads 25 bytes, one past the eighth pixel.
template <bool kTransparent>
inline __m128i grey_by_eight(const uint8_t* q, __m128i key) {
    const __m128i sums = _mm_packs_epi32(weighted_sums<kTransparent>(q, key), weighted_sums<kTransparent>(q + 12, key));
    return _mm_srli_epi16(_mm_mulhi_epu16(sums, _mm_set1_epi16(5243)), 3);
}

// Line levels of colour pixels from 0, eight at a time, one lookup each, handed to
// store(i, level). Stops while at least one pixel is left, so that no load reaches past
// the line; returns the number done.
template <bool kTransparent, typename Store>
int32_t colour_levels_by_eight(const uint8_t* pixels, int32_t p, const uint8_t* level, __m128i key, Store store) {
    int32_t i = 0;
    for (; i + 9 <= p; i += 8) {
        const __m128i g = grey_by_eight<kTransparent>(pixels + 3 * i, key);
        store(i + 0, level[_mm_extract_epi16(g, 0)]);
        store(i + 1, level[_mm_extract_epi16(g, 1)]);
        store(i + 2, level[_mm_extract_epi16(g, 2)]);
        store(i + 3, level[_mm_extract_epi16(g, 3)]);
        store(i + 4, level[_mm_extract_epi16(g, 4)]);
        store(i + 5, level[_mm_extract_epi16(g, 5)]);
        store(i + 6, level[_mm_extract_epi16(g, 6)]);
        store(i + 7, level[_mm_extract_epi16(g, 7)]);
    }
    return i;
}

// The levels of a colour line, each pixel n times: eight pixels at a time, the rest one by
// one.
template <bool kTransparent>
void colour_levels(uint8_t* line, const uint8_t* pixels, int32_t p, int32_t n, const LineLevels& l,
                   const uint8_t key[3]) {
    const __m128i k = _mm_set1_epi32(key[0] | key[1] << 8 | key[2] << 16);
    const uint8_t* level = l.level;
    int32_t done = 0;
    if (n == 1 && l.by_grey) {
        // No lookup: the levels 255 - g of eight pixels, their order reversed (the words
        // of the lanes, then the halves), packed to bytes and stored at once: pixels i..i+7,
        // i a multiple of 8, lie at positions (i XOR 31) - 7 .. (i XOR 31).
        for (; done + 9 <= p; done += 8) {
            __m128i v = _mm_sub_epi16(_mm_set1_epi16(255), grey_by_eight<kTransparent>(pixels + 3 * done, k));
            v = _mm_shuffle_epi32(_mm_shufflehi_epi16(_mm_shufflelo_epi16(v, 0x1B), 0x1B), 0x4E);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(level_at(line, done) - 7), _mm_packus_epi16(v, v));
        }
    } else if (n == 1) {
        done = colour_levels_by_eight<kTransparent>(pixels, p, level, k,
                                                    [&](int32_t i, uint8_t v) { *level_at(line, i) = v; });
    } else {
        done = colour_levels_by_eight<kTransparent>(pixels, p, level, k, [&](int32_t i, uint8_t v) {
            for (int32_t x = i * n, e = x + n; x < e; ++x) *level_at(line, x) = v;
        });
    }
    spread(line, done, p, n, [&](int32_t j) {
        const uint8_t* q = pixels + 3 * j;
        const bool paper = kTransparent && q[0] == key[0] && q[1] == key[1] && q[2] == key[2];
        return level[paper ? 255 : grey(q[0], q[1], q[2])];
    });
}

// One device row of w bits (a multiple of 32) from the line of levels, with the thresholds
// of one matrix row: per 16 pixels one unsigned compare (max(v, t) == v means v >= t) and
// one byte-mask extraction, written as whole words.
void halftone_row(const uint8_t* line, int32_t w, const uint8_t* threshold, uint8_t* out) {
    const __m128i t = _mm_load_si128(reinterpret_cast<const __m128i*>(threshold));
    for (int32_t x = 0; x < w; x += 32, out += 4) {
        const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + x));
        const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + x + 16));
        const uint32_t word = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_max_epu8(lo, t), lo))) |
                              static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_max_epu8(hi, t), hi))) << 16;
        std::memcpy(out, &word, 4);
    }
}

}  // namespace

int32_t raster_add_row(int32_t p, const uint8_t* pixels, bool monochrome, uint8_t fg_r, uint8_t fg_g,
                       uint8_t fg_b) {
    RasterJob& job = g_raster;
    const int32_t n = job.n;
    if (job.broken || !job.band || !job.levels || job.row_counter > job.planned_rows - n) return -1;
    // A longer reply is cut to the line width the buffers were sized for; a shorter one
    // leaves the rest of the line white.
    if (p > job.line_width) p = job.line_width;
    if (p < 0 || !pixels) p = 0;

    // The row is one word wider than the line needs (always one white word at the right).
    const int32_t t = job.device_width;
    const int32_t w = ((t + 31) / 32) * 32 + 32;
    job.row_width = w;

    LineLevels levels;
    levels_for_line(levels);
    const uint8_t paper = levels.level[255];

    uint8_t* line = job.levels;
    const bool transparent = job.transparent != 0;
    if (monochrome) {
        // Background pixels are paper; the foreground is one colour for the whole line.
        const bool fg_key = transparent && fg_r == job.key[0] && fg_g == job.key[1] && fg_b == job.key[2];
        const uint8_t ink = fg_key ? paper : levels.level[grey(fg_r, fg_g, fg_b)];
        spread(line, 0, p, n, [&](int32_t i) { return pixels[i] ? ink : paper; });
    } else if (transparent) {
        colour_levels<true>(line, pixels, p, n, levels, job.key);
    } else {
        colour_levels<false>(line, pixels, p, n, levels, job.key);
    }
    // Pixels right of the reply, the padding word included, are white paper.
    for (int32_t x = p * n; x < w; ++x) *level_at(line, x) = paper;

    // n device rows, each with the next row of the matrix, straight into the band buffer.
    for (int32_t k = 0; k < n; ++k) {
        halftone_row(line, w, levels.threshold[job.row_counter & 15],
                     job.band + static_cast<size_t>(job.row_counter) * (w / 8));
        ++job.row_counter;
    }
    return 0;
}
