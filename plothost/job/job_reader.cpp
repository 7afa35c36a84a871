#include "job_reader.h"

#include <cctype>
#include <cstdlib>

namespace job {

namespace {

constexpr char ESC = 27;

// The fixed set-up block that opens the QDPX page and its trailer: its 18 records do not
// follow the word-count rule (the last is cut to two bytes), so it is read as one unit.
const unsigned char k_qdpx_setup[70] = {
    0x18, 0x01, 0x00, 0x00, 0x18, 0x02, 0x00, 0x00, 0x18, 0x02, 0xFF, 0xFF, 0x18, 0x01, 0x00, 0x00, 0x18, 0x02,
    0x00, 0x00, 0x18, 0x02, 0xFF, 0xFE, 0x18, 0x01, 0x00, 0x00, 0x18, 0x02, 0x00, 0x00, 0x18, 0x02, 0xFF, 0xFD,
    0x18, 0x01, 0x00, 0x00, 0x18, 0x02, 0x00, 0x00, 0x18, 0x02, 0xFF, 0xFC, 0x18, 0x01, 0x00, 0x00, 0x18, 0x02,
    0x00, 0x00, 0x18, 0x02, 0xFF, 0xFB, 0x18, 0x01, 0x00, 0x00, 0x18, 0x02, 0x00, 0x00, 0x18, 0x02,
};

struct Reader {
    const std::string& b;
    size_t i = 0;
    Job job;
    int64_t x = 0, y = 0;  // HP-GL/2 pen position, device units

    bool at_end() const { return i >= b.size(); }
    bool starts(const char* s) const { return b.compare(i, std::char_traits<char>::length(s), s) == 0; }

    void junk(size_t from, size_t to) {
        if (!job.items.empty() && job.items.back().kind == Item::JUNK && job.items.back().offset + job.items.back().length == from) {
            job.items.back().length += to - from;
            job.items.back().data += b.substr(from, to - from);
            return;
        }
        Item it;
        it.kind = Item::JUNK;
        it.offset = from;
        it.length = to - from;
        it.data = b.substr(from, to - from);
        job.items.push_back(std::move(it));
    }

    // A PCL escape sequence at i (which holds ESC). Returns false if malformed.
    bool escape() {
        size_t start = i;
        size_t k = i + 1;
        if (k >= b.size()) return false;
        char param = b[k++];
        if (param < 0x21 || param > 0x2F) return false;
        std::string group;
        if (k < b.size() && b[k] >= 0x60 && b[k] <= 0x7E) group = b[k++];
        for (;;) {
            size_t vstart = k;
            while (k < b.size() && (std::isdigit(static_cast<unsigned char>(b[k])) || b[k] == '-' || b[k] == '+' || b[k] == '.')) ++k;
            std::string value = b.substr(vstart, k - vstart);
            if (k >= b.size()) return false;
            char term = b[k++];
            bool last = term >= 0x40 && term <= 0x5E;
            bool more = term >= 0x60 && term <= 0x7E;
            if (!last && !more) return false;
            Item it;
        it.kind = Item::RTL;
            it.offset = start;
            it.mnemonic = std::string(1, param) + group + static_cast<char>(std::toupper(term));
            it.params = value;
            if (std::toupper(term) == 'W') {
                long n = std::strtol(value.c_str(), nullptr, 10);
                if (n < 0 || static_cast<size_t>(n) > b.size() - k) return false;
                it.data = b.substr(k, n);
                k += n;
            }
            it.length = k - start;
            job.items.push_back(std::move(it));
            start = k;
            if (last) break;
        }
        i = k;
        return true;
    }

    void pjl_lines() {
        while (!at_end() && starts("@PJL")) {
            size_t end = b.find('\n', i);
            size_t stop = end == std::string::npos ? b.size() : end + 1;
            Item it;
        it.kind = Item::PJL;
            it.offset = i;
            it.length = stop - i;
            it.params = b.substr(i, stop - i);
            while (!it.params.empty() && (it.params.back() == '\n' || it.params.back() == '\r')) it.params.pop_back();
            job.items.push_back(std::move(it));
            i = stop;
        }
    }

