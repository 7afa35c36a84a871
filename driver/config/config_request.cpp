#include "config_request.h"

#include "host/host_check.h"
#include "host/message_table.h"
#include "host/packet.h"
#include "host/plot_state.h"

namespace {

void identify() {
    g_plot.failure_latch = 0;
    host_check_reply();
}

void load_messages() { messages_load(g_packet + 8); }

}  // namespace

extern "C" void WF_CDECL config_request(uint8_t* packet) {
    g_packet = packet;
    switch (rd_i16(packet, 0)) {
        case 49: identify(); break;
        case 50: load_messages(); break;
        default: break;  // codes without an entry leave the packet unchanged
    }
}
