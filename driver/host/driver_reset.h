// Restores every global of the driver to its load-time value, freeing what a plot left
// allocated. Tests and the simulator use it to get a freshly loaded driver.
#pragma once

void driver_reset();
