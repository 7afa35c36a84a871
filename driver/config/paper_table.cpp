#include "paper_table.h"

#include <cstring>

#include "config_record.h"
#include "host/cp1252.h"

namespace {

// Paper rows per model, numbered as paper_index counts them. A model's list ends at the
// first empty name (or at its last slot).
// clang-format off
constexpr PaperSize k_paper_rows[MODEL_COUNT][PAPER_ROWS_PER_MODEL] = {{
    //       name                                                  length_in width_in custom max_mm
    /*  0 */ {},  // never used
    /*  1 */ {cp1252_field<56>("E-arch(36pulg)    "),                     48.0,   36.0, 0,     0},
    /*  2 */ {cp1252_field<56>("D-arch(24pulg)    "),                     36.0,   24.0, 0,     0},
    /*  3 */ {cp1252_field<56>("C-arch(18pulg)    "),                     24.0, 17.973, 0,     0},
    /*  4 */ {cp1252_field<56>("B-arch(12pulg)    "),                   17.973,   12.0, 0,     0},
    /*  5 */ {cp1252_field<56>("A-arch(9pulg)     "),                     12.0,   8.96, 0,     0},
    /*  6 */ {cp1252_field<56>("E-ANSI(34pulg)    "),                     44.0,   34.0, 0,     0},
    /*  7 */ {cp1252_field<56>("D-ANSI(22pulg)    "),                     34.0,   22.0, 0,     0},
    /*  8 */ {cp1252_field<56>("C-ANSI(17pulg)    "),                     22.0,   17.0, 0,     0},
    /*  9 */ {cp1252_field<56>("B-ANSI(11pulg)    "),                     17.0,   11.0, 0,     0},
    /* 10 */ {cp1252_field<56>("A-ANSI(8.5pulg)   "),                     11.0,    8.5, 0,     0},
    /* 11 */ {cp1252_field<56>("A0                "),                   46.773,  33.12, 0,     0},
    /* 12 */ {cp1252_field<56>("A1                "),                    33.12,  23.36, 0,     0},
    /* 13 */ {cp1252_field<56>("A2                "),                    23.36, 16.533, 0,     0},
    /* 14 */ {cp1252_field<56>("A3                "),                   16.533,  11.68, 0,     0},
    /* 15 */ {cp1252_field<56>("A4                "),                    11.68,  8.266, 0,     0},
    /* 16 */ {cp1252_field<56>("Esp. A0 880 x 1230"),                   48.426, 34.613, 0,     0},
    /* 17 */ {cp1252_field<56>("Esp. A1 625 x 880 "),                   34.613, 24.586, 0,     0},
    /* 18 */ {cp1252_field<56>("Esp. A1 620 x 871 "),                   34.293, 24.373, 0,     0},
    /* 19 */ {cp1252_field<56>("Esp. A2 440 x 625 "),                   24.586, 17.333, 0,     0},
    /* 20 */ {cp1252_field<56>("Esp. A2 435 x 620 "),                   24.373,  17.12, 0,     0},
    /* 21 */ {cp1252_field<56>("Esp. A3 312 x 440 "),                   17.333, 12.266, 0,     0},
    /* 22 */ {cp1252_field<56>("Esp. A3 310 x 435 "),                    17.12,  12.16, 0,     0},
    /* 23 */ {cp1252_field<56>("Tamaño pers ancho E-arch(36pulg) "),    118.11,   36.0, 1, 15000},
    /* 24 */ {cp1252_field<56>("Tamaño pers ancho D-arch(24pulg) "),    118.11,   24.0, 1, 15000},
    /* 25 */ {cp1252_field<56>("Tamaño pers ancho C-arch(18pulg) "),    118.11, 17.973, 1, 15000},
    /* 26 */ {cp1252_field<56>("Tamaño pers ancho B-arch(12pulg) "),    118.11,   12.0, 1, 15000},
    /* 27 */ {cp1252_field<56>("Tamaño pers ancho A-arch(9pulg) "),     118.11,   8.96, 1, 15000},
    /* 28 */ {cp1252_field<56>("Tamaño pers ancho E-ANSI(34pulg) "),    118.11,   34.0, 1, 15000},
    /* 29 */ {cp1252_field<56>("Tamaño pers ancho D-ANSI(22pulg) "),    118.11,   22.0, 1, 15000},
    /* 30 */ {cp1252_field<56>("Tamaño pers ancho C-ANSI(17pulg) "),    118.11,   17.0, 1, 15000},
    /* 31 */ {cp1252_field<56>("Tamaño pers ancho B-ANSI(11pulg) "),    118.11,   11.0, 1, 15000},
    /* 32 */ {cp1252_field<56>("Tamaño pers ancho A-ANSI(8.5pulg) "),   118.11,    8.5, 1, 15000},
    /* 33 */ {cp1252_field<56>("Tamaño pers ancho A0 "),                118.11,  33.12, 1, 15000},
    /* 34 */ {cp1252_field<56>("Tamaño pers ancho A1 "),                118.11,  23.36, 1, 15000},
    /* 35 */ {cp1252_field<56>("Tamaño pers ancho A2 "),                118.11, 16.533, 1, 15000},
    /* 36 */ {cp1252_field<56>("Tamaño pers ancho A3 "),                118.11,  11.68, 1, 15000},
    /* 37 */ {cp1252_field<56>("Tamaño pers ancho Esp. A0 880mm "),     118.11, 34.613, 1, 15000},
    /* 38 */ {cp1252_field<56>("Tamaño pers ancho Esp. A1 625mm "),     118.11, 24.586, 1, 15000},
    /* 39 */ {cp1252_field<56>("Tamaño pers ancho Esp. A1 620mm "),     118.11, 24.373, 1, 15000},
    /* 40 */ {cp1252_field<56>("Tamaño pers ancho Esp. A2 440mm "),     118.11, 17.333, 1, 15000},
    /* 41 */ {cp1252_field<56>("Tamaño pers ancho Esp. A2 435mm "),     118.11,  17.12, 1, 15000},
}};
// clang-format on

constexpr int16_t largest_custom_length() {
    int16_t most = 0;
    for (const auto& model : k_paper_rows)
        for (const PaperSize& row : model)
            if (row.is_custom == 1 && row.max_length_mm > most) most = row.max_length_mm;
    return most;
}
static_assert(largest_custom_length() == CUSTOM_LENGTH_MAX_MM);

// A custom row's default length comes from the base size named after its first 18
// characters ("Tamaño pers ancho "); prefixes are tried in this order.
constexpr int CUSTOM_PREFIX_LEN = 18;
struct BaseLength {
    const char* prefix;
    int compared;
    int32_t length_mm;
};
constexpr BaseLength k_base_lengths[] = {
    {"A0", 2, 1189},           {"A1", 2, 841},            {"A2", 2, 594},
    {"A3", 2, 420},            {"Esp. A0 880", 11, 1230}, {"Esp. A1 625", 11, 880},
    {"Esp. A1 620", 11, 871},  {"Esp. A2 440", 11, 625},  {"Esp. A2 435", 11, 620},
    {"E-arch", 6, 1219},       {"D-arch", 6, 914},        {"C-arch", 6, 609},
    {"B-arch", 6, 457},        {"A-arch", 6, 304},        {"E-ANSI", 6, 1117},
    {"D-ANSI", 6, 863},        {"C-ANSI", 6, 558},        {"B-ANSI", 6, 431},
    {"A-ANSI", 6, 279},
};

constexpr PaperState paper_at_load() {
    PaperState s{};
    for (int m = 0; m < MODEL_COUNT; ++m)
        for (int r = 0; r < PAPER_ROWS_PER_MODEL; ++r) s.rows[m][r] = k_paper_rows[m][r];
    return s;
}

// Row `paper_index` of the current model's working rows, or row 1 when the index is not
// in the list.
PaperSize& working_row(int32_t paper_index) {
    int32_t row = paper_index >= 1 && paper_index <= paper_row_count() ? paper_index : 1;
    return g_paper.rows[current_model()][row];
}

}  // namespace

