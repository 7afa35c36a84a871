// Host resolution and unit scale for a size divisor, in the current output language.
// size_divisor_for and fits_short are declared with the plot-area values in plot_area.h.
#pragma once
#include <cstdint>

struct PlotResolution {
    double res;         // host units per inch
    double unit_scale;  // device units per host unit
};

// HP-GL/2 (1/1016-inch device units): 1016 / d host units per inch and a scale of d.
// QDPX (1/400-inch device units): 800 / d host units per inch and a scale of d / 2.
// `divisor` is one of size_divisor_for's results.
PlotResolution resolution_for(int32_t divisor);

// Makes an area (inches) the plot area of the coming plots: extent_x and extent_y, the
// size divisor for it, and the resolution and unit scale that follow; res_x and res_y
// take the resolution, which is also returned.
double plot_scale_set_area(double x, double y);
