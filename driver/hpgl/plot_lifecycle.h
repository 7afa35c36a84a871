// The requests that frame a plot: initialisation, configuration load, begin and end of
// plot, abort, and the console listings.
#pragma once
#include <cstdint>

inline constexpr int JOB_LABEL_MAX = 64;

struct PlotLifecycle {
    int32_t job_handle;                 // host_job_handle(30, 1) of this plot; -1 after init
    char job_label[JOB_LABEL_MAX + 1];  // the plot's name from the plot-time dialog; "" = none
};
extern PlotLifecycle g_lifecycle;

// Sets the job label (the plot-time dialog calls this); longer texts are cut at 64.
void set_job_label(const char* text);

// REQ_INIT: resets the plot state and checks the host.
void plot_init();
// REQ_LOAD_CONFIG: the record and its tone curve from the host.
void plot_load_config();
// REQ_BEGIN_PLOT: allocates the output buffer, opens the job handle, writes the job header.
void plot_begin();
// REQ_END_PLOT: the job trailer when something was drawn, then buffer and handle closed.
void plot_end();
// REQ_ABORT: the plot has failed; the end of plot sends nothing more.
void plot_abort();
// REQ_LIST_LINE_TYPES: the line-type legend on the host console.
void plot_list_line_types();
// REQ_SHOW_SETTINGS: the settings summary on the host console.
void plot_show_settings();

void plot_lifecycle_reset();
