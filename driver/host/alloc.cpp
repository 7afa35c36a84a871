#include "alloc.h"

#include <cstdlib>

namespace {

struct AllocHook {
    int fail_nth;    // countdown to the allocation that fails; 0 = none
    bool fail_all;   // every allocation fails
    int attempts;    // allocations attempted since the reset
    int live;        // blocks handed out and not yet freed
};
AllocHook g_alloc = {0, false, 0, 0};

// True when this allocation attempt must fail.
bool injected_failure() {
    ++g_alloc.attempts;
    if (g_alloc.fail_all) return true;
    if (g_alloc.fail_nth > 0 && --g_alloc.fail_nth == 0) return true;
    return false;
}

void* counted(void* p) {
    if (p) ++g_alloc.live;
    return p;
}

}  // namespace

void* driver_malloc(size_t size) { return injected_failure() ? nullptr : counted(std::malloc(size)); }
void* driver_calloc(size_t count, size_t size) { return injected_failure() ? nullptr : counted(std::calloc(count, size)); }
void driver_free(void* p) {
    if (p) --g_alloc.live;
    std::free(p);
}

void driver_alloc_fail_nth(int n) { g_alloc.fail_nth = n > 0 ? n : 0; }
void driver_alloc_fail_all(bool on) { g_alloc.fail_all = on; }
int driver_alloc_count() { return g_alloc.attempts; }
int driver_alloc_live() { return g_alloc.live; }
// The live count survives: a reset must not hide blocks a test left allocated.
void driver_alloc_reset() { g_alloc = AllocHook{0, false, 0, g_alloc.live}; }
