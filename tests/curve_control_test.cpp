// The image correction dialog and its curve control, driven by the headless user.
#include <array>
#include <cstring>

#include "driver_fixture.h"
#include "headless.h"
#include "raster/tone_curve.h"
#include "ui/curve_control.h"
#include "ui/dialog_ids.h"
#include "ui/image_correction_dialog.h"

namespace {

using Values = std::array<int32_t, 5>;

// The curve control is 85 x 79 dialog units; with the 7 x 14 base units that Wine gives
// the dialogs' font it is 149 x 138 pixels.
constexpr int W = 149, H = 138;
constexpr COLORREF RED = RGB(255, 0, 0), BLUE = RGB(0, 0, 255), BLACK = RGB(0, 0, 0);

class CurveControlTest : public DriverTest {
protected:
    // A freshly loaded driver and a new headless user, for the next case.
    void fresh() {
        host.reset();
        host = std::make_unique<sim::Host>(sim::bind_in_process());
    }
    uint8_t points[5] = {0, 123, 187, 228, 255};  // the working record's tone points

    void start_with(const Values& v) {
        for (int k = 0; k < 5; ++k) points[k] = static_cast<uint8_t>(v[k]);
    }
    INT_PTR run(const std::string& script) {
        headless_set_script(script);
        return image_correction_run(nullptr, points);
    }
    static Values control() {
        Values v;
        std::memcpy(v.data(), g_tone.tone_control, sizeof g_tone.tone_control);
        return v;
    }
    void expect_clean() {
        EXPECT_TRUE(headless_errors().empty()) << headless_errors().front();
        EXPECT_TRUE(headless_pending_actions().empty());
        EXPECT_EQ(headless_gdi_objects(), 0) << "pens, brushes, bitmaps or device contexts left behind";
    }
};

// True when the 4 x 4 square around (x, y) (clipped to the control) shows red.
bool red_square_at(const DialogSnapshot& s, int x, int y) {
    int red = 0;
    for (int j = y - 2; j <= y + 1; ++j)
        for (int i = x - 2; i <= x + 1; ++i) red += s.pixel(IDC_CURVE, i, j) == RED;
    return red > 0;
}

TEST_F(CurveControlTest, FactoryCurvePaintsItsEndPointsAtTheCornersOverBlack) {
    EXPECT_EQ(run("snapshot open\nclick 3031"), 0);
    expect_clean();
    const DialogSnapshot* s = headless_snapshot("open");
    ASSERT_TRUE(s);
    const ControlState* curve = s->control(IDC_CURVE);
    ASSERT_EQ(curve->width, W);
    ASSERT_EQ(curve->height, H);
    // Point 0 at the bottom left corner, point 4 at the top right one; the squares are
    // clipped by the edges.
    EXPECT_TRUE(red_square_at(*s, 0, H - 1));
    EXPECT_TRUE(red_square_at(*s, W - 1, 0));
    EXPECT_EQ(g_curve.curve_points[0].x, 0);
    EXPECT_EQ(g_curve.curve_points[0].y, H);
    EXPECT_EQ(g_curve.curve_points[4].x, W);
    EXPECT_EQ(g_curve.curve_points[4].y, 0);
    // The inner points sit at the quarters, on the rows of their values: 138 - 138 * v / 255.
    EXPECT_EQ(g_curve.curve_points[1].x, 37);
    EXPECT_EQ(g_curve.curve_points[1].y, 72);
    EXPECT_EQ(g_curve.curve_points[2].y, 37);
    EXPECT_EQ(g_curve.curve_points[3].y, 15);
    EXPECT_TRUE(red_square_at(*s, 74, 37));
    // The curve is drawn in blue over a black background.
    const CurvePoint mid = g_curve.curve_polyline[128];
    EXPECT_EQ(s->pixel(IDC_CURVE, mid.x, mid.y), BLUE);
    EXPECT_EQ(s->pixel(IDC_CURVE, 3, 3), BLACK);
    EXPECT_EQ(s->pixel(IDC_CURVE, W - 3, H - 3), BLACK);
    EXPECT_EQ(g_curve.curve_height, H);
}

TEST_F(CurveControlTest, DragsFollowTheRulesAndNeverLeaveTheByteRange) {
    struct Case {
        const char* what;
        Values start;
        const char* drag;
        Values expected;
    };
    const Case cases[] = {
        {"point 4 above the control goes to the top row", {0, 50, 100, 150, 200}, "drag point 4 to row -5", {0, 50, 100, 150, 255}},
        {"point 0 below the control goes to the bottom row", {50, 100, 150, 200, 255}, "drag point 0 to row 400", {0, 100, 150, 200, 255}},
        // Point 3 is on row 15; point 2 stops 4 rows below it, row 19: (138 - 19) * 255 / 138.
        {"point 2 up past point 3 stops 4 rows below it", {0, 123, 187, 228, 255}, "drag point 2 to row 0", {0, 123, 219, 228, 255}},
        // Point 1 is on row 72; point 2 stops 4 rows above it, row 68: 70 * 255 / 138.
        {"point 2 down past point 1 stops 4 rows above it", {0, 123, 187, 228, 255}, "drag point 2 to row 137", {0, 123, 129, 228, 255}},
        {"a plain move within the gaps", {0, 123, 187, 228, 255}, "drag point 2 to row 50", {0, 123, 162, 228, 255}},
        // Point 3 on row 1 puts point 4's limit above the control: (138 + 3) * 255 / 138
        // would be 260, which one byte cannot hold.
        {"point 4 held under a point at the top edge", {0, 100, 150, 254, 255}, "drag point 4 to row 60", {0, 100, 150, 254, 255}},
        // Point 1 on the bottom row puts point 0's limit below the control (row 142).
        {"point 0 held above a point at the bottom edge", {0, 0, 100, 200, 255}, "drag point 0 to row 20", {0, 0, 100, 200, 255}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fresh();
        start_with(c.start);
        EXPECT_EQ(run(std::string(c.drag) + "\nclick 3031"), 0);
        expect_clean();
        EXPECT_EQ(control(), c.expected);
        EXPECT_FALSE(g_curve.curve_dragging);
    }
}

TEST_F(CurveControlTest, RepaintPutsTheDraggedPointOnTheRowOfItsValue) {
    ASSERT_EQ(run("drag point 2 to row 0\nsnapshot after\nclick 3031"), 0);
    expect_clean();
    // Dragged to row 19, the value 219 is painted on row 138 - 138 * 219 / 255 = 20.
    EXPECT_EQ(g_curve.curve_points[2].y, 20);
    const DialogSnapshot* s = headless_snapshot("after");
    EXPECT_TRUE(red_square_at(*s, 74, 20));
    EXPECT_EQ(s->capture_id, 0);
    EXPECT_EQ(s->cursor, "arrow");
}

TEST_F(CurveControlTest, APressOutOfReachStartsNoDragAndDoesNotPressTheButton) {
    struct Case {
        const char* poke;
        int32_t drag_point;  // what curve_drag_point holds afterwards
    };
    const Case cases[] = {
        {"poke point 2 3 0", -1},  // 3 pixels right: out of reach
        {"poke point 2 0 -3", -1},
        {"poke point 2 2 -2", 2},  // the corner of the reach
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.poke);
        fresh();
        // The curve control has the focus on opening; move it away to see whether the
        // press gives it back.
        ASSERT_EQ(run(std::string("focus 3031\n") + c.poke + "\nsnapshot poked\nclick 3031"), 0);
        expect_clean();
        EXPECT_EQ(g_curve.curve_drag_point, c.drag_point);
        const DialogSnapshot* s = headless_snapshot("poked");
        EXPECT_FALSE(s->control(IDC_CURVE)->focused) << "the button took the press";
        EXPECT_EQ(s->capture_id, 0);
        EXPECT_EQ(control(), (Values{0, 123, 187, 228, 255}));
    }
}

TEST_F(CurveControlTest, StepArrowsApplyOnlyWhenTheirConditionHoldsAndTheValuesStayBytes) {
    struct Case {
        const char* what;
        Values start;
        const char* steps;
        Values expected;
    };
    const Case cases[] = {
        {"Tinte up shifts all", {10, 50, 100, 150, 200}, "scroll 3019 up", {11, 51, 101, 151, 201}},
        {"Tinte up with y4 = 255 does nothing", {0, 123, 187, 228, 255}, "scroll 3019 up", {0, 123, 187, 228, 255}},
        {"Tinte down with y0 = 0 does nothing", {0, 123, 187, 228, 255}, "scroll 3019 down", {0, 123, 187, 228, 255}},
        {"Tinte down shifts all", {10, 50, 100, 150, 200}, "scroll 3019 down", {9, 49, 99, 149, 199}},
        {"Saturación up steepens", {10, 50, 100, 150, 200}, "scroll 3017 up", {8, 49, 100, 151, 202}},
        {"Saturación up needs y0 > 1", {1, 50, 100, 150, 200}, "scroll 3017 up", {1, 50, 100, 150, 200}},
        {"Saturación up needs y4 < 254", {10, 50, 100, 150, 254}, "scroll 3017 up", {10, 50, 100, 150, 254}},
        {"Saturación down flattens", {10, 50, 100, 150, 200}, "scroll 3017 down", {12, 51, 100, 149, 198}},
        {"Saturación down needs y1 < y3 - 10", {0, 100, 105, 110, 255}, "scroll 3017 down", {0, 100, 105, 110, 255}},
        {"Saturación down from the factory curve", {0, 50, 100, 150, 255}, "scroll 3017 down", {2, 51, 100, 149, 253}},
        {"Saturación down would take y4 below 0", {250, 0, 100, 200, 1}, "scroll 3017 down", {250, 0, 100, 200, 1}},
        {"Saturación up would take y1 below 0", {10, 0, 100, 150, 200}, "scroll 3017 up", {10, 0, 100, 150, 200}},
        {"Gamma up bends the middle", {0, 123, 187, 228, 255}, "scroll 3021 up", {0, 127, 192, 232, 255}},
        {"Gamma down bends it back", {0, 123, 187, 228, 255}, "scroll 3021 down", {0, 119, 182, 224, 255}},
        {"Gamma down needs y0 < y1 < y2", {0, 0, 187, 228, 255}, "scroll 3021 down", {0, 0, 187, 228, 255}},
        // Six steps take y3 to 252; the seventh would make it 256 and is refused.
        {"Gamma up stops short of 256", {0, 123, 187, 228, 255},
         "scroll 3021 up\nscroll 3021 up\nscroll 3021 up\nscroll 3021 up\nscroll 3021 up\nscroll 3021 up\nscroll 3021 up",
         {0, 147, 217, 252, 255}},
        // Gamma down carries y1 below 0 on a low curve: refused.
        {"Gamma down stops short of -1", {0, 3, 100, 200, 255}, "scroll 3021 down", {0, 3, 100, 200, 255}},
        // Tinte down from a curve whose end point is not the lowest value.
        {"Tinte down stops when another point is at 0", {5, 0, 100, 200, 255}, "scroll 3019 down", {5, 0, 100, 200, 255}},
        {"page and thumb codes are ignored", {10, 50, 100, 150, 200},
         "scroll 3019 pageup\nscroll 3019 pagedown\nscroll 3021 thumb\nscroll 3017 top\nscroll 3017 bottom", {10, 50, 100, 150, 200}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fresh();
        start_with(c.start);
        ASSERT_EQ(run(std::string(c.steps) + "\nclick 3031"), 0);
        expect_clean();
        EXPECT_EQ(control(), c.expected);
    }
}

TEST_F(CurveControlTest, AStepDoesNotRebuildTheTableButAceptarDoes) {
    // Leave the dialog open after a step by ending it without "Aceptar".
    start_with({10, 50, 100, 150, 200});
    ASSERT_EQ(run("end 0"), 0);
    uint8_t opened[256];
    std::memcpy(opened, g_tone.tone_table, 256);

    fresh();
    start_with({10, 50, 100, 150, 200});
    ASSERT_EQ(run("scroll 3019 up\nend 0"), 0);
    EXPECT_EQ(std::memcmp(g_tone.tone_table, opened, 256), 0) << "a step rebuilt the table";

    fresh();
    start_with({10, 50, 100, 150, 200});
    ASSERT_EQ(run("scroll 3019 up\nclick 3031"), 0);
    uint8_t expected[256];
    std::memcpy(g_tone.tone_control, Values{11, 51, 101, 151, 201}.data(), sizeof g_tone.tone_control);
    std::memcpy(expected, g_tone.tone_table, 256);
    tone_apply();
    EXPECT_EQ(std::memcmp(expected, g_tone.tone_table, 256), 0);
    EXPECT_NE(std::memcmp(expected, opened, 256), 0);
}

TEST_F(CurveControlTest, ValorPrefijadoAsksAndRestoresTheFactoryCurveOnlyOnYes) {
    start_with({10, 50, 100, 150, 200});
    ASSERT_EQ(run("click 3010\nanswer IDNO\nclick 3031"), 0);
    expect_clean();
    EXPECT_EQ(control(), (Values{10, 50, 100, 150, 200}));
    EXPECT_EQ(points[2], 100);
    ASSERT_EQ(headless_message_boxes().size(), 1u);
    const ShownMessageBox& box = headless_message_boxes()[0];
    EXPECT_EQ(box.text, "\xBFRestaurar al valor inicial?");
    EXPECT_EQ(box.caption, "Correcci\xF3n de la imagen");
    EXPECT_EQ(box.type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND));
    EXPECT_NE(box.owner, nullptr);

    fresh();
    start_with({10, 50, 100, 150, 200});
    ASSERT_EQ(run("click 3010\nanswer IDYES\nsnapshot restored\nclick 3031"), 0);
    expect_clean();
    EXPECT_EQ(control(), (Values{0, 123, 187, 228, 255}));
    EXPECT_EQ(std::vector<uint8_t>(points, points + 5), (std::vector<uint8_t>{0, 123, 187, 228, 255}));
    // Redrawn: point 2 back on its factory row.
    EXPECT_TRUE(red_square_at(*headless_snapshot("restored"), 74, 37));
}

TEST_F(CurveControlTest, AceptarRebuildsTheTableFromTheDraggedValues) {
    ASSERT_EQ(run("drag point 2 to row 50\nclick 3031"), 0);
    expect_clean();
    uint8_t after[256];
    std::memcpy(after, g_tone.tone_table, 256);
    std::memcpy(g_tone.tone_control, Values{0, 123, 162, 228, 255}.data(), sizeof g_tone.tone_control);
    tone_apply();
    EXPECT_EQ(std::memcmp(after, g_tone.tone_table, 256), 0);
}

TEST_F(CurveControlTest, OnlyAceptarClosesTheDialog) {
    EXPECT_EQ(run("escape\nenter\nanswer IDNO\nsnapshot still open\nclick 3031"), 0);
    expect_clean();
    EXPECT_TRUE(headless_snapshot("still open"));
    // Enter goes to the first default button, "Valor prefijado", which asks.
    EXPECT_EQ(headless_message_boxes().size(), 1u);

    fresh();
    run("close\nclick 3031");
    ASSERT_EQ(headless_errors().size(), 1u);
    EXPECT_NE(headless_errors()[0].find("no close box"), std::string::npos);
}

}  // namespace
