// The built-in controls of the headless layer, each a window procedure that keeps the
// control's state and tells its dialog what a real control would.
#include <algorithm>
#include <cstring>

#include "headless_internal.h"

namespace headless {

namespace {

// WM_GETTEXT: copies up to max - 1 characters and the terminating zero.
LRESULT get_text(const std::string& text, WPARAM max, LPARAM out) {
    char* dest = reinterpret_cast<char*>(out);
    if (!dest || max == 0) return 0;
    size_t n = std::min(text.size(), static_cast<size_t>(max) - 1);
    std::memcpy(dest, text.data(), n);
    dest[n] = '\0';
    return static_cast<LRESULT>(n);
}

// What every window answers about its text.
bool text_message(Window* w, UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
    switch (message) {
        case WM_SETTEXT:
            w->text = lparam ? reinterpret_cast<const char*>(lparam) : "";
            result = TRUE;
            return true;
        case WM_GETTEXT: result = get_text(w->text, wparam, lparam); return true;
        case WM_GETTEXTLENGTH: result = static_cast<LRESULT>(w->text.size()); return true;
        default: return false;
    }
}

int button_type(const Window* w) { return static_cast<int>(w->style & BS_TYPEMASK); }

LRESULT CALLBACK button_proc(HWND h, UINT message, WPARAM wparam, LPARAM lparam) {
    Window* w = from(h);
    if (!w) return 0;
    LRESULT r = 0;
    switch (message) {
        case BM_GETCHECK: return w->check;
        case BM_SETCHECK: w->check = static_cast<int>(wparam); return 0;
        case BM_CLICK:
            send(w, WM_LBUTTONDOWN, MK_LBUTTON, 0);
            send(w, WM_LBUTTONUP, 0, 0);
            return 0;
        case WM_LBUTTONDOWN:
            if (button_type(w) == BS_GROUPBOX) return 0;
            set_focus(w);
            w->pressed = true;
            set_capture(w);
            return 0;
        case WM_CAPTURECHANGED: w->pressed = false; return 0;
        case WM_LBUTTONUP: {
            if (!w->pressed) return 0;
            w->pressed = false;
            if (state().capture == w) set_capture(nullptr);
            if (button_type(w) == BS_AUTORADIOBUTTON) {
                for (Window* other : radio_group(w))
                    if (other != w && button_type(other) == BS_AUTORADIOBUTTON) send(other, BM_SETCHECK, BST_UNCHECKED, 0);
                send(w, BM_SETCHECK, BST_CHECKED, 0);
            }
            notify_parent(w, BN_CLICKED);
            return 0;
        }
        case WM_PAINT: {
            if (button_type(w) != BS_OWNERDRAW || !w->parent) return 0;
            DRAWITEMSTRUCT dis{};
            dis.CtlType = ODT_BUTTON;
            dis.CtlID = static_cast<UINT>(w->id);
            dis.itemAction = ODA_DRAWENTIRE;
            dis.hwndItem = h;
            dis.hDC = window_dc(w);
            GetClientRect(h, &dis.rcItem);
            send(w->parent, WM_DRAWITEM, static_cast<WPARAM>(w->id), reinterpret_cast<LPARAM>(&dis));
            release_window_dc(dis.hDC);
            return 0;
        }
        default: text_message(w, message, wparam, lparam, r); return r;
    }
}

LRESULT CALLBACK static_proc(HWND h, UINT message, WPARAM wparam, LPARAM lparam) {
    Window* w = from(h);
    LRESULT r = 0;
    if (w) text_message(w, message, wparam, lparam, r);
    return r;
}

LRESULT CALLBACK edit_proc(HWND h, UINT message, WPARAM wparam, LPARAM lparam) {
    Window* w = from(h);
    if (!w) return 0;
    LRESULT r = 0;
    switch (message) {
        case WM_SETTEXT:
            // A single-line edit reports a new text as the user's typing would.
            w->text = lparam ? reinterpret_cast<const char*>(lparam) : "";
            w->sel_start = w->sel_end = 0;
            notify_parent(w, EN_UPDATE);
            notify_parent(w, EN_CHANGE);
            return TRUE;
        case EM_LIMITTEXT: w->limit = wparam ? static_cast<int>(std::min<WPARAM>(wparam, 0x7FFFFFFE)) : 0x7FFFFFFE; return 0;
        case EM_GETLIMITTEXT: return w->limit;
        case EM_SETSEL: {
            int len = static_cast<int>(w->text.size());
            int a = static_cast<int>(wparam), b = static_cast<int>(lparam);
            if (a < 0) a = b = 0;  // -1 start removes the selection
            if (b < 0 || b > len) b = len;
            w->sel_start = std::min(a, len), w->sel_end = b;
            return 0;
        }
        case EM_GETSEL: return MAKELONG(w->sel_start, w->sel_end);
        case WM_LBUTTONDOWN: set_focus(w); return 0;
        case WM_SETFOCUS: notify_parent(w, EN_SETFOCUS); return 0;
        case WM_KILLFOCUS: notify_parent(w, EN_KILLFOCUS); return 0;
        default: text_message(w, message, wparam, lparam, r); return r;
    }
}

LRESULT CALLBACK combobox_proc(HWND h, UINT message, WPARAM wparam, LPARAM lparam) {
    Window* w = from(h);
    if (!w) return 0;
    int count = static_cast<int>(w->items.size());
    switch (message) {
        case CB_ADDSTRING:
            w->items.push_back(lparam ? reinterpret_cast<const char*>(lparam) : "");
            return count;
        case CB_RESETCONTENT:
            w->items.clear();
            w->selection = -1;
            return 0;
        case CB_SETCURSEL: {
            int i = static_cast<int>(wparam);
            w->selection = i >= 0 && i < count ? i : -1;
            return w->selection >= 0 ? w->selection : CB_ERR;
        }
        case CB_GETCURSEL: return w->selection >= 0 ? w->selection : CB_ERR;
        case CB_GETCOUNT: return count;
        case CB_GETLBTEXTLEN: {
            int i = static_cast<int>(wparam);
            return i >= 0 && i < count ? static_cast<LRESULT>(w->items[i].size()) : CB_ERR;
        }
        case CB_GETLBTEXT: {
            int i = static_cast<int>(wparam);
            if (i < 0 || i >= count || !lparam) return CB_ERR;
            std::memcpy(reinterpret_cast<char*>(lparam), w->items[i].c_str(), w->items[i].size() + 1);
            return static_cast<LRESULT>(w->items[i].size());
        }
        case WM_GETTEXT: return get_text(w->selection >= 0 ? w->items[w->selection] : "", wparam, lparam);
        case WM_GETTEXTLENGTH: return w->selection >= 0 ? static_cast<LRESULT>(w->items[w->selection].size()) : 0;
        case WM_LBUTTONDOWN: set_focus(w); return 0;
        case WM_SETFOCUS: notify_parent(w, CBN_SETFOCUS); return 0;
        case WM_KILLFOCUS: notify_parent(w, CBN_KILLFOCUS); return 0;
        default: return 0;
    }
}

LRESULT CALLBACK scrollbar_proc(HWND, UINT, WPARAM, LPARAM) { return 0; }

bool in_range(const Window* w, int v) { return v >= std::min(w->ud_min, w->ud_max) && v <= std::max(w->ud_min, w->ud_max); }

int clamp_to_range(const Window* w, int v) {
    return std::clamp(v, std::min(w->ud_min, w->ud_max), std::max(w->ud_min, w->ud_max));
}

LRESULT CALLBACK updown_proc(HWND h, UINT message, WPARAM wparam, LPARAM lparam) {
    Window* w = from(h);
    if (!w) return 0;
    int old = w->ud_pos;
    switch (message) {
        case UDM_SETRANGE:
            w->ud_max = static_cast<short>(LOWORD(lparam));
            w->ud_min = static_cast<short>(HIWORD(lparam));
            return 0;
        case UDM_SETRANGE32:
            w->ud_min = static_cast<int>(wparam);
            w->ud_max = static_cast<int>(lparam);
            return 0;
        case UDM_GETRANGE: return MAKELONG(w->ud_max, w->ud_min);
        case UDM_SETPOS: w->ud_pos = clamp_to_range(w, static_cast<short>(LOWORD(lparam))); return old;
        case UDM_SETPOS32: w->ud_pos = clamp_to_range(w, static_cast<int>(lparam)); return old;
        case UDM_GETPOS32: return w->ud_pos;
        case UDM_GETPOS: {
            // The up-down control takes its position from an edit buddy's text when that is
            // a number within the range.
            bool ok = false;
            if (w->buddy && w->buddy->kind == Kind::EDIT && !w->buddy->text.empty() && w->buddy->text.size() < 10 &&
                std::all_of(w->buddy->text.begin(), w->buddy->text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
                int v = std::stoi(w->buddy->text);
                if (in_range(w, v)) w->ud_pos = v, ok = true;
            }
            return MAKELONG(w->ud_pos, ok ? 0 : 1);
        }
        case UDM_GETBUDDY: return reinterpret_cast<LRESULT>(handle(w->buddy));
        case UDM_SETBUDDY: {
            Window* b = from(reinterpret_cast<HWND>(wparam));
            HWND prev = handle(w->buddy);
            w->buddy = b;
            return reinterpret_cast<LRESULT>(prev);
        }
        default: return 0;
    }
}

}  // namespace

WNDPROC class_proc(Kind kind) {
    switch (kind) {
        case Kind::BUTTON: return button_proc;
        case Kind::EDIT: return edit_proc;
        case Kind::COMBOBOX: return combobox_proc;
        case Kind::SCROLLBAR: return scrollbar_proc;
        case Kind::UPDOWN: return updown_proc;
        default: return static_proc;
    }
}

std::vector<Window*> radio_group(Window* button) {
    std::vector<Window*> group;
    Window* d = button->parent;
    if (!d) return group;
    auto& cs = d->controls;
    size_t at = 0;
    while (at < cs.size() && cs[at].get() != button) ++at;
    size_t start = at;
    while (start > 0 && !(cs[start]->style & WS_GROUP)) --start;
    for (size_t k = start; k < cs.size(); ++k) {
        if (k > start && (cs[k]->style & WS_GROUP)) break;
        group.push_back(cs[k].get());
    }
    return group;
}

}  // namespace headless
