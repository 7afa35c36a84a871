#include "config_request.h"

#include <cstring>

#include "config_record.h"
#include "host/console.h"
#include "host/host_check.h"
#include "host/message_table.h"
#include "host/packet.h"
#include "host/plot_dispatch.h"
#include "host/plot_state.h"
#include "hpgl/plot_area.h"
#include "hpgl/plot_scale.h"
#include "model_table.h"
#include "paper_table.h"
#include "ui/main_dialog.h"

namespace {

// Requests 11, 21, 40 and 47 are refused while a failure is latched; request 49 clears it.
bool refused_by_latch() {
    if (g_plot.failure_latch == 0) return false;
    set_status(STATUS_FAILED);
    return true;
}

void fail_with_message(int message_row) {
    console_printf("\n%s\n", message_text(message_row));
    g_plot.failure_latch = LATCH_CONFIG;
    set_status(STATUS_FAILED);
}

void host_level() {
    if (refused_by_latch()) return;
    if (rd_i16(g_packet, 4) < 3) {
        fail_with_message(MSG_BAD_VERSION);
        return;
    }
    set_status(STATUS_OK);
    wr_i16(g_packet, 4, 3);
    wr_i16(g_packet, 6, 0);
    g_plot.host_window = rd_i32(g_packet, 11);
}

void model_name() {
    set_status(STATUS_OK);
    config_record_load();  // a missing record is not an error here
    model_set_current(0);
    wr_i16(g_packet, 6, 0);
    wr_i16(g_packet, 4, 1);
    std::memcpy(g_packet + 8, current_model_info().name.data(), 32);
    wr_i16(g_packet, 2, 40);
}

// Loads the stored record, or takes the defaults when the host asks for them (+6 = 1),
// when the record in memory belongs to another model, or when there is no stored record.
void load_or_default_record() {
    bool defaults = rd_i16(g_packet, 6) == 1 || g_config.model_index != current_model() || config_record_load() != 0;
    if (defaults) config_record_defaults();
}

void configuration_entry() {
    if (refused_by_latch()) return;
    set_status(STATUS_OK);
    load_or_default_record();

    // Fixed reply fields; their meaning is the host's.
    wr_i16(g_packet, 40, 395);
    wr_i16(g_packet, 48, (g_config.plot_flags & PF_SERIAL_PORT) ? 1 : 2);  // port kind: serial or parallel
    wr_i16(g_packet, 56, 1);
    wr_i16(g_packet, 52, 0);
    wr_i16(g_packet, 54, 8);
    wr_i16(g_packet, 50, 9600);
    wr_u8(g_packet, 58, 0);

    // The dialog replaces the record (and the summary's copy count) only on "Aceptar";
    // whatever it answers, the reply below follows the record as it now is.
    main_dialog_run(MAIN_DIALOG_CONFIG);

    wr_i16(g_packet, 2, 59);
    g_plot_area.page_margin_in = g_config.margin_mm * MM_TO_INCH;
    PaperArea area = paper_plot_area();
    wr_f64(g_packet, 8, area.x);
    wr_f64(g_packet, 16, area.y);
    g_plot_area.portrait = area.portrait;
    double res = plot_scale_set_area(area.x, area.y);
    wr_f64(g_packet, 24, res);  // host units per inch
    wr_f64(g_packet, 32, res);
    wr_i16(g_packet, 42, 255);
    wr_i16(g_packet, 44, 1);
    wr_i16(g_packet, 46, 7);
    config_apply_tone_points();
}

void table_zero() {
    set_status(STATUS_OK);
    wr_i16(g_packet, 2, 262);
    wr_i16(g_packet, 4, 7);
    std::memset(g_packet + 6, 0, 256);
}

void table_one() {
    set_status(STATUS_OK);
    wr_i16(g_packet, 2, 262);
    wr_i16(g_packet, 4, 255);
    std::memset(g_packet + 6, 1, 256);
}

void table_ramp() {
    set_status(STATUS_OK);
    wr_i16(g_packet, 2, 262);
    wr_i16(g_packet, 4, 255);
    wr_u8(g_packet, 6, 1);
    for (int i = 1; i <= 255; ++i) wr_u8(g_packet, 6 + i, static_cast<uint8_t>(i));
}

void device_flags() {
    if (refused_by_latch()) return;
    set_status(STATUS_OK);
    wr_u8(g_packet, 4, 1);
    wr_u8(g_packet, 139, 2);
    wr_u8(g_packet, 140, 0);
    wr_u32(g_packet, 5, rd_u32(g_packet, 5) | 0x80000);
}

// 0.00278, stored exactly as these bytes (low byte first).
constexpr uint8_t k_table_value[8] = {0xF5, 0xF3, 0xA6, 0x22, 0x15, 0xC6, 0x66, 0x3F};

void double_table() {
    set_status(STATUS_OK);
    // The host's two values are summed in unsigned arithmetic: any pair is defined and
    // only the low 16 bits are answered.
    uint32_t sum = static_cast<uint32_t>(rd_i32(g_packet, 8)) + static_cast<uint32_t>(static_cast<int32_t>(rd_i16(g_packet, 12)));
    wr_i16(g_packet, 2, static_cast<int16_t>(static_cast<uint16_t>(sum)));
    wr_i32(g_packet, 4, 255);
    for (int k = 0; k < 256; ++k) std::memcpy(g_packet + 16 + 8 * k, k_table_value, 8);
}

void save_record() {
    if (refused_by_latch()) return;
    g_config.model_index = static_cast<int16_t>(current_model());
    if (config_record_save() != 0) {
        fail_with_message(MSG_SAVE_FAILED);
        return;
    }
    set_status(STATUS_OK);
}

void identify() {
    g_plot.failure_latch = 0;
    host_check_reply();
}

void load_messages() { messages_load(g_packet + 8); }

}  // namespace

extern "C" void WF_CDECL config_request(uint8_t* packet) {
    g_packet = packet;
    switch (rd_i16(packet, 0)) {
        case CFG_END: break;
        case CFG_HOST_LEVEL: host_level(); break;
        case CFG_MODEL_NAME: model_name(); break;
        case CFG_ENTRY: configuration_entry(); break;
        case CFG_TABLE_ZERO: table_zero(); break;
        case CFG_TABLE_ONE: table_one(); break;
        case CFG_TABLE_RAMP: table_ramp(); break;
        case CFG_DEVICE_FLAGS: device_flags(); break;
        case CFG_DOUBLE_TABLE: double_table(); break;
        case CFG_SAVE: save_record(); break;
        case CFG_IDENTIFY: identify(); break;
        case CFG_LOAD_MESSAGES: load_messages(); break;
        default: break;  // codes without an entry leave the packet unchanged
    }
}
