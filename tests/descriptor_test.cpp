#include <cstring>
#include <string>

#include <dlfcn.h>

#include "driver_fixture.h"
#include "host/descriptor.h"

namespace {

std::string expected_descriptor() {
    std::string d(504, '\0');
    const char* id = "Orvix 4410/4430 Wide Format [Ver. 3.0.0] ADI 4.3 ";
    std::memcpy(&d[0], id, 49);
    d[418] = 4;
    d[432] = 3;
    std::memcpy(&d[434], "$ACADPLNAME$", 12);
    std::memcpy(&d[449], "Microsoft Windows Win32", 23);
    d[481] = 6;
    std::memcpy(&d[483], "14.0-1", 6);
    return d;
}

TEST_F(DriverTest, DescriptorBytesAreExact) {
    const uint8_t* d = host->descriptor();
    std::string bytes(reinterpret_cast<const char*>(d), 504);
    std::string expected = expected_descriptor();
    uint32_t config_addr, plot_addr;
    std::memcpy(&config_addr, d + 410, 4);
    std::memcpy(&plot_addr, d + 414, 4);
    EXPECT_EQ(config_addr, reinterpret_cast<uintptr_t>(g_descriptor.config_handler));
    EXPECT_EQ(plot_addr, reinterpret_cast<uintptr_t>(g_descriptor.plot_handler));
    EXPECT_NE(config_addr, 0u);
    EXPECT_NE(plot_addr, 0u);
    std::memset(&bytes[410], 0, 8);
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(std::strlen(reinterpret_cast<const char*>(d)), 49u);
}

TEST_F(DriverTest, PladiTwiceReturnsTheSameDescriptorAndTheSecondTableWins) {
    const uint8_t* first = host->descriptor();
    sim::Host second(sim::DriverBinding{reinterpret_cast<sim::PladiFn>(&PLADI), nullptr, true, ""});
    EXPECT_EQ(second.descriptor(), first);
    sim::Packet init(49);
    init.set_i16(4, 2).set_u8(7, 2);  // a wrong host kind prints a message through the table
    second.config(init);
    EXPECT_EQ(second.console_texts().size(), 1u);
    EXPECT_TRUE(host->console_texts().empty());
}

// The shipped .so, loaded by name as a host would: PLADI and nothing else is reachable.
TEST(ShippedLibrary, ExportsOnlyPladiAndAnswersIdentification) {
    void* m = dlopen(WFDRV_SO_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(m, nullptr) << dlerror();
    EXPECT_EQ(dlsym(m, "driver_reset"), nullptr);
    EXPECT_EQ(dlsym(m, "plot_request_handler"), nullptr);
    sim::DriverBinding b = sim::load_driver(WFDRV_SO_PATH);
    ASSERT_NE(b.pladi, nullptr) << b.error;
    {
        sim::Host host(b);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(host.descriptor())),
                  "Orvix 4410/4430 Wide Format [Ver. 3.0.0] ADI 4.3 ");
        sim::Packet init(49);
        init.set_i16(4, 1).set_u8(7, 2);
        host.config(init);
        EXPECT_EQ(init.i16(10), 0);
        EXPECT_EQ(init.text(86, 81), "Orvix 4410/4430 Wide Format [Ver. 3.0.0] ADI 4.3 ");
    }
    dlclose(b.module);
    dlclose(m);
}

}  // namespace
