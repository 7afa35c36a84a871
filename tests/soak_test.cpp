// Soak: a thousand plots in one loaded driver, as a CAD session that plots all day. Both
// languages, two images a plot, and every few plots a port, fetch, allocation or
// configuration failure. After each plot the driver holds no block, and from the tenth
// plot on the heap in use does not grow.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's own count (its header ships with clang only).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

#include "headless.h"
#include "plot_run.h"

namespace {

using namespace sim;

// Bytes the process has allocated and not freed.
size_t heap_in_use() {
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

std::vector<PlotItem> soak_plot(const Picture& colour, const Picture& mono, const ReplyFaults& faults) {
    ImageSpec a, b;
    a.x0 = 3000, a.y0 = 3000, a.x1 = 3040, a.y1 = 3030;
    b.x0 = 8000, b.y0 = 2000, b.x1 = 8030, b.y1 = 2020, b.transparent = 1;
    return {
        op_pen(2), op_width(0.35), op_move(500, 500), op_draw(20000, 500), op_draw(20000, 15000), op_lift(),
        op_line_type(3), op_draw(500, 15000),
        op_polygon(6, {{1000, 1000}, {6000, 1000}, {3500, 5000}}),
        PlotItem(&colour, a, faults), op_pen(7),
        op_polygon(1, {{9000, 9000}, {12000, 9000}, {12000, 12000}}, true),
        PlotItem(&mono, b), op_move(100, 100), op_draw(40000, 30000),
    };
}

TEST(Soak, AThousandPlotsInOneLoadedDriver) {
    const ConfigStore stores[2] = {stored_record({"output_flags=0x1100"}), stored_record({"output_flags=0x1140"})};
    const Picture colour = synthetic_colour(12, 9);
    const Picture mono = synthetic_monochrome(6, 5);
    Host host(bind_in_process());
    std::vector<size_t> heap;
    heap.reserve(1000);  // the measurements must not grow the heap they measure
    int failed_plots = 0;
    for (int i = 0; i < 1000; ++i) {
        host.store = stores[i % 2];
        ReplyFaults faults;
        if (i % 11 == 5) faults.fail_at = 3;
        if (i % 11 == 8) faults.stop_at = 2;
        PlotArming arm = [i](Host& h) {
            if (i % 7 == 3) h.faults.fail_write_at = 5 + i % 60;
            if (i % 17 == 9) driver_alloc_fail_nth(1 + i % 5);
            if (i % 19 == 12) h.faults.fail_load = true;
        };
        {
            PlotRun r = run_plot_in(host, {}, soak_plot(colour, mono, faults), arm);
            ASSERT_EQ(r.blocks_left, 0) << "plot " << i;
            ASSERT_FALSE(r.buffer_left) << "plot " << i;
            for (const ImageCalls& img : r.images) ASSERT_LE(img.outstanding, 1u) << "plot " << i;
            failed_plots += r.latch != 0;
        }
        // What the simulated host recorded of this plot is the host's memory, not the driver's.
        host.clear_records();
        host.events.shrink_to_fit();
        host.job.shrink_to_fit();
        heap.push_back(heap_in_use());
    }
    EXPECT_GT(failed_plots, 100) << "the soak must include failed plots";
    // Every plot leaves the heap exactly as the tenth did: a leak of one byte a plot shows.
    const auto grown = std::find_if(heap.begin() + 9, heap.end(), [&](size_t bytes) { return bytes != heap[9]; });
    EXPECT_TRUE(grown == heap.end()) << "heap in use after plot 10: " << heap[9] << " bytes; after plot "
                                     << (grown - heap.begin()) + 1 << ": " << (grown == heap.end() ? 0 : *grown) << " bytes";
}

}  // namespace
