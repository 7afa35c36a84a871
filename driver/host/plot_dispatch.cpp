#include "plot_dispatch.h"

#include "hpgl/pens.h"
#include "hpgl/plot_area.h"
#include "hpgl/plot_lifecycle.h"
#include "hpgl/polygon_fill.h"
#include "hpgl/vectors.h"
#include "message_table.h"
#include "packet.h"
#include "plot_state.h"
#include "raster/image_request.h"

uint8_t* g_packet = nullptr;
PlotState g_plot = {0, 0, 1, 0};

void set_status(int16_t status) { wr_i16(g_packet, 0, status); }

namespace {

using Handler = void (*)();

void load_messages() { messages_load(nullptr); }

struct Route {
    int16_t code;
    Handler handler;
};

// Request code -> handler. Codes not listed are ignored without a status.
constexpr Route k_routes[] = {
    {REQ_END_PLOT, plot_end},
    {REQ_MOVE, req_move},
    {REQ_DRAW, req_draw},
    {REQ_SELECT_PEN, req_select_pen},
    {REQ_LINE_TYPE, req_line_type},
    {REQ_PEN_UP, req_pen_up},
    {REQ_ABORT, plot_abort},
    {REQ_LIST_LINE_TYPES, plot_list_line_types},
    {REQ_LOAD_CONFIG, plot_load_config},
    {REQ_BEGIN_PLOT, plot_begin},
    {REQ_SHOW_SETTINGS, plot_show_settings},
    {REQ_POLYGON_B, req_polygon_b},
    {REQ_LINE_TYPE_COUNT, req_line_type_count},
    {REQ_PEN_WIDTH, req_pen_width},
    {REQ_MODEL_LINE_TYPES, req_model_line_types},
    {REQ_PLOT_DIALOG, req_plot_dialog},
    {REQ_SET_PLOT_AREA, req_set_plot_area},
    {REQ_PLOT_AREA, req_plot_area},
    {REQ_INIT, plot_init},
    {REQ_LOAD_MESSAGES, load_messages},
    {REQ_RASTER_IMAGE, image_accept},
    {REQ_POLYGON_A, req_polygon_a},
};

constexpr int FIRST_CODE = 2;
constexpr int LAST_CODE = 54;

struct DispatchTable {
    Handler by_code[LAST_CODE + 1];
};

consteval DispatchTable build_table() {
    DispatchTable t{};
    for (const Route& r : k_routes) t.by_code[r.code] = r.handler;
    return t;
}

constexpr DispatchTable k_table = build_table();

}  // namespace

extern "C" void WF_CDECL plot_request_handler(uint8_t* packet) {
    g_packet = packet;
    if (g_plot.image_pending_mark == IMAGE_PENDING) image_flush();
    int16_t code = rd_i16(packet, 0);
    if (code < FIRST_CODE || code > LAST_CODE) return;
    if (Handler h = k_table.by_code[code]) h();
}

void plot_state_reset() {
    g_plot = PlotState{0, 0, 1, 0};
    g_packet = nullptr;
}
