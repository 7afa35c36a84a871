// Reads a fuzz input front to back as little-endian values; past the end every value is
// 0, so any input is a complete script. Seeds can be written by hand in the same order.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : p_(data), n_(size) {}

    bool empty() const { return at_ >= n_; }
    uint8_t u8() { return at_ < n_ ? p_[at_++] : 0; }
    uint16_t u16() { return static_cast<uint16_t>(u8() | u8() << 8); }
    uint32_t u32() { return u16() | static_cast<uint32_t>(u16()) << 16; }
    int16_t i16() { return static_cast<int16_t>(u16()); }
    int32_t i32() { return static_cast<int32_t>(u32()); }
    double f64() {
        uint64_t v = u32() | static_cast<uint64_t>(u32()) << 32;
        double d;
        std::memcpy(&d, &v, 8);
        return d;
    }
    // Copies up to n bytes (what is left of them), zero-filling the rest.
    void bytes(void* out, size_t n) {
        if (n == 0) return;
        size_t k = n_ - at_ < n ? n_ - at_ : n;
        if (k) std::memcpy(out, p_ + at_, k);
        std::memset(static_cast<uint8_t*>(out) + k, 0, n - k);
        at_ += k;
    }

private:
    const uint8_t* p_;
    size_t n_;
    size_t at_ = 0;
};
