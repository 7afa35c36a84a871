// Windows-1252 text literals, converted from the UTF-8 sources at compile time.
//
// The driver's texts are single-byte Windows-1252 ("Tamaño" is 6 bytes). Sources are
// UTF-8, so every literal with a non-ASCII character passes through cp1252<...>: a
// character outside Windows-1252 is a compile error, never a silently wrong byte.
#pragma once
#include <array>
#include <cstddef>

namespace cp1252_detail {

// Never defined: reaching a call while a literal is converted makes the conversion fail
// to compile, with the reason in the diagnostic.
void invalid_literal(const char* reason);

// Windows-1252 bytes 0x80..0x9F and the code points they stand for (0 = unused byte).
inline constexpr char32_t k_high_c1[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178,
};

// Decodes one UTF-8 sequence at s[i], advancing i.
consteval char32_t next_code_point(const char* s, std::size_t& i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0) invalid_literal("invalid UTF-8 lead byte");
    char32_t cp = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
    ++i;
    for (int k = 0; k < extra; ++k, ++i) {
        unsigned char cc = static_cast<unsigned char>(s[i]);
        if ((cc & 0xC0) != 0x80) invalid_literal("invalid UTF-8 continuation byte");
        cp = (cp << 6) | (cc & 0x3F);
    }
    return cp;
}

consteval char to_byte(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
    for (int k = 0; k < 32; ++k)
        if (k_high_c1[k] != 0 && k_high_c1[k] == cp) return static_cast<char>(0x80 + k);
    invalid_literal("character outside Windows-1252");
    return 0;
}

// Number of Windows-1252 bytes of a UTF-8 text of n bytes (n without the NUL).
consteval std::size_t converted_length(const char* s, std::size_t n) {
    std::size_t len = 0;
    for (std::size_t i = 0; i < n;) {
        to_byte(next_code_point(s, i));
        ++len;
    }
    return len;
}

template <std::size_t N>
struct Utf8Literal {
    char s[N]{};
    consteval Utf8Literal(const char (&a)[N]) {
        for (std::size_t k = 0; k < N; ++k) s[k] = a[k];
    }
};

template <Utf8Literal L>
consteval auto convert() {
    constexpr std::size_t len = converted_length(L.s, sizeof(L.s) - 1);
    std::array<char, len + 1> out{};
    std::size_t o = 0;
    for (std::size_t i = 0; i < sizeof(L.s) - 1;) out[o++] = to_byte(next_code_point(L.s, i));
    out[len] = '\0';
    return out;
}

template <Utf8Literal L>
inline constexpr auto k_converted = convert<L>();

}  // namespace cp1252_detail

// The NUL-terminated Windows-1252 form of a UTF-8 literal, with static storage.
#define CP1252(lit) (::cp1252_detail::k_converted<lit>.data())

// A fixed-width field of W bytes holding the Windows-1252 form of a UTF-8 literal,
// NUL-padded; a text that does not fit (with its NUL) is a compile error.
template <std::size_t W, std::size_t N>
consteval std::array<char, W> cp1252_field(const char (&a)[N]) {
    std::array<char, W> out{};
    std::size_t o = 0;
    for (std::size_t i = 0; i < N - 1;) {
        if (o + 1 >= W) cp1252_detail::invalid_literal("text does not fit its field");
        out[o++] = cp1252_detail::to_byte(cp1252_detail::next_code_point(a, i));
    }
    return out;
}
