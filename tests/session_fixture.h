// Whole plot-time sessions through the simulated host, with a stored configuration record.
#pragma once
#include <cstring>
#include <string>
#include <vector>

#include "driver_fixture.h"
#include "sim/plot_session.h"

// The record a configuration session stores on a fresh driver: one copy of E-arch paper,
// margin 0, halftone fill, 600 dpi, rotated, model 0, the factory tone points.
struct StoredRecord {
    uint8_t bytes[40] = {1, 0, 0, 0,  1, 0, 0, 0,  0x8C, 1, 0, 0,  0, 0,  0, 0,  0, 0,  0, 0,
                         1, 0, 0, 0,  2, 0,  0, 0,  0x00, 0x10,  0x00, 0x11,  0, 0,  0, 123, 187, 228, 255,  0};
    StoredRecord& i32(int off, int32_t v) { std::memcpy(bytes + off, &v, 4); return *this; }
    StoredRecord& i16(int off, int16_t v) { std::memcpy(bytes + off, &v, 2); return *this; }
    StoredRecord& copies(int32_t v) { return i32(0, v); }
    StoredRecord& paper(int32_t row, int32_t custom_mm = 396) { return i32(4, row).i32(8, custom_mm); }
    StoredRecord& finisher(int16_t program, int16_t margin, int16_t bin) { return i16(14, program).i16(16, margin).i16(18, bin); }
    StoredRecord& margin_mm(int16_t v) { return i16(26, v); }
    StoredRecord& plot_flags(uint16_t v) { return i16(28, static_cast<int16_t>(v)); }
    StoredRecord& output_flags(uint16_t v) { return i16(30, static_cast<int16_t>(v)); }
    StoredRecord& qdpx() { return output_flags(0x0040 | 0x0200); }
};

class SessionTest : public DriverTest {
protected:
    void store(const StoredRecord& r) {
        std::memcpy(host->store.record, r.bytes, 40);
        host->store.present = true;
    }
    // Runs the session and expects every request to succeed.
    void run(const sim::PlotSetup& setup, const std::vector<sim::PlotOp>& drawing) {
        for (const sim::PlotReply& r : sim::run_plot_session(*host, setup, drawing))
            EXPECT_NE(r.word0, -1) << "request " << r.code << " failed";
    }
    std::vector<std::pair<int32_t, int32_t>> job_handle_calls() const {
        std::vector<std::pair<int32_t, int32_t>> calls;
        for (const sim::Event* e : host->events_of(sim::Event::JOB_HANDLE)) calls.push_back({e->args[0], e->args[1]});
        return calls;
    }
};
