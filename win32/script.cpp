// The scripted user of the headless dialogs, and the records tests read afterwards.
#include <cstdlib>
#include <sstream>

#include "curve_probe.h"
#include "headless_internal.h"

namespace headless {

namespace {

bool parse_int(const std::string& s, int& v) {
    if (s.empty()) return false;
    char* end = nullptr;
    long n = std::strtol(s.c_str(), &end, 10);
    if (*end != '\0' || n < -1000000 || n > 1000000) return false;
    v = static_cast<int>(n);
    return true;
}

// The control an action names; reports why when the user could not reach it.
Window* target(Window* d, const std::string& verb, const std::string& id_text, bool must_be_enabled = true) {
    int id;
    if (!parse_int(id_text, id)) {
        error(verb + ": '" + id_text + "' is not a control id");
        return nullptr;
    }
    Window* c = find_control(d, id);
    if (!c) {
        error(verb + " " + id_text + ": " + describe(d) + " has no such control");
        return nullptr;
    }
    if (must_be_enabled && !c->enabled) {
        error(verb + " " + id_text + ": the control is disabled");
        return nullptr;
    }
    return c;
}

// The dialog manager's way of moving the focus to a control: an edit's text is selected.
void focus_control(Window* c) {
    set_focus(c);
    if (c->kind == Kind::EDIT && state().focus == c) send(c, EM_SETSEL, 0, -1);
}

void click(Window* d, std::istringstream& in) {
    std::string id;
    in >> id;
    Window* c = target(d, "click", id);
    if (!c) return;
    if (c->kind != Kind::BUTTON || (c->style & BS_TYPEMASK) == BS_GROUPBOX) return error("click " + id + ": not a button");
    send(c, BM_CLICK, 0, 0);
}

void select(Window* d, std::istringstream& in) {
    std::string id, item;
    in >> id >> item;
    Window* c = target(d, "select", id);
    if (!c) return;
    int n;
    if (c->kind != Kind::COMBOBOX) return error("select " + id + ": not a drop-down list");
    if (!parse_int(item, n) || n < 0 || n >= static_cast<int>(c->items.size()))
        return error("select " + id + " " + item + ": the list has " + std::to_string(c->items.size()) + " items");
    focus_control(c);
    c->selection = n;
    notify_parent(c, CBN_SELCHANGE);
}

void type(Window* d, std::istringstream& in) {
    std::string id, text;
    in >> id;
    std::getline(in, text);
    if (!text.empty() && text[0] == ' ') text.erase(0, 1);
    Window* c = target(d, "type", id);
    if (!c) return;
    if (c->kind != Kind::EDIT) return error("type " + id + ": not an edit field");
    focus_control(c);
    std::string bytes = utf8_to_cp1252(text);
    if (static_cast<int>(bytes.size()) > c->limit) bytes.resize(static_cast<size_t>(c->limit));
    send(c, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(bytes.c_str()));
}

void scroll(Window* d, std::istringstream& in) {
    std::string id, how;
    in >> id >> how;
    Window* c = target(d, "scroll", id);
    if (!c) return;
    static const struct {
        const char* name;
        int code;
    } k_codes[] = {{"up", SB_LINEUP},     {"down", SB_LINEDOWN}, {"pageup", SB_PAGEUP}, {"pagedown", SB_PAGEDOWN},
                   {"top", SB_TOP},       {"bottom", SB_BOTTOM}, {"thumb", SB_THUMBPOSITION}};
    int code = -1;
    for (const auto& k : k_codes)
        if (how == k.name) code = k.code;
    if (code < 0) return error("scroll " + id + ": '" + how + "' is not a scroll action");
    LPARAM from_control = reinterpret_cast<LPARAM>(handle(c));
    if (c->kind == Kind::SCROLLBAR) {
        send(d, WM_VSCROLL, MAKEWPARAM(code, 0), from_control);
        send(d, WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), from_control);
        return;
    }
    if (c->kind != Kind::UPDOWN) return error("scroll " + id + ": not an up-down control or scroll bar");
    if (code != SB_LINEUP && code != SB_LINEDOWN) return error("scroll " + id + ": an up-down control has only up and down");
    if (c->buddy && !c->buddy->enabled) return error("scroll " + id + ": the control's buddy is disabled");
    // A click on an arrow: the edit buddy takes the focus, the dialog may refuse the step,
    // the position moves within the range, and the dialog hears of it twice.
    if (c->buddy && c->buddy->kind == Kind::EDIT) set_focus(c->buddy);
    int delta = (code == SB_LINEUP ? 1 : -1) * (c->ud_max < c->ud_min ? -1 : 1);
    NMUPDOWN nm{};
    nm.hdr.hwndFrom = handle(c);
    nm.hdr.idFrom = static_cast<UINT_PTR>(c->id);
    nm.hdr.code = UDN_DELTAPOS;
    nm.iPos = c->ud_pos;
    nm.iDelta = delta;
    if (!send(d, WM_NOTIFY, static_cast<WPARAM>(c->id), reinterpret_cast<LPARAM>(&nm))) {
        int lo = c->ud_min < c->ud_max ? c->ud_min : c->ud_max, hi = c->ud_min < c->ud_max ? c->ud_max : c->ud_min;
        int next = c->ud_pos + nm.iDelta;
        if (next >= lo && next <= hi) c->ud_pos = next;
    }
    send(d, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, c->ud_pos), from_control);
    send(d, WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, c->ud_pos), from_control);
    if (c->buddy && c->buddy->kind == Kind::EDIT) send(c->buddy, EM_SETSEL, 0, -1);
}

