#include "image_correction_dialog.h"

#include "curve_control.h"
#include "dialog_ids.h"
#include "dialog_support.h"
#include "host/cp1252.h"
#include "raster/tone_curve.h"

namespace {

uint8_t* g_tone_points;  // the working record's points while the dialog is open

// One step of an arrow pair: when `allowed` holds for the current values, each value
// moves by its delta. "Gamma" bends the middle of the curve, "Tinte" shifts all of it,
// "Saturación" steepens or flattens it about the middle point.
struct StepRule {
    int bar;
    int code;
    bool (*allowed)(const int32_t* y);
    int32_t delta[5];
};

bool gamma_up(const int32_t* y) { return y[3] < y[4] && y[2] < y[3]; }
bool gamma_down(const int32_t* y) { return y[0] < y[1] && y[1] < y[2]; }
bool tint_up(const int32_t* y) { return y[4] < 255; }
bool tint_down(const int32_t* y) { return y[0] > 0; }
bool saturation_up(const int32_t* y) { return y[4] < 254 && y[0] > 1; }
bool saturation_down(const int32_t* y) { return y[4] <= 255 && y[0] >= 0 && y[1] < y[3] - 10; }

const StepRule k_steps[] = {
    //  scroll bar              arrow        condition        y0  y1  y2  y3  y4
    {IDC_GAMMA_ARROWS,      SB_LINEUP,   gamma_up,        {0, 4, 5, 4, 0}},
    {IDC_GAMMA_ARROWS,      SB_LINEDOWN, gamma_down,      {0, -4, -5, -4, 0}},
    {IDC_TINT_ARROWS,       SB_LINEUP,   tint_up,         {1, 1, 1, 1, 1}},
    {IDC_TINT_ARROWS,       SB_LINEDOWN, tint_down,       {-1, -1, -1, -1, -1}},
    {IDC_SATURATION_ARROWS, SB_LINEUP,   saturation_up,   {-2, -1, 0, 1, 2}},
    {IDC_SATURATION_ARROWS, SB_LINEDOWN, saturation_down, {2, 1, 0, -1, -2}},
};

void redraw_curve(HWND dialog) { InvalidateRect(GetDlgItem(dialog, IDC_CURVE), nullptr, FALSE); }

// A step arrow. A step that would carry a value outside 0..255 is refused like one whose
// condition fails: the values are one byte each in the record and the tone table.
void on_step(HWND dialog, HWND bar, int code) {
    const int id = GetDlgCtrlID(bar);
    for (const StepRule& rule : k_steps) {
        if (rule.bar != id || rule.code != code) continue;
        int32_t* y = g_tone.tone_control;
        if (!rule.allowed(y)) return;
        for (int k = 0; k < 5; ++k)
            if (y[k] + rule.delta[k] < 0 || y[k] + rule.delta[k] > 255) return;
        for (int k = 0; k < 5; ++k) y[k] += rule.delta[k];
        redraw_curve(dialog);  // the table is rebuilt by "Aceptar"
        return;
    }
}

void on_factory_curve(HWND dialog) {
    if (MessageBoxA(dialog, CP1252("¿Restaurar al valor inicial?"), CP1252("Corrección de la imagen"),
                    MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND) != IDYES)
        return;
    tone_load_defaults();
    for (int k = 0; k < 5; ++k) g_tone_points[k] = static_cast<uint8_t>(g_tone.tone_control[k] & 0xFF);
    tone_apply();
    redraw_curve(dialog);
}

void on_accept(HWND dialog) {
    tone_apply();
    EndDialog(dialog, 0);
}

void on_init(HWND dialog) {
    curve_subclass(GetDlgItem(dialog, IDC_CURVE));
    for (int k = 0; k < 5; ++k) g_tone.tone_control[k] = g_tone_points[k];
    tone_apply();
    g_curve.curve_dragged = false;
}

// No cancel command: the dialog closes only through "Aceptar".
INT_PTR CALLBACK image_correction_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_INITDIALOG: on_init(dialog); return TRUE;
        case WM_DRAWITEM: {
            const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
            if (item && item->CtlID == IDC_CURVE) curve_paint(item);
            return TRUE;
        }
        case WM_USER:
            curve_take_dragged_value();
            redraw_curve(dialog);
            return TRUE;
        case WM_VSCROLL: on_step(dialog, reinterpret_cast<HWND>(lparam), LOWORD(wparam)); return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wparam)) {
                case IDC_CURVE_DEFAULTS: on_factory_curve(dialog); return TRUE;
                case IDC_CURVE_OK: on_accept(dialog); return TRUE;
                default: return FALSE;
            }
        default: return FALSE;
    }
}

}  // namespace

INT_PTR image_correction_run(HWND owner, uint8_t tone_points[5]) {
    g_tone_points = tone_points;
    INT_PTR result = DialogBoxParamA(ui_module(), "idd_color_spa", owner, image_correction_proc, 0);
    g_tone_points = nullptr;
    return result;
}
