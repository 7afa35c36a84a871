// The paper sizes of each model, the paper list the dialogs and the summary show, and the
// plot-area rule that turns the chosen paper and margin into the area reported to the host.
//
// Every function that takes a `paper_index` takes it as the record stores it: 1-based,
// and possibly out of range (the record comes from the host). An index outside the
// current model's list reads row 1; nothing here reads outside the table.
#pragma once
#include <array>
#include <cstdint>

#include "model_table.h"

struct PaperSize {
    std::array<char, 56> name;  // NUL-terminated display name, trailing blanks included
    double length_in;           // along the paper feed; custom rows: the last custom length
    double width_in;            // roll width
    int16_t is_custom;          // 1: the length is the user's custom_length_mm
    int16_t max_length_mm;      // largest custom length the dialog accepts (custom rows)
};

inline constexpr int32_t PAPER_ROWS_PER_MODEL = 42;  // row 0 is never used
inline constexpr int32_t PAPER_LIST_CAPACITY = PAPER_ROWS_PER_MODEL - 1;
inline constexpr int32_t PAPER_LIST_TEXT = 50;       // bytes of one paper-list entry
inline constexpr int32_t PAPER_DEFAULT_LENGTH_MM = 396;
// The largest custom length any paper row accepts.
inline constexpr int32_t CUSTOM_LENGTH_MAX_MM = 15000;
inline constexpr double MM_TO_INCH = 0.03937007874015748;

struct PaperState {
    // The paper table. Custom rows keep the length of the last plot area computed for
    // them, so this is a working copy of the built-in rows.
    PaperSize rows[MODEL_COUNT][PAPER_ROWS_PER_MODEL];
    // Display strings of the current model's rows 1, 2, ...: entry i is row i + 1.
    char paper_list[PAPER_LIST_CAPACITY][PAPER_LIST_TEXT];
    int32_t paper_count;  // entries in paper_list; 0 until it is first built
};
extern PaperState g_paper;

// Rows in the current model's paper list (rows 1.. up to the first empty name).
int32_t paper_row_count();
// Row `paper_index` of the current model; an index outside 1..paper_row_count() gives row 1.
const PaperSize& paper_row(int32_t paper_index);
// The custom length (mm) the dialog presets when row `paper_index` is picked: the base
// size's own length for a custom row, 396 for a standard row.
int32_t paper_default_length_mm(int32_t paper_index);

// Rebuilds paper_list from the current model and returns paper_count. The caller decides
// what to do with a paper_index above the count (the plot-area request resets it to 1).
int32_t paper_list_build();
// The paper-list entry of `paper_index` (position paper_index - 1); outside
// 1..paper_count it is entry 0, which is empty before the list is first built.
const char* paper_list_entry(int32_t paper_index);

struct PaperArea {
    double x, y;       // inches; x is always the longer side
    uint8_t portrait;  // the paper's width is at least its length
};
// The plot area of g_config's paper and margin. A custom row first takes the record's
// custom length. Sets OF_ROTATED in g_config.output_flags when the length exceeds the
// width and clears it otherwise; `portrait` is the opposite.
PaperArea paper_plot_area();

void paper_table_reset();
