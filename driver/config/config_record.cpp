#include "config_record.h"

#include "host/host_services.h"
#include "model_table.h"
#include "paper_table.h"
#include "raster/tone_curve.h"

ConfigRecord g_config = {};

void config_record_defaults() {
    g_config.copies = 1;
    g_config.paper_index = 1;
    g_config.custom_length_mm = paper_default_length_mm(1);
    g_config.media_index = 0;
    g_config.finisher_program = 0;
    g_config.finisher_margin = 0;
    g_config.output_bin = 0;
    g_config.red_pen = 1;
    g_config.reserved = 2;
    g_config.margin_mm = 0;
    g_config.plot_flags = 0;
    g_config.output_flags = 0;
    tone_load_defaults();
    for (int k = 0; k < 5; ++k) g_config.tone_points[k] = static_cast<uint8_t>(g_tone.tone_control[k]);
    tone_apply();
    g_config.plot_flags |= PF_HALFTONE_FILL;
    g_config.output_flags |= current_model_info().has_600dpi == 1 ? OF_RES_600 : OF_RES_400;
}

int32_t config_record_load() {
    int32_t result = host_load_config(&g_config, CONFIG_RECORD_SIZE);
    // Also after a refusal: the host may have written part of the record.
    config_record_mend();
    return result == 0 ? 0 : -1;
}

int32_t config_record_save() { return host_save_config(&g_config, CONFIG_RECORD_SIZE) == 0 ? 0 : -1; }

void config_apply_tone_points() {
    for (int k = 0; k < 5; ++k) g_tone.tone_control[k] = g_config.tone_points[k];
    tone_apply();
}

void config_record_mend() {
    // A copy count outside 1..99 would reach the job as a negative or oversized number.
    if (g_config.copies < COPIES_MIN || g_config.copies > COPIES_MAX) g_config.copies = 1;
    if (g_config.custom_length_mm < 1) g_config.custom_length_mm = 1;
    if (g_config.custom_length_mm > CUSTOM_LENGTH_MAX_MM) g_config.custom_length_mm = CUSTOM_LENGTH_MAX_MM;
    if (g_config.margin_mm < 0) g_config.margin_mm = 0;
    if (g_config.margin_mm > MARGIN_MAX_MM) g_config.margin_mm = MARGIN_MAX_MM;
}

void config_record_reset() { g_config = ConfigRecord{}; }
