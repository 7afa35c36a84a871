// The dialog user on Windows: a thread that watches the dialogs the driver opens on the
// session's thread and works them as a user would, with window messages to the real
// controls. It never calls into the driver; everything goes through the dialogs.
//
// Each action's messages are sent from a short-lived worker thread: a click that opens a
// modal dialog or a message box does not return until that closes, and the user must be
// free to work the new window meanwhile. An action is over when its worker returns (and the
// session's thread has processed what it posted) or when a new window has appeared.
//
// Screenshots: with a shots directory, the first time a template appears its window is
// described in DIR/NAME.want ("W H X Y", screen pixels) and the user waits for DIR/NAME.png,
// which the capturing script (tests/wine/run, ImageMagick's import on the X display) writes.
// A template whose picture is already in the directory is not captured again.
#ifdef _WIN32
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <deque>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

#include "curve_probe.h"
#include "dialog_user.h"
#include "host_sim.h"

namespace sim {

namespace {

using namespace std::chrono_literals;

constexpr auto ACTION_TIMEOUT = 15s;
constexpr auto SHOT_TIMEOUT = 20s;

struct User {
    DWORD ui_thread = 0;
    std::deque<std::string> actions;
    bool scripted = false;
    std::string shots_dir;
    std::atomic<bool> stop{false};
    std::thread thread;
    std::mutex lock;  // guards record
    DialogRecord record;
    std::set<HWND> seen;
    std::set<std::string> shot;
    std::set<HWND> open_when_script_ran_out;
    bool script_ran_out = false;
    std::string main_template;  // the main dialog last seen: names the options template
};
User* g_user = nullptr;

void note_error(const std::string& e) {
    std::lock_guard<std::mutex> g(g_user->lock);
    g_user->record.errors.push_back(e);
}

std::string class_of(HWND w) {
    char name[64] = "";
    GetClassNameA(w, name, sizeof name);
    return name;
}

std::string text_of(HWND w) {
    char text[512] = "";
    GetWindowTextA(w, text, sizeof text);
    return text;
}

BOOL CALLBACK collect_dialog(HWND w, LPARAM list) {
    if (IsWindowVisible(w) && class_of(w) == "#32770") reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
    return TRUE;
}

// The session thread's visible dialog windows (message boxes included), topmost first.
std::vector<HWND> ui_windows() {
    std::vector<HWND> out;
    EnumThreadWindows(g_user->ui_thread, collect_dialog, reinterpret_cast<LPARAM>(&out));
    return out;
}

// The window the user works: the one a modal loop runs for (its owners are disabled).
HWND innermost() {
    for (HWND w : ui_windows())
        if (IsWindowEnabled(w)) return w;
    return nullptr;
}

// The driver's templates are told apart by a control only each of them has.
std::string template_of(HWND w) {
    if (GetDlgItem(w, 3009)) return "idd_color_spa";
    if (GetDlgItem(w, 501)) return "drv_ver_spa";
    if (GetDlgItem(w, 1096)) return g_user->main_template == "drivercfg2_spa" ? "optioncfg2_spa" : "optioncfg1_spa";
    if (GetDlgItem(w, 1041)) return "drivercfg2_spa";
    if (GetDlgItem(w, 114)) return "detailcfg2_spa";
    return "";
}

bool is_box(HWND w) { return template_of(w).empty(); }

// Lets the session thread work off what it was sent and posted: two round trips through
// its message loop, the second after anything the first one let it pick up.
void settle() {
    for (int k = 0; k < 2; ++k) {
        HWND w = innermost();
        if (!w) return;
        DWORD_PTR r;
        SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &r);
    }
}

void take_screenshot(HWND w, const std::string& name) {
    RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    std::this_thread::sleep_for(300ms);  // the X server draws what Wine handed it
    RECT r;
    GetWindowRect(w, &r);
    std::string base = g_user->shots_dir + "\\" + name;
    {
        std::ofstream want(base + ".tmp");
        want << (r.right - r.left) << " " << (r.bottom - r.top) << " " << r.left << " " << r.top << "\n";
    }
    MoveFileExA((base + ".tmp").c_str(), (base + ".want").c_str(), MOVEFILE_REPLACE_EXISTING);
    auto until = std::chrono::steady_clock::now() + SHOT_TIMEOUT;
    while (std::chrono::steady_clock::now() < until) {
        if (GetFileAttributesA((base + ".png").c_str()) != INVALID_FILE_ATTRIBUTES) {
            std::lock_guard<std::mutex> g(g_user->lock);
            g_user->record.shots.push_back(name + ".png");
            return;
        }
        std::this_thread::sleep_for(50ms);
    }
    note_error("no screenshot of " + name);
}

// Records dialogs seen for the first time, owners before the dialogs they opened, and takes
// their screenshots.
void observe() {
    std::vector<HWND> windows = ui_windows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        HWND w = *it;
        if (g_user->seen.count(w) || is_box(w)) continue;
        g_user->seen.insert(w);
        std::string name = template_of(w);
        if (name == "detailcfg2_spa" || name == "drivercfg2_spa") g_user->main_template = name;
        {
            std::lock_guard<std::mutex> g(g_user->lock);
            g_user->record.dialogs.push_back(name);
        }
        if (!g_user->shots_dir.empty() && g_user->shot.insert(name).second &&
            GetFileAttributesA((g_user->shots_dir + "\\" + name + ".png").c_str()) == INVALID_FILE_ATTRIBUTES)
            take_screenshot(w, name);
    }
}

