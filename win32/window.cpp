// Windows, modal dialogs, message boxes, focus and capture of the headless layer.
#include <algorithm>
#include <cstring>

#include "headless_internal.h"

namespace headless {

namespace {

// Non-null stand-in for the driver's module handle.
HINSTANCE__* const k_module = reinterpret_cast<HINSTANCE__*>(0x10000000);

int scale(int v, int base, int div) { return static_cast<int>((static_cast<long long>(v) * base + div / 2) / div); }

Kind kind_of(const ControlTemplate& c) {
    if (c.class_name == "Button") return Kind::BUTTON;
    if (c.class_name == "Edit") return Kind::EDIT;
    if (c.class_name == "ComboBox") return Kind::COMBOBOX;
    if (c.class_name == "ScrollBar") return Kind::SCROLLBAR;
    if (c.class_name == "msctls_updown32") return Kind::UPDOWN;
    return Kind::STATIC;
}

bool takes_focus(const Window* c) {
    return c->enabled && (c->style & WS_VISIBLE) && (c->style & WS_TABSTOP) && c->kind != Kind::STATIC;
}

bool inside(const Window* w, const Window* dialog) { return w && (w == dialog || w->parent == dialog); }

// The dialog procedure behind a dialog window, with the default handling of what it
// leaves: the close box closes, and closing asks for IDCANCEL.
LRESULT CALLBACK dialog_wndproc(HWND h, UINT message, WPARAM wparam, LPARAM lparam) {
    Window* d = from(h);
    if (!d) return 0;
    INT_PTR handled = d->dlg_proc ? d->dlg_proc(h, message, wparam, lparam) : FALSE;
    if (message == WM_INITDIALOG) return handled;
    if (handled) return 0;  // the message result of a handled message; the driver sets none
    if (message == WM_SYSCOMMAND && (wparam & 0xFFF0) == SC_CLOSE) send(d, WM_CLOSE, 0, 0);
    if (message == WM_CLOSE) {
        Window* cancel = find_control(d, IDCANCEL);
        if (!cancel || cancel->enabled) send(d, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
    }
    return 0;
}

std::unique_ptr<Window> make_control(Window* dialog, const ControlTemplate& t) {
    State& s = state();
    auto c = std::make_unique<Window>();
    c->kind = kind_of(t);
    c->id = t.id;
    c->style = t.style;
    c->text = t.text;
    c->enabled = !(t.style & WS_DISABLED);
    c->parent = dialog;
    c->proc = class_proc(c->kind);
    c->rect = {scale(t.x, s.base_x, 4), scale(t.y, s.base_y, 8), 0, 0};
    c->rect.right = c->rect.left + scale(t.w, s.base_x, 4);
    c->rect.bottom = c->rect.top + scale(t.h, s.base_y, 8);
    if (c->kind == Kind::STATIC && (t.style & 0x1F) == SS_BITMAP) {
        // A picture control takes its bitmap's size.
        c->bitmap = t.text_resource;
        if (const BitmapResource* b = find_bitmap(t.text_resource)) {
            c->rect.right = c->rect.left + b->width;
            c->rect.bottom = c->rect.top + b->height;
        } else {
            error("picture control of " + dialog->template_name + " names a missing bitmap " + std::to_string(t.text_resource));
        }
    }
    if (c->kind == Kind::BUTTON && (t.style & BS_TYPEMASK) == BS_OWNERDRAW) {
        c->canvas.resize(c->rect.right - c->rect.left, c->rect.bottom - c->rect.top, RGB(192, 192, 192));
        c->invalid = true;
    }
    if (c->kind == Kind::UPDOWN && (t.style & UDS_AUTOBUDDY) && !dialog->controls.empty())
        c->buddy = dialog->controls.back().get();
    return c;
}

void destroy(Window* d) {
    State& s = state();
    for (auto& c : d->controls) {
        if (s.capture == c.get()) s.capture = nullptr;
        s.live.erase(c.get());
    }
    if (s.capture == d) s.capture = nullptr;
    s.live.erase(d);
}

int default_answer(UINT type) {
    switch (type & MB_TYPEMASK) {
        case MB_YESNO:
        case MB_YESNOCANCEL: return IDYES;
        default: return IDOK;
    }
}

bool answer_fits(UINT type, int answer) {
    switch (type & MB_TYPEMASK) {
        case MB_OK: return answer == IDOK;
        case MB_OKCANCEL: return answer == IDOK || answer == IDCANCEL;
        case MB_YESNO: return answer == IDYES || answer == IDNO;
        case MB_YESNOCANCEL: return answer == IDYES || answer == IDNO || answer == IDCANCEL;
        default: return true;
    }
}

int answer_code(const std::string& name) {
    static const struct {
        const char* name;
        int code;
    } k_answers[] = {{"IDOK", IDOK}, {"IDCANCEL", IDCANCEL}, {"IDYES", IDYES}, {"IDNO", IDNO}};
    for (const auto& a : k_answers)
        if (name == a.name) return a.code;
    return 0;
}

}  // namespace

State& state() {
    static State s;
    return s;
}

Window* from(HWND h) {
    Window* w = reinterpret_cast<Window*>(h);
    return w && state().live.count(w) ? w : nullptr;
}

void error(const std::string& what) { state().errors.push_back(what); }

std::string describe(const Window* dialog) { return dialog ? dialog->template_name : std::string("no dialog"); }

LRESULT send(Window* w, UINT message, WPARAM wparam, LPARAM lparam) {
    if (!w || !state().live.count(w) || !w->proc) return 0;
    return w->proc(handle(w), message, wparam, lparam);
}

void notify_parent(Window* control, WORD code) {
    if (control->parent) send(control->parent, WM_COMMAND, MAKEWPARAM(control->id, code), reinterpret_cast<LPARAM>(control));
}

// As the system does it: the focus moves first, then the window losing it is told; if
// that changed the focus again, the window meant to get it is not told.
void set_focus(Window* w) {
    State& s = state();
    Window* old = s.focus;
    if (old == w) return;
    s.focus = w;
    if (old && s.live.count(old)) {
        send(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(w), 0);
        if (s.focus != w) return;
    }
    if (w) send(w, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
}

void set_capture(Window* w) {
    State& s = state();
    Window* old = s.capture;
    s.capture = w;
    if (old && old != w) send(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(w));
}

Window* find_control(Window* dialog, int id) {
    if (!dialog) return nullptr;
    for (auto& c : dialog->controls)
        if (c->id == id) return c.get();
    return nullptr;
}

}  // namespace headless

using namespace headless;

void headless_set_base_units(int x, int y) {
    if (x > 0 && y > 0) state().base_x = x, state().base_y = y;
}

extern "C" {

HMODULE WINAPI GetModuleHandleA(LPCSTR module_name) {
    return module_name && std::strcmp(module_name, "wfdrv_s") == 0 ? k_module : nullptr;
}

BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* init) {
    if (!init || init->dwSize != sizeof(INITCOMMONCONTROLSEX)) return FALSE;
    if (init->dwICC & ICC_UPDOWN_CLASS) state().common_controls = true;
    return TRUE;
}

INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR template_name, HWND owner_handle, DLGPROC proc, LPARAM param) {
    State& s = state();
    std::string name = !template_name ? "" : IS_INTRESOURCE(template_name)
                                                 ? "#" + std::to_string(reinterpret_cast<UINT_PTR>(template_name))
                                                 : template_name;
    size_t record = s.dialogs.size();
    s.dialogs.push_back({name, -1});
    // Without a user there is nobody to close the dialog: it fails as a missing template would.
    if (s.actions.empty()) return -1;
    const DialogTemplate* t = find_dialog(name);
    if (instance != k_module || !t || !proc) {
        error("dialog " + name + " cannot be created: " + (!t ? "no such template" : !proc ? "no procedure" : "not the driver's module"));
        return -1;
    }
    for (const ControlTemplate& c : t->controls)
        if (c.class_name == "msctls_updown32" && !s.common_controls) {
            error("dialog " + name + " cannot be created: the up-down class is not registered");
            return -1;
        }
    Window* owner = from(owner_handle);
    if (owner_handle && !owner) error("dialog " + name + ": owner is not a window");

    auto dialog = std::make_unique<Window>();
    Window* d = dialog.get();
    d->kind = Kind::DIALOG;
    d->style = t->style;
    d->text = t->caption;
    d->template_name = name;
    d->dlg_proc = proc;
    d->proc = dialog_wndproc;
    d->owner = owner;
    d->rect = {scale(t->x, s.base_x, 4), scale(t->y, s.base_y, 8), 0, 0};
    d->rect.right = d->rect.left + scale(t->w, s.base_x, 4);
    d->rect.bottom = d->rect.top + scale(t->h, s.base_y, 8);
    s.live.insert(d);
    for (const ControlTemplate& c : t->controls) {
        d->controls.push_back(make_control(d, c));
        s.live.insert(d->controls.back().get());
    }

    // The owner is disabled while the dialog runs; its focused control loses the focus.
    if (owner) {
        owner->saved_focus = s.focus && s.focus->parent == owner ? s.focus : nullptr;
        owner->enabled = false;
        if (inside(s.focus, owner)) set_focus(nullptr);
    }
    s.running.push_back(d);

    Window* first = nullptr;
    for (auto& c : d->controls)
        if (!first && takes_focus(c.get())) first = c.get();
    if (send(d, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param) && !d->ended) {
        Window* f = nullptr;
        for (auto& c : d->controls)
            if (!f && takes_focus(c.get())) f = c.get();
        set_focus(f ? f : d);
    } else if (!inside(s.focus, d)) {
        set_focus(d);
    }

    while (!d->ended) {
        paint_pending(d);
        if (s.actions.empty()) {
            error("the script ran out with " + name + " open");
            d->ended = true;
            d->result = -1;
            break;
        }
        std::string action = s.actions.front();
        s.actions.pop_front();
        run_action(d, action);
    }

    // Closing: the focused control loses the focus while the dialog still exists, then the
    // owner is enabled again and its last focused control gets the focus back.
    if (inside(s.focus, d)) set_focus(nullptr);
    s.running.pop_back();
    destroy(d);
    if (owner && s.live.count(owner)) {
        owner->enabled = true;
        Window* back = owner->saved_focus && s.live.count(owner->saved_focus) ? owner->saved_focus : owner;
        set_focus(back);
    }
    INT_PTR result = d->result;
    s.dialogs[record].result = result;
    return result;
}

BOOL WINAPI EndDialog(HWND dialog, INT_PTR result) {
    Window* d = from(dialog);
    if (!d || d->kind != Kind::DIALOG) {
        error("EndDialog on something that is not a dialog");
        return FALSE;
    }
    d->ended = true;
    d->result = result;
    return TRUE;
}

int WINAPI MessageBoxA(HWND owner_handle, LPCSTR text, LPCSTR caption, UINT type) {
    State& s = state();
    Window* owner = from(owner_handle);
    int answer = default_answer(type);
    std::string arg;
    if (take_action("answer", arg)) {
        int a = answer_code(arg);
        if (a && answer_fits(type, a)) answer = a;
        else error("answer " + arg + " does not fit the box \"" + (caption ? caption : "") + "\"");
    } else if ((type & MB_TYPEMASK) != MB_OK) {
        error(std::string("question \"") + (text ? text : "") + "\" had no answer in the script");
    }
    s.boxes.push_back({owner_handle, text ? text : "", caption ? caption : "", type, answer});
    // The box takes the focus from its owner while it is open and gives it back after.
    if (owner) {
        Window* saved = s.focus;
        if (inside(saved, owner)) {
            set_focus(nullptr);
            if (s.live.count(saved) && saved->enabled) set_focus(saved);
        }
    }
    return answer;
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    Window* w = from(window);
    if (!w) {
        error("message " + std::to_string(message) + " sent to a handle that is not a window");
        return 0;
    }
    return send(w, message, wparam, lparam);
}

LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wparam, LPARAM lparam) {
    Window* c = find_control(from(dialog), id);
    if (!c) {
        error("message to control " + std::to_string(id) + " that " + describe(from(dialog)) + " does not have");
        return 0;
    }
    return send(c, message, wparam, lparam);
}

