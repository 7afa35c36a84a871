// Vector throughput: draw requests through the plot-time handler into the output buffer,
// host writes counted but free.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench_host.h"
#include "host/packet.h"

namespace bench {

namespace {

void BM_Draws(benchmark::State& state) {
    const bool qdpx = state.range(0) != 0;
    bind_free_host(qdpx ? 0x1140 : 0x1100);
    begin_e_arch_plot();
    std::vector<uint8_t> draw(16, 0), move(16, 0);
    wr_i16(draw.data(), 0, 4);
    wr_i16(move.data(), 0, 3);
    int64_t draws = 0;
    int64_t bytes_before = g_counters.bytes_written;
    uint32_t seed = 1;
    for (auto _ : state) {
        // A polyline of 64 short segments, then a move: a typical CAD outline.
        seed = seed * 1664525u + 1013904223u;
        uint16_t x = static_cast<uint16_t>(1000 + (seed >> 20)), y = static_cast<uint16_t>(1000 + (seed >> 8 & 0x3FFF));
        wr_i16(move.data(), 4, static_cast<int16_t>(x));
        wr_i16(move.data(), 6, static_cast<int16_t>(y));
        plot(move.data());
        for (int k = 0; k < 64; ++k) {
            x = static_cast<uint16_t>(x + (k & 3) * 7 + 1);
            y = static_cast<uint16_t>(y + ((k >> 2) & 3) * 5 - 6);
            wr_i16(draw.data(), 4, static_cast<int16_t>(x));
            wr_i16(draw.data(), 6, static_cast<int16_t>(y));
            plot(draw.data());
        }
        draws += 64;
    }
    end_plot();
    state.SetItemsProcessed(draws);
    state.counters["job_bytes_per_vector"] = static_cast<double>(g_counters.bytes_written - bytes_before) / static_cast<double>(draws);
    state.SetLabel(qdpx ? "qdpx" : "hpgl");
}

}  // namespace

BENCHMARK(BM_Draws)->DenseRange(0, 1)->MinTime(1.0);

}  // namespace bench