// Runs the messages of one action on a worker and waits until it is over.
void act(const std::string& what, std::function<void()> messages) {
    auto done = std::make_shared<std::atomic<bool>>(false);
    std::vector<HWND> before = ui_windows();
    std::thread([messages, done] {
        messages();
        *done = true;
    }).detach();
    auto until = std::chrono::steady_clock::now() + ACTION_TIMEOUT;
    while (std::chrono::steady_clock::now() < until) {
        if (*done) {
            settle();
            return;
        }
        for (HWND w : ui_windows())
            if (std::find(before.begin(), before.end(), w) == before.end()) {  // a modal window opened
                settle();
                return;
            }
        std::this_thread::sleep_for(5ms);
    }
    note_error("'" + what + "' did not finish");
}

bool parse_int(const std::string& s, int& v) {
    if (s.empty()) return false;
    char* end = nullptr;
    long n = std::strtol(s.c_str(), &end, 10);
    if (*end) return false;
    v = static_cast<int>(n);
    return true;
}

// The control an action names, or why the user could not reach it (the headless layer's words).
HWND control(HWND d, const std::string& verb, const std::string& id_text, bool must_be_enabled = true) {
    int id;
    if (!parse_int(id_text, id)) {
        note_error(verb + ": '" + id_text + "' is not a control id");
        return nullptr;
    }
    HWND c = GetDlgItem(d, id);
    if (!c) {
        note_error(verb + " " + id_text + ": " + template_of(d) + " has no such control");
        return nullptr;
    }
    if (must_be_enabled && !IsWindowEnabled(c)) {
        note_error(verb + " " + id_text + ": the control is disabled");
        return nullptr;
    }
    return c;
}

LONG style_of(HWND w) { return GetWindowLongA(w, GWL_STYLE); }

std::wstring wide(const std::string& utf8) {
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring w(n > 0 ? n : 1, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &w[0], n);
    w.resize(wcslen(w.c_str()));
    return w;
}

HWND focus_of_ui() {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(g_user->ui_thread, &info) ? info.hwndFocus : nullptr;
}

