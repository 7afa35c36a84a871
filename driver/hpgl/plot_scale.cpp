#include "plot_scale.h"

#include "config/config_record.h"
#include "plot_area.h"

namespace {

// Largest dimension (inches) for each divisor: 65532 host units at 1016 (HP-GL/2) or 800
// (QDPX) units per inch, times the divisor. QDPX gets 8 up to 655.32 inches so that the
// longest custom roll (15000 mm, 590.55 inches) has a divisor too.
struct DivisorStep {
    double limit_in;
    int32_t divisor;
};
constexpr DivisorStep k_hpgl_steps[] = {{64.5, 1}, {129.0, 2}, {258.0, 4}, {516.0, 8}};
constexpr DivisorStep k_qdpx_steps[] = {{81.915, 1}, {163.83, 2}, {327.66, 4}, {655.32, 8}};
constexpr int32_t LARGEST_DIVISOR = 16;

// Both sides below this (inches) let QDPX coordinates use their 16-bit form.
constexpr double QDPX_SHORT_LIMIT_IN = 40.9575;

}  // namespace

int32_t size_divisor_for(double x, double y) {
    const DivisorStep* steps = config_qdpx() ? k_qdpx_steps : k_hpgl_steps;
    for (int k = 0; k < 4; ++k)
        if (x <= steps[k].limit_in && y <= steps[k].limit_in) return steps[k].divisor;
    return LARGEST_DIVISOR;
}

int32_t fits_short(double x, double y) { return x < QDPX_SHORT_LIMIT_IN && y < QDPX_SHORT_LIMIT_IN ? 1 : 0; }

PlotResolution resolution_for(int32_t divisor) {
    if (divisor < 1) divisor = 1;  // only the ladder's values reach here; never divide by 0
    if (config_qdpx()) return {800.0 / divisor, divisor * 0.5};
    return {1016.0 / divisor, static_cast<double>(divisor)};
}

double plot_scale_set_area(double x, double y) {
    g_plot_area.extent_x = x;
    g_plot_area.extent_y = y;
    g_plot_area.size_divisor = size_divisor_for(x, y);
    PlotResolution r = resolution_for(g_plot_area.size_divisor);
    g_plot_area.res_x = r.res;
    g_plot_area.res_y = r.res;
    g_plot_area.unit_scale = r.unit_scale;
    return r.res;
}
