#include "plot_session.h"

#include <cstring>

namespace sim {

namespace {

constexpr uint16_t STORED_QDPX_FLAG = 0x0040;  // output_flags bit of the stored record

PlotReply send(Host& host, Packet& p) {
    int16_t code = p.i16(0);
    host.plot(p);
    return {code, p.i16(0)};
}

PlotReply send_code(Host& host, int16_t code) {
    Packet p(code);
    return send(host, p);
}

double default_resolution(const Host& host) {
    uint16_t output_flags;
    std::memcpy(&output_flags, host.store.record + 30, 2);
    return host.store.present && (output_flags & STORED_QDPX_FLAG) ? 800.0 : 1016.0;
}

PlotReply send_polygon(Host& host, const PlotOp& op) {
    const size_t n = op.points.size();
    std::vector<uint8_t> vertices(4 * n);
    for (size_t i = 0; i < n; ++i) {
        std::memcpy(&vertices[4 * i], &op.points[i].x, 2);
        std::memcpy(&vertices[4 * i + 2], &op.points[i].y, 2);
    }
    if (op.pointer_form) {
        Packet p(54, 64);
        p.set_i16(4, static_cast<int16_t>(op.number)).set_i16(6, static_cast<int16_t>(n)).set_ptr(8, vertices.data());
        return send(host, p);
    }
    // The inline form: a packet exactly as long as its vertices need.
    Packet p(33, 12 + 4 * n);
    p.set_i16(6, static_cast<int16_t>(op.number)).set_i16(10, static_cast<int16_t>(n));
    if (n) p.set_bytes(12, vertices.data(), vertices.size());
    return send(host, p);
}

}  // namespace

PlotOp op_move(uint16_t x, uint16_t y) { return PlotOp{PlotOp::MOVE, {x, y}, 0, 0, {}, false}; }
PlotOp op_draw(uint16_t x, uint16_t y) { return PlotOp{PlotOp::DRAW, {x, y}, 0, 0, {}, false}; }
PlotOp op_lift() { return PlotOp{PlotOp::LIFT, {0, 0}, 0, 0, {}, false}; }
PlotOp op_pen(int32_t pen) { return PlotOp{PlotOp::PEN, {0, 0}, pen, 0, {}, false}; }
PlotOp op_line_type(int32_t line_type) { return PlotOp{PlotOp::LINE_TYPE, {0, 0}, line_type, 0, {}, false}; }
PlotOp op_width(double inches) { return PlotOp{PlotOp::WIDTH, {0, 0}, 0, inches, {}, false}; }
PlotOp op_polygon(int32_t pen, std::vector<HostPoint> points, bool pointer_form) {
    return PlotOp{PlotOp::POLYGON, {0, 0}, pen, 0, std::move(points), pointer_form};
}

PlotReply send_plot_op(Host& host, const PlotOp& op) {
    switch (op.kind) {
        case PlotOp::MOVE:
        case PlotOp::DRAW: {
            Packet p(op.kind == PlotOp::MOVE ? 3 : 4);
            p.set_i16(4, static_cast<int16_t>(op.at.x)).set_i16(6, static_cast<int16_t>(op.at.y));
            return send(host, p);
        }
        case PlotOp::LIFT: return send_code(host, 8);
        case PlotOp::PEN:
        case PlotOp::LINE_TYPE: {
            Packet p(op.kind == PlotOp::PEN ? 5 : 7);
            p.set_i16(4, static_cast<int16_t>(op.number));
            return send(host, p);
        }
        case PlotOp::WIDTH: {
            Packet p(41);
            p.set_f64(4, op.inches);
            return send(host, p);
        }
        case PlotOp::POLYGON: return send_polygon(host, op);
    }
    return {0, 0};
}

std::vector<PlotReply> plot_prepare(Host& host, const PlotSetup& s) {
    std::vector<PlotReply> replies;
    Packet init(49);
    init.set_i16(4, 1).set_u8(7, 2);
    replies.push_back(send(host, init));
    replies.push_back(send_code(host, 50));
    Packet model(43);
    model.set_u8(8, s.line_types);
    replies.push_back(send(host, model));
    Packet load(29);
    load.set_i16(4, s.host_level).set_i32(11, s.host_window);
    replies.push_back(send(host, load));
    if (s.plot_dialog) {
        Packet area(46, 512);
        area.set_i32(5, static_cast<int32_t>(s.host_flags));
        replies.push_back(send(host, area));
    } else {
        Packet area(48, 512);
        double res = s.resolution > 0 ? s.resolution : default_resolution(host);
        area.set_i32(5, static_cast<int32_t>(s.host_flags)).set_f64(9, s.area_x).set_f64(17, s.area_y);
        area.set_f64(41, res).set_f64(49, res);
        replies.push_back(send(host, area));
    }
    if (s.set_area) {
        Packet area(47, 512);
        area.set_i32(5, static_cast<int32_t>(s.host_flags)).set_f64(9, s.set_x).set_f64(17, s.set_y);
        replies.push_back(send(host, area));
    }
    if (s.before_begin) s.before_begin(host);
    replies.push_back(send_code(host, 30));
    return replies;
}

std::vector<PlotReply> plot_draw(Host& host, const std::vector<PlotOp>& drawing) {
    std::vector<PlotReply> replies;
    replies.reserve(drawing.size());
    for (const PlotOp& op : drawing) replies.push_back(send_plot_op(host, op));
    return replies;
}

PlotReply plot_finish(Host& host) { return send_code(host, 2); }

std::vector<PlotReply> run_plot_session(Host& host, const PlotSetup& setup, const std::vector<PlotOp>& drawing) {
    std::vector<PlotReply> replies = plot_prepare(host, setup);
    std::vector<PlotReply> drawn = plot_draw(host, drawing);
    replies.insert(replies.end(), drawn.begin(), drawn.end());
    replies.push_back(plot_finish(host));
    return replies;
}

}  // namespace sim
