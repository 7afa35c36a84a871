#include "model_table.h"

#include "host/cp1252.h"

ModelState g_model = {0};

namespace {

// clang-format off
static const ModelInfo k_models[MODEL_COUNT] = {
    // name                                       finisher media label red  manual 600dpi qdpx
    {cp1252_field<32>("4410/4430 Wide Format"),   1,       1,    1,    0,   1,     1,     0},
};
// clang-format on

bool model_in_table(int32_t index) { return index >= 0 && index < MODEL_COUNT; }

}  // namespace

void model_set_current(int32_t index) { g_model.current_model = model_in_table(index) ? index : 0; }

const ModelInfo& model_row(int32_t index) { return k_models[model_in_table(index) ? index : 0]; }

void model_table_reset() { g_model = ModelState{0}; }
