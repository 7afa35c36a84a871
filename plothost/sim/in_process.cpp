#include "in_process.h"

#include "host/descriptor.h"
#include "host/driver_reset.h"

#ifndef _WIN32
#include "headless.h"
#endif

namespace sim {

DriverBinding bind_in_process() {
    driver_reset();
#ifndef _WIN32
    headless_reset();
#endif
    DriverBinding b;
    b.pladi = reinterpret_cast<PladiFn>(&PLADI);
    b.in_process = true;
    return b;
}

}  // namespace sim
