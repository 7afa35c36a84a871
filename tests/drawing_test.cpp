#include <gtest/gtest.h>

#include "drawing/drawing.h"

namespace {

TEST(Drawing, ParsesEveryOperation) {
    drawing::Drawing d = drawing::parse_drawing(
        "# comment\npen 3\nlinetype 8\nwidth 0.35  # mm\nmove 10 20\ndraw 30.5 40\nlift\npolygon 5 0 0 10 0 10 10\n"
        "polygon* 2 1 1 2 2\nimage pic.png 0 0 50 40 transparent\nimage photo:64x32 10 10 20 20\nlabel Plano 7 rev B\n",
        "dir/a.draw");
    ASSERT_EQ(d.ops.size(), 11u);
    EXPECT_EQ(d.ops.back().kind, drawing::Op::LABEL);
    EXPECT_EQ(d.ops.back().source, "Plano 7 rev B");
    EXPECT_EQ(d.ops[0].kind, drawing::Op::PEN);
    EXPECT_EQ(d.ops[0].number, 3);
    EXPECT_EQ(d.ops[0].line, 2);
    EXPECT_DOUBLE_EQ(d.ops[2].value, 0.35);
    EXPECT_EQ(d.ops[4].xy, (std::vector<double>{30.5, 40}));
    EXPECT_EQ(d.ops[6].xy.size(), 6u);
    EXPECT_FALSE(d.ops[6].pointer_form);
    EXPECT_TRUE(d.ops[7].pointer_form);
    EXPECT_EQ(d.ops[8].source, "dir/pic.png");
    EXPECT_TRUE(d.ops[8].transparent);
    EXPECT_EQ(d.ops[9].source, "photo:64x32");
}

TEST(Drawing, ErrorsNameTheFileLineAndProblem) {
    struct Case {
        const char* text;
        const char* message;
    } cases[] = {
        {"pen 3\nfly 1 2\n", "x.draw:2: unknown operation 'fly'"},
        {"move 1\n", "x.draw:1: expected: move X Y"},
        {"draw 1 abc\n", "x.draw:1: 'abc' is not a number"},
        {"pen 256\n", "x.draw:1: a pen must be a whole number from 0 to 255"},
        {"linetype 9\n", "x.draw:1: a line type must be a whole number from 0 to 8"},
        {"width -1\n", "x.draw:1: a width must be from 0 to 297 mm"},
        {"polygon 1 0 0\n", "x.draw:1: expected: polygon PEN X1 Y1 X2 Y2 ... (at least two points)"},
        {"image a.png 0 0 0 5\n", "x.draw:1: the image frame has no area"},
        {"move nan 1\n", "x.draw:1: 'nan' is not a number"},
        {"label\n", "x.draw:1: expected: label TEXT"},
        {"label 12345678901234567890123456789012345678901234567890123456789012345\n", "x.draw:1: a job label has at most 64 characters"},
    };
    for (const Case& c : cases) {
        try {
            drawing::parse_drawing(c.text, "x.draw");
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const drawing::DrawingError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
    EXPECT_THROW(drawing::load_drawing("/nonexistent/x.draw"), drawing::DrawingError);
}

TEST(Drawing, SampleParses) {
    drawing::Drawing d = drawing::sample_drawing();
    EXPECT_GT(d.ops.size(), 50u);
}

}  // namespace
