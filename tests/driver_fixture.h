// A freshly loaded driver with a simulated host attached, for in-process tests.
#pragma once
#include <gtest/gtest.h>

#include <memory>

#include "sim/host_sim.h"
#include "sim/in_process.h"

class DriverTest : public ::testing::Test {
protected:
    void SetUp() override { host = std::make_unique<sim::Host>(sim::bind_in_process()); }
    void TearDown() override {
        host.reset();
        sim::bind_in_process();  // frees whatever the test left allocated
    }

    // Sends a plot-time request and returns the packet.
    sim::Packet plot(int16_t code) {
        sim::Packet p(code);
        host->plot(p);
        return p;
    }
    sim::Packet config(int16_t code) {
        sim::Packet p(code);
        host->config(p);
        return p;
    }
    // Initialisation as a current host sends it, then the message load.
    void init_and_load_messages() {
        sim::Packet init(49);
        init.set_i16(4, 1).set_u8(7, 2);
        host->plot(init);
        plot(50);
    }

    std::unique_ptr<sim::Host> host;
};
