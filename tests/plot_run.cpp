#include "plot_run.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <stdexcept>

#include "headless.h"
#include "host/message_table.h"
#include "sim/config_session.h"
#include "sim/record_fields.h"

sim::ConfigStore stored_record(std::initializer_list<const char*> edits) {
    sim::Host host(sim::bind_in_process());
    sim::run_config_session(host);
    if (!host.store.present) throw std::runtime_error("the configuration session stored no record");
    sim::ConfigStore store = host.store;
    for (const char* edit : edits) sim::record_assign(store.record, edit, sim::RecordEdit::raw);
    return store;
}

namespace {

// The request and what the host had seen when its reply came back.
void note(PlotRun& run, const sim::Host& host, const sim::PlotReply& reply) {
    run.replies.push_back(reply);
    run.writes_after.push_back(host.write_calls);
    run.allocations_after.push_back(driver_alloc_count());
}

}  // namespace

PlotRun run_plot_in(sim::Host& host, const sim::PlotSetup& setup, const std::vector<PlotItem>& drawing,
                    const PlotArming& arm) {
    PlotRun run;
    host.pladi();  // this host's services, whatever host the driver was handed last
    host.clear_records();
    headless_reset();
    if (arm) arm(host);
    // The preparation runs as one call; what the host had seen before begin plot is taken
    // just before it, so that begin plot's writes and allocations count as its own.
    sim::PlotSetup prepare = setup;
    int writes_before_begin = 0, allocations_before_begin = 0;
    prepare.before_begin = [&](sim::Host& h) {
        if (setup.before_begin) setup.before_begin(h);
        writes_before_begin = h.write_calls;
        allocations_before_begin = driver_alloc_count();
    };
    std::vector<sim::PlotReply> prepared = sim::plot_prepare(host, prepare);
    for (const sim::PlotReply& r : prepared) note(run, host, r);
    for (size_t i = 0; i + 1 < prepared.size(); ++i) {
        run.writes_after[i] = writes_before_begin;
        run.allocations_after[i] = allocations_before_begin;
    }
    std::vector<std::unique_ptr<sim::ImageSource>> sources;
    for (const PlotItem& item : drawing) {
        if (!item.picture) {
            note(run, host, sim::send_plot_op(host, item.op));
            continue;
        }
        sources.push_back(std::make_unique<sim::ImageSource>(*item.picture));
        sources.back()->faults = item.faults;
        sim::Packet p = sources.back()->request_packet(item.layout);
        if (item.edit) item.edit(p);
        host.plot(p);
        note(run, host, {52, p.i16(0)});
    }
    note(run, host, sim::plot_finish(host));

    run.job = host.job;
    for (const sim::Event& e : host.events) {
        if (e.kind == sim::Event::CONSOLE) run.console.push_back(e.bytes);
        if (e.kind == sim::Event::WRITE_BYTES) run.write_pieces.push_back(e.bytes);
        if (e.kind == sim::Event::JOB_HANDLE) run.handles.push_back({e.args[0], e.args[1]});
    }
    for (const auto& src : sources)
        run.images.push_back({src->requests.size(), src->requests.empty() ? -1 : sim::ImageSource::line_of(src->requests[0]),
                              src->releases, src->foreign_releases, src->outstanding()});
    for (const ShownMessageBox& box : headless_message_boxes()) run.message_boxes.push_back(box.text);
    run.latch = g_plot.failure_latch;
    run.buffer_left = g_output.output_buffer != nullptr;
    run.blocks_left = driver_alloc_live();
    driver_alloc_fail_nth(0);
    headless_reset();
    host.faults = sim::Faults{};
    return run;
}

PlotRun run_plot(const sim::ConfigStore& store, const sim::PlotSetup& setup, const std::vector<PlotItem>& drawing,
                 const PlotArming& arm) {
    sim::Host host(sim::bind_in_process());
    host.store = store;
    return run_plot_in(host, setup, drawing, arm);
}

double configured_resolution(const sim::ConfigStore& store) {
    sim::Host host(sim::bind_in_process());
    host.store = store;
    sim::Packet entry(21);
    host.config(entry);
    headless_reset();
    return entry.f64(24);
}

DrawingRequests drawing_requests(const drawing::Drawing& d, double res) {
    auto units = [res](double mm) { return static_cast<uint16_t>(std::floor(mm / 25.4 * res + 0.5)); };
    DrawingRequests out;
    for (const drawing::Op& op : d.ops) {
        switch (op.kind) {
            case drawing::Op::PEN: out.items.push_back(sim::op_pen(op.number)); break;
            case drawing::Op::LINE_TYPE: out.items.push_back(sim::op_line_type(op.number)); break;
            case drawing::Op::WIDTH: out.items.push_back(sim::op_width(op.value / 25.4)); break;
            case drawing::Op::LIFT: out.items.push_back(sim::op_lift()); break;
            case drawing::Op::MOVE: out.items.push_back(sim::op_move(units(op.xy[0]), units(op.xy[1]))); break;
            case drawing::Op::DRAW: out.items.push_back(sim::op_draw(units(op.xy[0]), units(op.xy[1]))); break;
            case drawing::Op::POLYGON: {
                std::vector<sim::HostPoint> pts;
                for (size_t k = 0; k + 1 < op.xy.size(); k += 2) pts.push_back({units(op.xy[k]), units(op.xy[k + 1])});
                out.items.push_back(sim::op_polygon(op.number, pts, op.pointer_form));
                break;
            }
            case drawing::Op::LABEL: out.label = op.source; break;
            case drawing::Op::IMAGE: {
                int w = 0, h = 0;
                const bool photo = op.source.rfind("photo:", 0) == 0;
                if (std::sscanf(op.source.c_str() + op.source.find(':') + 1, "%dx%d", &w, &h) != 2)
                    throw std::runtime_error("only built-in pictures: " + op.source);
                out.pictures.push_back(std::make_unique<sim::Picture>(photo ? sim::synthetic_colour(w, h) : sim::synthetic_monochrome(w, h)));
                sim::ImageSpec layout;
                layout.x0 = std::min(units(op.xy[0]), units(op.xy[2]));
                layout.y0 = std::min(units(op.xy[1]), units(op.xy[3]));
                layout.x1 = std::max(units(op.xy[0]), units(op.xy[2]));
                layout.y1 = std::max(units(op.xy[1]), units(op.xy[3]));
                layout.transparent = op.transparent ? 1 : 0;
                out.items.push_back(PlotItem(out.pictures.back().get(), layout));
                break;
            }
        }
    }
    return out;
}

std::string message_line(int row) { return std::string("\n") + message_builtin(row) + "\n"; }
