// Binding the driver linked into this process (the static library): besides PLADI, tests
// reach driver_reset and the allocation-failure hook.
#pragma once
#include "host_sim.h"

namespace sim {

// Resets the driver to its load-time state and binds it.
DriverBinding bind_in_process();

}  // namespace sim
