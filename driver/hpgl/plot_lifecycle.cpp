#include "plot_lifecycle.h"

#include <cstring>

#include "config/config_record.h"
#include "config/model_table.h"
#include "config/option_tables.h"
#include "config/paper_table.h"
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
#include "vectors.h"

namespace {

constexpr PlotLifecycle k_lifecycle_at_load = {-1, {}};

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
    g_plot.image_sent = 0;
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
    if (config_record_load() != 0) {
        console_printf("\n%s\n", message_text(MSG_LOAD_FAILED));
        g_plot.failure_latch = LATCH_CONFIG;
        set_status(STATUS_FAILED);
        return;
    }
    model_set_current(g_config.model_index);
    // The load has brought a copy count outside 1..99 back to 1.
    g_plot.summary_copies = g_config.copies;
    wr_i16(g_packet, 4, 3);
    wr_i16(g_packet, 6, 0);
    g_plot.host_window = rd_i32(g_packet, 11);
    g_lifecycle.job_label[0] = '\0';
    config_apply_tone_points();
}

void plot_begin() {
    g_plot.image_pending_mark = 0;
    if (g_plot.failure_latch) {
        set_status(STATUS_FAILED);
        return;
    }
    set_status(STATUS_OK);
    g_plot.drawn = 0;
    g_plot.image_sent = 0;
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
    // A plot of raster images only (a scanned drawing) needs the trailer as much as one
    // with vectors, or the printer never finishes the sheet.
    if (!g_plot.failure_latch && (g_plot.drawn || g_plot.image_sent)) {
        g_plot.drawn = 0;
        g_plot.image_sent = 0;
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
    g_plot.image_sent = 0;
}

void plot_list_line_types() {
    console_printf("\n%s", message_text(MSG_LINE_TYPE_0));
    for (int type = 1; type <= 7; ++type) console_printf("\n                %d%s", type, message_text(MSG_LINE_TYPE_0 + type));
    console_printf("\n");
}

void plot_show_settings() {
    const ModelInfo& model = current_model_info();
    bool qdpx = config_qdpx();
    console_printf(" %s", message_text(MSG_PLOTTER));
    console_printf("%s", model.name.data());
    SummaryLine line;
    if (media_summary(&line)) console_printf("\n %s%s ", message_text(line.message_row), line.name);
    console_printf("\n %s%s ", message_text(MSG_PAPER_SIZE), paper_list_entry(g_config.paper_index));
    console_printf("\n %s", message_text(qdpx ? MSG_FORMAT_QDPX : MSG_FORMAT_HPGL));
    SummaryLine finisher[3];
    int32_t n = finisher_summary(finisher);
    for (int32_t k = 0; k < n; ++k) console_printf("\n %s%s ", message_text(finisher[k].message_row), finisher[k].name);
    if (model.has_red_print == 1)
        console_printf("\n %s", message_text((g_config.output_flags & OF_RED_PRINT) ? MSG_RED_PRINT : MSG_NO_RED_PRINT));
    if (model.has_manual_output == 1)
        console_printf("\n %s", message_text((g_config.output_flags & OF_MANUAL_OUTPUT) ? MSG_MANUAL_OUTPUT : MSG_NO_MANUAL_OUTPUT));
    console_printf("\n %s", message_text((g_config.plot_flags & PF_HALFTONE_FILL) ? MSG_FILL_HALFTONE : MSG_FILL_SOLID));
    console_printf("\n %s", message_text(MSG_RESOLUTION));
    int resolution;
    switch (g_config.output_flags & OF_RESOLUTION_MASK) {
        case OF_RES_600: resolution = MSG_600DPI; break;
        case OF_RES_400: resolution = MSG_400DPI; break;
        case OF_RES_300: resolution = MSG_300DPI; break;
        default: resolution = MSG_200DPI; break;
    }
    console_printf("%s", message_text(resolution));
    console_printf("\n %s%2d ", message_text(MSG_COPIES), static_cast<int>(g_plot.summary_copies));
    console_printf("\n %s", message_text(MSG_PORT));
    console_printf("%s", message_text(MSG_PARALLEL));  // the only port text there is
    console_printf("\n");
}

void plot_lifecycle_reset() { g_lifecycle = k_lifecycle_at_load; }
