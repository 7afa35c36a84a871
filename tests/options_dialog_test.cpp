// The options dialog, opened from the main dialog by the headless user.
#include <cstring>

#include "config/config_record.h"
#include "driver_fixture.h"
#include "headless.h"
#include "ui/dialog_ids.h"
#include "ui/main_dialog.h"

namespace {

class OptionsDialogTest : public DriverTest {
protected:
    void SetUp() override {
        DriverTest::SetUp();
        config_record_defaults();
    }
    // Opens the options from the main dialog; the script goes on in the options dialog.
    INT_PTR run(const std::string& script, MainDialogVariant variant = MAIN_DIALOG_CONFIG) {
        std::memcpy(&before, &g_config, sizeof before);
        headless_set_script("click 1076\n" + script);
        return main_dialog_run(variant);
    }
    void expect_clean() {
        for (const std::string& e : headless_errors()) ADD_FAILURE() << e;
        EXPECT_TRUE(headless_pending_actions().empty());
    }
    static const ControlState& control(const char* tag, int id) {
        const DialogSnapshot* s = headless_snapshot(tag);
        static const ControlState none;
        if (!s) ADD_FAILURE() << "no snapshot " << tag;
        const ControlState* c = s ? s->control(id) : nullptr;
        return c ? *c : none;
    }
    bool record_unchanged() const { return std::memcmp(&before, &g_config, sizeof before) == 0; }

    ConfigRecord before;
};

TEST_F(OptionsDialogTest, ListsTheOneModelsFinisherChoices) {
    ASSERT_EQ(run("snapshot open\nclick 2\nclick 2"), 5);
    expect_clean();
    const ControlState& programs = control("open", IDC_PROGRAM_LIST);
    ASSERT_EQ(programs.items.size(), 21u);
    EXPECT_EQ(programs.items[0], "Saltar plegadora ");
    EXPECT_EQ(programs.items[1], "Programa 1       ");
    EXPECT_EQ(programs.items[20], "Programa 20      ");
    const ControlState& margins = control("open", IDC_FMARGIN_LIST);
    ASSERT_EQ(margins.items.size(), 2u);
    EXPECT_EQ(margins.items[0], "Usar ajuste del programa ");
    EXPECT_EQ(margins.items[1], "Siempre desactivado      ");
    const ControlState& bins = control("open", IDC_BIN_LIST);
    ASSERT_EQ(bins.items.size(), 15u);
    EXPECT_EQ(bins.items[0], "No importa               ");
    EXPECT_EQ(bins.items[1], "Salida en papel continuo ");
    EXPECT_EQ(bins.items[14], "Bandeja 13               ");
    EXPECT_EQ(control("open", IDC_MANUAL_NO).check, BST_CHECKED);
    ASSERT_EQ(headless_dialogs().size(), 2u);
    EXPECT_EQ(headless_dialogs()[1].template_name, "optioncfg1_spa");
}

TEST_F(OptionsDialogTest, SkippingTheFinisherGreysOutMarginAndBinButKeepsThem) {
    g_config.finisher_margin = 1;
    g_config.output_bin = 4;
    ASSERT_EQ(run("snapshot bypass\nselect 1096 1\nsnapshot program 1\nselect 1095 6\nselect 1096 0\nsnapshot bypass again\n"
                  "click 1\nclick 1"),
              0);
    expect_clean();
    for (int id : {IDC_FMARGIN_LABEL, IDC_FMARGIN_LIST, IDC_BIN_LABEL, IDC_BIN_LIST}) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(control("bypass", id).enabled);
        EXPECT_TRUE(control("program 1", id).enabled);
        EXPECT_FALSE(control("bypass again", id).enabled);
    }
    EXPECT_EQ(control("bypass", IDC_FMARGIN_LIST).selection, 1);
    EXPECT_EQ(control("bypass", IDC_BIN_LIST).selection, 4);
    EXPECT_EQ(g_config.finisher_program, 0);
    EXPECT_EQ(g_config.finisher_margin, 1);
    EXPECT_EQ(g_config.output_bin, 6);
}

TEST_F(OptionsDialogTest, ChoicesReachTheRecordOnlyWhenBothDialogsAreAccepted) {
    struct Case {
        const char* script;
        bool stored;
    };
    const Case cases[] = {
        {"select 1096 20\nselect 1094 1\nselect 1095 14\nclick 1114\nclick 1\nclick 1", true},
        {"select 1096 20\nselect 1094 1\nselect 1095 14\nclick 1114\nclick 1\nclick 2", false},  // main "Cancelar"
        {"select 1096 20\nselect 1094 1\nselect 1095 14\nclick 1114\nclick 2\nclick 1", false},  // options "Cancelar"
        {"select 1096 20\nselect 1094 1\nselect 1095 14\nclick 1114\nescape\nclick 1", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        host.reset();
        host = std::make_unique<sim::Host>(sim::bind_in_process());
        config_record_defaults();
        run(c.script);
        expect_clean();
        if (c.stored) {
            EXPECT_EQ(g_config.finisher_program, 20);
            EXPECT_EQ(g_config.finisher_margin, 1);
            EXPECT_EQ(g_config.output_bin, 14);
            EXPECT_TRUE(g_config.output_flags & OF_MANUAL_OUTPUT);
        } else {
            EXPECT_TRUE(record_unchanged());
        }
    }
}

TEST_F(OptionsDialogTest, AStoredProgramOutsideTheListIsReadAsTheBypass) {
    g_config.finisher_program = 77;
    ASSERT_EQ(run("snapshot open\nclick 1\nclick 1"), 0);
    expect_clean();
    EXPECT_EQ(control("open", IDC_PROGRAM_LIST).selection, -1);
    EXPECT_FALSE(control("open", IDC_BIN_LIST).enabled);
    EXPECT_EQ(g_config.finisher_program, 77);  // not the dialog's to change unasked
}

TEST_F(OptionsDialogTest, PlotTimeOptionsUseTheirOwnTemplate) {
    ASSERT_EQ(run("select 1096 3\nclick 1\nclick 1", MAIN_DIALOG_PLOT), 0);
    expect_clean();
    EXPECT_EQ(headless_dialogs()[1].template_name, "optioncfg2_spa");
    EXPECT_EQ(g_config.finisher_program, 3);
}

}  // namespace
