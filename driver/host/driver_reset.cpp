#include "driver_reset.h"

#include "alloc.h"
#include "console.h"
#include "host_services.h"
#include "message_table.h"
#include "output_buffer.h"
#include "plot_state.h"

void driver_reset() {
    output_reset();
    plot_state_reset();
    console_reset();
    messages_reset();
    host_services_reset();
    driver_alloc_reset();
}
