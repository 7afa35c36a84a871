// Vectors and coordinate encoding: the pen position, the polyline-encoding state every
// HP-GL/2 writer respects, and the number encoders of both output languages.
#pragma once
#include <cstdint>

// Polyline-encoding state: whether a "PE" instruction is open and what its next pair means.
inline constexpr int16_t PE_CLOSED = 1;   // no PE instruction open
inline constexpr int16_t PE_LIFTED = 2;   // open, "<" sent: the next pair is a pen-up move
inline constexpr int16_t PE_DRAWING = 4;  // open, last pair drawn
inline constexpr int16_t PE_MOVING = 8;   // open, last pair a pen-up move

struct VectorState {
    int32_t cur_x, cur_y;              // pen position in printer units
    int32_t prev_x, prev_y;            // position before the last point operation
    int32_t last_host_x, last_host_y;  // last point from the host; -1 when a plot begins
    int16_t pe_state;                  // PE_*
    int16_t prev_pe_state;             // pe_state before the last state change
    char pe_command[4];                // "PE7" (7-bit numbers) or "PE" (8-bit numbers)
    bool pe_8bit;                      // the number form that goes with pe_command
    bool reselect_pen;                 // a polygon changed the pen: the next move selects it again
};
extern VectorState g_vector;

struct DevicePoint {
    int32_t x, y;
};

// Host units to printer units: each coordinate times unit_scale, truncated toward zero.
DevicePoint to_printer(int32_t hx, int32_t hy);

// The longest polyline-encoded number (a 32-bit value in the 7-bit form).
inline constexpr int PE_NUMBER_MAX = 8;
// Encodes v as a polyline-encoded number, least significant digit first; returns the
// byte count.
int pe_encode(int32_t v, bool eight_bit, uint8_t out[PE_NUMBER_MAX]);
// Writes v as a polyline-encoded number in the form of the current plot.
int32_t pe_number(int32_t v);

// Big-endian two's complement fields for QDPX records; each returns its byte count.
int be8(uint8_t* out, int32_t v);   // v in 0..255
int be16(uint8_t* out, int32_t v);  // the low 16 bits
int be32(uint8_t* out, int32_t v);

// Chooses pe_command and the number form from the configuration (begin plot, HP-GL/2).
void vectors_choose_pe_command();
// Begin plot: positions to 0, last host point to -1, both states closed.
void vectors_begin_plot();
// Moves the state, remembering the previous one.
void set_pe_state(int16_t state);

// Ends an open PE instruction (";" in HP-GL/2) and closes the state. 0 or -1.
int32_t close_pe();

// HP-GL/2: moves to the host point and writes the displacement as a PE pair.
int32_t put_point(int32_t hx, int32_t hy);
// QDPX: moves to the host point; while drawing, writes the line-segment record.
int32_t put_segment(int32_t hx, int32_t hy);
// QDPX: a zero-length segment record at the host point; the position does not move.
int32_t put_mark(int32_t hx, int32_t hy);
// QDPX polygon record header with the first vertex (absolute); `wide` selects 32-bit
// coordinates. Moves the position; writes only while drawing.
int32_t put_polygon_start(int32_t hx, int32_t hy, int32_t n, bool wide);
// QDPX polygon vertex as a displacement from the previous one.
int32_t put_polygon_vertex(int32_t hx, int32_t hy, bool wide);

// The move, draw and pen-up requests. 0 or -1.
int32_t move_to(int32_t hx, int32_t hy);
int32_t draw_to(int32_t hx, int32_t hy);
int32_t lift_pen();

// Request handlers (3, 8, 4): read the point from the packet, answer -1 on failure.
void req_move();
void req_draw();
void req_pen_up();

void vectors_reset();
