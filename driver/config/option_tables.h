// The media (paper type), finisher program, finisher margin and output-bin choices of each
// model: what the dialogs list, what the job header sends and what the summary prints.
//
// The record stores each choice as a 0-based row (media_index, finisher_program,
// finisher_margin, output_bin). The record comes from the host, so every accessor here
// takes the stored value as it is and reads row 0 when it is outside the current model's
// list; nothing here reads outside a table.
#pragma once
#include <array>
#include <cstdint>

#include "model_table.h"

// Rows reserved per model; a list ends at the first row whose display name is empty.
inline constexpr int32_t MEDIA_ROWS_PER_MODEL = 5;
inline constexpr int32_t PROGRAM_ROWS_PER_MODEL = 22;
inline constexpr int32_t MARGIN_ROWS_PER_MODEL = 3;
inline constexpr int32_t BIN_ROWS_PER_MODEL = 16;
// Room for a second model, whose rows are all empty.
inline constexpr int32_t OPTION_TABLE_MODELS = 2;
static_assert(MODEL_COUNT <= OPTION_TABLE_MODELS);

struct MediaRow {
    std::array<char, 60> name;             // display name, HP-RTL/GL2 output
    std::array<char, 60> hpgl_command;     // HP-GL/2 text sent for this media
    std::array<char, 60> qdpx_name;        // display name, QDPX output
    std::array<uint8_t, 60> qdpx_command;  // QDPX record; length = byte 3 + 4
};

struct OptionRow {
    std::array<char, 60> name;      // display name
    std::array<char, 62> pjl_line;  // the whole PJL line, CR LF included
};

enum OptionTable { OPTION_PROGRAMS, OPTION_MARGINS, OPTION_BINS };

// --- media ------------------------------------------------------------------------------

// Entries of the current model's media list for one data format (true: the QDPX names).
int32_t media_count(bool qdpx);
// Row `index` of the current model's media table; outside the list of that format, row 0.
const MediaRow& media_row(int32_t index, bool qdpx);
// The display name of list position `index` for that format (row 0's when out of range;
// it may be empty: the QDPX list of model 0 is).
inline const char* media_name(int32_t index, bool qdpx) {
    const MediaRow& row = media_row(index, qdpx);
    return qdpx ? row.qdpx_name.data() : row.name.data();
}

struct MediaCommand {
    const uint8_t* bytes;  // null when nothing is sent
    int32_t length;
};
// What the job header sends for g_config's media in g_config's data format: the HP-GL/2
// text, or the QDPX record. Nothing when the model has no media choice or the row's
// command is empty.
MediaCommand media_command();

// --- finisher programs, margins and output bins -----------------------------------------

int32_t option_count(OptionTable table);
// Row `index` of the current model's table; outside the list, row 0.
const OptionRow& option_row(OptionTable table, int32_t index);

// The PJL finisher lines for g_config, in the order they are sent: none when the model has
// no finisher; only the program line when the program is the bypass line; otherwise the
// program, margin and bin lines. Returns how many of `lines` were filled (0, 1 or 3).
int32_t finisher_lines(const char* lines[3]);

// --- settings summary -------------------------------------------------------------------

struct SummaryLine {
    int32_t message_row;  // message-table row printed before the name
    const char* name;     // the chosen row's display name
};
// The media line for g_config (message 58 with the media name of the current data
// format); false when the model has no media choice.
bool media_summary(SummaryLine* line);
// The finisher lines for g_config: program 0 gives only the program line, any other
// program the program, margin and bin lines. Returns how many were filled (0, 1 or 3);
// 0 when the model has no finisher.
int32_t finisher_summary(SummaryLine lines[3]);
