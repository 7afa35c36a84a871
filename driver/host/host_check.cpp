#include "host_check.h"

#include <cstring>

#include "console.h"
#include "descriptor.h"
#include "message_table.h"
#include "packet.h"
#include "plot_state.h"

void host_check_reply() {
    wr_i16(g_packet, 10, 0);
    wr_i16(g_packet, 12, 0);
    std::memcpy(g_packet + 86, g_descriptor.identity, IDENTITY_REPLY_LEN);
    if (rd_i16(g_packet, 4) != 1) {
        console_printf("\n%s\n", message_text(MSG_NOT_AUTOCAD));
        wr_i16(g_packet, 10, -3);
        g_plot.failure_latch = LATCH_CONFIG;
    } else if (g_packet[7] < 2) {
        console_printf("\n%s\n", message_text(MSG_BAD_VERSION));
        wr_i16(g_packet, 10, -5);
        g_plot.failure_latch = LATCH_CONFIG;
    }
}
