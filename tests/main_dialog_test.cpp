// The main configuration dialog in both variants, driven by the headless user.
#include <cstring>

#include "config/config_record.h"
#include "driver_fixture.h"
#include "headless.h"
#include "host/plot_state.h"
#include "hpgl/plot_lifecycle.h"
#include "raster/tone_curve.h"
#include "sim/config_session.h"
#include "sim/plot_session.h"
#include "ui/curve_control.h"
#include "ui/dialog_ids.h"
#include "ui/main_dialog.h"

namespace {

constexpr UINT WARNING = MB_OK | MB_ICONEXCLAMATION;

class MainDialogTest : public DriverTest {
protected:
    void SetUp() override {
        DriverTest::SetUp();
        config_record_defaults();
        std::memcpy(&before, &g_config, sizeof before);
    }
    void fresh() {
        host.reset();
        host = std::make_unique<sim::Host>(sim::bind_in_process());
        config_record_defaults();
        std::memcpy(&before, &g_config, sizeof before);
    }
    INT_PTR run(const std::string& script, MainDialogVariant variant = MAIN_DIALOG_CONFIG) {
        headless_set_script(script);
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

TEST_F(MainDialogTest, OpensWithTheRecordAndTheOneModelsChoices) {
    g_config.copies = 7;
    g_config.margin_mm = 4;
    g_config.media_index = 3;
    g_config.paper_index = 2;
    g_config.plot_flags &= static_cast<uint16_t>(~PF_HALFTONE_FILL);
    std::memcpy(&before, &g_config, sizeof before);
    ASSERT_EQ(run("snapshot open\nclick 2"), 5);
    expect_clean();
    EXPECT_EQ(control("open", IDC_COPIES).text, "7");
    EXPECT_EQ(control("open", IDC_COPIES).limit, 2);
    EXPECT_EQ(control("open", IDC_COPIES_SPIN).position, 7);
    EXPECT_EQ(control("open", IDC_COPIES_SPIN).range_min, 1);
    EXPECT_EQ(control("open", IDC_COPIES_SPIN).range_max, 99);
    EXPECT_EQ(control("open", IDC_MARGIN).text, "4");
    EXPECT_EQ(control("open", IDC_MARGIN_SPIN).range_max, 10);
    EXPECT_EQ(control("open", IDC_PAPER_LIST).items.size(), 41u);
    EXPECT_EQ(control("open", IDC_PAPER_LIST).selection, 1);
    EXPECT_EQ(control("open", IDC_PAPER_LIST).text, "D-arch(24pulg)    ");
    EXPECT_EQ(control("open", IDC_MEDIA_LIST).items.size(), 4u);
    EXPECT_EQ(control("open", IDC_MEDIA_LIST).text, "Vitela                   ");
    EXPECT_EQ(control("open", IDC_FILL_SOLID).check, BST_CHECKED);
    EXPECT_EQ(control("open", IDC_FILL_HALFTONE).check, BST_UNCHECKED);
    EXPECT_EQ(control("open", IDC_RES_600).check, BST_CHECKED);
    // A standard paper: no length to type.
    EXPECT_FALSE(control("open", IDC_LENGTH).enabled);
    EXPECT_FALSE(control("open", IDC_LENGTH_LABEL).enabled);
    // "Cancelar" ends with 5 and keeps the record.
    EXPECT_TRUE(record_unchanged());
    ASSERT_EQ(headless_dialogs().size(), 1u);
    EXPECT_EQ(headless_dialogs()[0].template_name, "detailcfg2_spa");
}

TEST_F(MainDialogTest, TheOneModelHasNoRedPrintingAndNoQdpx) {
    g_config.output_flags |= OF_FORMAT_QDPX | OF_RED_PRINT;
    g_config.output_flags = static_cast<uint16_t>((g_config.output_flags & ~OF_RESOLUTION_MASK) | OF_RES_300);
    ASSERT_EQ(run("snapshot open\nclick 1"), 0);
    expect_clean();
    for (int id : {IDC_COLOR_GROUP, IDC_RED_GROUP, IDC_RED_YES, IDC_RED_NO, IDC_RED_PEN_LABEL, IDC_RED_PEN, IDC_FORMAT_GROUP,
                   IDC_FORMAT_RTL, IDC_FORMAT_QDPX}) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(control("open", id).enabled);
    }
    EXPECT_EQ(control("open", IDC_FORMAT_RTL).check, BST_CHECKED);
    // The stored QDPX setting chose the resolutions before the format was cleared: 300
    // became 400, and 600 and 300 stay unavailable for this opening.
    EXPECT_EQ(control("open", IDC_RES_400).check, BST_CHECKED);
    EXPECT_FALSE(control("open", IDC_RES_600).enabled);
    EXPECT_FALSE(control("open", IDC_RES_300).enabled);
    EXPECT_EQ(g_config.output_flags & (OF_FORMAT_QDPX | OF_RESOLUTION_MASK), OF_RES_400);
    // The red-printing bit is not the dialog's to change on a model without it.
    EXPECT_TRUE(g_config.output_flags & OF_RED_PRINT);
}

TEST_F(MainDialogTest, RefusedValuesWarnAndPutTheStoredValueBack) {
    struct Case {
        const char* script;
        int field;
        const char* field_after;
        const char* message;  // empty: no message
        const char* caption;
    };
    const Case cases[] = {
        {"type 114 0", IDC_COPIES, "1", "Ajuste el n\xFAmero de copias en la escala de 1 a 99.", "N\xFAmero de copias"},
        {"type 114 99", IDC_COPIES, "99", "", ""},
        {"type 114 -5", IDC_COPIES, "-5", "", ""},  // not a number: neither stored nor refused
        {"type 114", IDC_COPIES, "", "", ""},
        {"type 1009 11", IDC_MARGIN, "0", "Ajuste el margen en la escala de 0 a 10.", "Ajuste el margen"},
        {"type 1009 10", IDC_MARGIN, "10", "", ""},
        {"select 105 22\ntype 1012 15001", IDC_LENGTH, "1219", "Ajuste la longitud a 15000 o un valor inferior.",
         "Longitud del tama\xF1o personalizado"},
        {"select 105 22\ntype 1012 15000", IDC_LENGTH, "15000", "", ""},
        {"select 105 22\ntype 1012 0", IDC_LENGTH, "0", "", ""},  // 0 and empty are ignored
        {"select 105 22\ntype 1012", IDC_LENGTH, "", "", ""},
        // Model 0 has no red printing; enabling the field stands in for a model that has.
        {"enable 1072\ntype 1072 256", IDC_RED_PEN, "1", "Ajuste la pluma n\xFAmero 255 o inferior.",
         "Rojo - n\xFAmero de pluma especificada"},
        {"enable 1072\ntype 1072 0", IDC_RED_PEN, "0", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        fresh();
        ASSERT_EQ(run(std::string(c.script) + "\nsnapshot typed\nclick 2"), 5);
        expect_clean();
        EXPECT_EQ(control("typed", c.field).text, c.field_after);
        if (*c.message) {
            ASSERT_EQ(headless_message_boxes().size(), 1u);
            EXPECT_EQ(headless_message_boxes()[0].text, c.message);
            EXPECT_EQ(headless_message_boxes()[0].caption, c.caption);
            EXPECT_EQ(headless_message_boxes()[0].type, WARNING);
            EXPECT_NE(headless_message_boxes()[0].owner, nullptr);
        } else {
            EXPECT_TRUE(headless_message_boxes().empty());
        }
        EXPECT_TRUE(record_unchanged());
    }
}

TEST_F(MainDialogTest, OpeningChecksTheStoredResolutionOrTwoHundredForAnUnknownOne) {
    struct Case {
        uint16_t bits;
        int checked;
    };
    // Model 0 offers 600 dpi: an unknown setting (none, several) checks 200 dpi and its
    // bits are kept until the user chooses.
    const Case cases[] = {{OF_RES_600, IDC_RES_600}, {OF_RES_400, IDC_RES_400}, {OF_RES_300, IDC_RES_300},
                          {OF_RES_200, IDC_RES_200}, {0, IDC_RES_200}, {OF_RES_600 | OF_RES_400, IDC_RES_200}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bits);
        fresh();
        g_config.output_flags = static_cast<uint16_t>((g_config.output_flags & ~OF_RESOLUTION_MASK) | c.bits);
        ASSERT_EQ(run("snapshot open\nclick 1"), 0);
        expect_clean();
        for (int id = IDC_RES_600; id <= IDC_RES_200; ++id) EXPECT_EQ(control("open", id).check, id == c.checked ? BST_CHECKED : BST_UNCHECKED) << id;
        EXPECT_EQ(g_config.output_flags & OF_RESOLUTION_MASK, c.bits);
    }
}

TEST_F(MainDialogTest, EscapeAndTheCloseBoxCancel) {
    for (const char* how : {"escape", "close"}) {
        SCOPED_TRACE(how);
        fresh();
        ASSERT_EQ(run(std::string("type 114 9\n") + how), 5);
        expect_clean();
        EXPECT_TRUE(record_unchanged());
    }
}

TEST_F(MainDialogTest, AcceptedValuesReachTheRecordOnlyThroughAceptar) {
    ASSERT_EQ(run("type 114 0\ntype 114 12\ntype 1009 7\nclick 1019\nclick 1032\nselect 1007 2\nselect 105 22\ntype 1012 3000\nclick 1"), 0);
    expect_clean();
    EXPECT_EQ(g_config.copies, 12);
    EXPECT_EQ(g_plot.summary_copies, 12);
    EXPECT_EQ(g_config.margin_mm, 7);
    EXPECT_TRUE(g_config.plot_flags & PF_HALFTONE_FILL);
    EXPECT_EQ(g_config.output_flags & OF_RESOLUTION_MASK, OF_RES_300);
    EXPECT_EQ(g_config.media_index, 2);
    EXPECT_EQ(g_config.paper_index, 23);
    EXPECT_EQ(g_config.custom_length_mm, 3000);
}

TEST_F(MainDialogTest, PaperChoiceSetsTheCustomLengthFieldAndRefocusResetsIt) {
    ASSERT_EQ(run("select 105 22\nsnapshot custom\n"
                  "type 1012 5000\nfocus 105\nsnapshot refocused\n"
                  "select 105 36\nsnapshot other custom\n"
                  "select 105 0\nsnapshot standard\n"
                  "select 105 32\ntype 1012 2500\nclick 1"),
              0);
    expect_clean();
    EXPECT_TRUE(control("custom", IDC_LENGTH).enabled);
    EXPECT_TRUE(control("custom", IDC_LENGTH_LABEL).enabled);
    EXPECT_EQ(control("custom", IDC_LENGTH).text, "1219");  // the E-arch roll's default
    EXPECT_EQ(control("custom", IDC_LENGTH).limit, 5);
    EXPECT_EQ(control("refocused", IDC_LENGTH).text, "1219");
    EXPECT_EQ(control("other custom", IDC_LENGTH).text, "1230");  // Esp. A0 880
    EXPECT_FALSE(control("standard", IDC_LENGTH).enabled);
    EXPECT_FALSE(control("standard", IDC_LENGTH_LABEL).enabled);
    // Leaving the length field for "Aceptar" keeps what was typed.
    EXPECT_EQ(g_config.paper_index, 33);
    EXPECT_EQ(g_config.custom_length_mm, 2500);
}

TEST_F(MainDialogTest, UpDownArrowsMoveWithinTheirRangeAndShowTheValue) {
    g_config.copies = 98;
    ASSERT_EQ(run("scroll 115 up\nsnapshot 99\nscroll 115 up\nsnapshot still 99\nscroll 1010 up\nscroll 1010 up\n"
                  "scroll 1010 down\nsnapshot margin\nclick 1"),
              0);
    expect_clean();
    EXPECT_EQ(control("99", IDC_COPIES).text, "99");
    EXPECT_EQ(control("still 99", IDC_COPIES).text, "99");
    EXPECT_EQ(control("margin", IDC_MARGIN).text, "1");
    EXPECT_TRUE(control("margin", IDC_MARGIN).focused);
    EXPECT_EQ(g_config.copies, 99);
    EXPECT_EQ(g_config.margin_mm, 1);
    EXPECT_TRUE(headless_message_boxes().empty());
}

TEST_F(MainDialogTest, QdpxSwitchingMovesTheResolutionAndRefillsTheMediaList) {
    // Model 0 does not offer QDPX; enabling the two radio buttons stands in for a model
    // that does.
    g_config.output_flags = static_cast<uint16_t>((g_config.output_flags & ~OF_RESOLUTION_MASK) | OF_RES_300);
    ASSERT_EQ(run("enable 1074\nenable 1075\nselect 1007 3\n"
                  "click 1075\nsnapshot qdpx\n"
                  "click 1074\nsnapshot back\nclick 1"),
              0);
    expect_clean();
    EXPECT_EQ(control("qdpx", IDC_RES_400).check, BST_CHECKED);
    EXPECT_EQ(control("qdpx", IDC_RES_300).check, BST_UNCHECKED);
    EXPECT_FALSE(control("qdpx", IDC_RES_600).enabled);
    EXPECT_FALSE(control("qdpx", IDC_RES_300).enabled);
    EXPECT_TRUE(control("qdpx", IDC_MEDIA_LIST).items.empty());  // model 0 has no QDPX media
    EXPECT_TRUE(control("back", IDC_RES_600).enabled);
    EXPECT_TRUE(control("back", IDC_RES_300).enabled);
    EXPECT_EQ(control("back", IDC_RES_400).check, BST_CHECKED);
    // The refilled list shows the paper type the record holds, not the opening one.
    EXPECT_EQ(control("back", IDC_MEDIA_LIST).selection, 3);
    EXPECT_EQ(g_config.media_index, 3);
    EXPECT_EQ(g_config.output_flags & (OF_FORMAT_QDPX | OF_RESOLUTION_MASK), OF_RES_400);
}

TEST_F(MainDialogTest, StoredValuesOutsideTheirRangesAreShownCorrectedWithoutLooping) {
    struct Case {
        const char* what;
        void (*spoil)(ConfigRecord&);
        int field;
        const char* shown;
        void (*check)(const ConfigRecord&);
    };
    const Case cases[] = {
        {"copies 0", [](ConfigRecord& r) { r.copies = 0; }, IDC_COPIES, "1", [](const ConfigRecord& r) { EXPECT_EQ(r.copies, 1); }},
        {"copies 150", [](ConfigRecord& r) { r.copies = 150; }, IDC_COPIES, "1", [](const ConfigRecord& r) { EXPECT_EQ(r.copies, 1); }},
        {"margin 50", [](ConfigRecord& r) { r.margin_mm = 50; }, IDC_MARGIN, "10", [](const ConfigRecord& r) { EXPECT_EQ(r.margin_mm, 10); }},
        {"margin -3", [](ConfigRecord& r) { r.margin_mm = -3; }, IDC_MARGIN, "0", [](const ConfigRecord& r) { EXPECT_EQ(r.margin_mm, 0); }},
        {"custom length 20000",
         [](ConfigRecord& r) {
             r.paper_index = 23;
             r.custom_length_mm = 20000;
         },
         IDC_LENGTH, "15000", [](const ConfigRecord& r) { EXPECT_EQ(r.custom_length_mm, 15000); }},
        {"paper row 99", [](ConfigRecord& r) { r.paper_index = 99; }, IDC_PAPER_LIST, "E-arch(36pulg)    ",
         [](const ConfigRecord& r) { EXPECT_EQ(r.paper_index, 1); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fresh();
        c.spoil(g_config);
        ASSERT_EQ(run("snapshot open\nclick 1"), 0);
        expect_clean();
        EXPECT_TRUE(headless_message_boxes().empty());
        EXPECT_EQ(control("open", c.field).text, c.shown);
        c.check(g_config);
    }
}

TEST_F(MainDialogTest, ImageCorrectionChangesTheToneCurveEvenWhenTheMainDialogIsCancelled) {
    ASSERT_EQ(run("click 3030\ndrag point 2 to row 50\nclick 3031\nclick 2"), 5);
    expect_clean();
    EXPECT_TRUE(record_unchanged());
    EXPECT_EQ(g_tone.tone_control[2], 162);
    uint8_t table[256];
    std::memcpy(table, g_tone.tone_table, 256);
    config_apply_tone_points();  // the record's factory points give another table
    EXPECT_NE(std::memcmp(table, g_tone.tone_table, 256), 0);

    fresh();
    ASSERT_EQ(run("click 3030\ndrag point 2 to row 50\nclick 3031\nclick 1"), 0);
    expect_clean();
    EXPECT_EQ(g_config.tone_points[2], 162);
    EXPECT_EQ(g_config.tone_points[3], 228);
}

TEST_F(MainDialogTest, ValorPrefijadoAlsoResetsTheWorkingRecordsPoints) {
    g_config.tone_points[1] = 90;
    ASSERT_EQ(run("click 3030\nclick 3010\nanswer IDYES\nclick 3031\nclick 1"), 0);
    expect_clean();
    EXPECT_EQ(std::vector<uint8_t>(g_config.tone_points, g_config.tone_points + 5), (std::vector<uint8_t>{0, 123, 187, 228, 255}));
}

TEST_F(MainDialogTest, VersionAndOptionsOpenTheirDialogsOwnedByTheMainOne) {
    ASSERT_EQ(run("click 1038\nclick 1\nclick 1076\nclick 2\nclick 2"), 5);
    expect_clean();
    ASSERT_EQ(headless_dialogs().size(), 3u);
    EXPECT_EQ(headless_dialogs()[1].template_name, "drv_ver_spa");
    EXPECT_EQ(headless_dialogs()[2].template_name, "optioncfg1_spa");
    EXPECT_EQ(headless_dialogs()[2].result, 5);

    fresh();
    ASSERT_EQ(run("click 1076\nclick 2\nclick 2", MAIN_DIALOG_PLOT), 5);
    expect_clean();
    EXPECT_EQ(headless_dialogs()[1].template_name, "optioncfg2_spa");
}

TEST_F(MainDialogTest, JobLabelIsTakenWhenTheFieldIsLeftAndRefusedWithOtherThanAscii) {
    struct Case {
        const char* typed;       // UTF-8
        const char* label_left;  // the job label once the field was left (Windows-1252)
        bool refused;
    };
    const Case cases[] = {
        {"Plano de planta 3-B, rev. 2", "Plano de planta 3-B, rev. 2", false},
        {"Plano \"A\"", "Plano \"A\"", false},  // the job header doubles the quote
        {"Año 2024", "Anterior", true},
        {"café", "Anterior", true},
        {"", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        fresh();
        set_job_label("Anterior");
        std::string label_left;
        headless_set_inspector([&](const std::string& tag) {
            if (tag == "left") label_left = g_lifecycle.job_label;
        });
        ASSERT_EQ(run(std::string("snapshot open\ntype 1041 ") + c.typed + "\nfocus 114\nsnapshot left\nclick 2", MAIN_DIALOG_PLOT), 5);
        expect_clean();
        EXPECT_EQ(control("open", IDC_JOB_LABEL).text, "Anterior");
        EXPECT_EQ(control("open", IDC_JOB_LABEL).limit, 64);
        EXPECT_EQ(label_left, c.label_left);
        if (c.refused) {
            ASSERT_EQ(headless_message_boxes().size(), 1u);
            EXPECT_EQ(headless_message_boxes()[0].text,
                      "Introduzca un mensaje utilizando solamente caracteres ASCII alfanum\xE9ricos.");
            EXPECT_EQ(headless_message_boxes()[0].caption, "Etiqueta");
            EXPECT_EQ(control("left", IDC_JOB_LABEL).text, "");
            EXPECT_TRUE(control("left", IDC_JOB_LABEL).focused);
            // Leaving the emptied field later empties the label, as any empty field does.
            EXPECT_STREQ(g_lifecycle.job_label, "");
        } else {
            EXPECT_TRUE(headless_message_boxes().empty());
            EXPECT_TRUE(control("left", IDC_COPIES).focused);
            EXPECT_STREQ(g_lifecycle.job_label, c.label_left);
        }
    }
}

TEST_F(MainDialogTest, TheConfigurationTimeVariantHasNoJobLabel) {
    set_job_label("Etiqueta previa");
    ASSERT_EQ(run("type 1041 nada\nclick 1"), 0);
    ASSERT_EQ(headless_errors().size(), 1u);
    EXPECT_NE(headless_errors()[0].find("no such control"), std::string::npos);
    EXPECT_STREQ(g_lifecycle.job_label, "Etiqueta previa");
}

TEST_F(MainDialogTest, ConfigurationRequestStoresWhatTheUserAccepted) {
    headless_set_script("type 114 3\nclick 1019\nclick 1");
    sim::ConfigSessionReplies r = sim::run_config_session(*host);
    expect_clean();
    ASSERT_TRUE(r.ok());
    ConfigRecord stored;
    std::memcpy(&stored, host->store.record, sizeof stored);
    EXPECT_EQ(stored.copies, 3);
    EXPECT_TRUE(stored.plot_flags & PF_HALFTONE_FILL);
}

}  // namespace

namespace {

// Request 46 at plot time: the job label and copies the user gives reach the job header.
TEST_F(MainDialogTest, PlotTimeDialogNamesTheJob) {
    struct Case {
        const char* typed;
        const char* begin_plot;
    };
    const Case cases[] = {
        {"Plano de planta", "BP1,\"Plano de planta\",2,3;IN;"},
        {"Plano \"A\"", "BP1,\"Plano \"\"A\"\"\",2,3;IN;"},  // the quote cannot end the string
        {"Año", "BP2,3;IN;"},                                // refused: the job has no name
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        fresh();
        sim::run_config_session(*host);  // stores the defaults
        headless_set_script(std::string("type 1041 ") + c.typed + "\ntype 114 3\nclick 1");
        sim::PlotSetup setup;
        setup.plot_dialog = true;
        sim::run_plot_session(*host, setup, {sim::op_move(0, 0), sim::op_draw(100, 100)});
        expect_clean();
        ASSERT_EQ(headless_dialogs().size(), 2u);
        EXPECT_EQ(headless_dialogs()[1].template_name, "drivercfg2_spa");
        EXPECT_NE(host->job.find(c.begin_plot), std::string::npos) << host->job.substr(0, 300);
    }
}

}  // namespace
