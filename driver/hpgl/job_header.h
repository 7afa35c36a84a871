// The job header that begin plot writes before the first vector: a PJL job with HP-GL/2
// set-up and the pen palette, or a QDPX job made of binary set-up records.
#pragma once
#include <cstdint>

inline constexpr int WINDOW_CMD_SIZE = 48;

struct JobHeaderState {
    char saved_window_cmd[WINDOW_CMD_SIZE];  // the "IW" of the last header, written again after images
};
extern JobHeaderState g_job_header;

// Writes the header of the configured language (computing the plot values on the way).
// 0, or -1 at the first failed write.
int32_t write_job_header();

// QDPX pieces that the raster images and the job trailer write again:
// the 70 fixed bytes that open the set-up block and the trailer,
int32_t write_qdpx_fixed_block();
// the whole set-up block (the fixed bytes, the model identity, 20 00, 23 00),
int32_t write_qdpx_setup_block();
// the pen and line set-up (pen 7 selected, the line patterns, the line attributes),
int32_t write_qdpx_pen_setup();
// and the opening of the trailer (the fixed bytes and F3 01 00 01).
int32_t write_qdpx_trailer_opening();

void job_header_reset();
