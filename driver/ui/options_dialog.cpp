#include "options_dialog.h"

#include <cstring>

#include "config/model_table.h"
#include "config/option_tables.h"
#include "dialog_ids.h"
#include "dialog_support.h"

OptionsDialog g_options_dialog;

namespace {

// The PJL line of the program that skips the finisher, with its terminating zero.
const char k_bypass_line[] = "@PJL DEFAULT FINISHPROGID=BYPASS\r\n";
static_assert(sizeof k_bypass_line == 35);

ConfigRecord& rec() { return g_options_dialog.options_record; }

void enable(HWND dialog, int id, bool on) { EnableWindow(GetDlgItem(dialog, id), on ? TRUE : FALSE); }

void fill_list(HWND dialog, int id, OptionTable table, int32_t selected) {
    for (int32_t i = 0; i < option_count(table); ++i)
        SendDlgItemMessageA(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(option_row(table, i).name.data()));
    SendDlgItemMessageA(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

// Skipping the finisher makes its margins and bin meaningless, so they are greyed out;
// the stored choices stay for when a program is chosen again.
void apply_bypass_rule(HWND dialog) {
    const bool bypass = std::memcmp(option_row(OPTION_PROGRAMS, rec().finisher_program).pjl_line.data(), k_bypass_line,
                                    sizeof k_bypass_line) == 0;
    for (int id : {IDC_FMARGIN_LABEL, IDC_FMARGIN_LIST, IDC_BIN_LABEL, IDC_BIN_LIST}) enable(dialog, id, !bypass);
}

int32_t selection(HWND list) { return static_cast<int32_t>(SendMessageA(list, CB_GETCURSEL, 0, 0)); }

void on_init(HWND dialog) {
    rec() = *g_options_dialog.edit_record;
    const ModelInfo& model = current_model_info();
    if (model.has_finisher == 1) {
        fill_list(dialog, IDC_PROGRAM_LIST, OPTION_PROGRAMS, rec().finisher_program);
        fill_list(dialog, IDC_FMARGIN_LIST, OPTION_MARGINS, rec().finisher_margin);
        fill_list(dialog, IDC_BIN_LIST, OPTION_BINS, rec().output_bin);
        apply_bypass_rule(dialog);
    }
    if (model.has_manual_output == 1) {
        CheckRadioButton(dialog, IDC_MANUAL_YES, IDC_MANUAL_NO,
                         (rec().output_flags & OF_MANUAL_OUTPUT) ? IDC_MANUAL_YES : IDC_MANUAL_NO);
    } else {
        for (int id : {IDC_MANUAL_GROUP, IDC_MANUAL_YES, IDC_MANUAL_NO}) enable(dialog, id, false);
    }
}

// A list position becomes the stored row; a list with nothing selected changes nothing.
int16_t chosen_row(HWND list, int code, int16_t stored) {
    if (code != CBN_SELCHANGE) return stored;
    int32_t sel = selection(list);
    return sel >= 0 ? static_cast<int16_t>(sel) : stored;
}

void on_program(HWND dialog, HWND list, int code) {
    rec().finisher_program = chosen_row(list, code, rec().finisher_program);
    if (current_model_info().has_finisher == 1) apply_bypass_rule(dialog);
}

void on_manual(HWND dialog, int id) {
    if (current_model_info().has_manual_output == 1) {
        CheckRadioButton(dialog, IDC_MANUAL_YES, IDC_MANUAL_NO, id);
        if (id == IDC_MANUAL_YES) rec().output_flags |= OF_MANUAL_OUTPUT;
        else rec().output_flags &= static_cast<uint16_t>(~OF_MANUAL_OUTPUT);
    }
    if (current_model_info().has_finisher == 1) apply_bypass_rule(dialog);
}

void on_accept(HWND dialog) {
    *g_options_dialog.edit_record = rec();
    EndDialog(dialog, 0);
}

INT_PTR CALLBACK options_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_INITDIALOG: on_init(dialog); return TRUE;
        case WM_DRAWITEM:
        case WM_VSCROLL:
        case WM_HSCROLL: return TRUE;
        case WM_COMMAND: {
            HWND from = reinterpret_cast<HWND>(lparam);
            const int code = HIWORD(wparam);
            switch (LOWORD(wparam)) {
                case IDC_PROGRAM_LIST: on_program(dialog, from, code); return TRUE;
                case IDC_FMARGIN_LIST: rec().finisher_margin = chosen_row(from, code, rec().finisher_margin); return TRUE;
                case IDC_BIN_LIST: rec().output_bin = chosen_row(from, code, rec().output_bin); return TRUE;
                case IDC_MANUAL_YES:
                case IDC_MANUAL_NO:
                    if (code == BN_CLICKED) on_manual(dialog, LOWORD(wparam));
                    return TRUE;
                case IDOK: on_accept(dialog); return TRUE;
                case IDCANCEL: EndDialog(dialog, 5); return TRUE;
                default: return FALSE;
            }
        }
        default: return FALSE;
    }
}

}  // namespace

INT_PTR options_dialog_run(HWND owner, MainDialogVariant variant, ConfigRecord* edit_record) {
    g_options_dialog.edit_record = edit_record;
    const char* name = variant == MAIN_DIALOG_CONFIG ? "optioncfg1_spa" : "optioncfg2_spa";
    INT_PTR result = DialogBoxParamA(ui_module(), name, owner, options_dialog_proc, 0);
    g_options_dialog.edit_record = nullptr;
    return result;
}
