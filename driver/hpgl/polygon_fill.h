// Filled polygons (requests 33 and 54) in both output languages, and the QDPX halftone
// fill patterns that the job header downloads.
#pragma once
#include <cstdint>

// QDPX polygons with 32-bit coordinates count their coordinate words in 16 bits: 4 words
// per vertex allow at most this many vertices.
inline constexpr int32_t QDPX_WIDE_POLYGON_MAX = 16383;

// The 16 rows of halftone pattern k (0 = solid, 255 = empty), column 0 in the top bit.
const uint16_t* halftone_pattern(int k);
// The pattern pen i fills with: D(D(D(i))) through the factory tone table.
int pattern_for_pen(int pen);

// Outlines and fills a polygon of n >= 2 vertices, each u16 x then u16 y (little-endian),
// in host units. 0 or -1.
int32_t fill_polygon(int16_t pen, int32_t n, const uint8_t* vertices);
// QDPX pattern definitions for pens 0..255; the result of the last write.
int32_t put_fill_patterns();

// Requests 54 (vertices behind a pointer) and 33 (vertices inline).
void req_polygon_a();
void req_polygon_b();
