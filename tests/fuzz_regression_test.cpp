// Inputs the fuzzers found to break something, kept so the fault stays mended. Each case
// names what went wrong and what the code does now.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "job/dump.h"
#include "job/preview.h"
#include "plot_run.h"

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

// A host that answers a line with no pixels may leave the pixel pointer null: the line
// was copied from that null address (a zero-length copy, still undefined behaviour).
// The line now prints as white paper and the image goes on.
TEST(RequestRegression, ImageRepliesWithoutPixels) {
    const sim::Picture picture = sim::solid_colour(4, 4, 0, 0, 0);
    sim::ImageSpec layout;
    layout.x0 = 100, layout.y0 = 100, layout.x1 = 140, layout.y1 = 130;
    sim::ReplyFaults empty;
    empty.pixel_delta = -1000;  // every reply carries nothing
    for (const char* flags : {"output_flags=0x1100", "output_flags=0x1140"}) {
        SCOPED_TRACE(flags);
        PlotRun r = run_plot(stored_record({flags}), {}, {PlotItem(&picture, layout, empty), sim::op_move(10, 10), sim::op_draw(20, 20)});
        ASSERT_EQ(r.images.size(), 1u);
        EXPECT_GT(r.images[0].fetches, 1u);
        EXPECT_EQ(r.images[0].outstanding, 0u);
        EXPECT_EQ(r.latch, 0);
        EXPECT_TRUE(r.console.empty());
        EXPECT_EQ(r.blocks_left, 0);
    }
}

}  // namespace
