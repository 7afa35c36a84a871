// Reads a printer job the driver wrote into a list of items: PJL lines, HP-GL/2
// instructions (polyline-encoded numbers decoded to absolute device coordinates),
// HP-RTL escape sequences with their raster data, and QDPX records.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace job {

enum class Language { HPGL, QDPX, UNKNOWN };

// One pen move inside a polyline-encoded instruction, in absolute device units.
struct PeStep {
    bool pen_down;
    int64_t x, y;
};

struct Item {
    enum Kind {
        PJL,          // text: the line without CR LF (or "UEL" for the universal exit)
        HPGL,         // mnemonic + params (raw parameter text)
        PE,           // polyline-encoded instruction: steps
        RTL,          // PCL escape: group, value, terminator; data for W
        QDPX,         // record: opcode, sub (FF records), words or bytes
        JUNK,         // bytes that belong to nothing the reader knows
    } kind = JUNK;
    size_t offset = 0;        // where the item starts in the job
    size_t length = 0;        // bytes it spans
    std::string mnemonic;     // HPGL/PE: two letters; RTL: e.g. "*b" + terminator "W"
    std::string params;       // HPGL: parameter text; RTL: the value text; PJL: the line
    std::vector<PeStep> steps;  // PE
    bool pe_8bit = false;       // PE: 8-bit (base 64) numbers
    uint8_t opcode = 0, sub = 0;  // QDPX
    std::vector<int32_t> words;   // QDPX vector records: the 16-bit words (sign-extended)
    std::string data;             // RTL W data, QDPX job-level parameter bytes / image data
};

struct Job {
    Language language = Language::UNKNOWN;
    std::vector<Item> items;
};

// Never fails: bytes the reader does not understand become JUNK items.
Job read_job(const std::string& bytes);

// Decodes one polyline-encoded number at bytes[i] (advancing i); false when the bytes end
// inside the number.
bool pe_decode_number(const std::string& bytes, size_t& i, bool eight_bit, int64_t& value);

// Numbers of an HP-GL/2 parameter text ("48768,36576" -> {48768, 36576}).
std::vector<double> hpgl_numbers(const std::string& params);

// A number from the job as an integer, clamped: job values are arbitrary bytes.
int64_t clamp_i64(double v);
inline int clamp_int(double v) {
    int64_t w = clamp_i64(v);
    return w < -2147483647 ? -2147483647 : w > 2147483647 ? 2147483647 : static_cast<int>(w);
}

// A big-endian number of n bytes (n = 2 or 4), sign-extended.
int32_t be_number(const std::string& bytes, size_t at, int n);

}  // namespace job
