#include "main_dialog.h"

namespace {

// Until the dialog's controls are built, the template is shown without behaviour of its
// own: the user's only choice is to close it.
INT_PTR CALLBACK main_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND && (wparam & 0xFFFF) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

INT_PTR main_dialog_run(MainDialogVariant variant) {
    HINSTANCE module = GetModuleHandleA("wfdrv_s");
    const char* name = variant == MAIN_DIALOG_CONFIG ? "detailcfg2_spa" : "drivercfg2_spa";
    return DialogBoxParamA(module, name, nullptr, main_dialog_proc, 0);
}
