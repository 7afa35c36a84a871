// The main configuration dialog, in its configuration-time and plot-time variants.
#pragma once
#include <windows.h>

enum MainDialogVariant {
    MAIN_DIALOG_CONFIG,  // "detailcfg2_spa", opened by configuration request 21
    MAIN_DIALOG_PLOT,    // "drivercfg2_spa", opened by plot-time request 46 (with the job label)
};

// Shows the dialog modally from the driver's own module ("wfdrv_s"). On "Aceptar" the
// dialog's working copy replaces the configuration record (and, at plot time, the job
// label) and the summary copy count takes the copies. Returns what DialogBoxParamA
// returned: IDOK, IDCANCEL, or -1 when the dialog could not be shown.
INT_PTR main_dialog_run(MainDialogVariant variant);
