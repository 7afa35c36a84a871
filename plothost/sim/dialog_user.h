// The user of the driver's dialogs during a simulated session, with one script language for
// both builds: on Linux the headless Win32 layer plays the script; on Windows (the real
// DLL, under Wine in the tests) a thread finds the dialogs the driver opens and works their
// controls with window messages. Either way the session ends with the same record of what
// the user saw, so the two can be compared line by line.
//
// Script lines are the headless layer's actions (win32/headless.h): click, select, type,
// focus, scroll, drag point, poke point, escape, enter, close, snapshot, enable, answer.
#pragma once
#include <string>
#include <vector>

namespace sim {

// One control as a snapshot shows it.
struct ControlView {
    int id = 0;
    std::string kind;  // button, static, edit, combobox, scrollbar, updown
    bool enabled = true;
    bool focused = false;
    bool checked = false;
    int limit = -1;                   // edits
    int selection = -1, count = -1;   // combo boxes
    bool has_position = false;        // up-down controls
    int position = 0, range_min = 0, range_max = 0;
    std::string text;                 // Windows-1252
    std::vector<std::pair<int, int>> curve_points;  // the curve control: its five points
};

struct DialogRecord {
    std::vector<std::string> dialogs;    // template names, as the driver opened them
    std::vector<std::string> boxes;      // "caption | text -> ANSWER" (UTF-8)
    std::vector<std::string> snapshots;  // formatted, UTF-8
    std::vector<std::string> errors;     // actions that could not be done
    std::vector<std::string> shots;      // screenshots asked for (Windows)
};

// Starts the user for the dialogs this thread's driver calls will open. An empty script
// cancels every dialog. `shots_dir`, Windows only: the first appearance of each template
// is captured (see dialog_user_win32.cpp for the exchange with the capturing script).
void dialog_user_start(const std::string& script, const std::string& shots_dir = "");
// Stops the user and returns what it saw.
DialogRecord dialog_user_finish();

// The snapshot text shared by both builds: a header line and one line per control, sorted
// by id, controls without an id left out.
std::string format_snapshot(const std::string& tag, const std::string& template_name, std::vector<ControlView> controls);

// A message-box answer by its name (IDOK, IDCANCEL, IDYES, IDNO).
const char* answer_name(int answer);

}  // namespace sim
