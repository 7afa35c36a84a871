#include "main_dialog.h"

#include <commctrl.h>
#include <cstdio>
#include <cstring>

#include "about_box.h"
#include "config/model_table.h"
#include "config/option_tables.h"
#include "config/paper_table.h"
#include "dialog_ids.h"
#include "dialog_support.h"
#include "host/cp1252.h"
#include "host/plot_state.h"
#include "hpgl/plot_lifecycle.h"
#include "image_correction_dialog.h"
#include "options_dialog.h"
#include "raster/tone_curve.h"

MainDialog g_main_dialog;

namespace {

ConfigRecord& rec() { return g_main_dialog.edit_record; }
const ModelInfo& model() { return current_model_info(); }
bool offered(int16_t flag) { return flag == 1; }

void enable(HWND dialog, int id, bool on) { EnableWindow(GetDlgItem(dialog, id), on ? TRUE : FALSE); }
void enable_all(HWND dialog, std::initializer_list<int> ids, bool on) {
    for (int id : ids) enable(dialog, id, on);
}
LRESULT item_message(HWND dialog, int id, UINT message, WPARAM wparam, LPARAM lparam) {
    return SendDlgItemMessageA(dialog, id, message, wparam, lparam);
}

// --- refused values ---------------------------------------------------------------------

struct FieldRule {
    int id;
    int32_t min, max;     // accepted range; max 0: the selected paper row's maximum
    bool zero_ignored;    // an empty field or 0 is neither stored nor refused
    const char* message;  // may hold %d for the maximum
    const char* caption;
};

const FieldRule k_copies_rule = {IDC_COPIES, COPIES_MIN, COPIES_MAX, false,
                                 CP1252("Ajuste el número de copias en la escala de 1 a 99."), CP1252("Número de copias")};
const FieldRule k_margin_rule = {IDC_MARGIN, 0, MARGIN_MAX_MM, false, CP1252("Ajuste el margen en la escala de 0 a 10."),
                                 CP1252("Ajuste el margen")};
const FieldRule k_length_rule = {IDC_LENGTH, 1, 0, true, CP1252("Ajuste la longitud a %d o un valor inferior."),
                                 CP1252("Longitud del tamaño personalizado")};
const FieldRule k_pen_rule = {IDC_RED_PEN, 1, RED_PEN_MAX, true, CP1252("Ajuste la pluma número 255 o inferior."),
                              CP1252("Rojo - número de pluma especificada")};

// Shows a number in its field. The field's own check runs on the notification and finds
// the value it already holds.
void show_number(HWND dialog, int id, int32_t value) { SetDlgItemInt(dialog, id, static_cast<UINT>(value), FALSE); }

// Checks a field as the user types and returns the value to store. A refused value puts
// the stored one back and warns; the notifications of putting it back are not checked
// again, so the dialog cannot loop on a value it refuses.
int32_t check_field(HWND dialog, const FieldRule& rule, int32_t stored) {
    if (g_main_dialog.checking_field == rule.id) return stored;
    int32_t max = rule.max ? rule.max : paper_row(rec().paper_index).max_length_mm;
    uint32_t typed;
    if (!read_field_number(dialog, rule.id, typed)) return stored;  // not a number: left alone
    if (typed == 0 && rule.zero_ignored) return stored;
    if (typed >= static_cast<uint32_t>(rule.min) && typed <= static_cast<uint32_t>(max)) return static_cast<int32_t>(typed);
    g_main_dialog.checking_field = rule.id;
    show_number(dialog, rule.id, stored);
    char text[128];
    std::snprintf(text, sizeof text, rule.message, static_cast<int>(max));
    show_warning(dialog, text, rule.caption);
    g_main_dialog.checking_field = 0;
    return stored;
}

void check_copies(HWND dialog) {
    rec().copies = check_field(dialog, k_copies_rule, rec().copies);
    item_message(dialog, IDC_COPIES_SPIN, UDM_SETPOS, 0, MAKELPARAM(rec().copies, 0));
}

void check_margin(HWND dialog) {
    rec().margin_mm = static_cast<int16_t>(check_field(dialog, k_margin_rule, rec().margin_mm));
    item_message(dialog, IDC_MARGIN_SPIN, UDM_SETPOS, 0, MAKELPARAM(rec().margin_mm, 0));
}

void check_length(HWND dialog) {
    // Only a custom paper row has a length to check; the field is disabled for the others.
    if (paper_row(rec().paper_index).is_custom != 1) return;
    rec().custom_length_mm = check_field(dialog, k_length_rule, rec().custom_length_mm);
}

void check_pen(HWND dialog) { rec().red_pen = check_field(dialog, k_pen_rule, rec().red_pen); }

// --- job label (plot time) --------------------------------------------------------------

// The label becomes the plot's name in the job. Spaces and punctuation are fine; a double
// quote is too, since the job header doubles it inside the HP-GL/2 string.
bool label_text_allowed(const char* text) {
    for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); *c; ++c)
        if (*c >= 128 || *c < 32 || *c == 127) return false;
    return true;
}

