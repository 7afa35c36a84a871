// The device models the driver can drive, and the current model that every per-model
// table (paper sizes, media, finisher options) is indexed by.
#pragma once
#include <array>
#include <cstdint>

// One printer model and the features it offers (each flag counts as present when it is 1).
struct ModelInfo {
    std::array<char, 32> name;   // NUL-terminated; request 20 replies with all 32 bytes
    int16_t has_finisher;        // finisher program, margin and bin options
    int16_t has_media_select;    // paper-type (media) choice and its job command
    int16_t has_plot_label;      // plot-time job label
    int16_t has_red_print;       // one pen printed in red
    int16_t has_manual_output;   // manual output option
    int16_t has_600dpi;          // 600-dpi images; also makes 600 dpi the default
    int16_t has_qdpx;            // the QDPX+MMR data format can be chosen
};

inline constexpr int32_t MODEL_COUNT = 1;

struct ModelState {
    int32_t current_model;  // always a valid row of the model table
};
extern ModelState g_model;

// Makes `index` the current model. The index comes from a stored record at plot time, so
// a value outside the table selects model 0 instead of pointing past it.
void model_set_current(int32_t index);
inline int32_t current_model() { return g_model.current_model; }

// Row `index` of the model table; an index outside the table gives row 0.
const ModelInfo& model_row(int32_t index);
inline const ModelInfo& current_model_info() { return model_row(g_model.current_model); }

void model_table_reset();
