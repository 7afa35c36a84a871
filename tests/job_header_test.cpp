#include <string>

#include "hpgl/plot_lifecycle.h"
#include "session_fixture.h"

namespace {

class JobHeaderTest : public SessionTest {
protected:
    // The job of a one-line plot with this label and record edits.
    std::string job(const char* label, std::initializer_list<const char*> edits) {
        configure(edits);
        sim::PlotSetup setup;
        setup.before_begin = [label](sim::Host&) { set_job_label(label); };
        run(setup, {sim::op_draw(1, 1)});
        return host->job;
    }
};

TEST_F(JobHeaderTest, HpglBeginPlotWithAndWithoutALabel) {
    struct Case {
        const char* label;
        const char* copies;
        const char* expected;
    } cases[] = {
        {"", "copies=3", "\x1B%0B;BP2,3;IN;MT0;PS"},
        {"AB", "copies=3", "\x1B%0B;BP1,\"AB\",2,3;IN;MT0;PS"},
        // A quote inside the name is doubled, so it cannot end the string early.
        {"A\"B", "copies=1", "\x1B%0B;BP1,\"A\"\"B\",2,1;IN;MT0;PS"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        std::string j = job(c.label, {c.copies});
        EXPECT_NE(j.find(c.expected), std::string::npos);
    }
}

TEST_F(JobHeaderTest, DefaultFinisherSendsOnlyTheBypassLine) {
    std::string j = job("", {});
    EXPECT_EQ(j.substr(0, 76), "\x1B%-12345X@PJL\r\n@PJL DEFAULT FINISHPROGID=BYPASS\r\n@PJL ENTER LANGUAGE=HPGL2\r\n");
}

TEST_F(JobHeaderTest, QdpxLabelRecord) {
    const std::string copies_3 = std::string("\x9B\x4E\x00\x02", 4) + "03";
    struct Case {
        const char* label;
        std::string record;
    } cases[] = {
        {"", ""},
        {"ABC", std::string("\x14\x03\x00\x03" "ABC\x00", 8)},
        {"ABCD", std::string("\x14\x03\x00\x04" "ABCD", 8)},
        {"0123456789012345678901234567890123456789012345678901234567890123",
         std::string("\x14\x21\x00\x40", 4) + "0123456789012345678901234567890123456789012345678901234567890123"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        std::string j = job(c.label, {"output_flags=0x0240", "copies=3"});
        // Begin job, copies, the set-up block (70 + 10 + 4 bytes), then the label.
        ASSERT_GT(j.size(), 96u);
        EXPECT_EQ(j.substr(6, 6), copies_3);
        EXPECT_EQ(j.substr(12 + 84, c.record.size() + 2), c.record + "\x32\x13");
    }
}

TEST_F(JobHeaderTest, MediaAndManualOutput) {
    struct Case {
        const char* media;
        const char* output_flags;
        const char* expected;
    } cases[] = {
        {"media_index=3", "output_flags=0x1100", "IN;MT4;PS"},
        {"media_index=1", "output_flags=0x1180", "IN;MT1;PS"},
    };
    for (const Case& c : cases) {
        std::string j = job("", {c.media, c.output_flags});
        EXPECT_NE(j.find(c.expected), std::string::npos) << c.media;
        bool manual = std::string(c.output_flags) == "output_flags=0x1180";
        EXPECT_NE(j.find(manual ? ";XF4,1;LA1,4,2,4SP7RFNP256CR0,255,0,255,0,255PC1,76,76,76"
                                : ";XF4,0;LA1,4,2,4SP7RFNP256CR0,255,0,255,0,255PC1,76,76,76"),
                  std::string::npos);
    }
    // In QDPX, manual output is a record after the copies.
    std::string j = job("", {"output_flags=0x02C0", "copies=1"});
    EXPECT_EQ(j.substr(12, 6), std::string("\x9B\x62\x00\x02\x00\x00", 6));
}

}  // namespace
