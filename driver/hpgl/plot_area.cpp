#include "plot_area.h"

#include "double_to_int.h"

PlotArea g_plot_area = k_plot_area_at_load;

namespace {

// Device values are clamped so that the header's sums (a size plus two margins) stay
// within 32 bits whatever the host sent as its area or resolution; real plots are three
// orders of magnitude below this.
constexpr int32_t PLOT_UNITS_MAX = 0x1FFFFFFF;

int32_t device_units(double v) { return floor_to_i32(v, 0, PLOT_UNITS_MAX, 0); }

}  // namespace

void plot_area_init() {
    g_plot_area.extent_x = g_plot_area.extent_y = 0;
    g_plot_area.paper_list_pending = 1;
}

void compute_plot_values() {
    PlotArea& a = g_plot_area;
    a.plot_w = device_units(a.res_x * a.extent_x * a.unit_scale);
    a.plot_h = device_units(a.res_y * a.extent_y * a.unit_scale);
    // The margin in whole host units, then scaled: the same value for all four sides.
    double margin_host = std::floor(a.page_margin_in * a.res_x);
    a.margin_dev = trunc_to_i32(margin_host * a.unit_scale, 0, PLOT_UNITS_MAX, 0);
}

void plot_area_reset() { g_plot_area = k_plot_area_at_load; }
