// Puts the dialogs' process-global state back to its load-time values.
#pragma once

void dialogs_reset();
