// Golden fixtures under tests/data: job bytes kept as a hex listing with a text column, so
// that a change shows as a line diff. WFDRV_UPDATE_GOLDEN=1 rewrites a fixture instead of
// checking it (then review the diff before committing it).
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

inline std::string hex_listing(const std::string& bytes) {
    std::string out;
    char line[128];
    for (size_t at = 0; at < bytes.size(); at += 16) {
        int n = std::snprintf(line, sizeof line, "%08zX ", at);
        std::string text;
        for (size_t i = at; i < at + 16; ++i) {
            if (i < bytes.size()) {
                unsigned char c = static_cast<unsigned char>(bytes[i]);
                n += std::snprintf(line + n, sizeof line - n, " %02X", c);
                text += c >= 32 && c < 127 ? static_cast<char>(c) : '.';
            } else {
                n += std::snprintf(line + n, sizeof line - n, "   ");
            }
        }
        out += std::string(line) + "  |" + text + "|\n";
    }
    return out;
}

inline void expect_golden(const std::string& name, const std::string& bytes) {
    const std::string path = std::string(WFDRV_TEST_DATA) + "/" + name;
    const std::string listing = hex_listing(bytes);
    const char* update = std::getenv("WFDRV_UPDATE_GOLDEN");
    if (update && *update == '1') {
        std::ofstream(path, std::ios::binary) << listing;
        return;
    }
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << "missing fixture " << path << " (WFDRV_UPDATE_GOLDEN=1 writes it)";
    std::stringstream stored;
    stored << in.rdbuf();
    if (stored.str() == listing) return;
    std::istringstream a(stored.str()), b(listing);
    std::string la, lb;
    int line = 1;
    while (std::getline(a, la) && std::getline(b, lb) && la == lb) ++line;
    ADD_FAILURE() << name << " differs first at line " << line << "\n  fixture: " << la << "\n  now:     " << lb;
}
