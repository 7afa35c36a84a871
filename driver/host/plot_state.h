// The plot-wide state that every plot-time request tests or resets: the failure latch,
// the pending-image mark, and whether anything was drawn.
#pragma once
#include <cstdint>

inline constexpr uint8_t LATCH_OUTPUT = 0xFF;  // output failure, allocation failure, abort
inline constexpr uint8_t LATCH_CONFIG = 137;   // configuration load/save or host check failure
inline constexpr int32_t IMAGE_PENDING = 0x5A5A;

struct PlotState {
    uint8_t failure_latch;       // non-zero once the current plot has failed
    uint8_t drawn;               // something was drawn: end of plot writes the trailer
    int32_t summary_copies;      // copy count the settings summary shows
    int32_t image_pending_mark;  // IMAGE_PENDING while a raster image waits to be produced
    int32_t host_window = 0;     // the host's window (requests 11 and 29): owner of the image fetch message box
    uint8_t image_sent = 0;      // a raster image reached the host: end of plot writes the trailer
};
extern PlotState g_plot;

// What a failed or refused output does to the plot: nothing counts as drawn any more and
// the summary shows one copy.
inline void plot_forget_output() {
    g_plot.drawn = 0;
    g_plot.image_sent = 0;
    g_plot.summary_copies = 1;
}

void plot_state_reset();
