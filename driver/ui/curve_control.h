// The curve control of the image correction dialog: an owner-drawn button, subclassed,
// that shows the tone curve over a black square and lets the user drag its five points.
#pragma once
#include <cstdint>

#include <windows.h>

#include "raster/tone_curve.h"

struct CurveControl {
    CurvePoint curve_points[5];       // the points in client pixels, as last painted or dragged
    CurvePoint curve_polyline[256];   // the sampled curve of the last paint
    int32_t curve_height;             // item rectangle height at the last paint; 0 before any
    int32_t curve_drag_point;         // point last grabbed, 0..4; -1 at load
    bool curve_dragging;              // a point is held and the mouse captured
    bool curve_dragged;               // a point moved since the dialog opened
    WNDPROC previous_proc;            // the button's own procedure
};
extern CurveControl g_curve;

// Makes the control's window procedure the curve control's.
void curve_subclass(HWND control);
// Paints the background, the five points and the curve (owner-draw request).
void curve_paint(const DRAWITEMSTRUCT* item);
// After a drag movement: the dragged point's pixel row becomes its control value.
void curve_take_dragged_value();

void curve_reset();
