// Splits the bytes a raster image sent into readable commands, for tests: HP-RTL escape
// sequences and HP-GL/2 text, or QDPX records, with the image data of each block kept
// apart.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct RasterStream {
    std::vector<std::string> commands;       // "\e" shown as "E", binary data as "DATA"
    std::vector<std::vector<uint8_t>> data;  // the data of every "*b...W" or 9B 5C, in order
};

// HP-RTL: escape sequences end at their upper-case letter; "*b%dW" is followed by that
// many bytes; everything between escape sequences is HP-GL/2 text.
inline RasterStream split_rtl(const std::string& job) {
    RasterStream s;
    size_t i = 0;
    while (i < job.size()) {
        if (job[i] == '\x1b') {
            size_t j = i + 1;
            while (j < job.size() && !(job[j] >= 'A' && job[j] <= 'Z')) ++j;
            std::string cmd("E");
            cmd.append(job, i + 1, j - i);
            s.commands.push_back(cmd);
            i = j + 1;
            if (cmd.size() > 3 && cmd.compare(0, 3, "E*b") == 0 && cmd.back() == 'W') {
                size_t n = std::stoul(cmd.substr(3));
                s.data.emplace_back(job.begin() + static_cast<long>(i), job.begin() + static_cast<long>(std::min(job.size(), i + n)));
                s.commands.push_back("DATA");
                i += n;
            }
        } else {
            size_t j = job.find('\x1b', i);
            if (j == std::string::npos) j = job.size();
            s.commands.push_back(job.substr(i, j - i));
            i = j;
        }
    }
    return s;
}

inline std::string hex_bytes(const uint8_t* p, size_t n) {
    std::string out;
    char b[4];
    for (size_t k = 0; k < n; ++k) {
        std::snprintf(b, sizeof b, "%02X ", p[k]);
        out += b;
    }
    if (!out.empty()) out.pop_back();
    return out;
}

// QDPX: 9B, command, 16-bit length and parameters; 9B 5C carries a 32-bit length and the
// data, shown as "9B 5C <length> DATA".
inline RasterStream split_qdpx(const std::string& job) {
    RasterStream s;
    const uint8_t* p = reinterpret_cast<const uint8_t*>(job.data());
    size_t i = 0, n = job.size();
    while (i < n) {
        if (p[i] != 0x9B || i + 4 > n) {
            s.commands.push_back(std::string("?").append(hex_bytes(p + i, n - i)));
            break;
        }
        if (p[i + 1] == 0x5C && i + 6 <= n) {
            size_t len = (size_t(p[i + 2]) << 24) | (size_t(p[i + 3]) << 16) | (size_t(p[i + 4]) << 8) | p[i + 5];
            s.commands.push_back(hex_bytes(p + i, 6) + " DATA");
            s.data.emplace_back(p + i + 6, p + std::min(n, i + 6 + len));
            i += 6 + len;
            continue;
        }
        size_t len = (size_t(p[i + 2]) << 8) | p[i + 3];
        // The placement record's length counts its target size even when it is left out.
        if (p[i + 1] == 0x5F) {
            size_t k = i + 4 + 16;
            if (k + 2 <= n && p[k] == 0x00 && p[k + 1] == 0x01) len = 18;
        }
        s.commands.push_back(hex_bytes(p + i, std::min(n - i, 4 + len)));
        i += 4 + len;
    }
    return s;
}
