#include "plot_area.h"

PlotArea g_plot_area = k_plot_area_at_load;

void plot_area_reset() { g_plot_area = k_plot_area_at_load; }
