// The plot-time request handler: one table from request code to handler.
#pragma once
#include <cstdint>

#include "call_conv.h"

enum PlotRequest : int16_t {
    REQ_END_PLOT = 2,
    REQ_MOVE = 3,
    REQ_DRAW = 4,
    REQ_SELECT_PEN = 5,
    REQ_LINE_TYPE = 7,
    REQ_PEN_UP = 8,
    REQ_ABORT = 9,
    REQ_LIST_LINE_TYPES = 15,
    REQ_LOAD_CONFIG = 29,
    REQ_BEGIN_PLOT = 30,
    REQ_SHOW_SETTINGS = 31,
    REQ_POLYGON_B = 33,
    REQ_LINE_TYPE_COUNT = 36,
    REQ_PEN_WIDTH = 41,
    REQ_MODEL_LINE_TYPES = 43,
    REQ_PLOT_DIALOG = 46,
    REQ_SET_PLOT_AREA = 47,
    REQ_PLOT_AREA = 48,
    REQ_INIT = 49,
    REQ_LOAD_MESSAGES = 50,
    REQ_RASTER_IMAGE = 52,
    REQ_POLYGON_A = 54,
};

inline constexpr int16_t STATUS_OK = 0;
inline constexpr int16_t STATUS_FAILED = -1;
inline constexpr int16_t STATUS_PLOT_AREA = 19;

// Writes the status word at offset 0 of the current packet.
void set_status(int16_t status);

extern "C" void WF_CDECL plot_request_handler(uint8_t* packet);
