#include "plot_lifecycle.h"

#include "host/host_check.h"
#include "host/output_buffer.h"
#include "host/plot_state.h"

void plot_init() {
    g_plot.failure_latch = 0;
    g_plot.drawn = 0;
    // A buffer left by a plot that never ended is freed, not just forgotten.
    output_close();
    host_check_reply();
}
