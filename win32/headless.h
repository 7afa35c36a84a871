// Control of the headless Win32 layer from tests and the host simulator: scripted dialogs
// and message boxes, and a record of what the driver showed.
#pragma once
#include <string>
#include <vector>

#include <windows.h>

struct ShownMessageBox {
    HWND owner;
    std::string text;     // Windows-1252 bytes as the driver passed them
    std::string caption;
    UINT type;
    int answer;
};

struct ShownDialog {
    std::string template_name;
    INT_PTR result;
};

// Installs the user's part for the next dialogs and message boxes, one action per line:
//   "end N"          the next dialog closes with result N (as its procedure's EndDialog would)
//   "answer IDYES"   the next message box is answered (IDOK, IDCANCEL, IDYES, IDNO)
// With no script a dialog fails like a missing template (-1) and a message box answers IDOK.
void headless_set_script(const std::string& script);
// What is left of the script.
std::vector<std::string> headless_pending_actions();

const std::vector<ShownMessageBox>& headless_message_boxes();
const std::vector<ShownDialog>& headless_dialogs();

// Clears the script and the records.
void headless_reset();
