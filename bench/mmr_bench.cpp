// MMR coding throughput: ours against libtiff's Group 4 encoder writing to memory, on the
// same sheets, with a check that both produce the same code bits.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bitmaps.h"
#include "raster/mmr.h"
#include "tiff_oracle.h"

namespace bench {

namespace {

struct OurBlock {
    std::vector<uint32_t> out;
    std::vector<int32_t> a, b;
    int32_t result = 0;
    int32_t bytes = 0;
};

void encode_ours(const Bitmap& bm, OurBlock& blk) {
    int32_t capacity = 0;
    mmr_block_capacity(bm.width, bm.rows, &capacity);
    if (blk.out.size() * 4 < static_cast<size_t>(capacity)) blk.out.resize(static_cast<size_t>(capacity) / 4 + 1);
    blk.a.resize(static_cast<size_t>(mmr_run_list_entries(bm.width)));
    blk.b.resize(blk.a.size());
    mmr_begin_block(blk.out.data(), capacity, bm.width);
    mmr_white_line(blk.b.data());
    blk.result = mmr_encode_rows(reinterpret_cast<const uint8_t*>(bm.words.data()), bm.rows, bm.width / 8, blk.a.data(), blk.b.data());
    if (blk.result == 0) blk.result = mmr_end_block();
    blk.bytes = g_mmr.byte_count;
}

// Our stream in transmission order, cut to the writer's byte count.
std::vector<uint8_t> stream(const OurBlock& blk) {
    std::vector<uint8_t> s;
    s.reserve(blk.out.size() * 4);
    for (uint32_t v : blk.out)
        for (int k = 24; k >= 0; k -= 8) s.push_back(static_cast<uint8_t>(v >> k));
    s.resize(static_cast<size_t>(blk.bytes));
    return s;
}

const Bitmap& sheet(int which) { return which == 0 ? halftone_photo() : which == 1 ? line_art() : adversarial(); }
const char* sheet_name(int which) { return which == 0 ? "halftone" : which == 1 ? "lineart" : "adversarial"; }

void BM_MmrOurs(benchmark::State& state) {
    const Bitmap& bm = sheet(static_cast<int>(state.range(0)));
    OurBlock blk;
    for (auto _ : state) {
        encode_ours(bm, blk);
        benchmark::DoNotOptimize(blk.bytes);
    }
    if (blk.result != 0) state.SkipWithError("our encoder failed");
    state.SetItemsProcessed(state.iterations() * int64_t{bm.width} * bm.rows);
    state.counters["bytes"] = blk.bytes;
    state.SetLabel(sheet_name(static_cast<int>(state.range(0))));
}

void BM_MmrLibtiff(benchmark::State& state) {
    int which = static_cast<int>(state.range(0));
    const Bitmap& bm = sheet(which);
    std::vector<uint8_t> rows = bm.msb_bytes();
    std::vector<uint8_t> theirs;
    for (auto _ : state) {
        theirs = oracle::g4_encode(rows, bm.width, bm.rows);
        benchmark::DoNotOptimize(theirs.data());
    }
    state.SetItemsProcessed(state.iterations() * int64_t{bm.width} * bm.rows);
    state.counters["bytes"] = static_cast<double>(theirs.size());
    // Same code bits: libtiff pads its end-of-block code to a byte, we to 16 bits.
    OurBlock blk;
    encode_ours(bm, blk);
    std::vector<uint8_t> ours = stream(blk);
    bool same = blk.result == 0 && ours.size() >= theirs.size() && std::equal(theirs.begin(), theirs.end(), ours.begin());
    for (size_t k = theirs.size(); same && k < ours.size(); ++k) same = ours[k] == 0;
    state.counters["same_bits"] = same ? 1 : 0;
    state.SetLabel(sheet_name(which));
}

}  // namespace

BENCHMARK(BM_MmrOurs)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_MmrLibtiff)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

}  // namespace bench