LRESULT WINAPI CallWindowProcA(WNDPROC proc, HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    return proc ? proc(window, message, wparam, lparam) : 0;
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND window, int index) {
    Window* w = from(window);
    if (!w) return 0;
    switch (index) {
        case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
        case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(k_module);
        case GWLP_USERDATA: return w->user_data;
        default: error("GetWindowLongPtrA index " + std::to_string(index) + " is not kept here"); return 0;
    }
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND window, int index, LONG_PTR value) {
    Window* w = from(window);
    if (!w) return 0;
    LONG_PTR old;
    switch (index) {
        case GWLP_WNDPROC:
            old = reinterpret_cast<LONG_PTR>(w->proc);
            w->proc = reinterpret_cast<WNDPROC>(value);
            return old;
        case GWLP_USERDATA:
            old = w->user_data;
            w->user_data = value;
            return old;
        default: error("SetWindowLongPtrA index " + std::to_string(index) + " is not kept here"); return 0;
    }
}

HWND WINAPI GetDlgItem(HWND dialog, int id) { return handle(find_control(from(dialog), id)); }

int WINAPI GetDlgCtrlID(HWND window) {
    Window* w = from(window);
    return w && w->kind != Kind::DIALOG ? w->id : 0;
}

HWND WINAPI GetParent(HWND window) {
    Window* w = from(window);
    return w ? handle(w->kind == Kind::DIALOG ? w->owner : w->parent) : nullptr;
}