void on_label_left(HWND dialog) {
    if (g_main_dialog.checking_field == IDC_JOB_LABEL) return;
    char text[JOB_LABEL_MAX + 1];
    GetDlgItemTextA(dialog, IDC_JOB_LABEL, text, sizeof text);
    if (label_text_allowed(text)) {
        set_job_label(text);
        return;
    }
    // Emptying the field and taking the focus back make it lose the focus again (to the
    // message box): that must not empty the label it keeps.
    g_main_dialog.checking_field = IDC_JOB_LABEL;
    SetDlgItemTextA(dialog, IDC_JOB_LABEL, "");
    SetFocus(GetDlgItem(dialog, IDC_JOB_LABEL));
    show_warning(dialog, CP1252("Introduzca un mensaje utilizando solamente caracteres ASCII alfanuméricos."), "Etiqueta");
    g_main_dialog.checking_field = 0;
}

// --- opening ----------------------------------------------------------------------------

// A stored value the dialog would refuse is brought into its range before it is shown:
// refusing it would put back the same value, and the user could not leave the field
// without a message. Copies outside 1..99 become 1, as a plot-time load does.
void bring_into_range() {
    ConfigRecord& r = rec();
    if (r.paper_index < 1 || r.paper_index > paper_row_count()) r.paper_index = 1;
    if (r.copies < COPIES_MIN || r.copies > COPIES_MAX) r.copies = 1;
    if (r.margin_mm < 0) r.margin_mm = 0;
    if (r.margin_mm > MARGIN_MAX_MM) r.margin_mm = MARGIN_MAX_MM;
    if (r.red_pen < 1) r.red_pen = 1;
    if (r.red_pen > RED_PEN_MAX) r.red_pen = RED_PEN_MAX;
    const PaperSize& paper = paper_row(r.paper_index);
    if (paper.is_custom == 1) {
        if (r.custom_length_mm < 1) r.custom_length_mm = 1;
        if (r.custom_length_mm > paper.max_length_mm) r.custom_length_mm = paper.max_length_mm;
    }
}

void fill_paper_list(HWND dialog) {
    int32_t count = paper_list_build();
    for (int32_t i = 1; i <= count; ++i)
        item_message(dialog, IDC_PAPER_LIST, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(paper_list_entry(i)));
    item_message(dialog, IDC_PAPER_LIST, CB_SETCURSEL, static_cast<WPARAM>(rec().paper_index - 1), 0);
}

