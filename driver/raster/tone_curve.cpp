#include "tone_curve.h"

#include <cstring>

// Entry g at row g / 16, column g % 16. constexpr: the tone table at load is built from it
// at compile time, which clang accepts only from a constant.
extern constexpr uint8_t default_tone_table[256] = {
    0,   3,   6,   12,  14,  17,  20,  22,  25,  28,  30,  32,  35,  37,  39,  42,
    44,  46,  48,  50,  52,  54,  56,  58,  60,  62,  64,  66,  68,  70,  72,  73,
    75,  77,  79,  80,  82,  84,  85,  87,  89,  90,  92,  93,  95,  97,  98,  100,
    101, 102, 104, 105, 107, 108, 110, 111, 112, 114, 115, 116, 118, 119, 120, 122,
    123, 124, 126, 127, 128, 129, 130, 132, 133, 134, 135, 136, 138, 139, 140, 141,
    142, 143, 144, 145, 146, 147, 148, 149, 150, 151, 152, 153, 154, 155, 156, 157,
    158, 159, 160, 161, 162, 163, 164, 165, 166, 167, 168, 169, 170, 170, 171, 172,
    173, 174, 175, 176, 177, 178, 178, 179, 180, 181, 182, 183, 183, 184, 185, 186,
    187, 188, 188, 189, 190, 191, 191, 192, 193, 194, 194, 195, 196, 197, 197, 198,
    199, 200, 200, 201, 202, 202, 203, 204, 204, 205, 206, 207, 207, 208, 209, 209,
    210, 210, 211, 212, 212, 213, 214, 214, 215, 215, 216, 217, 217, 218, 218, 219,
    220, 220, 221, 221, 222, 222, 223, 224, 224, 225, 225, 226, 226, 227, 227, 228,
    228, 229, 229, 230, 230, 231, 231, 232, 232, 233, 233, 234, 234, 235, 235, 236,
    236, 237, 237, 238, 238, 239, 239, 239, 240, 240, 241, 241, 242, 242, 242, 243,
    243, 244, 244, 245, 245, 245, 246, 246, 246, 247, 247, 248, 248, 248, 249, 249,
    249, 250, 250, 251, 251, 251, 252, 252, 252, 253, 253, 253, 254, 254, 254, 255,
};

namespace {

constexpr ToneCurve tone_at_load() {
    ToneCurve t{};
    for (int i = 0; i < 256; ++i) t.tone_table[i] = default_tone_table[i];
    return t;
}

constexpr double STEP = 0.00392156862745098;  // the double nearest 1/255

// Truncation toward zero, guarded: a control value far outside 0..255 cannot make the
// conversion undefined.
int32_t truncate_to_i32(double v) {
    if (!(v > -2147483648.0)) return INT32_MIN;
    if (!(v < 2147483648.0)) return INT32_MAX;
    return static_cast<int32_t>(v);
}

}  // namespace

ToneCurve g_tone = tone_at_load();

uint8_t tone_get(int index) { return g_tone.tone_table[index & 0xFF]; }

void tone_set(int index, int32_t value) { g_tone.tone_table[index & 0xFF] = static_cast<uint8_t>(value & 0xFF); }

void tone_reset_default() { std::memcpy(g_tone.tone_table, default_tone_table, 256); }

void bezier4_sample(const CurvePoint control[5], CurvePoint out[256]) {
    for (int i = 0; i < 256; ++i) {
        // The terms are formed and summed in this exact order so that every build computes
        // the same table (no fused multiply-add, no extended precision).
        double t = i * STEP;
        double s = 1.0 - t;
        double s2 = s * s;
        double a = (4 * i * s2) * s;
        double b = (t * t) * s2;
        double c = t * t;
        double d = (s * c) * t;
        double e = c * c;
        double px = ((((s2 * s2) * control[0].x + (b * control[2].x) * 6) + (d * control[3].x) * 4) +
                     (control[1].x * a) * STEP) + control[4].x * e;
        double py = ((((s2 * s2) * control[0].y + (b * control[2].y) * 6) + (d * control[3].y) * 4) +
                     (control[1].y * a) * STEP) + control[4].y * e;
        out[i] = {truncate_to_i32(px), truncate_to_i32(py)};
    }
}

void tone_apply() {
    const int32_t* y = g_tone.tone_control;
    const CurvePoint control[5] = {{0, y[0]}, {64, y[1]}, {128, y[2]}, {192, y[3]}, {256, y[4]}};
    CurvePoint samples[256];
    bezier4_sample(control, samples);
    for (int i = 0; i < 256; ++i) tone_set(i, samples[i].y);
}

void tone_load_defaults() {
    tone_reset_default();
    static const int k_inputs[5] = {0, 64, 128, 192, 255};
    for (int k = 0; k < 5; ++k) g_tone.tone_control[k] = tone_get(k_inputs[k]);
}

void tone_reset() { g_tone = tone_at_load(); }
