// A host for benchmarks: the six services cost nothing (writes are counted, not kept), so
// what is measured is the driver.
#pragma once
#include <cstdint>

namespace bench {

struct HostCounters {
    int64_t write_calls = 0;
    int64_t bytes_written = 0;
};
extern HostCounters g_counters;

// Resets the driver to its load-time state, binds it to the free host and stores a
// configuration record whose output_flags are `output_flags` (the defaults otherwise).
void bind_free_host(uint16_t output_flags = 0x1100);

// Sends a packet to the plot-time or configuration-time handler.
void plot(uint8_t* packet);
void config(uint8_t* packet);

// Initialisation, messages, model, configuration load, plot area of the E-arch sheet and
// begin plot: the driver is ready for drawing requests.
void begin_e_arch_plot();
void end_plot();

}  // namespace bench