BOOL WINAPI SetDlgItemTextA(HWND dialog, int id, LPCSTR text) {
    Window* c = find_control(from(dialog), id);
    if (!c) return FALSE;
    return static_cast<BOOL>(send(c, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : "")));
}

UINT WINAPI GetDlgItemTextA(HWND dialog, int id, LPSTR text, int max) {
    Window* c = find_control(from(dialog), id);
    if (!text || max <= 0) return 0;
    text[0] = '\0';
    if (!c) return 0;
    return static_cast<UINT>(send(c, WM_GETTEXT, static_cast<WPARAM>(max), reinterpret_cast<LPARAM>(text)));
}

BOOL WINAPI SetDlgItemInt(HWND dialog, int id, UINT value, BOOL is_signed) {
    std::string text = is_signed ? std::to_string(static_cast<int>(value)) : std::to_string(value);
    return SetDlgItemTextA(dialog, id, text.c_str());
}

BOOL WINAPI CheckRadioButton(HWND dialog, int first, int last, int check) {
    Window* d = from(dialog);
    if (!d) return FALSE;
    for (auto& c : d->controls)
        if (c->kind == Kind::BUTTON && c->id >= first && c->id <= last)
            send(c.get(), BM_SETCHECK, c->id == check ? BST_CHECKED : BST_UNCHECKED, 0);
    return TRUE;
}

