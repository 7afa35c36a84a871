// Plot area, resolution and unit scaling: the values the plot-area requests set and begin
// plot turns into device units.
#pragma once
#include <cstdint>

struct PlotArea {
    double extent_x, extent_y;  // plot area in inches along the host's axes
    double res_x, res_y;        // host units per inch
    int32_t size_divisor;       // 1, 2, 4, 8 or 16
    double unit_scale;          // device units per host unit
    int32_t short_coords;       // QDPX: 1 = 16-bit coordinates
    uint8_t portrait;           // the paper's width is at least its length
    double page_margin_in;      // one margin for all four sides
    uint32_t host_flags;        // offset 5 of the last request 46, 47 or 48
    int32_t plot_w, plot_h;     // begin-plot values in device units
    int32_t margin_dev;
    uint8_t paper_list_pending;  // the next request 48 rebuilds the paper list
};
extern PlotArea g_plot_area;

// Load-time values.
inline constexpr PlotArea k_plot_area_at_load = {0, 0, 0, 0, 1, 0.5, 1, 0, 0, 0, 0, 0, 0, 0};

// The divisor that keeps both dimensions (inches) within 65532 host units in the current
// output language.
int32_t size_divisor_for(double x, double y);
// 1 when both dimensions (inches) are below 40.9575, so QDPX coordinates fit 16 bits.
int32_t fits_short(double x, double y);

// Initialisation: extents zeroed, the paper list due again.
void plot_area_init();
// Begin plot: plot_w, plot_h and margin_dev in device units from the plot area.
void compute_plot_values();

// Requests 46 (the configuration dialog at plot time), 47 (the area the host chose) and
// 48 (the plot area for the host).
void req_plot_dialog();
void req_set_plot_area();
void req_plot_area();

void plot_area_reset();
