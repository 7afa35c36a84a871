#include <gtest/gtest.h>

#include <string>

#include "job/dump.h"
#include "job/g4_decode.h"
#include "job/job_reader.h"
#include "job/preview.h"

namespace {

// Polyline-encoded number, 7-bit form, as the driver writes it.
std::string pe7(long v) {
    unsigned long u = v >= 0 ? 2 * v : 1 - 2 * v;
    std::string s;
    while (u >= 32) {
        s += static_cast<char>((u & 31) + 63);
        u >>= 5;
    }
    s += static_cast<char>(u + 95);
    return s;
}

std::string hpgl_job(const std::string& body) {
    return "\x1b%-12345X@PJL\r\n@PJL DEFAULT FINISHPROGID=BYPASS\r\n@PJL ENTER LANGUAGE=HPGL2\r\n\x1b%0B;BP2,1;IN;MT0;"
           "PS2032,2032IP0,0,2032,2032SC0,2032,0,2032IW0,0,2032,2032;LA1,4,2,4SP7RFNP256PC3,150,150,150PUPA0,0PR;TR0;" +
           body + ";PUSP0;PG;\x1b%-12345X\r\n";
}

TEST(JobReader, DecodesPolylineNumbersToAbsoluteSteps) {
    job::Job j = job::read_job(hpgl_job("SP7PE7<" + pe7(100) + pe7(0) + pe7(100) + pe7(0) + "<" + pe7(-50) + pe7(16) + ";"));
    ASSERT_EQ(j.language, job::Language::HPGL);
    const job::Item* pe = nullptr;
    for (const job::Item& it : j.items)
        if (it.kind == job::Item::PE) pe = &it;
    ASSERT_NE(pe, nullptr);
    ASSERT_EQ(pe->steps.size(), 3u);
    EXPECT_FALSE(pe->steps[0].pen_down);
    EXPECT_EQ(pe->steps[0].x, 100);
    EXPECT_TRUE(pe->steps[1].pen_down);
    EXPECT_EQ(pe->steps[1].x, 200);
    EXPECT_FALSE(pe->steps[2].pen_down);
    EXPECT_EQ(pe->steps[2].x, 150);
    EXPECT_EQ(pe->steps[2].y, 16);
    for (const job::Item& it : j.items) EXPECT_NE(it.kind, job::Item::JUNK) << it.offset;
}

TEST(JobReader, PolylineNumberForms) {
    struct Case {
        std::string bytes;
        bool eight_bit;
        long value;
    } cases[] = {
        {"_", false, 0}, {"a", false, 1}, {"b", false, -1}, {"\x3F\x60", false, 16}, {"\xBF", true, 0},
    };
    for (const Case& c : cases) {
        size_t i = 0;
        int64_t v = 99;
        ASSERT_TRUE(job::pe_decode_number(c.bytes, i, c.eight_bit, v)) << c.value;
        EXPECT_EQ(v, c.value);
        EXPECT_EQ(i, c.bytes.size());
    }
    size_t i = 0;
    int64_t v;
    EXPECT_FALSE(job::pe_decode_number("\x3F", i, false, v));  // cut inside a number
}

TEST(JobReader, QdpxRecordsAndTruncation) {
    std::string triangle("\x47\x01\x00\x03\xFF\x7C\x00\x06\x00\x00\x00\x00\x00\x64\x00\x00\x00\x00\x00\x64", 20);
    job::Job j = job::read_job(std::string("\x9B\x5E\x00\x02\x00\x02", 6) + triangle + "\x64");
    ASSERT_EQ(j.language, job::Language::QDPX);
    ASSERT_EQ(j.items.size(), 4u);
    EXPECT_EQ(j.items[1].opcode, 0x47);
    EXPECT_EQ(j.items[1].words, std::vector<int32_t>{3});
    EXPECT_EQ(j.items[2].sub, 0x7C);
    EXPECT_EQ(j.items[2].data.size(), 12u);
    EXPECT_EQ(j.items[3].kind, job::Item::JUNK);  // a record cut short is reported, not read past
}

TEST(G4Decode, AllWhiteRowOf32Pixels) {
    job::G4Image img = job::decode_g4(std::string("\x80\x08\x00\x80", 4), 32, 1);
    ASSERT_EQ(img.rows_decoded, 1);
    EXPECT_EQ(img.rows[0], std::vector<uint8_t>(4, 0));
}

TEST(Dump, ListsEveryPartOfAnHpglJob) {
    std::string out = job::dump_job(hpgl_job("SP7PE7<" + pe7(100) + pe7(0) + pe7(100) + pe7(0) + ";"));
    for (const char* s : {"PJL   @PJL DEFAULT FINISHPROGID=BYPASS", "HPGL  BP2,1  begin plot", "HPGL  PS2032,2032", "HPGL  PE7  2 points: move (100,0) line (200,0)",
                          "HPGL  PG  advance page"})
        EXPECT_NE(out.find(s), std::string::npos) << s << "\n" << out;
    EXPECT_EQ(out.find("????"), std::string::npos) << out;
}

TEST(Dump, NeverReadsPastArbitraryBytes) {
    std::string junk;
    for (int i = 0; i < 3000; ++i) junk += static_cast<char>((i * 131 + 7) & 0xFF);
    for (const std::string& bytes : {junk, "\x1b%-12345X" + junk, std::string("\x9B", 1) + junk, std::string("\x1b*b99999W", 9)})
        EXPECT_FALSE(job::dump_job(bytes).empty());
}

TEST(Preview, LinesAreDarkMarginsWhiteAndFillsHaveTheirDensity) {
    // A 2 x 2 inch sheet: a line across the middle, a halftone square of pen 3 (grey 150).
    std::string body = "SP7PW0.500PE7<" + pe7(200) + pe7(1016) + pe7(1600) + pe7(0) + ";SP3PE7<" + pe7(-600) + pe7(-800) +
                       ";PM0PE7" + pe7(508) + pe7(0) + pe7(0) + pe7(508) + pe7(-508) + pe7(0) + pe7(0) + pe7(-508) + ";PM2FP";
    job::PreviewStats st;
    job::Picture pic = job::render_job(hpgl_job(body), 100, &st);
    ASSERT_EQ(pic.width, 200);
    ASSERT_EQ(pic.height, 200);
    EXPECT_EQ(st.lines, 1u);
    EXPECT_EQ(st.polygons, 1u);
    EXPECT_EQ(pic.at(100, 100), 0);   // on the line at y = 1 inch
    EXPECT_EQ(pic.at(3, 3), 255);     // untouched corner
    int dark = 0, total = 0;
    for (int y = 130; y < 170; ++y)
        for (int x = 130; x < 160; ++x, ++total) dark += pic.at(x, y) == 0;
    // Threshold matrix: 255 - 150 of 256 cells print for grey 150.
    EXPECT_NEAR(static_cast<double>(dark) / total, 105.0 / 256, 0.06);
}

TEST(Preview, RefusesWhatIsNotAJob) {
    EXPECT_THROW(job::render_job("hello", 50), std::runtime_error);
    EXPECT_THROW(job::render_job(hpgl_job(""), 5000), std::runtime_error);
}

}  // namespace
