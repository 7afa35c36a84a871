// Small helpers the configuration dialogs share.
#pragma once
#include <cstdint>

#include <windows.h>

// The driver's own module, which carries the dialog templates and bitmaps.
HINSTANCE ui_module();

// Reads an edit field as an unsigned decimal number. False when the text is not one
// (empty, a sign, anything but digits); a number too long for the field's range reads
// as 999999999, which every range refuses.
bool read_field_number(HWND dialog, int id, uint32_t& value);

// A warning owned by the dialog: exclamation icon and an OK button.
void show_warning(HWND dialog, const char* text, const char* caption);
