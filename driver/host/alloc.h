// Heap allocation of the driver's big buffers, with a hook that makes allocations fail
// on demand so that tests can reach every allocation-failure path.
#pragma once
#include <cstddef>

void* driver_malloc(size_t size);
void* driver_calloc(size_t count, size_t size);
void driver_free(void* p);

// Test hook: the n-th allocation from now fails (1 = the next one); 0 turns it off.
void driver_alloc_fail_nth(int n);
// Test hook: every allocation fails while on.
void driver_alloc_fail_all(bool on);
// Number of allocations attempted since the last reset (for sweeps over allocation sites).
int driver_alloc_count();
// Blocks allocated and not yet freed: 0 between plots, whatever went wrong in them.
int driver_alloc_live();
void driver_alloc_reset();