HWND curve_control(HWND d) {
    for (HWND c = GetWindow(d, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (class_of(c) == "Button" && (style_of(c) & BS_TYPEMASK) == BS_OWNERDRAW) return c;
    return nullptr;
}

// The control's client pixels as they are on the screen, after any pending paint.
bool read_pixels(HWND c, int& w, int& h, std::vector<COLORREF>& px) {
    RECT r;
    GetClientRect(c, &r);
    w = r.right, h = r.bottom;
    if (w <= 0 || h <= 0) return false;
    // The dialog paints its background under its children (no WS_CLIPCHILDREN): every
    // pending paint of the dialog and its controls is done before the pixels are read.
    RedrawWindow(GetParent(c), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    HDC dc = GetDC(c);
    HDC mem = CreateCompatibleDC(dc);
    BITMAPINFO bi = {};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, dc, 0, 0, SRCCOPY);
    GdiFlush();
    px.resize(static_cast<size_t>(w) * h);
    const uint8_t* b = static_cast<const uint8_t*>(bits);
    for (size_t i = 0; i < px.size(); ++i) px[i] = RGB(b[4 * i + 2], b[4 * i + 1], b[4 * i]);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(c, dc);
    return true;
}

bool locate_point(HWND curve, int k, int& x, int& y) {
    int w, h;
    std::vector<COLORREF> px;
    if (!read_pixels(curve, w, h, px)) return false;
    return find_curve_point(w, h, k, [&](int cx, int cy) { return px[static_cast<size_t>(cy) * w + cx] == RGB(255, 0, 0); }, x, y);
}

void send_mouse(HWND c, UINT message, WPARAM keys, int x, int y) {
    SendMessageA(c, message, keys, MAKELPARAM(static_cast<WORD>(static_cast<short>(x)), static_cast<WORD>(static_cast<short>(y))));
}

void snapshot(HWND d, const std::string& tag) {
    std::vector<ControlView> views;
    HWND focus = focus_of_ui();
    for (HWND c = GetWindow(d, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        ControlView v;
        v.id = GetDlgCtrlID(c);
        std::string cls = class_of(c);
        LONG style = style_of(c);
        v.enabled = IsWindowEnabled(c);
        v.focused = c == focus;
        if (cls == "Button") {
            v.kind = "button";
            v.checked = SendMessageA(c, BM_GETCHECK, 0, 0) == BST_CHECKED;
            v.text = text_of(c);
            if ((style & BS_TYPEMASK) == BS_OWNERDRAW)
                for (int k = 0; k < 5; ++k) {
                    int x, y;
                    if (locate_point(c, k, x, y)) v.curve_points.emplace_back(x, y);
                }
        } else if (cls == "Static") {
            v.kind = "static";
            if ((style & SS_TYPEMASK) != SS_BITMAP) v.text = text_of(c);
        } else if (cls == "Edit") {
            v.kind = "edit";
            v.limit = static_cast<int>(SendMessageA(c, EM_GETLIMITTEXT, 0, 0));
            v.text = text_of(c);
        } else if (cls == "ComboBox") {
            v.kind = "combobox";
            v.selection = static_cast<int>(SendMessageA(c, CB_GETCURSEL, 0, 0));
            v.count = static_cast<int>(SendMessageA(c, CB_GETCOUNT, 0, 0));
            v.text = text_of(c);
        } else if (cls == "ScrollBar") {
            v.kind = "scrollbar";
        } else if (cls == UPDOWN_CLASSA) {
            v.kind = "updown";
            v.has_position = true;
            v.position = static_cast<int>(SendMessageA(c, UDM_GETPOS32, 0, 0));
            SendMessageA(c, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&v.range_min), reinterpret_cast<LPARAM>(&v.range_max));
        } else {
            v.kind = cls;
        }
        views.push_back(v);
    }
    std::lock_guard<std::mutex> g(g_user->lock);
    g_user->record.snapshots.push_back(format_snapshot(tag, template_of(d), views));
}

void answer_box(HWND box, bool from_script, int wanted) {
    const bool question = GetDlgItem(box, IDYES) != nullptr;
    int answer = question ? IDYES : IDOK;
    std::string caption = text_of(box);
    std::string text = text_of(GetDlgItem(box, 0xFFFF));
    if (from_script) {
        if (GetDlgItem(box, wanted)) answer = wanted;
        else note_error(std::string("answer ") + answer_name(wanted) + " does not fit the box \"" + caption + "\"");
    } else if (question && g_user->scripted && !g_user->script_ran_out) {
        note_error("question \"" + text + "\" had no answer in the script");
    }
    {
        std::lock_guard<std::mutex> g(g_user->lock);
        g_user->record.boxes.push_back(cp1252_to_utf8(caption) + " | " + cp1252_to_utf8(text) + " -> " + answer_name(answer));
    }
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, answer)));
    auto until = std::chrono::steady_clock::now() + ACTION_TIMEOUT;
    while (IsWindow(box) && IsWindowVisible(box) && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(5ms);
    settle();
}

// A dialog nobody scripted: closed the way it can be.
void close_unattended(HWND d) {
    std::string name = template_of(d);
    int id = name == "drv_ver_spa" ? IDOK : name == "idd_color_spa" ? 3031 : IDCANCEL;
    PostMessageA(d, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(d, id)));
    auto until = std::chrono::steady_clock::now() + ACTION_TIMEOUT;
    while (IsWindow(d) && IsWindowVisible(d) && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(5ms);
    settle();
}

int answer_code(const std::string& name) {
    for (int a : {IDOK, IDCANCEL, IDYES, IDNO})
        if (name == answer_name(a)) return a;
    return 0;
}

