#include "job_header.h"

#include "host/output_buffer.h"
#include "pens.h"

JobHeaderState g_job_header = {};

namespace {

// The fixed opening of the QDPX set-up block and of the job trailer: five groups of three
// 18 records, the last group cut after its opcode and count.
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

int32_t write_job_header() { return 0; }  // TEMPORARY: the header comes with the model tables

void job_header_reset() { g_job_header = JobHeaderState{}; }