Window* owner_drawn(Window* d) {
    for (auto& c : d->controls)
        if (c->kind == Kind::BUTTON && (c->style & BS_TYPEMASK) == BS_OWNERDRAW) return c.get();
    return nullptr;
}

bool locate_point(Window* curve, int k, int& x, int& y) {
    const Canvas& cv = curve->canvas;
    return find_curve_point(cv.width, cv.height, k, [&](int px, int py) { return cv.at(px, py) == RGB(255, 0, 0); }, x, y);
}

// Mouse messages go to the window holding the capture, else to the control under the
// cursor, which for these scripts is the curve control itself.
void mouse(Window* curve, UINT message, WPARAM keys, int x, int y) {
    Window* to = state().capture ? state().capture : curve;
    send(to, message, keys, MAKELPARAM(x, y));
}

void drag(Window* d, std::istringstream& in) {
    std::string point, to, row_word, k_text, row_text;
    in >> point >> k_text >> to >> row_word >> row_text;
    int k, row;
    if (point != "point" || to != "to" || row_word != "row" || !parse_int(k_text, k) || !parse_int(row_text, row))
        return error("drag: write 'drag point K to row R'");
    Window* curve = owner_drawn(d);
    int x, y;
    if (!curve || !curve->enabled) return error("drag: " + describe(d) + " has no curve control to drag on");
    if (!locate_point(curve, k, x, y)) return error("drag: point " + k_text + " is not drawn on the curve control");
    mouse(curve, WM_LBUTTONDOWN, MK_LBUTTON, x, y);
    mouse(curve, WM_MOUSEMOVE, MK_LBUTTON, x, row);
    mouse(curve, WM_LBUTTONUP, 0, x, row);
}

void poke(Window* d, std::istringstream& in) {
    std::string point, k_text, dx_text, dy_text;
    in >> point >> k_text >> dx_text >> dy_text;
    int k, dx, dy;
    if (point != "point" || !parse_int(k_text, k) || !parse_int(dx_text, dx) || !parse_int(dy_text, dy))
        return error("poke: write 'poke point K DX DY'");
    Window* curve = owner_drawn(d);
    int x, y;
    if (!curve || !curve->enabled) return error("poke: " + describe(d) + " has no curve control");
    if (!locate_point(curve, k, x, y)) return error("poke: point " + k_text + " is not drawn on the curve control");
    mouse(curve, WM_LBUTTONDOWN, MK_LBUTTON, x + dx, y + dy);
    mouse(curve, WM_LBUTTONUP, 0, x + dx, y + dy);
}

