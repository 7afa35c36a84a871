#include "image_request.h"

#include "host/plot_state.h"

void image_flush() { g_plot.image_pending_mark = 0; }
