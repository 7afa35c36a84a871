// The dialog user on Linux: the headless Win32 layer plays the script in process.
#ifndef _WIN32
#include "curve_probe.h"
#include "dialog_user.h"
#include "headless.h"
#include "host_sim.h"

namespace sim {

namespace {

ControlView view_of(const ControlState& c) {
    ControlView v;
    v.id = c.id;
    v.kind = c.kind;
    v.enabled = c.enabled;
    v.focused = c.focused;
    v.checked = c.check == BST_CHECKED;
    v.text = c.text;
    if (c.kind == "edit") v.limit = c.limit;
    if (c.kind == "combobox") v.selection = c.selection, v.count = static_cast<int>(c.items.size());
    if (c.kind == "updown") v.has_position = true, v.position = c.position, v.range_min = c.range_min, v.range_max = c.range_max;
    if (!c.pixels.empty())
        for (int k = 0; k < 5; ++k) {
            int x, y;
            auto red = [&](int px, int py) { return c.pixels[static_cast<size_t>(py) * c.width + px] == RGB(255, 0, 0); };
            if (find_curve_point(c.width, c.height, k, red, x, y)) v.curve_points.emplace_back(x, y);
        }
    return v;
}

}  // namespace

void dialog_user_start(const std::string& script, const std::string&) { headless_set_script(script); }

DialogRecord dialog_user_finish() {
    DialogRecord r;
    for (const ShownDialog& d : headless_dialogs()) r.dialogs.push_back(d.template_name);
    for (const ShownMessageBox& b : headless_message_boxes())
        r.boxes.push_back(cp1252_to_utf8(b.caption) + " | " + cp1252_to_utf8(b.text) + " -> " + answer_name(b.answer));
    for (const DialogSnapshot& s : headless_snapshots()) {
        std::vector<ControlView> views;
        for (const ControlState& c : s.controls) views.push_back(view_of(c));
        r.snapshots.push_back(format_snapshot(s.tag, s.template_name, views));
    }
    r.errors = headless_errors();
    std::vector<std::string> left = headless_pending_actions();
    if (!left.empty()) r.errors.push_back("actions left over: " + left.front());
    return r;
}

}  // namespace sim
#endif
