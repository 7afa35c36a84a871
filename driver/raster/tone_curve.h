// The tone correction curve: a 256-entry map from grey level to corrected level, computed
// from five control values as a degree-4 Bezier curve.
#pragma once
#include <cstdint>

struct ToneCurve {
    int32_t tone_control[5];  // outputs wanted at inputs 0, 64, 128, 192, 255
    uint8_t tone_table[256];  // corrected level per grey level (0 = black)
};
extern ToneCurve g_tone;

// The factory curve.
extern const uint8_t default_tone_table[256];

struct CurvePoint {
    int32_t x, y;
};

uint8_t tone_get(int index);
void tone_set(int index, int32_t value);  // stores the low 8 bits
void tone_reset_default();
// Evaluates the curve from tone_control into tone_table.
void tone_apply();
// Resets the table to the factory curve and takes its five control values from it.
void tone_load_defaults();
// 256 samples of the degree-4 Bezier curve through the five control points, in IEEE
// double with a fixed order of operations, truncated toward zero.
void bezier4_sample(const CurvePoint control[5], CurvePoint out[256]);

void tone_reset();
