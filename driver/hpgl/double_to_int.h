// Conversions from double to a 32-bit integer for values that derive from the host.
//
// A conversion of a value outside the integer's range is undefined behaviour, and a host
// can send any bit pattern as a double, so every such conversion goes through these:
// out-of-range values are clamped to the given limits and NaN takes a chosen value.
#pragma once
#include <cmath>
#include <cstdint>

// Truncation toward zero into [lo, hi]; NaN gives if_nan.
inline int32_t trunc_to_i32(double v, int32_t lo, int32_t hi, int32_t if_nan) {
    if (std::isnan(v)) return if_nan;
    if (v <= static_cast<double>(lo)) return lo;
    if (v >= static_cast<double>(hi)) return hi;
    return static_cast<int32_t>(v);
}

// Rounding down into [lo, hi]; NaN gives if_nan.
inline int32_t floor_to_i32(double v, int32_t lo, int32_t hi, int32_t if_nan) {
    if (std::isnan(v)) return if_nan;
    return trunc_to_i32(std::floor(v), lo, hi, if_nan);
}
