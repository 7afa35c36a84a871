#include "record_fields.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace sim {

namespace {

const std::vector<RecordField> k_fields = {
    // name               offset width signed  min     max     hex
    {"copies",            0,     4,    true,   1,      99,     false},
    {"paper_index",       4,     4,    true,   1,      41,     false},
    {"custom_length_mm",  8,     4,    true,   1,      15000,  false},
    {"media_index",       12,    2,    true,   0,      3,      false},
    {"finisher_program",  14,    2,    true,   0,      20,     false},
    {"finisher_margin",   16,    2,    true,   0,      1,      false},
    {"output_bin",        18,    2,    true,   0,      14,     false},
    {"red_pen",           20,    4,    true,   1,      255,    false},
    {"reserved",          24,    2,    true,   -32768, 32767,  false},
    {"margin_mm",         26,    2,    true,   0,      10,     false},
    {"plot_flags",        28,    2,    false,  0,      0xFFFF, true},
    {"output_flags",      30,    2,    false,  0,      0xFFFF, true},
    {"model_index",       32,    2,    true,   0,      0,      false},
    {"tone_point0",       34,    1,    false,  0,      255,    false},
    {"tone_point1",       35,    1,    false,  0,      255,    false},
    {"tone_point2",       36,    1,    false,  0,      255,    false},
    {"tone_point3",       37,    1,    false,  0,      255,    false},
    {"tone_point4",       38,    1,    false,  0,      255,    false},
    {"pad",               39,    1,    false,  0,      255,    false},
};

int64_t width_min(const RecordField& f) { return f.is_signed ? -(int64_t{1} << (8 * f.width - 1)) : 0; }
int64_t width_max(const RecordField& f) {
    return f.is_signed ? (int64_t{1} << (8 * f.width - 1)) - 1 : (int64_t{1} << (8 * f.width)) - 1;
}

std::string range_text(const RecordField& f, int64_t lo, int64_t hi) {
    char b[64];
    if (f.hex) std::snprintf(b, sizeof b, "0x%llX..0x%llX", static_cast<long long>(lo), static_cast<long long>(hi));
    else std::snprintf(b, sizeof b, "%lld..%lld", static_cast<long long>(lo), static_cast<long long>(hi));
    return b;
}

}  // namespace

const std::vector<RecordField>& record_fields() { return k_fields; }

const RecordField& record_field(const std::string& name) {
    for (const RecordField& f : k_fields)
        if (name == f.name) return f;
    std::string names;
    for (const RecordField& f : k_fields) names += std::string(names.empty() ? "" : ", ") + f.name;
    throw RecordFieldError("unknown record field '" + name + "' (fields: " + names + ")");
}

int64_t record_get(const uint8_t* record, const RecordField& f) {
    uint32_t u = 0;
    for (int i = 0; i < f.width; ++i) u |= static_cast<uint32_t>(record[f.offset + i]) << (8 * i);
    if (!f.is_signed) return u;
    int64_t v = u;
    if (v > width_max(f)) v -= int64_t{1} << (8 * f.width);
    return v;
}

void record_put(uint8_t* record, const RecordField& f, int64_t value, RecordEdit edit) {
    int64_t lo = edit == RecordEdit::checked ? f.min : width_min(f);
    int64_t hi = edit == RecordEdit::checked ? f.max : width_max(f);
    if (value < lo || value > hi) {
        std::string what = edit == RecordEdit::checked ? "the allowed range " : "what the field holds, ";
        throw RecordFieldError(std::string(f.name) + ": " + std::to_string(value) + " is outside " + what + range_text(f, lo, hi));
    }
    uint32_t u = static_cast<uint32_t>(value);
    for (int i = 0; i < f.width; ++i) record[f.offset + i] = static_cast<uint8_t>(u >> (8 * i));
}

void record_set(uint8_t* record, const std::string& name, const std::string& value, RecordEdit edit) {
    const RecordField& f = record_field(name);
    // Decimal, or hexadecimal after 0x; a leading 0 does not make it octal.
    bool hex = value.size() > 2 && value[0] == '0' && (value[1] == 'x' || value[1] == 'X');
    const char* s = value.c_str() + (hex ? 2 : 0);
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(s, &end, hex ? 16 : 10);
    if (*s == '\0' || std::isspace(static_cast<unsigned char>(*s)) || *end != '\0' || errno == ERANGE || (hex && *s == '-')) {
        int64_t lo = edit == RecordEdit::checked ? f.min : width_min(f);
        int64_t hi = edit == RecordEdit::checked ? f.max : width_max(f);
        throw RecordFieldError(std::string(f.name) + ": '" + value + "' is not a number in " + range_text(f, lo, hi));
    }
    record_put(record, f, v, edit);
}

void record_assign(uint8_t* record, const std::string& assignment, RecordEdit edit) {
    size_t eq = assignment.find('=');
    if (eq == std::string::npos) throw RecordFieldError("'" + assignment + "' is not FIELD=VALUE");
    record_set(record, assignment.substr(0, eq), assignment.substr(eq + 1), edit);
}

std::string record_format(const uint8_t* record, const RecordField& f) {
    int64_t v = record_get(record, f);
    char b[32];
    if (f.hex) std::snprintf(b, sizeof b, "0x%0*llX", 2 * f.width, static_cast<long long>(v));
    else std::snprintf(b, sizeof b, "%lld", static_cast<long long>(v));
    return b;
}

std::string record_show(const uint8_t* record) {
    std::string out;
    for (const RecordField& f : k_fields) {
        int64_t v = record_get(record, f);
        out += std::string(f.name) + " = " + record_format(record, f);
        if (v < f.min || v > f.max) out += "  (outside " + range_text(f, f.min, f.max) + ")";
        out += "\n";
    }
    return out;
}

}  // namespace sim
