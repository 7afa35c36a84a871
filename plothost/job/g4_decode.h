// Decodes MMR (CCITT Group 4) data with libtiff, the field's reference decoder.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace job {

struct G4Image {
    int width = 0;
    int rows_decoded = 0;               // rows libtiff decoded before the data ended or failed
    bool too_large = false;
    std::vector<std::vector<uint8_t>> rows;  // one-bit rows, MSB first, 1 = black
};

// Decodes up to `rows` rows of `width` pixels; never fails, rows_decoded tells how far it
// got. Sizes beyond what a printer job can carry (over 2^20 pixels a row, or over 256 MiB
// of rows) are not decoded: too_large is set.
G4Image decode_g4(const std::string& data, int width, int rows);

}  // namespace job
