// GDI of the headless layer: bitmaps, pens, brushes and device contexts drawing on small
// in-memory canvases, with a count of what the driver created and did not release.
#include <algorithm>
#include <cstdlib>

#include "headless_internal.h"

namespace headless {

struct GdiObject {
    enum Type { BITMAP_OBJ, PEN_OBJ, BRUSH_OBJ } type;
    Canvas bits;            // bitmaps
    COLORREF color = 0;     // pens and brushes
    bool stock = false;
    int selected_in = 0;    // device contexts holding it
};

struct DeviceContext {
    Window* window = nullptr;  // a window's surface; otherwise a memory context
    GdiObject* bitmap = nullptr;
    GdiObject* pen = nullptr;
    GdiObject* brush = nullptr;
};

namespace {

GdiObject& stock_pen() {
    static GdiObject o{GdiObject::PEN_OBJ, {}, RGB(0, 0, 0), true, 0};
    return o;
}
GdiObject& stock_brush() {
    static GdiObject o{GdiObject::BRUSH_OBJ, {}, RGB(255, 255, 255), true, 0};
    return o;
}
GdiObject& stock_bitmap() {
    static GdiObject o = [] {
        GdiObject b{GdiObject::BITMAP_OBJ, {}, 0, true, 0};
        b.bits.resize(1, 1, RGB(0, 0, 0));
        return b;
    }();
    return o;
}

GdiObject* object(HGDIOBJ h) {
    GdiObject* o = reinterpret_cast<GdiObject*>(h);
    if (o == &stock_pen() || o == &stock_brush() || o == &stock_bitmap()) return o;
    return o && state().gdi_objects.count(o) ? o : nullptr;
}

DeviceContext* context(HDC h) {
    DeviceContext* dc = reinterpret_cast<DeviceContext*>(h);
    return dc && state().dcs.count(dc) ? dc : nullptr;
}

Canvas* surface(DeviceContext* dc) {
    if (dc->window) return &dc->window->canvas;
    return dc->bitmap ? &dc->bitmap->bits : nullptr;
}

GdiObject* make(GdiObject::Type type) {
    GdiObject* o = new GdiObject{type, {}, 0, false, 0};
    state().gdi_objects.insert(o);
    return o;
}

void select_into(GdiObject*& slot, GdiObject* o) {
    if (slot) --slot->selected_in;
    slot = o;
    if (o) ++o->selected_in;
}

DeviceContext* make_dc(Window* w) {
    DeviceContext* dc = new DeviceContext;
    dc->window = w;
    select_into(dc->pen, &stock_pen());
    select_into(dc->brush, &stock_brush());
    if (!w) select_into(dc->bitmap, &stock_bitmap());
    state().dcs.insert(dc);
    return dc;
}

void free_dc(DeviceContext* dc) {
    select_into(dc->pen, nullptr);
    select_into(dc->brush, nullptr);
    select_into(dc->bitmap, nullptr);
    state().dcs.erase(dc);
    delete dc;
}

// A line from a to b without its last pixel, as LineTo draws it.
void line(Canvas& c, POINT a, POINT b, COLORREF colour) {
    long dx = std::labs(b.x - a.x), dy = -std::labs(b.y - a.y);
    int sx = a.x < b.x ? 1 : -1, sy = a.y < b.y ? 1 : -1;
    long err = dx + dy;
    long x = a.x, y = a.y;
    while (x != b.x || y != b.y) {
        c.put(static_cast<int>(x), static_cast<int>(y), colour);
        long e2 = 2 * err;
        if (e2 >= dy) err += dy, x += sx;
        if (e2 <= dx) err += dx, y += sy;
    }
}

}  // namespace

HDC window_dc(Window* w) { return reinterpret_cast<HDC>(make_dc(w)); }

void release_window_dc(HDC h) {
    DeviceContext* dc = context(h);
    if (!dc) return;
    // Whatever the painter selected must be back out before the context goes.
    if (!dc->pen->stock || !dc->brush->stock) error("a window's device context was released with the painter's pen or brush selected");
    free_dc(dc);
}

void paint_pending(Window* dialog) {
    for (auto& c : dialog->controls)
        if (c->invalid && c->kind == Kind::BUTTON && (c->style & BS_TYPEMASK) == BS_OWNERDRAW) {
            c->invalid = false;
            send(c.get(), WM_PAINT, 0, 0);
        }
}

}  // namespace headless

using namespace headless;

int headless_gdi_objects() { return static_cast<int>(state().gdi_objects.size() + state().dcs.size()); }

