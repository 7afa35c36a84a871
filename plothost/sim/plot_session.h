// Plot-time sessions: the simulated host runs a whole plot as the CAD host does
// (initialisation, messages, model, configuration load, plot area, begin plot, the
// drawing requests, end of plot) from a drawing given as a plain list of operations in
// host units.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host_sim.h"

namespace sim {

struct HostPoint {
    uint16_t x, y;
};

// One drawing request.
struct PlotOp {
    enum Kind { MOVE, DRAW, LIFT, PEN, LINE_TYPE, WIDTH, POLYGON } kind = MOVE;
    HostPoint at = {0, 0};           // MOVE, DRAW
    int32_t number = 0;              // PEN, LINE_TYPE: the number; POLYGON: the pen
    double inches = 0;               // WIDTH
    std::vector<HostPoint> points;   // POLYGON
    bool pointer_form = false;       // POLYGON: request 54 (vertices behind a pointer); else 33
};

PlotOp op_move(uint16_t x, uint16_t y);
PlotOp op_draw(uint16_t x, uint16_t y);
PlotOp op_lift();
PlotOp op_pen(int32_t pen);
PlotOp op_line_type(int32_t line_type);
PlotOp op_width(double inches);
PlotOp op_polygon(int32_t pen, std::vector<HostPoint> points, bool pointer_form = false);

// What the host sends around the drawing.
struct PlotSetup {
    uint8_t line_types = 7;      // request 43: the highest line type the host uses
    bool plot_dialog = false;    // request 46 (the dialog) instead of 48 for the plot area
    uint32_t host_flags = 0;     // offset 5 of the plot-area requests
    double area_x = 10000.0;     // request 48: the area the host asks for, in inches
    double area_y = 10000.0;     //   (the default asks for the largest)
    double resolution = 0;       // request 48: host units per inch that the host learnt at
                                 //   configuration time; 0: 1016, or 800 when the stored
                                 //   record selects QDPX
    bool set_area = false;       // send request 47 with set_x, set_y after the plot area
    double set_x = 0, set_y = 0;
    int16_t host_level = 3;      // request 29, offset 4
    int32_t host_window = 0x00010ABC;  // request 29, offset 11
    std::function<void(Host&)> before_begin;  // runs just before request 30 (a test's stand-in
                                              // for what a user does in the dialog)
};

// The code sent and the word the driver left at offset 0.
struct PlotReply {
    int16_t code;
    int16_t word0;
};

// 49, 50, 43, 29, 48 or 46, (47), 30.
std::vector<PlotReply> plot_prepare(Host& host, const PlotSetup& setup);
// The drawing requests.
std::vector<PlotReply> plot_draw(Host& host, const std::vector<PlotOp>& drawing);
// 2.
PlotReply plot_finish(Host& host);
// The whole session.
std::vector<PlotReply> run_plot_session(Host& host, const PlotSetup& setup, const std::vector<PlotOp>& drawing);

// Sends one drawing request.
PlotReply send_plot_op(Host& host, const PlotOp& op);

}  // namespace sim
