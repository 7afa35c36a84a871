#include "dialog_support.h"

HINSTANCE ui_module() { return GetModuleHandleA("wfdrv_s"); }

bool read_field_number(HWND dialog, int id, uint32_t& value) {
    char text[32];
    GetDlgItemTextA(dialog, id, text, sizeof text);
    if (text[0] == '\0') return false;
    uint32_t v = 0;
    for (const char* p = text; *p; ++p) {
        if (*p < '0' || *p > '9') return false;
        v = v * 10 + static_cast<uint32_t>(*p - '0');
        if (v > 999999999) v = 999999999;
    }
    value = v;
    return true;
}

void show_warning(HWND dialog, const char* text, const char* caption) {
    MessageBoxA(dialog, text, caption, MB_OK | MB_ICONEXCLAMATION);
}
