#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "sim/record_fields.h"

namespace {

std::string error_of(uint8_t* record, const std::string& assignment, sim::RecordEdit edit = sim::RecordEdit::checked) {
    try {
        sim::record_assign(record, assignment, edit);
    } catch (const sim::RecordFieldError& e) {
        return e.what();
    }
    return "(accepted)";
}

TEST(RecordFields, FieldsCoverTheRecordInOrder) {
    int next = 0;
    for (const sim::RecordField& f : sim::record_fields()) {
        EXPECT_EQ(f.offset, next) << f.name;
        next = f.offset + f.width;
    }
    EXPECT_EQ(next, 40);
}

TEST(RecordFields, SetAndShow) {
    uint8_t r[40] = {};
    for (const char* a : {"copies=12", "paper_index=23", "custom_length_mm=3000", "media_index=3", "reserved=-2",
                          "margin_mm=010", "output_flags=0x1240", "tone_point4=255", "pad=0xAB"})
        sim::record_assign(r, a);
    EXPECT_EQ(r[0], 12);
    EXPECT_EQ(r[8] | r[9] << 8, 3000);
    EXPECT_EQ(r[24], 0xFE);
    EXPECT_EQ(r[25], 0xFF);
    EXPECT_EQ(r[26], 10);  // decimal, not octal
    EXPECT_EQ(r[30], 0x40);
    EXPECT_EQ(r[31], 0x12);
    EXPECT_EQ(sim::record_get(r, sim::record_field("reserved")), -2);
    std::string shown = sim::record_show(r);
    EXPECT_NE(shown.find("copies = 12\n"), std::string::npos);
    EXPECT_NE(shown.find("output_flags = 0x1240\n"), std::string::npos);
    EXPECT_NE(shown.find("reserved = -2\n"), std::string::npos);
    EXPECT_NE(shown.find("red_pen = 0  (outside 1..255)\n"), std::string::npos);
}

TEST(RecordFields, ErrorsNameTheFieldAndTheRange) {
    uint8_t r[40] = {};
    const struct {
        const char* assignment;
        sim::RecordEdit edit;
        const char* error;
    } cases[] = {
        {"copies=150", sim::RecordEdit::checked, "copies: 150 is outside the allowed range 1..99"},
        {"copies=0", sim::RecordEdit::checked, "copies: 0 is outside the allowed range 1..99"},
        {"margin_mm=abc", sim::RecordEdit::checked, "margin_mm: 'abc' is not a number in 0..10"},
        {"margin_mm=", sim::RecordEdit::checked, "margin_mm: '' is not a number in 0..10"},
        {"margin_mm=5mm", sim::RecordEdit::checked, "margin_mm: '5mm' is not a number in 0..10"},
        {"plot_flags=0x10000", sim::RecordEdit::checked, "plot_flags: 65536 is outside the allowed range 0x0..0xFFFF"},
        {"media_index=40000", sim::RecordEdit::raw, "media_index: 40000 is outside what the field holds, -32768..32767"},
        {"copies=99999999999", sim::RecordEdit::raw, "copies: 99999999999 is outside what the field holds, -2147483648..2147483647"},
        {"copies", sim::RecordEdit::checked, "'copies' is not FIELD=VALUE"},
    };
    for (const auto& c : cases) EXPECT_EQ(error_of(r, c.assignment, c.edit), c.error);
    EXPECT_EQ(std::string(error_of(r, "colour=1")).rfind("unknown record field 'colour' (fields: copies, paper_index,", 0), 0u);
    // Nothing was written by a refused edit.
    for (uint8_t b : r) EXPECT_EQ(b, 0);
    // A raw edit writes what the driver's dialogs never would.
    EXPECT_EQ(error_of(r, "copies=-5", sim::RecordEdit::raw), "(accepted)");
    EXPECT_EQ(sim::record_get(r, sim::record_field("copies")), -5);
}

}  // namespace
