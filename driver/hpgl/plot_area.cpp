#include "plot_area.h"

#include <cstring>

#include "config/config_record.h"
#include "config/paper_table.h"
#include "double_to_int.h"
#include "host/console.h"
#include "host/message_table.h"
#include "host/packet.h"
#include "host/plot_dispatch.h"
#include "host/plot_state.h"
#include "plot_scale.h"
#include "ui/main_dialog.h"

PlotArea g_plot_area = k_plot_area_at_load;

namespace {

// Device values are clamped so that the header's sums (a size plus two margins) stay
// within 32 bits whatever the host sent as its area or resolution; real plots are three
// orders of magnitude below this.
constexpr int32_t PLOT_UNITS_MAX = 0x1FFFFFFF;

// The plot-area reply: offsets in the request packet.
constexpr int PLOT_PACKET_SIZE = 267;  // what request 46 works on
constexpr int OFF_HOST_FLAGS = 5;
constexpr int OFF_AREA_X = 9;
constexpr int OFF_AREA_Y = 17;
constexpr int OFF_LARGEST_X = 25;
constexpr int OFF_LARGEST_Y = 33;
constexpr int OFF_RES_X = 41;
constexpr int OFF_RES_Y = 49;
constexpr int OFF_MAX_TEXT = 73;
constexpr int OFF_REPLY_2 = 139;
constexpr int OFF_REPLY_0 = 140;

int32_t device_units(double v) { return floor_to_i32(v, 0, PLOT_UNITS_MAX, 0); }

bool refused_by_latch() {
    if (!g_plot.failure_latch) return false;
    set_status(STATUS_FAILED);
    return true;
}

// The area of the configured paper with the configured margin, in inches.
PaperArea configured_area() {
    g_plot_area.page_margin_in = g_config.margin_mm * MM_TO_INCH;
    PaperArea area = paper_plot_area();
    g_plot_area.portrait = area.portrait;
    return area;
}

void write_max(uint8_t* p) { std::memcpy(p + OFF_MAX_TEXT, "MAX", 4); }

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

void req_plot_dialog() {
    if (refused_by_latch()) return;
    set_status(STATUS_OK);
    uint8_t reply[PLOT_PACKET_SIZE];
    std::memcpy(reply, g_packet, PLOT_PACKET_SIZE);
    wr_u8(reply, OFF_REPLY_2, 2);
    wr_u8(reply, OFF_REPLY_0, 0);
    g_plot_area.host_flags = rd_u32(g_packet, OFF_HOST_FLAGS);
    // The dialog edits the record, the job label and the summary's copy count.
    main_dialog_run(MAIN_DIALOG_PLOT);
    PaperArea area = configured_area();
    wr_f64(reply, OFF_AREA_X, area.x);
    wr_f64(reply, OFF_LARGEST_X, area.x);
    wr_f64(reply, OFF_AREA_Y, area.y);
    wr_f64(reply, OFF_LARGEST_Y, area.y);
    double res = plot_scale_set_area(area.x, area.y);  // extents, divisor, resolution, scale
    wr_f64(reply, OFF_RES_X, res);
    wr_f64(reply, OFF_RES_Y, res);
    write_max(reply);
    std::memcpy(g_packet, reply, PLOT_PACKET_SIZE);
    set_status(STATUS_PLOT_AREA);
    if (config_record_save() != 0) {
        console_printf("\n%s\n", message_text(MSG_SAVE_FAILED));
        g_plot.failure_latch = LATCH_CONFIG;
        set_status(STATUS_FAILED);
    }
}

void req_set_plot_area() {
    if (refused_by_latch()) return;
    g_plot_area.extent_x = rd_f64(g_packet, OFF_AREA_X);
    g_plot_area.extent_y = rd_f64(g_packet, OFF_AREA_Y);
    if (config_qdpx()) g_plot_area.short_coords = fits_short(g_plot_area.extent_x, g_plot_area.extent_y);
    wr_u8(g_packet, OFF_REPLY_2, 2);
    g_plot_area.host_flags = rd_u32(g_packet, OFF_HOST_FLAGS);
}

void req_plot_area() {
    if (refused_by_latch()) return;
    set_status(STATUS_OK);
    g_plot_area.host_flags = rd_u32(g_packet, OFF_HOST_FLAGS);
    if (!g_plot_area.paper_list_pending) return;  // once per plot
    g_plot_area.paper_list_pending = 0;
    int32_t count = paper_list_build();
    wr_u8(g_packet, OFF_REPLY_2, 2);
    wr_u8(g_packet, OFF_REPLY_0, 0);
    if (g_config.paper_index > count || g_config.paper_index < 1) g_config.paper_index = 1;
    PaperArea area = configured_area();
    wr_f64(g_packet, OFF_LARGEST_X, area.x);
    wr_f64(g_packet, OFF_LARGEST_Y, area.y);
    // The divisor is kept: images are placed and replicated with it.
    g_plot_area.size_divisor = size_divisor_for(area.x, area.y);
    g_plot_area.unit_scale = resolution_for(g_plot_area.size_divisor).unit_scale;
    double host_x = rd_f64(g_packet, OFF_AREA_X), host_y = rd_f64(g_packet, OFF_AREA_Y);
    if (area.x > host_x || area.y > host_y) {
        g_plot_area.extent_x = host_x;
        g_plot_area.extent_y = host_y;
    } else {  // the host asked for at least the largest area: it gets exactly that
        wr_f64(g_packet, OFF_AREA_X, area.x);
        wr_f64(g_packet, OFF_AREA_Y, area.y);
        write_max(g_packet);
        g_plot_area.extent_x = area.x;
        g_plot_area.extent_y = area.y;
    }
    // The host's resolution, as it learnt it at configuration time.
    g_plot_area.res_x = rd_f64(g_packet, OFF_RES_X);
    g_plot_area.res_y = rd_f64(g_packet, OFF_RES_Y);
    if (config_qdpx()) g_plot_area.short_coords = fits_short(g_plot_area.extent_x, g_plot_area.extent_y);
    set_status(STATUS_PLOT_AREA);
}

void plot_area_reset() { g_plot_area = k_plot_area_at_load; }
