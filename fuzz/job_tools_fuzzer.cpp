// plothost dump and preview on arbitrary bytes: a job file is whatever the user points
// them at, so they must list or refuse it, never crash or run away.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "job/dump.h"
#include "job/preview.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    job::dump_job(bytes);
    try {
        // A low resolution keeps each run short; the drawing code is the same at any dpi.
        job::render_job(bytes, 2.0);
    } catch (const std::runtime_error&) {
        // A job without a sheet is refused with a message: that is the documented outcome.
    }
    return 0;
}
