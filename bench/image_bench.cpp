// A whole image through request 52 and the dispatcher: a 48 x 36 in frame at 600 dpi from
// a colour source (the host's fetch returns a ready line, so its cost is not counted).
// It runs in a child process so its peak memory is its own.
#include <benchmark/benchmark.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "bench_host.h"
#include "host/packet.h"

namespace bench {

namespace {

constexpr int32_t FRAME_X = 48 * 1016, FRAME_Y = 36 * 1016;  // host units at 1016 per inch

std::vector<uint8_t> g_line;  // one colour line, long enough for either orientation
uint8_t g_reply[16];

void* __attribute__((cdecl)) fetch(void* request) {
    const uint8_t* r = static_cast<const uint8_t*>(request);
    // Pixels asked for: columns 0..+8 (row order) or rows +4..+12 (column order).
    int32_t count = rd_i32(r, 40) == 7 ? rd_i32(r, 12) + 1 : rd_i32(r, 8) + 1;
    wr_ptr(g_reply, 0, g_line.data());
    wr_u32(g_reply, 4, static_cast<uint32_t>(count) * 3);
    wr_i16(g_reply, 12, 0);
    wr_i16(g_reply, 14, 0);
    return g_reply;
}
void __attribute__((cdecl)) release(void*) {}

long status_kib(const char* key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    size_t n = std::strlen(key);
    while (std::getline(in, line))
        if (line.compare(0, n, key) == 0) return std::atol(line.c_str() + n + 1);
    return -1;
}

struct ImageRun {
    double seconds;
    double device_pixels;
    double peak_above_start_bytes;
    double band_buffer_bytes;
    double job_bytes;
};

ImageRun run_image() {
    bind_free_host();
    begin_e_arch_plot();
    g_line.assign(static_cast<size_t>(30000) * 3, 0);
    for (size_t k = 0; k < g_line.size(); ++k) g_line[k] = static_cast<uint8_t>((k * 37) >> 4);
    std::vector<uint8_t> p(4096, 0);
    wr_i16(p.data(), 0, 52);
    wr_ptr(p.data(), 4, reinterpret_cast<void*>(&fetch));
    wr_ptr(p.data(), 8, reinterpret_cast<void*>(&release));
    wr_i32(p.data(), 16, 0);
    wr_i32(p.data(), 20, 0);
    wr_i32(p.data(), 24, FRAME_X);
    wr_i32(p.data(), 28, FRAME_Y);
    wr_i32(p.data(), 32, 2);     // colour
    wr_i32(p.data(), 36, 4800);  // source pixels
    wr_i32(p.data(), 40, 3600);
    std::ofstream("/proc/self/clear_refs") << "5";  // peak RSS counts from here
    long start_kib = status_kib("VmRSS:");
    auto t0 = std::chrono::steady_clock::now();
    plot(p.data());
    std::vector<uint8_t> next(64, 0);
    wr_i16(next.data(), 0, 2);  // end of plot: the dispatcher produces the image first
    plot(next.data());
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    long peak_kib = status_kib("VmHWM:");
    const double dots_x = 28800, dots_y = 21600;
    // The one-bit band buffer holds every row: (line dots / 8 + 100) bytes per row.
    double band = (dots_y / 8 + 100) * dots_x;
    return {seconds, dots_x * dots_y, (peak_kib - start_kib) * 1024.0, band, static_cast<double>(g_counters.bytes_written)};
}

void BM_ImageE600(benchmark::State& state) {
    ImageRun r{};
    for (auto _ : state) {
        int fds[2];
        if (pipe(fds) != 0) {
            state.SkipWithError("pipe failed");
            return;
        }
        pid_t pid = fork();
        if (pid == 0) {
            close(fds[0]);
            ImageRun c = run_image();
            ssize_t w = write(fds[1], &c, sizeof c);
            _exit(w == static_cast<ssize_t>(sizeof c) ? 0 : 1);
        }
        close(fds[1]);
        ssize_t got = read(fds[0], &r, sizeof r);
        close(fds[0]);
        int status = 0;
        waitpid(pid, &status, 0);
        if (got != static_cast<ssize_t>(sizeof r) || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the image child failed");
            return;
        }
        state.SetIterationTime(r.seconds);
    }
    state.counters["seconds"] = r.seconds;
    state.counters["device_pixels_per_s"] = r.device_pixels / r.seconds;
    state.counters["peak_above_start_bytes"] = r.peak_above_start_bytes;
    state.counters["band_buffer_bytes"] = r.band_buffer_bytes;
    state.counters["job_bytes"] = r.job_bytes;
}

}  // namespace

BENCHMARK(BM_ImageE600)->Iterations(1)->Repetitions(3)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace bench
