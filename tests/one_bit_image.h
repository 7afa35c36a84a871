// One-bit images in the driver's row format (32-bit host-order words, pixel x at bit
// 31 - x % 32, 1 = black) and a helper that codes them as one MMR block.
#pragma once
#include <cstdint>
#include <vector>

#include "raster/mmr.h"

struct OneBitImage {
    int32_t width = 0;  // a multiple of 32
    int32_t rows = 0;
    std::vector<uint32_t> words;

    OneBitImage(int32_t w, int32_t r) : width(w), rows(r), words(static_cast<size_t>(w / 32) * r, 0) {}

    uint32_t* row(int32_t y) { return words.data() + static_cast<size_t>(y) * (width / 32); }
    const uint32_t* row(int32_t y) const { return words.data() + static_cast<size_t>(y) * (width / 32); }
    bool get(int32_t x, int32_t y) const { return (row(y)[x / 32] >> (31 - x % 32)) & 1; }
    void set(int32_t x, int32_t y, bool black = true) {
        uint32_t bit = 1u << (31 - x % 32);
        if (black) row(y)[x / 32] |= bit; else row(y)[x / 32] &= ~bit;
    }
    void fill(int32_t y, int32_t x0, int32_t x1) {
        for (int32_t x = x0; x < x1; ++x) set(x, y);
    }
    // The rows as bytes, most significant bit first: each word big-endian.
    std::vector<uint8_t> msb_bytes() const {
        std::vector<uint8_t> out;
        out.reserve(words.size() * 4);
        for (uint32_t v : words)
            for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
        return out;
    }
};

// The writer's words as a byte stream, cut to the writer's byte count.
inline std::vector<uint8_t> mmr_stream(const std::vector<uint32_t>& words, int32_t count) {
    std::vector<uint8_t> out;
    for (uint32_t v : words)
        for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
    out.resize(static_cast<size_t>(count));
    return out;
}

struct MmrBlock {
    int32_t result = 0;          // mmr_encode_rows, or the end-of-block result when that failed
    std::vector<uint8_t> bytes;  // transmission order
};

// Codes all rows of the image as one block into a buffer of `capacity` bytes (by default
// the proven worst case).
inline MmrBlock mmr_block(const OneBitImage& img, int32_t capacity = -1) {
    if (capacity < 0) mmr_block_capacity(img.width, img.rows, &capacity);
    std::vector<uint32_t> out(static_cast<size_t>(capacity) / 4 + 1, 0xDEADBEEF);
    std::vector<int32_t> a(static_cast<size_t>(mmr_run_list_entries(img.width)));
    std::vector<int32_t> b(a.size());
    mmr_begin_block(out.data(), capacity, img.width);
    mmr_white_line(b.data());
    MmrBlock block;
    block.result = mmr_encode_rows(reinterpret_cast<const uint8_t*>(img.words.data()), img.rows, img.width / 8,
                                   a.data(), b.data());
    if (block.result == 0) block.result = mmr_end_block();
    if (block.result == 0) block.bytes = mmr_stream(out, g_mmr.byte_count);
    return block;
}
