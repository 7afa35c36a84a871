// Shared by the parts of the headless layer: windows and controls, GDI, the scripted user.
#pragma once
#include <deque>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <commctrl.h>
#include <windows.h>

#include "dialog_template.h"
#include "headless.h"

namespace headless {

enum class Kind { DIALOG, BUTTON, STATIC, EDIT, COMBOBOX, SCROLLBAR, UPDOWN };

// Pixels that GDI drawing lands on: an owner-drawn control's surface or a bitmap.
struct Canvas {
    int width = 0, height = 0;
    std::vector<COLORREF> pixels;  // top row first

    void resize(int w, int h, COLORREF fill) {
        width = w, height = h;
        pixels.assign(static_cast<size_t>(w) * h, fill);
    }
    void put(int x, int y, COLORREF c) {
        if (x >= 0 && y >= 0 && x < width && y < height) pixels[static_cast<size_t>(y) * width + x] = c;
    }
    COLORREF at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

struct Window {
    Kind kind = Kind::STATIC;
    int id = 0;
    uint32_t style = 0;
    std::string text;
    bool enabled = true;
    RECT rect{};                  // pixels; a control's relative to its dialog
    Window* parent = nullptr;     // a control's dialog
    WNDPROC proc = nullptr;       // the current window procedure (subclassing replaces it)
    LONG_PTR user_data = 0;

    int check = BST_UNCHECKED;    // buttons
    bool pressed = false;
    int limit = 30000;            // edits: characters the user may type
    int sel_start = 0, sel_end = 0;
    std::vector<std::string> items;  // combo boxes
    int selection = -1;
    int ud_min = 0, ud_max = 9999, ud_pos = 0;  // up-down controls
    Window* buddy = nullptr;
    int bitmap = -1;              // picture controls
    bool invalid = false;         // owner-drawn controls waiting to be painted
    Canvas canvas;

    // Dialogs
    std::string template_name;
    DLGPROC dlg_proc = nullptr;
    std::vector<std::unique_ptr<Window>> controls;
    Window* owner = nullptr;
    Window* saved_focus = nullptr;
    bool ended = false;
    INT_PTR result = 0;
};

struct GdiObject;
struct DeviceContext;

struct State {
    std::deque<std::string> actions;
    std::vector<ShownMessageBox> boxes;
    std::vector<ShownDialog> dialogs;
    std::vector<DialogSnapshot> snapshots;
    std::function<void(const std::string&)> inspector;
    std::vector<std::string> errors;
    std::set<const Window*> live;
    std::vector<Window*> running;  // modal dialogs, innermost last
    Window* focus = nullptr;
    Window* capture = nullptr;
    std::string cursor;            // "arrow", "cross" or empty before any SetCursor
    bool common_controls = false;  // InitCommonControlsEx registered the up-down class
    int base_x = 7, base_y = 14;   // dialog base units in pixels
    std::set<GdiObject*> gdi_objects;
    std::set<DeviceContext*> dcs;
};
State& state();

inline HWND handle(Window* w) { return reinterpret_cast<HWND>(w); }
Window* from(HWND h);  // nullptr for a handle that is not a live window
void error(const std::string& what);

LRESULT send(Window* w, UINT message, WPARAM wparam, LPARAM lparam);
void notify_parent(Window* control, WORD code);
void set_focus(Window* w);
void set_capture(Window* w);
Window* find_control(Window* dialog, int id);
std::string describe(const Window* dialog);

// Class procedures of the built-in controls.
WNDPROC class_proc(Kind kind);
// The controls of the auto radio button's group, from the group's first control.
std::vector<Window*> radio_group(Window* button);

// Paints every owner-drawn control of the dialog that waits for it.
void paint_pending(Window* dialog);
HDC window_dc(Window* w);
void release_window_dc(HDC dc);

// The scripted user.
bool take_action(const std::string& verb, std::string& arg);
void run_action(Window* dialog, const std::string& line);
DialogSnapshot snapshot(Window* dialog, const std::string& tag);

}  // namespace headless
