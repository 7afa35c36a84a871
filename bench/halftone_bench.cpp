// Halftoning throughput of raster_add_row: colour and monochrome lines, replication 1 and 2.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench_host.h"
#include "raster/dither.h"
#include "raster/raster_output.h"

namespace bench {

namespace {

constexpr int32_t LINE = 7200;   // source pixels per line
constexpr int32_t LINES = 256;   // lines per image

void BM_Halftone(benchmark::State& state) {
    const bool mono = state.range(0) != 0;
    const int32_t n = static_cast<int32_t>(state.range(1));
    bind_free_host();
    std::vector<uint8_t> colour(static_cast<size_t>(LINE) * 3), grey(LINE);
    for (int32_t x = 0; x < LINE; ++x) {
        colour[3 * x] = static_cast<uint8_t>(x * 7);
        colour[3 * x + 1] = static_cast<uint8_t>(x * 3 + 40);
        colour[3 * x + 2] = static_cast<uint8_t>(255 - x);
        grey[x] = (x / 9) % 3 == 0;
    }
    for (auto _ : state) {
        state.PauseTiming();
        raster_begin(LINE, LINES, 0, 0, 1, 2, 0, 0, 0, n, 0);
        state.ResumeTiming();
        for (int32_t l = 0; l < LINES; ++l) {
            if (mono) raster_add_row(LINE, grey.data(), true, 0, 0, 0);
            else raster_add_row(LINE, colour.data(), false, 0, 0, 0);
        }
        state.PauseTiming();
        raster_end();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * int64_t{LINE} * n * LINES * n);
    state.SetLabel(std::string(mono ? "mono" : "colour") + " n=" + std::to_string(n));
}

}  // namespace

BENCHMARK(BM_Halftone)->ArgsProduct({{0, 1}, {1, 2}})->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace bench
