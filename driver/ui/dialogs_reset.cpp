#include "dialogs_reset.h"

#include "curve_control.h"

void dialogs_reset() { curve_reset(); }
