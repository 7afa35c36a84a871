// The MMR code tables: run-length codes of both colours and the mode codes of the
// two-dimensional coding. Every code is stored left-justified in a 32-bit word (first bit
// at bit 31, the bits after the code zero), so the coder writes it with one shift and one OR.
#pragma once
#include <cstdint>

struct MmrCode {
    uint32_t code;   // left-justified
    int32_t length;  // bits
};

// A code written as its bit string, first bit first: mmr_code("011") is VR1.
consteval MmrCode mmr_code(const char* bits) {
    uint32_t code = 0;
    int32_t n = 0;
    for (; bits[n]; ++n) code |= static_cast<uint32_t>(bits[n] == '1') << (31 - n);
    return MmrCode{code, n};
}

// Entries 0..63: terminating codes for run lengths 0..63; entries 64..103: make-up codes
// for 64, 128, ..., 2560 (entry 63 + k holds k x 64).
inline constexpr int MMR_TERMINATING_CODES = 64;
inline constexpr int MMR_RUN_CODES = 104;
inline constexpr int32_t MMR_LONGEST_MAKEUP = 2560;

extern const MmrCode MMR_WHITE_CODES[MMR_RUN_CODES];
extern const MmrCode MMR_BLACK_CODES[MMR_RUN_CODES];

// V0, VR1, VR2, VR3, VL1, VL2, VL3.
inline constexpr MmrCode MMR_VERTICAL_CODES[7] = {
    mmr_code("1"),                                             // V0
    mmr_code("011"), mmr_code("000011"), mmr_code("0000011"),  // VR1, VR2, VR3
    mmr_code("010"), mmr_code("000010"), mmr_code("0000010"),  // VL1, VL2, VL3
};

inline constexpr MmrCode MMR_PASS_CODE = mmr_code("0001");
inline constexpr MmrCode MMR_HORIZONTAL_CODE = mmr_code("001");
inline constexpr MmrCode MMR_EOL_CODE = mmr_code("000000000001");
