#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include <png.h>

#include "sim/image_source.h"

namespace {

using sim::ImageSource;

int32_t rd32(const uint8_t* p, int off) {
    int32_t v;
    std::memcpy(&v, p + off, 4);
    return v;
}
int16_t rd16(const uint8_t* p, int off) {
    int16_t v;
    std::memcpy(&v, p + off, 2);
    return v;
}

// A fetch request as the driver fills it for line i in row order.
std::vector<uint8_t> row_request(const ImageSource& src, int32_t i, int32_t count, int32_t lines, bool colour,
                                 const sim::ImageSpec& layout) {
    std::vector<uint8_t> r(144, 0);
    double step = double(layout.y1 - layout.y0) / lines;
    int32_t f[] = {0, i, count - 1, i, layout.x0, static_cast<int32_t>(layout.y0 + i * step), layout.x1,
                   static_cast<int32_t>(layout.y0 + (i + 1) * step)};
    std::memcpy(r.data(), f, sizeof f);
    uint32_t self = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&src));
    std::memcpy(r.data() + 32, &self, 4);
    int32_t bits = colour ? 8 : 1, scan = 2;
    std::memcpy(r.data() + 36, &bits, 4);
    std::memcpy(r.data() + 40, &scan, 4);
    return r;
}

TEST(ImageSource, PacketCarriesTheCallbacksAndTheFrame) {
    ImageSource src(sim::synthetic_monochrome(40, 20));
    sim::ImageSpec layout;
    layout.x0 = 100, layout.y0 = 200, layout.x1 = 300, layout.y1 = 500;
    layout.colour_index = 12;
    sim::Packet p = src.request_packet(layout);
    EXPECT_EQ(p.i16(0), 52);
    EXPECT_EQ(static_cast<uint32_t>(p.i32(4)), static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&ImageSource::fetch)));
    EXPECT_EQ(static_cast<uint32_t>(p.i32(8)), static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&ImageSource::release)));
    EXPECT_EQ(static_cast<uint32_t>(p.i32(12)), static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&src)));
    EXPECT_EQ(p.i32(16), 100);
    EXPECT_EQ(p.i32(28), 500);
    EXPECT_EQ(p.i32(32), 0);  // monochrome
    EXPECT_EQ(p.i32(36), 40);
    EXPECT_EQ(p.i32(40), 20);
    EXPECT_EQ(p.i16(48), 12);
}

TEST(ImageSource, RepliesResampleTheLineAndCanMisbehave) {
    ImageSource src(sim::solid_colour(10, 4, 9, 8, 7));
    sim::ImageSpec layout;
    layout.x1 = 100, layout.y1 = 40;
    src.request_packet(layout);
    struct Case {
        int32_t stop_at, fail_at, delta;
        int16_t stop, fail;
        uint32_t bytes;
    } cases[] = {
        {-1, -1, 0, 0, 0, 25 * 3},
        {1, -1, 0, 1, 0, 0},
        {-1, 1, 0, 0, 1, 25 * 3},
        {-1, -1, -5, 0, 0, 20 * 3},
        {-1, -1, 7, 0, 0, 32 * 3},
    };
    for (const Case& c : cases) {
        src.faults = {c.stop_at, c.fail_at, c.delta};
        std::vector<uint8_t> req = row_request(src, 1, 25, 4, true, layout);
        const uint8_t* reply = static_cast<const uint8_t*>(ImageSource::fetch(req.data()));
        EXPECT_EQ(rd16(reply, 12), c.stop);
        EXPECT_EQ(rd16(reply, 14), c.fail);
        EXPECT_EQ(static_cast<uint32_t>(rd32(reply, 4)), c.bytes);
        const uint8_t* px = reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(static_cast<uint32_t>(rd32(reply, 0))));
        if (c.bytes) {
            EXPECT_EQ(std::memcmp(px, "\x09\x08\x07", 3), 0);
        }
        if (c.delta > 0) {
            EXPECT_EQ(px[c.bytes - 1], 0);  // the surplus is black
        }
        EXPECT_EQ(src.outstanding(), 1u);
        ImageSource::release(const_cast<uint8_t*>(reply));
        EXPECT_EQ(src.outstanding(), 0u);
    }
    EXPECT_EQ(src.releases, 5);
    int foreign = 0;
    ImageSource::release(&foreign);
    EXPECT_EQ(src.foreign_releases, 1);
    EXPECT_EQ(src.requests.size(), 5u);
    EXPECT_EQ(ImageSource::line_of(src.requests[0]), 1);
    EXPECT_EQ(ImageSource::count_of(src.requests[0]), 25);
}

