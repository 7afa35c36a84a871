#include <cstring>
#include <string>

#include "driver_fixture.h"
#include "host/console.h"
#include "host/cp1252.h"
#include "host/message_table.h"

namespace {

TEST(Cp1252, LiteralsBecomeSingleByteText) {
    EXPECT_EQ(std::string(CP1252("Tamaño")), "Tama\xF1o");
    EXPECT_EQ(std::strlen(CP1252("Tamaño")), 6u);
    EXPECT_EQ(std::string(CP1252("€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ")),
              "\x80\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8E\x91\x92\x93\x94\x95\x96\x97\x98\x99\x9A\x9B\x9C\x9E\x9F");
    constexpr auto field = cp1252_field<8>("Sí");
    EXPECT_EQ(std::string(field.data(), 8), std::string("S\xED\0\0\0\0\0\0", 8));
}

TEST(MessageTable, RowsAreWindows1252WithTrailingBlanks) {
    struct Row {
        int row;
        const char* bytes;
    } rows[] = {
        {0, "Se intent\xF3 llamar un dibujo desde una aplicaci\xF3n que no es Auto CAD."},
        {26, "Tama\xF1o de papel: "},
        {27, "N\xFAmero de copias: "},
        {15, " = ------ . . ------ . . ------ . ."},
        {77, "Se present\xF3 un error durante la salida del trazador. "},
        {3, ""},
        {85, ""},
    };
    for (const Row& r : rows) EXPECT_STREQ(message_builtin(r.row), r.bytes) << r.row;
}

TEST_F(DriverTest, ConsoleCutsLongTextsSafely) {
    std::string long_text(5000, 'x');
    console_printf("\n%s\n", long_text.c_str());
    ASSERT_EQ(host->console_texts().size(), 1u);
    EXPECT_EQ(host->console_texts()[0].size(), 1023u);
    EXPECT_EQ(host->console_texts()[0], "\n" + std::string(1022, 'x'));
}

}  // namespace
