// The driver's whole persistent configuration: 40 bytes that the host stores for it.
// The layout is the stored format and never changes.
#pragma once
#include <cstddef>
#include <cstdint>

struct __attribute__((packed)) ConfigRecord {
    int32_t copies;            // 1..99
    int32_t paper_index;       // 1-based row of the current model's paper table
    int32_t custom_length_mm;  // sheet length for a custom-length paper row
    int16_t media_index;       // 0-based rows of the option tables
    int16_t finisher_program;
    int16_t finisher_margin;
    int16_t output_bin;
    int32_t red_pen;           // pen printed in red when OF_RED_PRINT is on
    int16_t reserved;          // carried along; nothing reads it
    int16_t margin_mm;         // 0..10, all four sides
    uint16_t plot_flags;       // PF_*
    uint16_t output_flags;     // OF_*
    int16_t model_index;       // model the record was saved for
    uint8_t tone_points[5];    // tone curve outputs at inputs 0, 64, 128, 192, 255
    uint8_t pad;               // carried along unchanged
};
static_assert(sizeof(ConfigRecord) == 40);
static_assert(offsetof(ConfigRecord, custom_length_mm) == 8);
static_assert(offsetof(ConfigRecord, media_index) == 12);
static_assert(offsetof(ConfigRecord, red_pen) == 20);
static_assert(offsetof(ConfigRecord, margin_mm) == 26);
static_assert(offsetof(ConfigRecord, plot_flags) == 28);
static_assert(offsetof(ConfigRecord, output_flags) == 30);
static_assert(offsetof(ConfigRecord, model_index) == 32);
static_assert(offsetof(ConfigRecord, tone_points) == 34);

inline constexpr int32_t CONFIG_RECORD_SIZE = 40;

// plot_flags
inline constexpr uint16_t PF_SERIAL_PORT = 0x0001;
inline constexpr uint16_t PF_HANDSHAKE_MASK = 0x0300;
inline constexpr uint16_t PF_HANDSHAKE_XONXOFF = 0x0000;
inline constexpr uint16_t PF_HANDSHAKE_HARDWARE = 0x0100;
inline constexpr uint16_t PF_HALFTONE_FILL = 0x1000;
inline constexpr uint16_t PF_PE_8BIT = 0x2000;

// output_flags
inline constexpr uint16_t OF_RED_PRINT = 0x0010;
inline constexpr uint16_t OF_RESERVED = 0x0020;
inline constexpr uint16_t OF_FORMAT_QDPX = 0x0040;
inline constexpr uint16_t OF_MANUAL_OUTPUT = 0x0080;
inline constexpr uint16_t OF_RESOLUTION_MASK = 0x0F00;
inline constexpr uint16_t OF_RES_600 = 0x0100;
inline constexpr uint16_t OF_RES_400 = 0x0200;
inline constexpr uint16_t OF_RES_300 = 0x0400;
inline constexpr uint16_t OF_RES_200 = 0x0800;
inline constexpr uint16_t OF_ROTATED = 0x1000;

// The ranges the dialogs accept.
inline constexpr int32_t COPIES_MIN = 1;
inline constexpr int32_t COPIES_MAX = 99;
inline constexpr int16_t MARGIN_MAX_MM = 10;
inline constexpr int32_t RED_PEN_MAX = 255;

// The one process-global record.
extern ConfigRecord g_config;

// Fills the record with the defaults for the current model: copies 1, paper row 1 with
// its default length, every option row 0, red pen 1, reserved 2, margin 0, the factory
// tone points (the tone table is recomputed from them), halftone fill, and 600 dpi on a
// model that offers it, else 400 dpi. model_index and the pad byte keep their values.
void config_record_defaults();
// Asks the host for the stored record: 0 when it filled the record, -1 when there is
// none. Whatever the host left in the record is then mended (config_record_mend).
int32_t config_record_load();
// Hands the record to the host: 0 when saved, -1 when the host refused it.
int32_t config_record_save();
// Makes the record's tone points the tone curve's control values and recomputes the table.
void config_apply_tone_points();
// A stored record comes from outside the driver. The values that would otherwise go into
// the job as they are, and corrupt it, are brought into the ranges the dialog accepts:
//   copies outside 1..99          -> 1
//   custom_length_mm below 1      -> 1, above the largest custom length (15000) -> 15000
//   margin_mm below 0             -> 0, above 10 -> 10
// Table rows (paper_index, media_index, finisher_program, finisher_margin, output_bin,
// model_index) are left as stored: every table accessor reads its first row instead of
// an index outside the table, and the plot-area request resets a paper_index above the
// paper list to 1.
void config_record_mend();

void config_record_reset();  // zero, as at library load

inline bool config_qdpx() { return (g_config.output_flags & OF_FORMAT_QDPX) != 0; }
