// The text of dialog snapshots, the same for the headless and the real dialogs.
#include <algorithm>
#include <cstdio>

#include "dialog_user.h"
#include "host_sim.h"

namespace sim {

const char* answer_name(int answer) {
    switch (answer) {
        case 1: return "IDOK";
        case 2: return "IDCANCEL";
        case 6: return "IDYES";
        case 7: return "IDNO";
        default: return "?";
    }
}

std::string format_snapshot(const std::string& tag, const std::string& template_name, std::vector<ControlView> controls) {
    std::sort(controls.begin(), controls.end(), [](const ControlView& a, const ControlView& b) { return a.id < b.id; });
    std::string out = "snapshot " + tag + " (" + template_name + ")\n";
    char buf[64];
    for (const ControlView& c : controls) {
        if (c.id <= 0 || c.id >= 0xFFFF) continue;
        std::snprintf(buf, sizeof buf, "  %4d %s", c.id, c.kind.c_str());
        out += buf;
        if (!c.enabled) out += " disabled";
        if (c.focused) out += " focused";
        if (c.checked) out += " checked";
        if (c.limit >= 0) out += " limit " + std::to_string(c.limit);
        if (c.count >= 0) out += " item " + std::to_string(c.selection) + " of " + std::to_string(c.count);
        if (c.has_position)
            out += " position " + std::to_string(c.position) + " in " + std::to_string(c.range_min) + ".." + std::to_string(c.range_max);
        for (const auto& p : c.curve_points) out += " (" + std::to_string(p.first) + "," + std::to_string(p.second) + ")";
        if (!c.text.empty()) out += " \"" + cp1252_to_utf8(c.text) + "\"";
        out += "\n";
    }
    return out;
}

}  // namespace sim
