// The options dialog: finisher program, finisher margins, output bin and manual output.
#pragma once
#include <windows.h>

#include "config/config_record.h"
#include "main_dialog.h"

struct OptionsDialog {
    ConfigRecord options_record;  // the dialog's working copy
    ConfigRecord* edit_record;    // the main dialog's, replaced on "Aceptar"
};
extern OptionsDialog g_options_dialog;

// Runs the dialog modally, owned by the main dialog, on OPTIONCFG1_SPA at configuration
// time and OPTIONCFG2_SPA at plot time. Ends with 0 ("Aceptar") or 5 ("Cancelar").
INT_PTR options_dialog_run(HWND owner, MainDialogVariant variant, ConfigRecord* edit_record);
