#include "job_header.h"

#include <cstdio>
#include <cstring>

#include "config/config_record.h"
#include "config/model_table.h"
#include "config/option_tables.h"
#include "host/host_services.h"
#include "host/output_buffer.h"
#include "pens.h"
#include "plot_area.h"
#include "plot_lifecycle.h"
#include "polygon_fill.h"
#include "vectors.h"

JobHeaderState g_job_header = {};

namespace {

// The fixed opening of the QDPX set-up block and of the job trailer: five groups of three
// 18 records, then a sixth group that stops after the opcode and count of its last record.
constexpr uint8_t k_qdpx_fixed_block[70] = {
    0x18, 0x01, 0x00, 0x00, 0x18, 0x02, 0x00, 0x00, 0x18, 0x02, 0xFF, 0xFF,
    0x18, 0x01, 0x00, 0x00, 0x18, 0x02, 0x00, 0x00, 0x18, 0x02, 0xFF, 0xFE,
    0x18, 0x01, 0x00, 0x00, 0x18, 0x02, 0x00, 0x00, 0x18, 0x02, 0xFF, 0xFD,
    0x18, 0x01, 0x00, 0x00, 0x18, 0x02, 0x00, 0x00, 0x18, 0x02, 0xFF, 0xFC,
    0x18, 0x01, 0x00, 0x00, 0x18, 0x02, 0x00, 0x00, 0x18, 0x02, 0xFF, 0xFB,
    0x18, 0x01, 0x00, 0x00, 0x18, 0x02, 0x00, 0x00, 0x18, 0x02,
};

// The rest of the set-up block.
constexpr uint8_t k_qdpx_model_identity[] = {0xF2, 0x04, 0x08, 0x02, 'S', 'V', '4', '4', '1', '0'};
constexpr uint8_t k_qdpx_setup_end[] = {0x20, 0x00, 0x23, 0x00};

// Pen and line set-up: pen 7 as the drawing and the requested pen, then (after the line
// patterns) the line attributes.
constexpr uint8_t k_qdpx_pen_select[] = {0x41, 0x01, 0x00, 0x07, 0x47, 0x01, 0x00, 0x07};
constexpr uint8_t k_qdpx_line_attributes[] = {
    0x42, 0x01, 0x00, 0x01,  //
    0x44, 0x01, 0x00, 0x02,  //
    0x45, 0x01, 0x00, 0x03,  //
    0x39, 0x01, 0x00, 0x00,  //
    0x48, 0x01, 0x00, 0x02,  //
    0x50, 0x01, 0x00, 0x01,  //
};

constexpr uint8_t k_qdpx_trailer_record[] = {0xF3, 0x01, 0x00, 0x01};

constexpr uint8_t k_qdpx_begin_job[] = {0x9B, 0x5E, 0x00, 0x02, 0x00, 0x02};
constexpr uint8_t k_qdpx_copies[] = {0x9B, 0x4E, 0x00, 0x02};  // two hex digits follow
constexpr uint8_t k_qdpx_manual_output[] = {0x9B, 0x62, 0x00, 0x02, 0x00, 0x00};
constexpr uint8_t k_qdpx_label = 0x14;
constexpr uint8_t k_qdpx_pen_width_0[] = {0x40, 0x01, 0x00, 0x00};
constexpr uint8_t k_qdpx_pen_width_1[] = {0x40, 0x01, 0x00, 0x01};  // 1.112, truncated

constexpr uint16_t HOST_FLAG_NO_SERIAL_SETUP = 0x40;

// Device control of a serial plotter, straight to the port ahead of the staged job.
void send_serial_setup() {
    if ((g_plot_area.host_flags & HOST_FLAG_NO_SERIAL_SETUP) || !(g_config.plot_flags & PF_SERIAL_PORT)) return;
    switch (g_config.plot_flags & PF_HANDSHAKE_MASK) {
        case PF_HANDSHAKE_XONXOFF:
            host_send_direct("\x1B.R");          // Device control: reset
            host_send_direct("\x1B.I81;0;17:");  // Xon/Xoff handshake, Xon character
            host_send_direct("\x1B.N10;19:");    // Xoff character
            host_send_direct("\x1B.@;0:");       // Device configuration: hardware handshake off
            break;
        case PF_HANDSHAKE_HARDWARE:
            host_send_direct("\x1B.R");          // Device control: reset
            host_send_direct("\x1B.@;1:");       // Device configuration: hardware handshake on
            break;
        default: break;  // no handshake
    }
}

// The finisher program, and unless it bypasses the folder, its margin and output bin.
int32_t write_finisher_lines() {
    const char* lines[3];
    int32_t n = finisher_lines(lines);
    for (int32_t k = 0; k < n; ++k)
        if (write_text(lines[k]) != 0) return -1;
    return 0;
}

// The media command of the configured paper type, when the model offers one.
int32_t write_media() {
    MediaCommand media = media_command();
    return media.bytes ? write_bytes(media.length, media.bytes) : 0;
}

// "BP": the job's name (when there is one) and copies. A quote inside the name is doubled,
// as HP-GL/2 quotes it, so that it cannot end the string early.
int32_t write_begin_plot() {
    const char* label = g_lifecycle.job_label;
    if (!label[0]) return write_fmt("BP2,%d;IN;", static_cast<int>(g_config.copies));  // Begin plot, copies; initialise
    char quoted[2 * JOB_LABEL_MAX + 1];
    size_t n = 0;
    for (const char* c = label; *c && n + 2 < sizeof quoted; ++c) {
        quoted[n++] = *c;
        if (*c == '"') quoted[n++] = '"';
    }
    quoted[n] = '\0';
    return write_fmt("BP1,\"%s\",2,%d;IN;", quoted, static_cast<int>(g_config.copies));  // Begin plot: name, copies
}

int32_t write_hpgl_header() {
    const ModelInfo& model = current_model_info();
    const PlotArea& a = g_plot_area;
    send_serial_setup();
    if (write_text("\x1B%-12345X@PJL\r\n") != 0) return -1;  // Universal exit, PJL
    if (write_finisher_lines() != 0) return -1;
    if (write_text("@PJL ENTER LANGUAGE=HPGL2\r\n") != 0) return -1;
    if (write_text("\x1B%0B;") != 0) return -1;  // Enter HP-GL/2
    if (write_begin_plot() != 0) return -1;
    if (write_media() != 0) return -1;  // Media type
    compute_plot_values();
    long w = a.plot_w, h = a.plot_h, m = a.margin_dev;
    // Page size: the paper's own orientation, margins included.
    if (a.portrait ? write_fmt("PS%ld,%ld", h + 2 * m, w + 2 * m) : write_fmt("PS%ld,%ld", w + 2 * m, h + 2 * m)) return -1;
    if (write_fmt("IP%ld,%ld,%ld,%ld", m, m, w + m, h + m) != 0) return -1;  // Scaling points
    if (write_fmt("SC0,%ld,0,%ld", w, h) != 0) return -1;                    // Scale: device units
    std::snprintf(g_job_header.saved_window_cmd, sizeof g_job_header.saved_window_cmd, "IW0,0,%ld,%ld;", w, h);
    if (write_text(g_job_header.saved_window_cmd) != 0) return -1;  // Input window
    if (model.has_manual_output == 1 &&
        write_text((g_config.output_flags & OF_MANUAL_OUTPUT) ? "XF4,1;" : "XF4,0;") != 0)  // Manual output
        return -1;
    if (write_text("LA1,4,2,4SP7RF") != 0) return -1;  // Round line ends and joins; pen 7; fill patterns reset
    if (write_text("NP256") != 0) return -1;           // 256 pens
    if (write_text("CR0,255,0,255,0,255") != 0) return -1;  // Colour range
    int32_t palette = write_palette();  // a failure here still lets the next write report it
    if (write_text("PUPA0,0PR;") != 0 || palette != 0) return -1;  // Pen up at the origin, relative
    return write_text("TR0;");  // Transparency off
}

int32_t write_qdpx_label() {
    const char* label = g_lifecycle.job_label;
    int32_t len = static_cast<int32_t>(std::strlen(label));
    uint8_t rec[4 + JOB_LABEL_MAX + 1] = {k_qdpx_label, static_cast<uint8_t>(1 + (len + 1) / 2)};
    int n = 2;
    n += be16(rec + n, len);
    std::memcpy(rec + n, label, len);
    n += len;
    if (len % 2) rec[n++] = 0;  // whole 16-bit words
    return write_bytes(n, rec);
}

int32_t write_qdpx_header() {
    const ModelInfo& model = current_model_info();
    const PlotArea& a = g_plot_area;
    if (write_bytes(sizeof k_qdpx_begin_job, k_qdpx_begin_job) != 0) return -1;  // Begin job
    if (write_media() != 0) return -1;  // Media type
    if (write_bytes(sizeof k_qdpx_copies, k_qdpx_copies) != 0) return -1;  // Copies
    write_fmt("%02X", static_cast<unsigned>(g_config.copies));
    if (model.has_manual_output == 1 && (g_config.output_flags & OF_MANUAL_OUTPUT) &&
        write_bytes(sizeof k_qdpx_manual_output, k_qdpx_manual_output) != 0)  // Manual output
        return -1;
    if (write_qdpx_setup_block() != 0) return -1;
    if (g_lifecycle.job_label[0] && write_qdpx_label() != 0) return -1;  // Job name
    compute_plot_values();
    put_fill_patterns();
    write_pen_table();
    if (write_qdpx_pen_setup() != 0) return -1;
    if (write_bytes(sizeof k_qdpx_pen_width_0, k_qdpx_pen_width_0) != 0) return -1;  // Pen width 0
    // The page corners, as zero-length segments.
    if (put_mark(0, 0) != 0) return -1;
    if ((a.portrait ? put_mark(a.plot_h, a.plot_w) : put_mark(a.plot_w, a.plot_h)) != 0) return -1;
    return write_bytes(sizeof k_qdpx_pen_width_1, k_qdpx_pen_width_1);  // Pen width 1
}

}  // namespace

int32_t write_qdpx_fixed_block() { return write_bytes(sizeof k_qdpx_fixed_block, k_qdpx_fixed_block); }

int32_t write_qdpx_setup_block() {
    if (write_qdpx_fixed_block() != 0) return -1;
    if (write_bytes(sizeof k_qdpx_model_identity, k_qdpx_model_identity) != 0) return -1;  // Model "SV4410"
    return write_bytes(sizeof k_qdpx_setup_end, k_qdpx_setup_end);
}

int32_t write_qdpx_pen_setup() {
    if (write_bytes(sizeof k_qdpx_pen_select, k_qdpx_pen_select) != 0) return -1;
    if (write_line_patterns() != 0) return -1;
    return write_bytes(sizeof k_qdpx_line_attributes, k_qdpx_line_attributes);
}

int32_t write_qdpx_trailer_opening() {
    if (write_qdpx_fixed_block() != 0) return -1;
    return write_bytes(sizeof k_qdpx_trailer_record, k_qdpx_trailer_record);
}

int32_t write_job_header() { return config_qdpx() ? write_qdpx_header() : write_hpgl_header(); }

void job_header_reset() { g_job_header = JobHeaderState{}; }
