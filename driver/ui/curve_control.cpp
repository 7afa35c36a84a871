#include "curve_control.h"

#include "dialog_ids.h"
#include "dialog_support.h"

CurveControl g_curve = {{}, {}, 0, -1, false, false, nullptr};

namespace {

constexpr int HIT_RADIUS = 2;  // a press within 2 pixels of a point grabs it
constexpr int MIN_GAP = 4;     // rows kept between neighbouring points

int32_t clamp_value(int32_t v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

void set_cursor(LPCSTR which) { SetCursor(LoadCursorA(nullptr, which)); }

// Left button up: the held point is let go.
void curve_release() {
    if (!g_curve.curve_dragging) return;
    g_curve.curve_dragging = false;
    ReleaseCapture();
    set_cursor(IDC_ARROW);
}

// Left button down: grab the first point within reach. A press elsewhere is treated as
// a release, and the button itself never sees the press (no push, focus or click).
void curve_press(HWND control, int x, int y) {
    for (int k = 0; k < 5; ++k) {
        const CurvePoint& p = g_curve.curve_points[k];
        if (x >= p.x - HIT_RADIUS && x <= p.x + HIT_RADIUS && y >= p.y - HIT_RADIUS && y <= p.y + HIT_RADIUS) {
            g_curve.curve_drag_point = k;
            g_curve.curve_dragging = true;
            SetCapture(control);
            set_cursor(IDC_CROSS);
            return;
        }
    }
    curve_release();
}

// The dragged point follows the cursor row, vertically only, keeping MIN_GAP rows from
// its neighbours so the curve stays in order.
void curve_move(HWND control, int y) {
    set_cursor(IDC_CROSS);
    RECT client;
    GetClientRect(control, &client);
    const int32_t hc = client.bottom;
    const bool above = y < 0;
    const int k = g_curve.curve_drag_point;
    CurvePoint* p = g_curve.curve_points;
    if (k == 0) {
        p[0].y = above || y <= p[1].y + MIN_GAP ? p[1].y + MIN_GAP : (y < hc ? y : hc);
    } else if (k >= 1 && k <= 3) {
        if (above || y <= p[k + 1].y + MIN_GAP) p[k].y = p[k + 1].y + MIN_GAP;
        else if (y >= p[k - 1].y - MIN_GAP) p[k].y = p[k - 1].y - MIN_GAP;
        else p[k].y = y < hc ? y : hc;
    } else if (k == 4) {
        if (above) p[4].y = 0;
        else if (y > p[3].y - MIN_GAP) p[4].y = p[3].y - MIN_GAP;
        else p[4].y = y < hc ? y : hc;
    }
    g_curve.curve_dragged = true;
    SendMessageA(GetParent(control), WM_USER, 0, 0);
}

LRESULT CALLBACK curve_control_proc(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
    // Client coordinates are signed: with the mouse captured they run past the edges.
    const int x = static_cast<short>(LOWORD(lparam));
    const int y = static_cast<short>(HIWORD(lparam));
    switch (message) {
        case WM_LBUTTONDOWN: curve_press(control, x, y); return 0;
        case WM_MOUSEMOVE:
            if (!g_curve.curve_dragging) break;
            curve_move(control, y);
            return 0;
        case WM_LBUTTONUP: curve_release(); return 0;
        default: break;
    }
    return CallWindowProcA(g_curve.previous_proc, control, message, wparam, lparam);
}

// Stretches bitmap 3032 (all black) over the item rectangle.
void paint_background(HDC dc, const RECT& r) {
    HBITMAP background = LoadBitmapA(ui_module(), MAKEINTRESOURCEA(IDB_CURVE_BACKGROUND));
    HDC memory = CreateCompatibleDC(dc);
    if (background && memory) {
        HGDIOBJ previous = SelectObject(memory, background);
        BITMAP size;
        if (GetObjectA(background, sizeof size, &size))
            StretchBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, memory, 0, 0, size.bmWidth, size.bmHeight, SRCCOPY);
        SelectObject(memory, previous);
    }
    if (memory) DeleteDC(memory);
    if (background) DeleteObject(background);
}

}  // namespace

void curve_subclass(HWND control) {
    g_curve.previous_proc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&curve_control_proc)));
}

void curve_paint(const DRAWITEMSTRUCT* item) {
    const RECT& r = item->rcItem;
    HDC dc = item->hDC;
    paint_background(dc, r);
    g_curve.curve_height = r.bottom - r.top;

    HPEN blue = CreatePen(PS_SOLID, 0, RGB(0, 0, 255));
    HGDIOBJ previous_pen = blue ? SelectObject(dc, blue) : nullptr;

    const int32_t xs[5] = {r.left, (r.left + r.right) / 4, (r.left + r.right) / 2, 3 * (r.left + r.right) / 4, r.right};
    for (int k = 0; k < 5; ++k)
        g_curve.curve_points[k] = {xs[k], r.bottom - r.bottom * clamp_value(g_tone.tone_control[k]) / 255};
    bezier4_sample(g_curve.curve_points, g_curve.curve_polyline);

    for (const CurvePoint& p : g_curve.curve_points) {
        const RECT square = {p.x - 2, p.y - 2, p.x + 2, p.y + 2};
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        if (!red) continue;
        FillRect(dc, &square, red);
        DeleteObject(red);
    }
    POINT line[256];
    for (int i = 0; i < 256; ++i) line[i] = {g_curve.curve_polyline[i].x, g_curve.curve_polyline[i].y};
    if (blue) {
        Polyline(dc, line, 256);
        SelectObject(dc, previous_pen);
        DeleteObject(blue);
    }
}

void curve_take_dragged_value() {
    const int k = g_curve.curve_drag_point;
    const int32_t h = g_curve.curve_height;
    // A drag that lands outside the square (possible next to a neighbour at an edge) is
    // held to 0..255: the value ends up in one byte of the record and of the table.
    if (!g_curve.curve_dragged || k < 0 || k > 4 || h <= 0) return;
    g_tone.tone_control[k] = clamp_value((h - g_curve.curve_points[k].y) * 255 / h);
}

void curve_reset() { g_curve = {{}, {}, 0, -1, false, false, nullptr}; }