    // Polyline-encoded data after "PE": flags and numbers up to ';' or ESC.
    void pe(size_t start) {
        Item it;
        it.kind = Item::PE;
        it.offset = start;
        it.mnemonic = "PE";
        bool up = false;
        if (i < b.size() && b[i] == '7') {
            ++i;
        } else {
            it.pe_8bit = true;
        }
        int64_t pending[2];
        int have = 0;
        while (i < b.size() && b[i] != ';' && b[i] != ESC) {
            char c = b[i];
            if (c == '<') { up = true; ++i; continue; }
            if (c == '>' || c == '=') { ++i; continue; }  // fraction/absolute flags: the driver never sends them
            int64_t v;
            if (!pe_decode_number(b, i, it.pe_8bit, v)) break;
            pending[have++] = v;
            if (have == 2) {
                x = clamp_i64(static_cast<double>(x) + static_cast<double>(pending[0]));
                y = clamp_i64(static_cast<double>(y) + static_cast<double>(pending[1]));
                it.steps.push_back({!up, x, y});
                up = false;
                have = 0;
            }
        }
        it.params = b.substr(start + 2, i - start - 2);
        if (i < b.size() && b[i] == ';') ++i;
        it.length = i - start;
        job.items.push_back(std::move(it));
    }

    // Tracks the pen position through the absolute and relative moves the driver sends.
    void track(const std::string& m, const std::string& params) {
        std::vector<double> n = hpgl_numbers(params);
        if ((m == "PA" || m == "PU" || m == "PD") && n.size() >= 2) {
            x = clamp_i64(n[n.size() - 2]);
            y = clamp_i64(n[n.size() - 1]);
        } else if (m == "PR" && n.size() >= 2) {
            x = clamp_i64(static_cast<double>(x) + n[0]);
            y = clamp_i64(static_cast<double>(y) + n[1]);
        }
    }

    void hpgl() {
        while (!at_end()) {
            char c = b[i];
            if (c == ESC) return;
            if (c == ';' || c == ' ' || c == '\r' || c == '\n') { ++i; continue; }
            if (!std::isalpha(static_cast<unsigned char>(c)) || i + 1 >= b.size() || !std::isalpha(static_cast<unsigned char>(b[i + 1]))) {
                junk(i, i + 1);
                ++i;
                continue;
            }
            size_t start = i;
            std::string m{static_cast<char>(std::toupper(c)), static_cast<char>(std::toupper(b[i + 1]))};
            i += 2;
            if (m == "PE") { pe(start); continue; }
            size_t pstart = i;
            bool quoted = false;
            while (i < b.size()) {
                char d = b[i];
                if (d == '"') { quoted = !quoted; ++i; continue; }
                if (quoted) { ++i; continue; }
                if (d == ';' || d == ESC || std::isalpha(static_cast<unsigned char>(d))) break;
                ++i;
            }
            Item it;
        it.kind = Item::HPGL;
            it.offset = start;
            it.mnemonic = m;
            it.params = b.substr(pstart, i - pstart);
            if (i < b.size() && b[i] == ';') ++i;
            it.length = i - start;
            track(m, it.params);
            job.items.push_back(std::move(it));
        }
    }

    void read_hpgl_job() {
        while (!at_end()) {
            if (b[i] == ESC) {
                size_t start = i;
                if (!escape()) {
                    junk(start, start + 1);
                    i = start + 1;
                    continue;
                }
                const Item& e = job.items.back();
                if (e.mnemonic == "%X") pjl_lines();
                else if (e.mnemonic == "%B") hpgl();
                continue;
            }
            if (starts("@PJL")) { pjl_lines(); continue; }
            hpgl();
        }
    }