void perform(HWND d, const std::string& line) {
    std::istringstream in(line);
    std::string verb;
    in >> verb;
    if (verb == "click") {
        std::string id;
        in >> id;
        HWND c = control(d, verb, id);
        if (!c) return;
        if (class_of(c) != "Button" || (style_of(c) & BS_TYPEMASK) == BS_GROUPBOX) return note_error("click " + id + ": not a button");
        act(line, [c] { SendMessageA(c, BM_CLICK, 0, 0); });
    } else if (verb == "select") {
        std::string id, item;
        in >> id >> item;
        HWND c = control(d, verb, id);
        if (!c) return;
        if (class_of(c) != "ComboBox") return note_error("select " + id + ": not a drop-down list");
        int n, count = static_cast<int>(SendMessageA(c, CB_GETCOUNT, 0, 0));
        if (!parse_int(item, n) || n < 0 || n >= count)
            return note_error("select " + id + " " + item + ": the list has " + std::to_string(count) + " items");
        act(line, [d, c, n] {
            SendMessageA(d, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(c), TRUE);
            SendMessageA(c, CB_SETCURSEL, n, 0);
            SendMessageA(d, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(c), CBN_SELCHANGE), reinterpret_cast<LPARAM>(c));
        });
    } else if (verb == "type") {
        std::string id, text;
        in >> id;
        std::getline(in, text);
        if (!text.empty() && text[0] == ' ') text.erase(0, 1);
        HWND c = control(d, verb, id);
        if (!c) return;
        if (class_of(c) != "Edit") return note_error("type " + id + ": not an edit field");
        std::wstring w = wide(text);
        act(line, [d, c, w]() mutable {
            SendMessageA(d, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(c), TRUE);
            size_t limit = static_cast<size_t>(SendMessageA(c, EM_GETLIMITTEXT, 0, 0));
            if (w.size() > limit) w.resize(limit);
            SendMessageW(c, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(w.c_str()));
        });
    } else if (verb == "focus") {
        std::string id;
        in >> id;
        if (HWND c = control(d, verb, id)) act(line, [d, c] { SendMessageA(d, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(c), TRUE); });
    } else if (verb == "enable") {
        std::string id;
        in >> id;
        if (HWND c = control(d, verb, id, false)) EnableWindow(c, TRUE);
    } else if (verb == "scroll") {
        std::string id, how;
        in >> id >> how;
        HWND c = control(d, verb, id);
        if (!c) return;
        static const struct {
            const char* name;
            int code;
        } k_codes[] = {{"up", SB_LINEUP}, {"down", SB_LINEDOWN}, {"pageup", SB_PAGEUP}, {"pagedown", SB_PAGEDOWN},
                       {"top", SB_TOP},   {"bottom", SB_BOTTOM}, {"thumb", SB_THUMBPOSITION}};
        int code = -1;
        for (const auto& k : k_codes)
            if (how == k.name) code = k.code;
        if (code < 0) return note_error("scroll " + id + ": '" + how + "' is not a scroll action");
        if (class_of(c) == "ScrollBar") {
            act(line, [d, c, code] {
                SendMessageA(d, WM_VSCROLL, MAKEWPARAM(code, 0), reinterpret_cast<LPARAM>(c));
                SendMessageA(d, WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), reinterpret_cast<LPARAM>(c));
            });
        } else if (class_of(c) == UPDOWN_CLASSA) {
            if (code != SB_LINEUP && code != SB_LINEDOWN) return note_error("scroll " + id + ": an up-down control has only up and down");
            HWND buddy = reinterpret_cast<HWND>(SendMessageA(c, UDM_GETBUDDY, 0, 0));
            if (buddy && !IsWindowEnabled(buddy)) return note_error("scroll " + id + ": the control's buddy is disabled");
            RECT r;
            GetClientRect(c, &r);
            int x = r.right / 2, y = code == SB_LINEUP ? r.bottom / 4 : 3 * r.bottom / 4;
            // A click on the arrow: press and release at its middle.
            act(line, [c, x, y] {
                send_mouse(c, WM_MOUSEMOVE, 0, x, y);
                send_mouse(c, WM_LBUTTONDOWN, MK_LBUTTON, x, y);
                send_mouse(c, WM_LBUTTONUP, 0, x, y);
            });
        } else {
            note_error("scroll " + id + ": not an up-down control or scroll bar");
        }
    } else if (verb == "drag" || verb == "poke") {
        std::string point, k_text, a, b, c_text;
        in >> point >> k_text >> a >> b >> c_text;
        int k, row = 0, dx = 0, dy = 0;
        bool ok = point == "point" && parse_int(k_text, k) &&
                  (verb == "drag" ? a == "to" && b == "row" && parse_int(c_text, row) : parse_int(a, dx) && parse_int(b, dy));
        if (!ok) return note_error(verb == "drag" ? "drag: write 'drag point K to row R'" : "poke: write 'poke point K DX DY'");
        HWND curve = curve_control(d);
        if (!curve || !IsWindowEnabled(curve)) return note_error(verb + ": " + template_of(d) + " has no curve control");
        int x, y;
        if (!locate_point(curve, k, x, y)) return note_error(verb + ": point " + k_text + " is not drawn on the curve control");
        if (verb == "drag")
            act(line, [curve, x, y, row] {
                send_mouse(curve, WM_LBUTTONDOWN, MK_LBUTTON, x, y);
                send_mouse(curve, WM_MOUSEMOVE, MK_LBUTTON, x, row);
                send_mouse(curve, WM_LBUTTONUP, 0, x, row);
            });
        else
            act(line, [curve, x, y, dx, dy] {
                send_mouse(curve, WM_LBUTTONDOWN, MK_LBUTTON, x + dx, y + dy);
                send_mouse(curve, WM_LBUTTONUP, 0, x + dx, y + dy);
            });
    } else if (verb == "escape" || verb == "enter") {
        // The key goes where the user's keyboard goes; the dialog manager turns it into a command.
        HWND to = focus_of_ui();
        if (!to) to = d;
        WPARAM key = verb == "escape" ? VK_ESCAPE : VK_RETURN;
        act(line, [to, key] { PostMessageA(to, WM_KEYDOWN, key, 1); });
    } else if (verb == "close") {
        if (!(style_of(d) & WS_SYSMENU)) return note_error("close: " + template_of(d) + " has no close box");
        act(line, [d] { PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); });
    } else if (verb == "snapshot") {
        std::string tag;
        std::getline(in >> std::ws, tag);
        snapshot(d, tag);
    } else if (verb == "answer") {
        note_error("'" + line + "' with no message box open (in " + template_of(d) + ")");
    } else if (verb == "end") {
        note_error("'end' works only in the headless dialogs");
    } else {
        note_error("unknown action '" + line + "'");
    }
}

