// The requests that frame a plot: initialisation, configuration load, begin and end of
// plot, abort, and the console listings.
#pragma once

// REQ_INIT: resets the plot state and checks the host.
void plot_init();
