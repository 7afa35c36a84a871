// TEMPORARY stand-in for the model and option tables until they land; removed then.
#pragma once
#include <cstdint>

struct TmpModel {
    const char* name;
    int16_t has_finisher, has_media_select, has_plot_label, has_red_print, has_manual_output, has_600dpi, has_qdpx;
};
inline const TmpModel& tmp_model() {
    static const TmpModel m = {"4410/4430 Wide Format", 1, 1, 1, 0, 1, 1, 0};
    return m;
}
inline const char* tmp_media_hpgl(int row) {
    static const char* const c[] = {"MT0;", "MT1;", "MT2;", "MT4;"};
    return row >= 0 && row < 4 ? c[row] : "";
}
inline const uint8_t* tmp_media_qdpx(int) {
    static const uint8_t none[60] = {};
    return none;
}
const char* tmp_program_line(int row);
const char* tmp_margin_line(int row);
const char* tmp_bin_line(int row);
