// Control of the headless Win32 layer from tests and the host simulator: the scripted user
// of the dialogs and message boxes, and a record of what the driver showed.
#pragma once
#include <functional>
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
    std::string template_name;  // as the driver named it
    INT_PTR result;             // filled when the dialog ends
};

// One control as the user would see it at a "snapshot" action.
struct ControlState {
    int id = 0;
    std::string kind;  // "button", "static", "edit", "combobox", "scrollbar", "updown"
    bool enabled = true;
    bool focused = false;
    int check = 0;     // BST_CHECKED or BST_UNCHECKED
    std::string text;  // Windows-1252; a combo box's selected item
    int limit = 0;     // edits
    std::vector<std::string> items;  // combo boxes
    int selection = -1;
    int range_min = 0, range_max = 0, position = 0;  // up-down controls
    int width = 0, height = 0;       // client area in pixels
    std::vector<COLORREF> pixels;    // owner-drawn controls: what was painted, top row first
};

struct DialogSnapshot {
    std::string tag;
    std::string template_name;
    std::vector<ControlState> controls;
    int capture_id = 0;  // control holding the mouse capture, 0 for none
    std::string cursor;  // "arrow", "cross", or empty before any SetCursor

    const ControlState* control(int id) const;
    COLORREF pixel(int id, int x, int y) const;  // CLR_NONE (-1) outside the control
};

// Installs the user's part for the next dialogs and message boxes, one action per line.
// Actions go to the innermost open dialog:
//   click ID                  press and release a button (it takes the focus first)
//   select ID N               pick item N of a drop-down list (it takes the focus first)
//   type ID TEXT              replace an edit field's text with TEXT (UTF-8), as far as the
//                             field's character limit lets the user type
//   focus ID                  move the focus to a control
//   scroll ID up|down|pageup|pagedown|top|bottom|thumb
//                             an up-down control's arrows, or a scroll bar
//   drag point K to row R     on the curve control 3009: press on point K (found by its
//                             red square), move to row R of the control, release
//   poke point K DX DY        press and release DX, DY pixels away from point K
//   escape | enter | close    the Escape key, the Enter key, the close box
//   snapshot TAG              record the dialog's controls (headless_snapshots)
//   enable ID                 enable a control the dialog disabled: stands in for a model
//                             that offers what the one built-in model does not
//   end N                     end the dialog with N without its procedure
// and to the next message box:
//   answer IDOK|IDCANCEL|IDYES|IDNO
// A message box without an answer takes its default button (a question counts as an
// error). With no script a dialog fails as if its template were missing (-1); a dialog
// still open when the script runs out ends with -1 and an error.
void headless_set_script(const std::string& script);
// What is left of the script.
std::vector<std::string> headless_pending_actions();

const std::vector<ShownMessageBox>& headless_message_boxes();
const std::vector<ShownDialog>& headless_dialogs();
const std::vector<DialogSnapshot>& headless_snapshots();
const DialogSnapshot* headless_snapshot(const std::string& tag);
// Called at every "snapshot" action with its tag, while the dialog is open: a test can look
// at the driver's own state at that moment.
void headless_set_inspector(std::function<void(const std::string& tag)> inspector);

// Script actions that could not be done, unanswered questions, misuse of the API.
const std::vector<std::string>& headless_errors();

// Live GDI objects and device contexts the driver created and has not released.
int headless_gdi_objects();

// Dialog base units in pixels (7 x 14 by default, what Wine gives the dialogs' font).
void headless_set_base_units(int x, int y);

// Clears the script, the records and the common-controls registration.
void headless_reset();

#define CLR_NONE 0xFFFFFFFFUL