BOOL WINAPI CheckDlgButton(HWND dialog, int id, UINT check) {
    Window* c = find_control(from(dialog), id);
    if (!c) return FALSE;
    send(c, BM_SETCHECK, check, 0);
    return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND dialog, int id) {
    Window* c = find_control(from(dialog), id);
    return c ? static_cast<UINT>(send(c, BM_GETCHECK, 0, 0)) : 0;
}

BOOL WINAPI EnableWindow(HWND window, BOOL enable) {
    Window* w = from(window);
    if (!w) return FALSE;
    BOOL was_disabled = !w->enabled;
    w->enabled = enable != FALSE;
    // A window being disabled loses the focus.
    if (!w->enabled && state().focus == w) set_focus(nullptr);
    return was_disabled;
}

BOOL WINAPI IsWindowEnabled(HWND window) {
    Window* w = from(window);
    return w && w->enabled;
}

HWND WINAPI SetFocus(HWND window) {
    HWND old = handle(state().focus);
    Window* w = from(window);
    if (window && !w) return nullptr;
    set_focus(w);
    return old;
}

HWND WINAPI GetFocus(void) { return handle(state().focus); }

BOOL WINAPI GetClientRect(HWND window, LPRECT rect) {
    Window* w = from(window);
    if (!w || !rect) return FALSE;
    *rect = {0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
    return TRUE;
}

BOOL WINAPI InvalidateRect(HWND window, const RECT*, BOOL) {
    Window* w = from(window);
    if (!w) return FALSE;
    w->invalid = true;
    return TRUE;
}

HWND WINAPI SetCapture(HWND window) {
    HWND old = handle(state().capture);
    set_capture(from(window));
    return old;
}

BOOL WINAPI ReleaseCapture(void) {
    set_capture(nullptr);
    return TRUE;
}

HWND WINAPI GetCapture(void) { return handle(state().capture); }

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
    if (instance || (name != IDC_ARROW && name != IDC_CROSS)) return nullptr;
    return reinterpret_cast<HCURSOR>(const_cast<char*>(name));
}

HCURSOR WINAPI SetCursor(HCURSOR cursor) {
    State& s = state();
    HCURSOR old = s.cursor == "cross" ? reinterpret_cast<HCURSOR>(IDC_CROSS)
                  : s.cursor == "arrow" ? reinterpret_cast<HCURSOR>(IDC_ARROW) : nullptr;
    LPCSTR name = reinterpret_cast<LPCSTR>(cursor);
    s.cursor = name == IDC_CROSS ? "cross" : name == IDC_ARROW ? "arrow" : "";
    return old;
}

}  // extern "C"