void fill_media_list(HWND dialog, int32_t selected) {
    const bool qdpx = (rec().output_flags & OF_FORMAT_QDPX) != 0;
    item_message(dialog, IDC_MEDIA_LIST, CB_RESETCONTENT, 0, 0);
    for (int32_t i = 0; i < media_count(qdpx); ++i)
        item_message(dialog, IDC_MEDIA_LIST, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(media_name(i, qdpx)));
    item_message(dialog, IDC_MEDIA_LIST, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

void set_resolution(uint16_t bit) {
    rec().output_flags = static_cast<uint16_t>((rec().output_flags & ~OF_RESOLUTION_MASK) | bit);
}

// Which resolutions the data format and the model allow, and which one is checked. A
// resolution the choices do not allow becomes 400 dpi, except that with HP-RTL/GL2 on a
// 600-dpi model an unknown setting checks 200 dpi and keeps its bits.
void show_resolution(HWND dialog) {
    const uint16_t r = rec().output_flags & OF_RESOLUTION_MASK;
    int checked;
    if (rec().output_flags & OF_FORMAT_QDPX) {
        if (r == OF_RES_400) checked = IDC_RES_400;
        else if (r == OF_RES_200) checked = IDC_RES_200;
        else set_resolution(OF_RES_400), checked = IDC_RES_400;
        enable_all(dialog, {IDC_RES_600, IDC_RES_300}, false);
    } else if (offered(model().has_600dpi)) {
        checked = r == OF_RES_600 ? IDC_RES_600 : r == OF_RES_400 ? IDC_RES_400 : r == OF_RES_300 ? IDC_RES_300 : IDC_RES_200;
    } else {
        if (r == OF_RES_400) checked = IDC_RES_400;
        else if (r == OF_RES_300) checked = IDC_RES_300;
        else if (r == OF_RES_200) checked = IDC_RES_200;
        else set_resolution(OF_RES_400), checked = IDC_RES_400;
        enable(dialog, IDC_RES_600, false);
    }
    CheckRadioButton(dialog, IDC_RES_600, IDC_RES_200, checked);
}

void show_custom_length(HWND dialog) {
    const WPARAM limit = std::strncmp(model().name.data(), "Sorvanta4410", 12) == 0 ||
                                 std::strncmp(model().name.data(), "4410/4430 Wide", 14) == 0
                             ? 5
                             : 4;
    item_message(dialog, IDC_LENGTH, EM_LIMITTEXT, limit, 0);
    show_number(dialog, IDC_LENGTH, rec().custom_length_mm);
}

void on_init(HWND dialog) {
    g_main_dialog.edit_record = g_config;
    g_main_dialog.media_list_sel = rec().media_index;
    g_main_dialog.checking_field = 0;
    bring_into_range();
    const ModelInfo& m = model();

    fill_paper_list(dialog);
    if (offered(m.has_media_select)) fill_media_list(dialog, g_main_dialog.media_list_sel);
    else enable_all(dialog, {IDC_MEDIA_LABEL, IDC_MEDIA_LIST}, false);

    CheckRadioButton(dialog, IDC_FILL_SOLID, IDC_FILL_HALFTONE, (rec().plot_flags & PF_HALFTONE_FILL) ? IDC_FILL_HALFTONE : IDC_FILL_SOLID);
    show_resolution(dialog);

    if (offered(m.has_red_print))
        CheckRadioButton(dialog, IDC_RED_YES, IDC_RED_NO, (rec().output_flags & OF_RED_PRINT) ? IDC_RED_YES : IDC_RED_NO);
    else
        enable_all(dialog, {IDC_COLOR_GROUP, IDC_RED_GROUP, IDC_RED_YES, IDC_RED_NO}, false);

    if (offered(m.has_qdpx)) {
        CheckRadioButton(dialog, IDC_FORMAT_RTL, IDC_FORMAT_QDPX, (rec().output_flags & OF_FORMAT_QDPX) ? IDC_FORMAT_QDPX : IDC_FORMAT_RTL);
    } else {
        rec().output_flags &= static_cast<uint16_t>(~OF_FORMAT_QDPX);
        CheckRadioButton(dialog, IDC_FORMAT_RTL, IDC_FORMAT_QDPX, IDC_FORMAT_RTL);
        enable_all(dialog, {IDC_FORMAT_GROUP, IDC_FORMAT_RTL, IDC_FORMAT_QDPX}, false);
    }

    item_message(dialog, IDC_COPIES, EM_LIMITTEXT, 2, 0);
    item_message(dialog, IDC_COPIES_SPIN, UDM_SETRANGE, 0, MAKELPARAM(COPIES_MAX, COPIES_MIN));
    item_message(dialog, IDC_COPIES_SPIN, UDM_SETPOS, 0, MAKELPARAM(rec().copies, 0));
    show_number(dialog, IDC_COPIES, rec().copies);

    item_message(dialog, IDC_MARGIN, EM_LIMITTEXT, 2, 0);
    item_message(dialog, IDC_MARGIN_SPIN, UDM_SETRANGE, 0, MAKELPARAM(MARGIN_MAX_MM, 0));
    item_message(dialog, IDC_MARGIN_SPIN, UDM_SETPOS, 0, MAKELPARAM(rec().margin_mm, 0));
    show_number(dialog, IDC_MARGIN, rec().margin_mm);

    if (offered(m.has_red_print) && (rec().output_flags & OF_RED_PRINT)) {
        item_message(dialog, IDC_RED_PEN, EM_LIMITTEXT, 3, 0);
        show_number(dialog, IDC_RED_PEN, rec().red_pen);
    } else {
        enable_all(dialog, {IDC_RED_PEN_LABEL, IDC_RED_PEN}, false);
    }

    if (paper_row(rec().paper_index).is_custom == 1) show_custom_length(dialog);
    else enable_all(dialog, {IDC_LENGTH_LABEL, IDC_LENGTH}, false);

    if (g_main_dialog.variant == MAIN_DIALOG_PLOT) {
        if (offered(m.has_plot_label)) {
            item_message(dialog, IDC_JOB_LABEL, EM_LIMITTEXT, JOB_LABEL_MAX, 0);
            SetDlgItemTextA(dialog, IDC_JOB_LABEL, g_lifecycle.job_label);
        } else {
            enable_all(dialog, {IDC_JOB_LABEL_PROMPT, IDC_JOB_LABEL_HINT, IDC_JOB_LABEL}, false);
        }
    }
}

// --- commands ---------------------------------------------------------------------------

// Every notification of the paper list, not only a change of selection, presets the
// custom length of a custom row (so coming back to the list resets a typed length).
void on_paper(HWND dialog, HWND list, int code) {
    if (code == CBN_SELCHANGE) {
        LRESULT sel = SendMessageA(list, CB_GETCURSEL, 0, 0);
        if (sel >= 0) rec().paper_index = static_cast<int32_t>(sel) + 1;
    }
    if (paper_row(rec().paper_index).is_custom == 1) {
        rec().custom_length_mm = paper_default_length_mm(rec().paper_index);
        show_custom_length(dialog);
        enable_all(dialog, {IDC_LENGTH_LABEL, IDC_LENGTH}, true);
    } else {
        enable_all(dialog, {IDC_LENGTH_LABEL, IDC_LENGTH}, false);
    }
}

void on_media(HWND list, int code) {
    if (code != CBN_SELCHANGE) return;
    LRESULT sel = SendMessageA(list, CB_GETCURSEL, 0, 0);
    if (sel >= 0) rec().media_index = static_cast<int16_t>(sel);
}

void on_fill(HWND dialog, int id) {
    CheckRadioButton(dialog, IDC_FILL_SOLID, IDC_FILL_HALFTONE, id);
    if (id == IDC_FILL_HALFTONE) rec().plot_flags |= PF_HALFTONE_FILL;
    else rec().plot_flags &= static_cast<uint16_t>(~PF_HALFTONE_FILL);
}

void on_resolution(HWND dialog, int id) {
    static const uint16_t k_bits[] = {OF_RES_600, OF_RES_400, OF_RES_300, OF_RES_200};  // 1030..1033
    CheckRadioButton(dialog, IDC_RES_600, IDC_RES_200, id);
    set_resolution(k_bits[id - IDC_RES_600]);
}

void on_red(HWND dialog, int id) {
    if (!offered(model().has_red_print)) return;
    CheckRadioButton(dialog, IDC_RED_YES, IDC_RED_NO, id);
    if (id == IDC_RED_NO) {
        rec().output_flags &= static_cast<uint16_t>(~OF_RED_PRINT);
        enable_all(dialog, {IDC_RED_PEN_LABEL, IDC_RED_PEN}, false);
        return;
    }
    rec().output_flags |= OF_RED_PRINT;
    enable_all(dialog, {IDC_RED_PEN_LABEL, IDC_RED_PEN}, true);
    item_message(dialog, IDC_RED_PEN, EM_LIMITTEXT, 3, 0);
    show_number(dialog, IDC_RED_PEN, rec().red_pen);
}

// After a change of data format the media list is refilled with the choice the record
// now holds (media_index), so the list never shows one paper type while another is stored.
void on_format(HWND dialog, int id) {
    CheckRadioButton(dialog, IDC_FORMAT_RTL, IDC_FORMAT_QDPX, id);
    if (id == IDC_FORMAT_RTL) {
        rec().output_flags &= static_cast<uint16_t>(~OF_FORMAT_QDPX);
        if (offered(model().has_600dpi)) enable(dialog, IDC_RES_600, true);
        enable(dialog, IDC_RES_300, true);
    } else {
        rec().output_flags |= OF_FORMAT_QDPX;
        const uint16_t r = rec().output_flags & OF_RESOLUTION_MASK;
        if (r == OF_RES_600 || r == OF_RES_300) {
            set_resolution(OF_RES_400);
            CheckRadioButton(dialog, IDC_RES_600, IDC_RES_200, IDC_RES_400);
        }
        enable_all(dialog, {IDC_RES_600, IDC_RES_300}, false);
    }
    if (offered(model().has_media_select)) fill_media_list(dialog, rec().media_index);
}

void on_image_correction(HWND dialog) {
    if (image_correction_run(dialog, rec().tone_points) == -1) return;
    for (int k = 0; k < 5; ++k) rec().tone_points[k] = static_cast<uint8_t>(g_tone.tone_control[k] & 0xFF);
}

void on_accept(HWND dialog) {
    g_config = rec();
    g_plot.summary_copies = rec().copies;
    EndDialog(dialog, 0);
}

// The up-down controls do not write their buddies: the dialog shows the new position and
// selects it, so typing replaces it.
void on_spin(HWND dialog, HWND from, int code, int position) {
    if (code != SB_THUMBPOSITION) return;
    if (from == GetDlgItem(dialog, IDC_COPIES_SPIN)) {
        rec().copies = position;
        show_number(dialog, IDC_COPIES, rec().copies);
        item_message(dialog, IDC_COPIES, EM_SETSEL, 0, -1);
    } else if (from == GetDlgItem(dialog, IDC_MARGIN_SPIN)) {
        rec().margin_mm = static_cast<int16_t>(position);
        show_number(dialog, IDC_MARGIN, rec().margin_mm);
        item_message(dialog, IDC_MARGIN, EM_SETSEL, 0, -1);
    }
}

bool on_command(HWND dialog, int id, int code, HWND from) {
    switch (id) {
        case IDC_PAPER_LIST: on_paper(dialog, from, code); return true;
        case IDC_MEDIA_LIST: on_media(from, code); return true;
        case IDC_COPIES: check_copies(dialog); return true;
        case IDC_MARGIN: check_margin(dialog); return true;
        case IDC_RED_PEN: check_pen(dialog); return true;
        case IDC_LENGTH: check_length(dialog); return true;
        case IDC_JOB_LABEL:
            if (code == EN_KILLFOCUS && g_main_dialog.variant == MAIN_DIALOG_PLOT) on_label_left(dialog);
            return true;
        default: break;
    }
    if (code != BN_CLICKED) return false;
    switch (id) {
        case IDC_FILL_SOLID:
        case IDC_FILL_HALFTONE: on_fill(dialog, id); return true;
        case IDC_RES_600:
        case IDC_RES_400:
        case IDC_RES_300:
        case IDC_RES_200: on_resolution(dialog, id); return true;
        case IDC_RED_YES:
        case IDC_RED_NO: on_red(dialog, id); return true;
        case IDC_FORMAT_RTL:
        case IDC_FORMAT_QDPX: on_format(dialog, id); return true;
        case IDC_IMAGE_CORRECTION: on_image_correction(dialog); return true;
        case IDC_OPTIONS: options_dialog_run(dialog, g_main_dialog.variant, &rec()); return true;
        case IDC_VERSION: about_box_run(dialog); return true;
        case IDOK: on_accept(dialog); return true;
        case IDCANCEL: EndDialog(dialog, 5); return true;
        default: return false;
    }
}

INT_PTR CALLBACK main_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_INITDIALOG: on_init(dialog); return TRUE;
        case WM_COMMAND: return on_command(dialog, LOWORD(wparam), HIWORD(wparam), reinterpret_cast<HWND>(lparam)) ? TRUE : FALSE;
        case WM_VSCROLL:
            on_spin(dialog, reinterpret_cast<HWND>(lparam), LOWORD(wparam), static_cast<short>(HIWORD(wparam)));
            return TRUE;
        case WM_DRAWITEM:
        case WM_NOTIFY: return TRUE;
        default: return FALSE;
    }
}

}  // namespace

INT_PTR main_dialog_run(MainDialogVariant variant) {
    // The up-down controls need the common controls; a host may not have loaded them.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
    g_main_dialog.variant = variant;
    const char* name = variant == MAIN_DIALOG_CONFIG ? "detailcfg2_spa" : "drivercfg2_spa";
    return DialogBoxParamA(ui_module(), name, nullptr, main_dialog_proc, 0);
}

void main_dialog_reset() { g_main_dialog = MainDialog{}; }
