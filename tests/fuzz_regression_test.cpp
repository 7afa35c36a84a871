// Inputs the fuzzers found to break something, kept so the fault stays mended. Each case
// names what went wrong and what the code does now.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "job/dump.h"
#include "job/preview.h"

namespace {

struct JobCase {
    const char* fault;
    std::string bytes;
    const char* listed;  // a line the dump must show
};

const std::string k_qdpx_start("\x9B\x5E\x00\x02\x00\x02", 6);  // Begin job

// plothost dump and preview on job files that end inside a record or carry values no
// driver writes: the listing shows what is there, the preview draws or refuses with a
// message, and neither throws anything else.
TEST(JobToolsRegression, DamagedJobsAreListedAndPreviewedOrRefused) {
    const JobCase cases[] = {
        {"a model-identity record without words threw out_of_range from the listing",
         k_qdpx_start + std::string("\xF2\x00", 2), "model identity: \"\""},
    };
    for (const JobCase& c : cases) {
        SCOPED_TRACE(c.fault);
        std::string listing;
        ASSERT_NO_THROW(listing = job::dump_job(c.bytes));
        EXPECT_NE(listing.find(c.listed), std::string::npos) << listing;
        try {
            job::render_job(c.bytes, 10);
        } catch (const std::runtime_error&) {
            // refusing a job with no sheet is the documented outcome
        }
    }
}

}  // namespace