TEST(ImageSource, MonochromeRepliesFromAPicture) {
    sim::Picture pic{4, 2, true, {1, 0, 0, 1, 0, 1, 1, 0}};
    ImageSource src(pic);
    sim::ImageSpec layout;
    layout.x1 = 40, layout.y1 = 20;
    src.request_packet(layout);
    for (int32_t line = 0; line < 2; ++line) {
        std::vector<uint8_t> req = row_request(src, line, 8, 2, false, layout);
        const uint8_t* reply = static_cast<const uint8_t*>(ImageSource::fetch(req.data()));
        const uint8_t* px = reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(static_cast<uint32_t>(rd32(reply, 0))));
        ASSERT_EQ(rd32(reply, 4), 8);
        for (int j = 0; j < 8; ++j) EXPECT_EQ(px[j], pic.pixels[static_cast<size_t>(line * 4 + j / 2)]) << line << "," << j;
        ImageSource::release(const_cast<uint8_t*>(reply));
    }
}

TEST(ImageSource, LoadsPnmFiles) {
    struct Case {
        const char* name;
        std::string bytes;
        bool monochrome;
        std::vector<uint8_t> pixels;
    } cases[] = {
        {"P1", "P1\n# bitmap\n3 2\n1 0 1\n0 1 0\n", true, {1, 0, 1, 0, 1, 0}},
        {"P4", std::string("P4 3 2\n") + '\xA0' + '\x40', true, {1, 0, 1, 0, 1, 0}},
        {"P2", "P2 2 1 10\n0 10\n", false, {0, 0, 0, 255, 255, 255}},
        {"P5", std::string("P5 2 1 255\n") + '\x10' + '\xF0', false, {16, 16, 16, 240, 240, 240}},
        {"P6", std::string("P6 1 1 255\n") + "\x01\x02\x03", false, {1, 2, 3}},
        {"P3", "P3 1 1 65535\n65535 0 32768\n", false, {255, 0, 127}},
    };
    const std::string path = ::testing::TempDir() + "image_source_test.pnm";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::ofstream(path, std::ios::binary) << c.bytes;
        sim::Picture pic;
        std::string error;
        ASSERT_TRUE(sim::load_picture(path, pic, error)) << error;
        EXPECT_EQ(pic.monochrome, c.monochrome);
        EXPECT_EQ(pic.pixels, c.pixels);
    }
    for (const char* bad : {"P6 1 1 255\n\x01", "P7 1 1\n", "P5 0 1 255\n", "hello"}) {
        std::ofstream(path, std::ios::binary) << bad;
        sim::Picture pic;
        std::string error;
        EXPECT_FALSE(sim::load_picture(path, pic, error)) << bad;
        EXPECT_FALSE(error.empty());
    }
    std::remove(path.c_str());
}

TEST(ImageSource, LoadsPngFiles) {
    const std::string path = ::testing::TempDir() + "image_source_test.png";
    const uint8_t rgba[] = {255, 0, 0, 255, 0, 0, 255, 255, 10, 20, 30, 255};
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = 3;
    image.height = 1;
    image.format = PNG_FORMAT_RGBA;
    ASSERT_TRUE(png_image_write_to_file(&image, path.c_str(), 0, rgba, 0, nullptr));
    sim::Picture pic;
    std::string error;
    ASSERT_TRUE(sim::load_picture(path, pic, error)) << error;
    EXPECT_EQ(pic.width, 3);
    EXPECT_FALSE(pic.monochrome);
    EXPECT_EQ(pic.pixels, (std::vector<uint8_t>{255, 0, 0, 0, 0, 255, 10, 20, 30}));
    std::remove(path.c_str());
}

}  // namespace

#include "driver_fixture.h"
#include "sim/session_script.h"

namespace {

TEST_F(DriverTest, SessionScriptsSendImages) {
    const std::string setup =
        "store 01000000 01000000 8C010000 0000 0000 0000 0000 01000000 0000 0000 0010 0004 0000 007BBBE4FF 00\n"
        "plot 49 i16@4=1 u8@7=2\nplot 50\nplot 43 u8@8=7\nplot 29 i16@4=3 i32@11=1\n"
        "plot 48 i32@5=0 f64@9=10000 f64@17=10000 f64@41=1016 f64@49=1016\nplot 30\n";
    std::string transcript = sim::run_session_script(*host, setup + "image 0 0 100 100 mono w=8 h=8\nplot 53\n");
    EXPECT_NE(transcript.find("> image 0 0 100 100 mono w=8 h=8\n  word0 = 52\n  +122: 01\n"), std::string::npos);
    EXPECT_NE(host->job.find("\x1b*r64S\x1b*r29T"), std::string::npos);  // 29 x 29 dots at 300 dpi
    for (const char* bad : {"image 0 0 100\n", "image 0 0 1 1 speed=3\n", "image 0 0 1 1 /no/such/file.pnm\n"})
        EXPECT_THROW(sim::run_session_script(*host, bad), sim::ScriptError) << bad;
}

}  // namespace