void run(User* u) {
    while (!u->stop) {
        HWND top = innermost();
        observe();  // after choosing: the window acted on is always recorded first
        if (!top) {
            std::this_thread::sleep_for(5ms);
            continue;
        }
        if (is_box(top)) {
            std::string arg;
            bool scripted_answer = !u->actions.empty() && u->actions.front().rfind("answer ", 0) == 0;
            int wanted = 0;
            if (scripted_answer) {
                wanted = answer_code(u->actions.front().substr(7));
                u->actions.pop_front();
            }
            answer_box(top, scripted_answer, wanted);
            continue;
        }
        if (u->actions.empty()) {
            if (u->scripted && !u->script_ran_out) {
                u->script_ran_out = true;
                for (HWND w : ui_windows())
                    if (!is_box(w)) u->open_when_script_ran_out.insert(w);
            }
            if (u->open_when_script_ran_out.count(top)) note_error("the script ran out with " + template_of(top) + " open");
            u->open_when_script_ran_out.erase(top);
            close_unattended(top);
            continue;
        }
        std::string line = u->actions.front();
        u->actions.pop_front();
        perform(top, line);
    }
}

void stop_user() {
    if (!g_user) return;
    g_user->stop = true;
    if (g_user->thread.joinable()) g_user->thread.join();
}

}  // namespace

void dialog_user_start(const std::string& script, const std::string& shots_dir) {
    stop_user();
    delete g_user;
    g_user = new User;
    g_user->ui_thread = GetCurrentThreadId();
    g_user->shots_dir = shots_dir;
    std::istringstream in(script);
    std::string line;
    while (std::getline(in, line)) {
        size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#') continue;
        size_t last = line.find_last_not_of(" \t\r");
        g_user->actions.push_back(line.substr(first, last - first + 1));
    }
    g_user->scripted = !g_user->actions.empty();
    g_user->thread = std::thread(run, g_user);
}

DialogRecord dialog_user_finish() {
    if (!g_user) return {};
    stop_user();
    if (!g_user->actions.empty()) g_user->record.errors.push_back("actions left over: " + g_user->actions.front());
    return g_user->record;
}

}  // namespace sim
#endif
