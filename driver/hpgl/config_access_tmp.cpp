#include "config_access_tmp.h"

#include <cstdio>

const char* tmp_program_line(int row) {
    static char buf[64];
    if (row <= 0 || row > 20) return "@PJL DEFAULT FINISHPROGID=BYPASS\r\n";
    std::snprintf(buf, sizeof buf, "@PJL DEFAULT FINISHPROGID=PROGRAM%d\r\n", row);
    return buf;
}
const char* tmp_margin_line(int row) {
    return row == 1 ? "@PJL DEFAULT FINISHMARGINS=MARGINSOFF\r\n" : "@PJL DEFAULT FINISHMARGINS=USEPROGRAM\r\n";
}
const char* tmp_bin_line(int row) {
    static char buf[64];
    if (row == 0) return "@PJL DEFAULT FINISHBIN=DONTCARE\r\n";
    if (row == 1) return "@PJL DEFAULT FINISHBIN=FANFOLD\r\n";
    std::snprintf(buf, sizeof buf, "@PJL DEFAULT FINISHBIN=BIN_%d\r\n", row - 1);
    return buf;
}
