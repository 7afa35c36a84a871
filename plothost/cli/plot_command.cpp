// plot and settings: a plot-time session as the CAD host runs it.
#include <chrono>
#include <cmath>
#include <cstdio>

#include "commands.h"
#include "drawing/drawing.h"
#include "sim/plot_session.h"

namespace cli {

namespace {

// What the host learnt at configuration time: the host units per inch for the stored
// record (the configuration entry answers it; its dialog is not shown to anyone here).
double host_resolution(sim::Host& host) {
    sim::Packet entry(21);
    host.config(entry);
    double res = entry.f64(24);
    host.clear_records();
    if (!(res > 0)) throw Error("the driver reported no resolution for the stored configuration");
    return res;
}

uint16_t host_units(double mm, double res, const drawing::Drawing& d, const drawing::Op& op) {
    double v = std::floor(mm / 25.4 * res + 0.5);
    if (!(v >= 0 && v <= 65535))
        throw Error(d.name + ":" + std::to_string(op.line) + ": " + std::to_string(mm) + " mm is outside the plot area's host units");
    return static_cast<uint16_t>(v);
}

struct Counts {
    size_t requests = 0, vectors = 0, polygons = 0, images = 0, refused = 0;
};

// The drawing as host requests.
std::vector<sim::PlotOp> to_requests(const drawing::Drawing& d, double res, Counts& n) {
    std::vector<sim::PlotOp> ops;
    for (const drawing::Op& op : d.ops) {
        switch (op.kind) {
            case drawing::Op::PEN: ops.push_back(sim::op_pen(op.number)); break;
            case drawing::Op::LINE_TYPE: ops.push_back(sim::op_line_type(op.number)); break;
            case drawing::Op::WIDTH: ops.push_back(sim::op_width(op.value / 25.4)); break;
            case drawing::Op::LIFT: ops.push_back(sim::op_lift()); break;
            case drawing::Op::MOVE:
                ops.push_back(sim::op_move(host_units(op.xy[0], res, d, op), host_units(op.xy[1], res, d, op)));
                break;
            case drawing::Op::DRAW:
                ops.push_back(sim::op_draw(host_units(op.xy[0], res, d, op), host_units(op.xy[1], res, d, op)));
                ++n.vectors;
                break;
            case drawing::Op::POLYGON: {
                std::vector<sim::HostPoint> pts;
                for (size_t k = 0; k + 1 < op.xy.size(); k += 2)
                    pts.push_back({host_units(op.xy[k], res, d, op), host_units(op.xy[k + 1], res, d, op)});
                ops.push_back(sim::op_polygon(op.number, pts, op.pointer_form));
                ++n.polygons;
                break;
            }
            case drawing::Op::IMAGE: break;  // images travel through the fetch callbacks
        }
    }
    return ops;
}

void count(const std::vector<sim::PlotReply>& replies, Counts& n) {
    for (const sim::PlotReply& r : replies) {
        ++n.requests;
        if (r.word0 == -1) ++n.refused;
    }
}

void print_console(const sim::Host& host, size_t from) {
    for (size_t i = from; i < host.events.size(); ++i)
        if (host.events[i].kind == sim::Event::CONSOLE) std::fputs(utf8(host.events[i].bytes).c_str(), stdout);
}

}  // namespace

int cmd_plot(const Options& o) {
    if (o.args.size() > 1 || o.output.empty()) throw Error("needs -o JOB and at most one DRAWING", 2);
    auto start = std::chrono::steady_clock::now();
    drawing::Drawing d;
    try {
        d = o.args.empty() ? drawing::sample_drawing() : drawing::load_drawing(o.args[0]);
    } catch (const drawing::DrawingError& e) {
        throw Error(e.what());
    }
    sim::Host host(bind_driver(o));
    prepare_store(host, o);
    double res = host_resolution(host);
    install_dialog_script(o);

    Counts n;
    std::vector<sim::PlotOp> ops = to_requests(d, res, n);
    sim::PlotSetup setup;
    setup.resolution = res;
    count(sim::plot_prepare(host, setup), n);
    count(sim::plot_draw(host, ops), n);
    sim::PlotReply end = sim::plot_finish(host);
    count({end}, n);
    sim::Packet settings(31);
    host.plot(settings);

    print_console(host, 0);
    std::printf("\n");
    if (n.refused) throw Error(std::to_string(n.refused) + " requests failed (see the driver's messages above); no job written");
    write_file_atomic(o.output, host.job);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("plotted %s -> %s\n", d.name.c_str(), o.output.c_str());
    std::printf("  requests %zu, vectors %zu, polygons %zu, images %zu\n", n.requests, n.vectors, n.polygons, n.images);
    std::printf("  job %zu bytes in %d host writes, %.2f s\n", host.job.size(), host.write_calls, seconds);
    return 0;
}

int cmd_settings(const Options& o) {
    if (!o.args.empty()) throw Error("takes no arguments besides --record", 2);
    sim::Host host(bind_driver(o));
    prepare_store(host, o);
    sim::PlotSetup setup;
    sim::plot_prepare(host, setup);  // up to begin plot: what a plot would use
    host.clear_records();
    for (int16_t code : {int16_t(31), int16_t(15)}) {
        sim::Packet p(code);
        host.plot(p);
    }
    sim::plot_finish(host);
    print_console(host, 0);
    std::printf("\n");
    return 0;
}

}  // namespace cli