    void read_qdpx_job() {
        while (!at_end()) {
            size_t start = i;
            uint8_t op = static_cast<uint8_t>(b[i]);
            if (b.compare(i, sizeof k_qdpx_setup, reinterpret_cast<const char*>(k_qdpx_setup), sizeof k_qdpx_setup) == 0) {
                Item it;
                it.kind = Item::QDPX;
                it.offset = start;
                it.opcode = 0x18;
                it.sub = 0xFE;  // the whole block
                it.length = sizeof k_qdpx_setup;
                i += it.length;
                job.items.push_back(std::move(it));
                continue;
            }
            Item it;
        it.kind = Item::QDPX;
            it.offset = start;
            it.opcode = op;
            if (op == 0x9B) {
                if (i + 4 > b.size()) break;
                it.sub = static_cast<uint8_t>(b[i + 1]);
                size_t count_bytes = it.sub == 0x5C ? 4 : 2;
                if (i + 2 + count_bytes > b.size()) break;
                int64_t n = count_bytes == 4 ? static_cast<uint32_t>(be_number(b, i + 2, 4)) : static_cast<uint16_t>(be_number(b, i + 2, 2));
                size_t data_at = i + 2 + count_bytes;
                // A placement at 300 or 600 dpi carries no target size but keeps the byte
                // count of the full record: its 18 bytes end with 00 01 before the next
                // command.
                if (it.sub == 0x5F && n == 26 && data_at + 19 <= b.size() && b[data_at + 16] == 0 && b[data_at + 17] == 1 &&
                    static_cast<uint8_t>(b[data_at + 18]) == 0x9B)
                    n = 18;
                if (static_cast<uint64_t>(n) > b.size() - data_at) break;
                it.data = b.substr(data_at, n);
                i = data_at + n;
            } else if (op == 0xFF) {
                if (i + 4 > b.size()) break;
                it.sub = static_cast<uint8_t>(b[i + 1]);
                size_t n = static_cast<uint16_t>(be_number(b, i + 2, 2));
                if (2 * n > b.size() - (i + 4)) break;
                it.data = b.substr(i + 4, 2 * n);
                i += 4 + 2 * n;
            } else {
                if (i + 2 > b.size()) break;
                size_t n = static_cast<uint8_t>(b[i + 1]);
                if (2 * n > b.size() - (i + 2)) break;
                for (size_t k = 0; k < n; ++k) it.words.push_back(be_number(b, i + 2 + 2 * k, 2));
                it.data = b.substr(i + 2, 2 * n);
                i += 2 + 2 * n;
            }
            it.length = i - start;
            job.items.push_back(std::move(it));
        }
        if (!at_end()) junk(i, b.size());
        i = b.size();
    }
};

}  // namespace

bool pe_decode_number(const std::string& bytes, size_t& i, bool eight_bit, int64_t& value) {
    const int base_bits = eight_bit ? 6 : 5;
    const int last_from = eight_bit ? 191 : 95;
    const int last_to = eight_bit ? 254 : 126;
    uint64_t u = 0;
    int shift = 0;
    size_t k = i;
    while (k < bytes.size()) {
        int c = static_cast<uint8_t>(bytes[k++]);
        if (c >= last_from && c <= last_to) {
            u |= static_cast<uint64_t>(c - last_from) << shift;
            i = k;
            value = (u & 1) ? -static_cast<int64_t>((u - 1) / 2) : static_cast<int64_t>(u / 2);
            return true;
        }
        if (c < 63 || c > 63 + (1 << base_bits) - 1 || shift > 56) return false;
        u |= static_cast<uint64_t>(c - 63) << shift;
        shift += base_bits;
    }
    return false;
}

std::vector<double> hpgl_numbers(const std::string& params) {
    std::vector<double> out;
    const char* p = params.c_str();
    while (*p) {
        while (*p == ',' || *p == ' ') ++p;
        if (!*p) break;
        char* end;
        double v = std::strtod(p, &end);
        if (end == p) break;
        out.push_back(v);
        p = end;
    }
    return out;
}

int64_t clamp_i64(double v) {
    constexpr double LIMIT = 4.0e18;
    if (!(v > -LIMIT)) return v != v ? 0 : -static_cast<int64_t>(LIMIT);
    if (!(v < LIMIT)) return static_cast<int64_t>(LIMIT);
    return static_cast<int64_t>(v);
}

int32_t be_number(const std::string& bytes, size_t at, int n) {
    uint32_t v = 0;
    for (int k = 0; k < n; ++k) v = v << 8 | static_cast<uint8_t>(bytes[at + k]);
    if (n == 2) return static_cast<int16_t>(v);
    return static_cast<int32_t>(v);
}

Job read_job(const std::string& bytes) {
    Reader r{bytes, 0, Job{}, 0, 0};
    if (!bytes.empty() && static_cast<uint8_t>(bytes[0]) == 0x9B) {
        r.job.language = Language::QDPX;
        r.read_qdpx_job();
    } else {
        r.job.language = bytes.compare(0, 9, "\x1b%-12345X") == 0 ? Language::HPGL : Language::UNKNOWN;
        r.read_hpgl_job();
    }
    return std::move(r.job);
}

}  // namespace job