extern "C" {

HBITMAP WINAPI LoadBitmapA(HINSTANCE instance, LPCSTR name) {
    if (instance != GetModuleHandleA("wfdrv_s") || !IS_INTRESOURCE(name)) return nullptr;
    const BitmapResource* b = find_bitmap(static_cast<int>(reinterpret_cast<UINT_PTR>(name)));
    if (!b) return nullptr;
    GdiObject* o = make(GdiObject::BITMAP_OBJ);
    o->bits.width = b->width;
    o->bits.height = b->height;
    o->bits.pixels = b->pixels;
    return reinterpret_cast<HBITMAP>(o);
}

HDC WINAPI CreateCompatibleDC(HDC) { return reinterpret_cast<HDC>(make_dc(nullptr)); }

BOOL WINAPI DeleteDC(HDC h) {
    DeviceContext* dc = context(h);
    if (!dc || dc->window) return FALSE;
    free_dc(dc);
    return TRUE;
}

HGDIOBJ WINAPI SelectObject(HDC h, HGDIOBJ obj) {
    DeviceContext* dc = context(h);
    GdiObject* o = object(obj);
    if (!dc || !o) {
        error("SelectObject with a handle that is not a live device context or object");
        return nullptr;
    }
    GdiObject** slot = o->type == GdiObject::PEN_OBJ ? &dc->pen : o->type == GdiObject::BRUSH_OBJ ? &dc->brush : &dc->bitmap;
    if (o->type == GdiObject::BITMAP_OBJ && (dc->window || (o->selected_in > 0 && *slot != o))) {
        error("a bitmap selected where it cannot be");
        return nullptr;
    }
    GdiObject* prev = *slot;
    select_into(*slot, o);
    return reinterpret_cast<HGDIOBJ>(prev);
}

BOOL WINAPI DeleteObject(HGDIOBJ obj) {
    GdiObject* o = object(obj);
    if (!o) return FALSE;
    if (o->stock) return TRUE;
    if (o->selected_in > 0) {
        error("a GDI object was deleted while still selected into a device context");
        return FALSE;
    }
    state().gdi_objects.erase(o);
    delete o;
    return TRUE;
}

int WINAPI GetObjectA(HGDIOBJ obj, int size, LPVOID out) {
    GdiObject* o = object(obj);
    if (!o || o->type != GdiObject::BITMAP_OBJ || !out || size < static_cast<int>(sizeof(BITMAP))) return 0;
    BITMAP* bm = static_cast<BITMAP*>(out);
    *bm = BITMAP{0, o->bits.width, o->bits.height, o->bits.width * 3, 1, 24, nullptr};
    return sizeof(BITMAP);
}

BOOL WINAPI StretchBlt(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, DWORD rop) {
    DeviceContext* d = context(dest);
    DeviceContext* s = context(src);
    if (!d || !s || rop != SRCCOPY || w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return FALSE;
    Canvas* to = surface(d);
    const Canvas* from_canvas = surface(s);
    if (!to || !from_canvas) return FALSE;
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            long long px = sx + static_cast<long long>(i) * sw / w, py = sy + static_cast<long long>(j) * sh / h;
            if (px < 0 || py < 0 || px >= from_canvas->width || py >= from_canvas->height) continue;
            to->put(x + i, y + j, from_canvas->at(static_cast<int>(px), static_cast<int>(py)));
        }
    return TRUE;
}

HPEN WINAPI CreatePen(int style, int, COLORREF color) {
    if (style != PS_SOLID) return nullptr;
    GdiObject* o = make(GdiObject::PEN_OBJ);
    o->color = color;
    return reinterpret_cast<HPEN>(o);
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
    GdiObject* o = make(GdiObject::BRUSH_OBJ);
    o->color = color;
    return reinterpret_cast<HBRUSH>(o);
}

int WINAPI FillRect(HDC h, const RECT* r, HBRUSH brush) {
    DeviceContext* dc = context(h);
    GdiObject* b = object(brush);
    if (!dc || !r || !b || b->type != GdiObject::BRUSH_OBJ) return 0;
    Canvas* c = surface(dc);
    if (!c) return 0;
    for (long y = std::max(r->top, 0L); y < std::min<long>(r->bottom, c->height); ++y)
        for (long x = std::max(r->left, 0L); x < std::min<long>(r->right, c->width); ++x)
            c->put(static_cast<int>(x), static_cast<int>(y), b->color);
    return 1;
}

BOOL WINAPI Polyline(HDC h, const POINT* points, int count) {
    DeviceContext* dc = context(h);
    if (!dc || !points || count < 2) return FALSE;
    Canvas* c = surface(dc);
    if (!c) return FALSE;
    for (int k = 0; k + 1 < count; ++k) line(*c, points[k], points[k + 1], dc->pen->color);
    return TRUE;
}

}  // extern "C"
