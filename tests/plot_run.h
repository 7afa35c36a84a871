// One whole plot-time session on a freshly loaded driver, recorded for the fault sweeps
// and the soak: what each request answered, what reached the host, and what the driver
// still holds afterwards.
#pragma once
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "drawing/drawing.h"
#include "host/alloc.h"
#include "host/output_buffer.h"
#include "host/plot_state.h"
#include "sim/host_sim.h"
#include "sim/in_process.h"
#include "sim/image_source.h"
#include "sim/plot_session.h"

// A stored record as the configuration session leaves it, with edits ("field=value").
sim::ConfigStore stored_record(std::initializer_list<const char*> edits = {});

// One step of a drawing: a drawing request, or a raster image (request 52) of a picture
// whose fetch replies may misbehave. The image is produced by the step after it.
struct PlotItem {
    PlotItem(const sim::PlotOp& o) : op(o) {}  // NOLINT: a drawing request is a step
    PlotItem(const sim::Picture* p, const sim::ImageSpec& s, const sim::ReplyFaults& f = {},
             std::function<void(sim::Packet&)> e = {})
        : picture(p), layout(s), faults(f), edit(std::move(e)) {}
    sim::PlotOp op;
    const sim::Picture* picture = nullptr;
    sim::ImageSpec layout;
    sim::ReplyFaults faults;
    std::function<void(sim::Packet&)> edit;  // changes request 52 before it is sent
};

// What the host saw of one image's fetch and release callbacks.
struct ImageCalls {
    size_t fetches = 0;      // fetch calls
    int32_t first_line = -1;  // line index of the first fetch
    int32_t releases = 0;    // release calls with a reply of the source
    int32_t foreign = 0;     // release calls with anything else
    size_t outstanding = 0;  // replies handed out and never released
};

// What a plot left behind.
struct PlotRun {
    std::vector<sim::PlotReply> replies;            // every request in order, end of plot last
    std::vector<int> writes_after;                  // host_write_bytes calls made when each reply came back
    std::vector<int> allocations_after;             // driver allocations attempted when each reply came back
    std::string job;                                // bytes the host accepted
    std::vector<std::string> write_pieces;          // every host_write_bytes call's bytes, accepted or not
    std::vector<std::string> console;               // console texts in order
    std::vector<std::pair<int32_t, int32_t>> handles;  // host_job_handle calls
    std::vector<ImageCalls> images;                 // per image, in drawing order
    std::vector<std::string> message_boxes;         // texts of the message boxes shown
    uint8_t latch = 0;                              // failure latch after the end of plot
    bool buffer_left = false;                       // the output buffer outlived the end of plot
    int blocks_left = 0;                            // driver blocks outlived the end of plot
};

// What a sweep changes before the plot starts (host faults, the allocation hook).
using PlotArming = std::function<void(sim::Host&)>;

// Runs setup, drawing and end of plot on a fresh driver with `store` as the host's record.
PlotRun run_plot(const sim::ConfigStore& store, const sim::PlotSetup& setup, const std::vector<PlotItem>& drawing,
                 const PlotArming& arm = {});
// The same plot in a driver that stays loaded: no reset before it (the soak).
PlotRun run_plot_in(sim::Host& host, const sim::PlotSetup& setup, const std::vector<PlotItem>& drawing,
                    const PlotArming& arm = {});

// The host units per inch the configuration entry reports for a stored record (what the
// host learns at configuration time and plots with).
double configured_resolution(const sim::ConfigStore& store);

// A drawing in millimetres as host requests at `res` units per inch, converted as plothost
// plot converts it; its images are the built-in pictures they name (photo:WxH, mono:WxH).
struct DrawingRequests {
    std::vector<std::unique_ptr<sim::Picture>> pictures;  // what the image steps point to
    std::vector<PlotItem> items;
    std::string label;  // the job label a user types into the plot-time dialog
};
DrawingRequests drawing_requests(const drawing::Drawing& d, double res);

// The console line the driver prints for message `row` ("\n%s\n").
std::string message_line(int row);
