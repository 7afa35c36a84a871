#include "about_box.h"

#include <cstring>

#include "dialog_ids.h"
#include "dialog_support.h"
#include "host/descriptor.h"

namespace {

// The line under the caption shows the identity text the host also reads.
void on_init(HWND box) {
    char identity[IDENTITY_REPLY_LEN];
    std::memcpy(identity, g_descriptor.identity, sizeof identity);
    identity[sizeof identity - 1] = '\0';
    SetDlgItemTextA(box, IDC_ABOUT_IDENTITY, identity);
}

// Only "Aceptar" (or Enter) closes the box; Escape and the close box are left to the
// default handling, which keeps it open.
INT_PTR CALLBACK about_box_proc(HWND box, UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG: on_init(box); return TRUE;
        case WM_COMMAND:
            if (LOWORD(wparam) != IDOK) return FALSE;
            EndDialog(box, 0);
            return TRUE;
        default: return FALSE;
    }
}

}  // namespace

INT_PTR about_box_run(HWND owner) { return DialogBoxParamA(ui_module(), "drv_ver_spa", owner, about_box_proc, 0); }
