// The headless Win32 layer: dialogs from the driver's own resource script, and the
// scripted user's ways of failing loudly.
#include <gtest/gtest.h>

#include "dialog_template.h"
#include "driver_fixture.h"
#include "headless.h"
#include "ui/main_dialog.h"

namespace {

TEST(HeadlessTemplates, EveryDialogIsReadWithItsControlsCaptionSizeAndFont) {
    ASSERT_EQ(headless::resources().error, "");
    struct Expected {
        const char* name;
        int x, y, w, h;
        const char* caption;  // Windows-1252
        size_t controls;
        bool caption_bar;
    };
    const Expected dialogs[] = {
        {"DETAILCFG2_SPA", 0, 0, 431, 239, "Configuraci\xF3n de Orvix 4410/4430 Wide Format", 37, true},
        {"DRIVERCFG2_SPA", 0, 0, 431, 266, "Configuraci\xF3n de Orvix 4410/4430 Wide Format", 40, true},
        {"OPTIONCFG1_SPA", 0, 0, 307, 141, "Configuraci\xF3n de Orvix 4410/4430 Wide Format - Opciones", 12, true},
        {"OPTIONCFG2_SPA", 0, 0, 307, 141, "Configuraci\xF3n de Orvix 4410/4430 Wide Format - Opciones", 12, true},
        {"IDD_COLOR_SPA", 0, 0, 239, 152, "", 39, false},
        {"DRV_VER_SPA", 16, 16, 293, 114, "Acerca del dispositivo", 4, true},
    };
    for (const Expected& e : dialogs) {
        SCOPED_TRACE(e.name);
        const headless::DialogTemplate* d = headless::find_dialog(e.name);
        ASSERT_TRUE(d);
        EXPECT_EQ((std::vector<int>{d->x, d->y, d->w, d->h}), (std::vector<int>{e.x, e.y, e.w, e.h}));
        EXPECT_EQ(d->caption, e.caption);
        EXPECT_EQ(d->controls.size(), e.controls);
        EXPECT_EQ(d->font, "MS Sans Serif");
        EXPECT_EQ(d->font_size, 9);
        EXPECT_EQ((d->style & WS_CAPTION) == WS_CAPTION, e.caption_bar);
        EXPECT_EQ((d->style & WS_SYSMENU) != 0, e.caption_bar);
        EXPECT_TRUE(d->style & DS_MODALFRAME);
    }
    // The driver opens them by their lower-case names.
    EXPECT_TRUE(headless::find_dialog("idd_color_spa"));

    const headless::BitmapResource* background = headless::find_bitmap(3032);
    ASSERT_TRUE(background);
    EXPECT_EQ(background->width, 63);
    EXPECT_EQ(background->height, 52);
    for (unsigned long px : background->pixels) ASSERT_EQ(px, RGB(0, 0, 0));
    const headless::BitmapResource* logo = headless::find_bitmap(102);
    ASSERT_TRUE(logo);
    EXPECT_EQ(logo->width, 85);
    EXPECT_EQ(logo->height, 80);
}

TEST(HeadlessTemplates, AScriptTheReaderDoesNotKnowIsReportedWithItsLine) {
    struct Case {
        const char* script;
        const char* error;
    };
    const Case cases[] = {
        {"X DIALOGEX 0, 0, 10, 10\nSTYLE WS_POPUP\nBEGIN\n  LISTBOX 5, 1, 1, 5, 5\nEND\n", "line 4: control statement LISTBOX"},
        {"X DIALOGEX 0, 0, 10, 10\nBEGIN\n  LTEXT \"a\", IDC_NOWHERE, 1, 1, 5, 5\nEND\n", "line 3: unknown name"},
        {"X DIALOGEX 0, 0, 10, 10\nBEGIN\n  LTEXT \"open, 1, 1, 5, 5\nEND\n", "unterminated string at line 3"},
        {"7 BITMAP \"missing.bmp\"\n", "line 1: bitmap file missing.bmp not embedded"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        headless::Resources r = headless::read_resource_script(c.script, "", {});
        EXPECT_NE(r.error.find(c.error), std::string::npos) << r.error;
    }
}

class HeadlessDialogTest : public DriverTest {};

INT_PTR CALLBACK closes_on_ok(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    if (message == WM_COMMAND && LOWORD(wparam) == IDOK) EndDialog(dialog, 0);
    return message == WM_INITDIALOG;
}

TEST_F(HeadlessDialogTest, UpDownControlsNeedTheCommonControlsWhichTheDriverLoadsItself) {
    headless_set_script("click 2");
    EXPECT_EQ(DialogBoxParamA(GetModuleHandleA("wfdrv_s"), "detailcfg2_spa", nullptr, closes_on_ok, 0), -1);
    ASSERT_EQ(headless_errors().size(), 1u);
    EXPECT_NE(headless_errors()[0].find("up-down class is not registered"), std::string::npos);

    // The reset dropped any earlier registration: the dialog registers the class itself.
    sim::bind_in_process();
    config_record_defaults();
    headless_set_script("click 2");
    EXPECT_EQ(main_dialog_run(MAIN_DIALOG_CONFIG), 5);
    EXPECT_TRUE(headless_errors().empty());
}

TEST_F(HeadlessDialogTest, WithoutAUserADialogFailsAndAnUnfinishedScriptIsAnError) {
    EXPECT_EQ(DialogBoxParamA(GetModuleHandleA("wfdrv_s"), "drv_ver_spa", nullptr, closes_on_ok, 0), -1);
    EXPECT_TRUE(headless_errors().empty());
    ASSERT_EQ(headless_dialogs().size(), 1u);

    struct Case {
        const char* script;
        const char* error;
    };
    const Case cases[] = {
        {"snapshot only", "the script ran out with drv_ver_spa open"},
        {"click 501\nclick 1", "click 501: not a button"},
        {"type 9999 x\nclick 1", "type 9999: drv_ver_spa has no such control"},
        {"answer IDYES\nclick 1", "with no message box open"},
        {"wave\nclick 1", "unknown action 'wave'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        headless_reset();
        headless_set_script(c.script);
        DialogBoxParamA(GetModuleHandleA("wfdrv_s"), "drv_ver_spa", nullptr, closes_on_ok, 0);
        ASSERT_FALSE(headless_errors().empty());
        EXPECT_NE(headless_errors()[0].find(c.error), std::string::npos) << headless_errors()[0];
    }
}

}  // namespace
