#include "headless.h"

#include <cstdlib>
#include <deque>
#include <sstream>
#include <cstring>

namespace {

struct Headless {
    std::deque<std::string> actions;
    std::vector<ShownMessageBox> boxes;
    std::vector<ShownDialog> dialogs;
};

Headless& state() {
    static Headless h;
    return h;
}

// Non-null stand-in for the driver's module handle.
HINSTANCE__* const k_module = reinterpret_cast<HINSTANCE__*>(0x10000000);

// Takes the next action if it starts with `verb`, returning its argument text.
bool take(const char* verb, std::string& arg) {
    auto& a = state().actions;
    if (a.empty()) return false;
    std::istringstream in(a.front());
    std::string word;
    in >> word;
    if (word != verb) return false;
    std::getline(in >> std::ws, arg);
    a.pop_front();
    return true;
}

int answer_code(const std::string& name) {
    static const struct { const char* name; int code; } k_answers[] = {
        {"IDOK", IDOK}, {"IDCANCEL", IDCANCEL}, {"IDYES", IDYES}, {"IDNO", IDNO}};
    for (const auto& a : k_answers)
        if (name == a.name) return a.code;
    return std::atoi(name.c_str());
}

}  // namespace

void headless_set_script(const std::string& script) {
    auto& a = state().actions;
    a.clear();
    std::istringstream in(script);
    std::string line;
    while (std::getline(in, line)) {
        if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
        a.push_back(line);
    }
}

std::vector<std::string> headless_pending_actions() { return {state().actions.begin(), state().actions.end()}; }

const std::vector<ShownMessageBox>& headless_message_boxes() { return state().boxes; }
const std::vector<ShownDialog>& headless_dialogs() { return state().dialogs; }

void headless_reset() { state() = Headless{}; }

extern "C" {

HMODULE WINAPI GetModuleHandleA(LPCSTR module_name) {
    return module_name && std::strcmp(module_name, "wfdrv_s") == 0 ? k_module : nullptr;
}

INT_PTR WINAPI DialogBoxParamA(HINSTANCE, LPCSTR template_name, HWND, DLGPROC, LPARAM) {
    std::string arg;
    INT_PTR result = take("end", arg) ? std::atoi(arg.c_str()) : -1;
    state().dialogs.push_back({template_name ? template_name : "", result});
    return result;
}

BOOL WINAPI EndDialog(HWND, INT_PTR) { return TRUE; }

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    std::string arg;
    int answer = take("answer", arg) ? answer_code(arg) : IDOK;
    state().boxes.push_back({owner, text ? text : "", caption ? caption : "", type, answer});
    return answer;
}

}  // extern "C"