PaperState g_paper = paper_at_load();

int32_t paper_row_count() {
    const PaperSize* rows = g_paper.rows[current_model()];
    int32_t n = 0;
    while (n + 1 < PAPER_ROWS_PER_MODEL && rows[n + 1].name[0] != '\0') ++n;
    return n;
}

const PaperSize& paper_row(int32_t paper_index) { return working_row(paper_index); }

int32_t paper_default_length_mm(int32_t paper_index) {
    const PaperSize& row = paper_row(paper_index);
    if (row.is_custom != 1) return PAPER_DEFAULT_LENGTH_MM;
    const char* base = row.name.data() + CUSTOM_PREFIX_LEN;
    for (const BaseLength& b : k_base_lengths)
        if (std::strncmp(base, b.prefix, b.compared) == 0) return b.length_mm;
    return PAPER_DEFAULT_LENGTH_MM;  // every custom row of the tables has a base size
}

int32_t paper_list_build() {
    std::memset(g_paper.paper_list, 0, sizeof g_paper.paper_list);
    int32_t n = paper_row_count();
    for (int32_t i = 0; i < n; ++i) {
        const PaperSize& row = g_paper.rows[current_model()][i + 1];
        std::strncpy(g_paper.paper_list[i], row.name.data(), PAPER_LIST_TEXT - 1);
    }
    g_paper.paper_count = n;
    return n;
}

const char* paper_list_entry(int32_t paper_index) {
    bool listed = paper_index >= 1 && paper_index <= g_paper.paper_count;
    return g_paper.paper_list[listed ? paper_index - 1 : 0];
}

PaperArea paper_plot_area() {
    double m = g_config.margin_mm * MM_TO_INCH;
    PaperSize& row = working_row(g_config.paper_index);
    if (row.is_custom == 1) row.length_in = g_config.custom_length_mm * MM_TO_INCH;
    PaperArea area;
    if (row.width_in < row.length_in) {
        area = {row.length_in - 2 * m, row.width_in - 2 * m, 0};
        g_config.output_flags |= OF_ROTATED;
    } else {
        area = {row.width_in - 2 * m, row.length_in - 2 * m, 1};
        g_config.output_flags &= static_cast<uint16_t>(~OF_ROTATED);
    }
    return area;
}

void paper_table_reset() { g_paper = paper_at_load(); }
