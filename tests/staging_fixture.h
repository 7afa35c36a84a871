// A driver in the middle of a plot without the job header: the output buffer is open, the
// language and scale are set directly, and each check reads what the requests staged.
#pragma once
#include <string>

#include "config/config_record.h"
#include "driver_fixture.h"
#include "host/output_buffer.h"
#include "hpgl/plot_area.h"
#include "hpgl/vectors.h"

class StagingTest : public DriverTest {
protected:
    void start(bool qdpx, double unit_scale = 1.0, int32_t short_coords = 1, uint16_t plot_flags = PF_HALFTONE_FILL) {
        init_and_load_messages();
        g_config.output_flags = qdpx ? OF_FORMAT_QDPX : 0;
        g_config.plot_flags = plot_flags;
        g_plot_area.unit_scale = unit_scale;
        g_plot_area.short_coords = short_coords;
        vectors_choose_pe_command();
        vectors_begin_plot();
        ASSERT_TRUE(output_open());
        host->clear_records();
    }
    // What was staged since the last call.
    std::string take() {
        std::string s(reinterpret_cast<const char*>(g_output.output_buffer), g_output.output_pending);
        g_output.output_pending = 0;
        return s;
    }
    int16_t point(int16_t code, int32_t x, int32_t y) {
        sim::Packet p(code);
        p.set_i16(4, static_cast<int16_t>(x)).set_i16(6, static_cast<int16_t>(y));
        host->plot(p);
        return p.i16(0);
    }
    int16_t move(int32_t x, int32_t y) { return point(3, x, y); }
    int16_t draw(int32_t x, int32_t y) { return point(4, x, y); }
    int16_t lift() { return plot(8).i16(0); }
    int16_t word_request(int16_t code, int16_t value) {
        sim::Packet p(code);
        p.set_i16(4, value);
        host->plot(p);
        return p.i16(0);
    }
};

inline std::string bytes(std::initializer_list<int> list) {
    std::string s;
    for (int b : list) s += static_cast<char>(b);
    return s;
}
