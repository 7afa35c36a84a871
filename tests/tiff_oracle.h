// libtiff as an independent judge of our MMR blocks: its CCITT Group 4 decoder and
// encoder, run on one-strip TIFFs held in memory. Rows are exchanged as bytes, most
// significant bit first, 1 = black (the TIFF's photometric is min-is-white).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace oracle {

struct Decoded {
    bool ok = false;
    std::string errors;          // what libtiff reported
    std::vector<uint8_t> rows;   // width / 8 bytes per row
};

// Decodes a Group 4 (MMR) strip of `rows` rows of `width` pixels.
Decoded g4_decode(const std::vector<uint8_t>& data, int32_t width, int32_t rows);

// libtiff's Group 4 coding of the rows (EOFB included, padded to a byte).
std::vector<uint8_t> g4_encode(const std::vector<uint8_t>& row_bytes, int32_t width, int32_t rows);

}  // namespace oracle
