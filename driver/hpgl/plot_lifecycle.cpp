#include "plot_lifecycle.h"

#include <cstring>

#include "config/config_record.h"
#include "host/console.h"
#include "host/host_check.h"
#include "host/host_services.h"
#include "host/message_table.h"
#include "host/output_buffer.h"
#include "host/packet.h"
#include "host/plot_dispatch.h"
#include "host/plot_state.h"
#include "job_header.h"
#include "pens.h"
#include "plot_area.h"
#include "raster/tone_curve.h"
#include "vectors.h"

namespace {

constexpr PlotLifecycle k_lifecycle_at_load = {-1, 0, {}};

// The job trailer: the printer ends the page and leaves the job.
void write_trailer() {
    if (config_qdpx()) {
        static constexpr uint8_t end_job[] = {0x9B, 0x5E, 0x00, 0x02, 0x00, 0x00};  // End job
        write_qdpx_trailer_opening();
        write_bytes(sizeof end_job, end_job);
    } else {
        write_text(";PUSP0;PG;");        // Pen up, no pen, advance the page
        write_text("\x1B%-12345X\r\n");  // Universal exit
    }
}

}  // namespace

PlotLifecycle g_lifecycle = k_lifecycle_at_load;

void set_job_label(const char* text) {
    size_t n = text ? strnlen(text, JOB_LABEL_MAX) : 0;
    if (n) std::memcpy(g_lifecycle.job_label, text, n);
    g_lifecycle.job_label[n] = '\0';
}

void plot_init() {
    plot_area_init();
    g_lifecycle.job_handle = -1;
    g_plot.failure_latch = 0;
    g_plot.drawn = 0;
    // A buffer left by a plot that never ended is freed, not just forgotten.
    output_close();
    g_vector.reselect_pen = false;
    pens_init();
    host_check_reply();
}

void plot_load_config() {
    if (g_plot.failure_latch) {
        set_status(STATUS_FAILED);
        return;
    }
    set_status(STATUS_OK);
    if (rd_i16(g_packet, 4) < 3) {
        console_printf("\n%s\n", message_text(MSG_BAD_VERSION));
        g_plot.failure_latch = LATCH_CONFIG;
        set_status(STATUS_FAILED);
        return;
    }
    if (host_load_config(&g_config, CONFIG_RECORD_SIZE) != 0) {
        console_printf("\n%s\n", message_text(MSG_LOAD_FAILED));
        g_plot.failure_latch = LATCH_CONFIG;
        set_status(STATUS_FAILED);
        return;
    }
    // TEMPORARY until the model table lands: the current model index and the stored-value
    // corrections come from there.
    if (g_config.copies > 99) g_config.copies = 1;
    g_plot.summary_copies = g_config.copies;
    wr_i16(g_packet, 4, 3);
    wr_i16(g_packet, 6, 0);
    g_lifecycle.host_window = rd_i32(g_packet, 11);
    g_lifecycle.job_label[0] = '\0';
    for (int i = 0; i < 5; ++i) g_tone.tone_control[i] = g_config.tone_points[i];
    tone_apply();
}

void plot_begin() {
    g_plot.image_pending_mark = 0;
    if (g_plot.failure_latch) {
        set_status(STATUS_FAILED);
        return;
    }
    set_status(STATUS_OK);
    g_plot.drawn = 0;
    vectors_begin_plot();
    pens_begin_plot();
    if (!config_qdpx()) vectors_choose_pe_command();
    // A block left by a plot that never ended is freed here with what it staged.
    if (!output_open()) {
        console_printf("\n%s", message_text(MSG_NO_MEMORY));
        g_plot.failure_latch = LATCH_OUTPUT;
        set_status(STATUS_FAILED);
        return;
    }
    g_lifecycle.job_handle = host_job_handle(30);
    if (write_job_header() != 0) {
        if (!g_plot.failure_latch) g_plot.failure_latch = LATCH_OUTPUT;
        set_status(STATUS_FAILED);
        return;
    }
    g_plot.image_pending_mark = 0;
}

void plot_end() {
    set_pe_state(PE_CLOSED);
    if (!g_plot.failure_latch && g_plot.drawn) {
        g_plot.drawn = 0;
        write_trailer();
        g_plot.summary_copies = 1;
        if (g_output.output_pending > 0 && !g_plot.failure_latch) flush_output();
    }
    // Whatever is still staged (a plot in which nothing was drawn) is dropped with the block.
    output_close();
    if (g_lifecycle.job_handle >= 0) host_job_handle(g_lifecycle.job_handle);
}

void plot_abort() {
    if (!g_plot.failure_latch) g_plot.failure_latch = LATCH_OUTPUT;
    g_plot.summary_copies = 1;
    g_plot.drawn = 0;
}

void plot_list_line_types() {
    console_printf("\n%s", message_text(MSG_LINE_TYPE_0));
    for (int type = 1; type <= 7; ++type) console_printf("\n                %d%s", type, message_text(MSG_LINE_TYPE_0 + type));
    console_printf("\n");
}

void plot_lifecycle_reset() { g_lifecycle = k_lifecycle_at_load; }
