// Pens, line types and widths: the pen mapping of a monochrome printer, the grey pen
// palette, line-type patterns, pen widths, and the last instructions of each kind, which
// are written again after a raster image.
#pragma once
#include <cstdint>

inline constexpr int SAVED_CMD_SIZE = 16;

// One stored instruction: an HP-GL/2 text (NUL-terminated) or a QDPX record.
struct SavedCommand {
    uint8_t bytes[SAVED_CMD_SIZE];
    int16_t length;  // without the NUL; 0 = none yet
};

struct PenState {
    int16_t current_pen;                  // pen last selected in the output
    int16_t default_pen;                  // the pen every selection uses except the red pen
    int32_t line_type_limit;              // highest line type honoured
    SavedCommand saved_pen_cmd;           // last pen selection
    SavedCommand saved_req_pen_cmd;       // QDPX: the requested-pen record written with it
    SavedCommand saved_line_type_cmd;     // last line type
    SavedCommand saved_width_cmd;         // last pen width
};
extern PenState g_pens;

// The host's colour palette, (R, G, B) per pen 0..255.
extern const uint8_t k_host_palette[256][3];

// The highest line type with a pattern; higher numbers draw solid lines.
inline constexpr int LINE_TYPE_PATTERNS = 8;

// Grey level of a palette entry: greys unchanged, colours by luminance.
int pen_grey(int pen);
// The HP-GL/2 palette instruction of one pen ("PC%d,%d,%d,%d", or red for the red pen).
// Writes at most 24 bytes with the NUL; returns the text length.
int palette_instruction(int pen, char* out);
// HP-GL/2 pen palette, pens 1..255; may choose default_pen. Stops at the first failure.
int32_t write_palette();
// QDPX pen table, pens 0..255; chooses default_pen. Write results are ignored.
int32_t write_pen_table();
// The eight QDPX line-pattern definitions.
int32_t write_line_patterns();

// Pen selection, line type and width (requests 5, 7, 41). 0 or -1.
int32_t select_pen(uint16_t pen);
int32_t set_line_type(uint16_t line_type);
int32_t set_pen_width(double inches);

// HP-GL/2 width text value in millimetres, and the QDPX width value in 1/400 inch.
double width_mm(double inches);
int32_t width_qdpx(double inches);

void req_select_pen();
void req_line_type();
void req_pen_width();
void req_line_type_count();
void req_model_line_types();

// Initialisation: default_pen := 7.
void pens_init();
// Begin plot: current_pen := 1.
void pens_begin_plot();
void pens_reset();
