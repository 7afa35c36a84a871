#include "descriptor.h"

#include "config/config_request.h"
#include "host_services.h"
#include "plot_dispatch.h"

const DriverDescriptor g_descriptor = {
    "Orvix 4410/4430 Wide Format [Ver. 3.0.0] ADI 4.3 ",
    config_request,
    plot_request_handler,
    4,
    {},
    3,
    "$ACADPLNAME$",
    "Microsoft Windows Win32",
    6,
    "14.0-1",
};

// The shipped binaries export this symbol (the .def file on Windows, default visibility on
// Linux); everything else in the driver stays hidden.
extern "C" WF_EXPORT const DriverDescriptor* WF_STDCALL PLADI(const void* services,
                                                               uint32_t /*unused*/) {
    g_host.services = static_cast<const uint8_t*>(services);
    return &g_descriptor;
}
