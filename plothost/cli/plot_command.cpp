// plot and settings: a plot-time session as the CAD host runs it.
#include <chrono>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>

#include <unistd.h>

#include "commands.h"
#include "drawing/drawing.h"
#include "ui/dialog_ids.h"
#include "sim/image_source.h"
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

void count(const sim::PlotReply& r, Counts& n) {
    ++n.requests;
    if (r.word0 == -1) ++n.refused;
}

sim::HostPoint point(const drawing::Drawing& d, const drawing::Op& op, size_t k, double res) {
    return {host_units(op.xy[k], res, d, op), host_units(op.xy[k + 1], res, d, op)};
}

// The picture an image operation names: a built-in one (photo:WxH, mono:WxH) or a file.
sim::Picture picture_for(const drawing::Drawing& d, const drawing::Op& op) {
    const std::string& s = op.source;
    size_t colon = s.find(':');
    if (colon != std::string::npos && (s.compare(0, colon, "photo") == 0 || s.compare(0, colon, "mono") == 0)) {
        int w = 0, h = 0;
        char x = 0;
        if (std::sscanf(s.c_str() + colon + 1, "%d%c%d", &w, &x, &h) != 3 || x != 'x' || w < 1 || h < 1 || w > 20000 || h > 20000)
            throw Error(d.name + ":" + std::to_string(op.line) + ": a built-in image is photo:WxH or mono:WxH with sizes 1..20000");
        return s[0] == 'p' ? sim::synthetic_colour(w, h) : sim::synthetic_monochrome(w, h);
    }
    sim::Picture pic;
    std::string why;
    if (!sim::load_picture(s, pic, why)) throw Error(d.name + ":" + std::to_string(op.line) + ": " + why);
    return pic;
}

// A job label is typed into the plot-time dialog (request 46), as a user would, before
// the --dialog script's own actions; without a script the user then confirms.
void install_plot_dialog(const sim::Host& host, const drawing::Drawing& d, const Options& o, sim::PlotSetup& setup) {
    std::string label;
    for (const drawing::Op& op : d.ops)
        if (op.kind == drawing::Op::LABEL) label = op.source;
    if (!label.empty() && (host.store.record[30] & 0x40)) {
        // The model offers no QDPX, so its dialog would switch the stored QDPX back.
        std::fprintf(stderr, "plothost plot: the job label is set in the plot-time dialog, which on this model turns QDPX "
                             "back into HP-GL/2; plotting QDPX without the label\n");
        label.clear();
    }
    if (label.empty()) {
        install_dialog_script(o);
        setup.plot_dialog = !o.dialog.empty();
        return;
    }
    std::string script = "type " + std::to_string(IDC_JOB_LABEL) + " " + label + "\n";
    script += o.dialog.empty() ? "click 1\n" : read_file(o.dialog);
    set_dialog_script(script);
    setup.plot_dialog = true;
}

// A progress line on the terminal while the driver pulls an image's lines; it erases
// itself when the image is done.
std::function<void(double)> progress_line(size_t image, int line) {
    return [image, line, shown = -1](double fraction) mutable {
        int percent = static_cast<int>(std::clamp(fraction, 0.0, 1.0) * 100);
        if (percent == shown) return;
        shown = percent;
        if (percent >= 100) std::fprintf(stderr, "\r%40s\r", "");
        else std::fprintf(stderr, "\rimage %zu (line %d): %3d%%", image, line, percent);
    };
}

// Sends the drawing's requests in order. Image sources stay alive until the plot ends:
// the driver pulls an image's lines when the next request arrives.
void send_drawing(sim::Host& host, const drawing::Drawing& d, double res, Counts& n,
                  std::vector<std::unique_ptr<sim::ImageSource>>& sources) {
    for (const drawing::Op& op : d.ops) {
        switch (op.kind) {
            case drawing::Op::PEN: count(sim::send_plot_op(host, sim::op_pen(op.number)), n); break;
            case drawing::Op::LINE_TYPE: count(sim::send_plot_op(host, sim::op_line_type(op.number)), n); break;
            case drawing::Op::WIDTH: count(sim::send_plot_op(host, sim::op_width(op.value / 25.4)), n); break;
            case drawing::Op::LIFT: count(sim::send_plot_op(host, sim::op_lift()), n); break;
            case drawing::Op::MOVE: {
                sim::HostPoint p = point(d, op, 0, res);
                count(sim::send_plot_op(host, sim::op_move(p.x, p.y)), n);
                break;
            }
            case drawing::Op::DRAW: {
                sim::HostPoint p = point(d, op, 0, res);
                count(sim::send_plot_op(host, sim::op_draw(p.x, p.y)), n);
                ++n.vectors;
                break;
            }
            case drawing::Op::POLYGON: {
                std::vector<sim::HostPoint> pts;
                for (size_t k = 0; k + 1 < op.xy.size(); k += 2) pts.push_back(point(d, op, k, res));
                count(sim::send_plot_op(host, sim::op_polygon(op.number, pts, op.pointer_form)), n);
                ++n.polygons;
                break;
            }
            case drawing::Op::LABEL: break;  // typed into the plot-time dialog
            case drawing::Op::IMAGE: {
                sources.push_back(std::make_unique<sim::ImageSource>(picture_for(d, op)));
                if (isatty(2)) sources.back()->progress = progress_line(n.images + 1, op.line);
                sim::HostPoint a = point(d, op, 0, res), b = point(d, op, 2, res);
                sim::ImageSpec layout;
                layout.x0 = std::min(a.x, b.x);
                layout.y0 = std::min(a.y, b.y);
                layout.x1 = std::max(a.x, b.x);
                layout.y1 = std::max(a.y, b.y);
                layout.transparent = op.transparent ? 1 : 0;
                sim::send_image(host, *sources.back(), layout);
                ++n.requests;
                ++n.images;
                break;
            }
        }
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
    sim::PlotSetup setup;
    setup.resolution = res;
    install_plot_dialog(host, d, o, setup);

    Counts n;
    for (const sim::PlotReply& r : sim::plot_prepare(host, setup)) count(r, n);
    std::vector<std::unique_ptr<sim::ImageSource>> sources;
    send_drawing(host, d, res, n, sources);
    count(sim::plot_finish(host), n);
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
