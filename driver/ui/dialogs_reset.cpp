#include "dialogs_reset.h"

#include "curve_control.h"
#include "main_dialog.h"
#include "options_dialog.h"

void dialogs_reset() {
    curve_reset();
    main_dialog_reset();
    g_options_dialog = OptionsDialog{};
}