// The Enter key: the focused push button, else the dialog's default button, else IDOK.
void enter(Window* d) {
    Window* f = state().focus;
    auto push = [](const Window* c) {
        return c->kind == Kind::BUTTON && ((c->style & BS_TYPEMASK) == BS_PUSHBUTTON || (c->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
    };
    Window* chosen = f && f->parent == d && push(f) ? f : nullptr;
    if (!chosen)
        for (auto& c : d->controls)
            if (!chosen && c->kind == Kind::BUTTON && (c->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) chosen = c.get();
    if (chosen && !chosen->enabled) return;
    int id = chosen ? chosen->id : IDOK;
    send(d, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(handle(chosen)));
}

}  // namespace

bool take_action(const std::string& verb, std::string& arg) {
    auto& a = state().actions;
    if (a.empty()) return false;
    std::istringstream in(a.front());
    std::string word;
    in >> word;
    if (word != verb) return false;
    std::getline(in >> std::ws, arg);
    a.pop_front();
    return true;
}

void run_action(Window* d, const std::string& line) {
    std::istringstream in(line);
    std::string verb;
    in >> verb;
    if (verb == "click") click(d, in);
    else if (verb == "select") select(d, in);
    else if (verb == "type") type(d, in);
    else if (verb == "focus") {
        std::string id;
        in >> id;
        if (Window* c = target(d, "focus", id)) focus_control(c);
    } else if (verb == "enable") {
        std::string id;
        in >> id;
        if (Window* c = target(d, "enable", id, false)) EnableWindow(handle(c), TRUE);
    } else if (verb == "scroll") scroll(d, in);
    else if (verb == "drag") drag(d, in);
    else if (verb == "poke") poke(d, in);
    else if (verb == "escape") send(d, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(handle(find_control(d, IDCANCEL))));
    else if (verb == "enter") enter(d);
    else if (verb == "close") {
        if (!(d->style & WS_SYSMENU)) error("close: " + describe(d) + " has no close box");
        else send(d, WM_SYSCOMMAND, SC_CLOSE, 0);
    } else if (verb == "snapshot") {
        std::string tag;
        std::getline(in >> std::ws, tag);
        state().snapshots.push_back(snapshot(d, tag));
        if (state().inspector) state().inspector(tag);
    } else if (verb == "end") {
        std::string n;
        in >> n;
        int v;
        if (!parse_int(n, v)) return error("end: '" + n + "' is not a result");
        EndDialog(handle(d), v);
    } else if (verb == "answer") {
        error("'" + line + "' with no message box open (in " + describe(d) + ")");
    } else {
        error("unknown action '" + line + "'");
    }
}

DialogSnapshot snapshot(Window* d, const std::string& tag) {
    State& s = state();
    DialogSnapshot snap;
    snap.tag = tag;
    snap.template_name = d->template_name;
    snap.capture_id = s.capture && s.capture->parent == d ? s.capture->id : 0;
    snap.cursor = s.cursor;
    static const char* const k_kinds[] = {"dialog", "button", "static", "edit", "combobox", "scrollbar", "updown"};
    for (auto& c : d->controls) {
        if (c->id == -1) continue;
        ControlState cs;
        cs.id = c->id;
        cs.kind = k_kinds[static_cast<int>(c->kind)];
        cs.enabled = c->enabled;
        cs.focused = s.focus == c.get();
        cs.check = c->check;
        cs.text = c->kind == Kind::COMBOBOX ? (c->selection >= 0 ? c->items[c->selection] : "") : c->text;
        cs.limit = c->kind == Kind::EDIT ? c->limit : 0;
        cs.items = c->items;
        cs.selection = c->selection;
        cs.range_min = c->ud_min, cs.range_max = c->ud_max, cs.position = c->ud_pos;
        cs.width = c->rect.right - c->rect.left;
        cs.height = c->rect.bottom - c->rect.top;
        if (c->canvas.width > 0) cs.pixels = c->canvas.pixels;
        snap.controls.push_back(std::move(cs));
    }
    return snap;
}

}  // namespace headless

using namespace headless;

const ControlState* DialogSnapshot::control(int id) const {
    for (const ControlState& c : controls)
        if (c.id == id) return &c;
    return nullptr;
}

COLORREF DialogSnapshot::pixel(int id, int x, int y) const {
    const ControlState* c = control(id);
    if (!c || c->pixels.empty() || x < 0 || y < 0 || x >= c->width || y >= c->height) return CLR_NONE;
    return c->pixels[static_cast<size_t>(y) * c->width + x];
}

void headless_set_script(const std::string& script) {
    auto& a = state().actions;
    a.clear();
    std::istringstream in(script);
    std::string line;
    while (std::getline(in, line)) {
        size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#') continue;
        size_t last = line.find_last_not_of(" \t\r");
        a.push_back(line.substr(first, last - first + 1));
    }
}

std::vector<std::string> headless_pending_actions() { return {state().actions.begin(), state().actions.end()}; }

const std::vector<ShownMessageBox>& headless_message_boxes() { return state().boxes; }
const std::vector<ShownDialog>& headless_dialogs() { return state().dialogs; }
const std::vector<DialogSnapshot>& headless_snapshots() { return state().snapshots; }
const std::vector<std::string>& headless_errors() { return state().errors; }

void headless_set_inspector(std::function<void(const std::string&)> inspector) { state().inspector = std::move(inspector); }

const DialogSnapshot* headless_snapshot(const std::string& tag) {
    for (const DialogSnapshot& s : state().snapshots)
        if (s.tag == tag) return &s;
    return nullptr;
}

void headless_reset() {
    State& s = state();
    s.actions.clear();
    s.boxes.clear();
    s.dialogs.clear();
    s.snapshots.clear();
    s.errors.clear();
    s.inspector = nullptr;
    s.focus = s.capture = nullptr;
    s.cursor.clear();
    s.common_controls = false;
    s.base_x = 7, s.base_y = 14;
    // What a test left behind is dropped with it.
    for (auto* dc : std::set<DeviceContext*>(s.dcs)) DeleteDC(reinterpret_cast<HDC>(dc));
    for (auto* o : std::set<GdiObject*>(s.gdi_objects)) DeleteObject(reinterpret_cast<HGDIOBJ>(o));
}
