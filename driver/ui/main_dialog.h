// The main configuration dialog, in its configuration-time and plot-time variants.
#pragma once
#include <cstdint>

#include <windows.h>

#include "config/config_record.h"

enum MainDialogVariant {
    MAIN_DIALOG_CONFIG,  // "detailcfg2_spa", opened by configuration request 21
    MAIN_DIALOG_PLOT,    // "drivercfg2_spa", opened by plot-time request 46 (with the job label)
};

struct MainDialog {
    ConfigRecord edit_record;     // the dialog's working copy of the record
    int32_t media_list_sel;       // media_index when the dialog opened
    MainDialogVariant variant;
    int checking_field;           // the field whose refusal is putting its value back; 0 = none
};
extern MainDialog g_main_dialog;

// Shows the dialog modally from the driver's own module ("wfdrv_s"), with no owner. On
// "Aceptar" the working copy replaces the configuration record and the summary copy count
// takes the copies; at plot time the job label is taken whenever its field is left.
// Returns what DialogBoxParamA returned: 0 after "Aceptar", 5 after "Cancelar", -1 when
// the dialog could not be shown.
INT_PTR main_dialog_run(MainDialogVariant variant);

void main_dialog_reset();
