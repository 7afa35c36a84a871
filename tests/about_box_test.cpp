// The About box, driven by the headless user.
#include "driver_fixture.h"
#include "headless.h"
#include "ui/about_box.h"
#include "ui/dialog_ids.h"

namespace {

class AboutBoxTest : public DriverTest {
protected:
    // A freshly loaded driver and a new headless user, for the next case.
    void fresh() {
        host.reset();
        host = std::make_unique<sim::Host>(sim::bind_in_process());
    }
    INT_PTR run(const std::string& script) {
        headless_set_script(script);
        return about_box_run(nullptr);
    }
};

TEST_F(AboutBoxTest, ShowsTheDriverIdentityAndTheLogoAtItsOwnSize) {
    EXPECT_EQ(run("snapshot open\nclick 1"), 0);
    EXPECT_TRUE(headless_errors().empty());
    const DialogSnapshot* s = headless_snapshot("open");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->control(IDC_ABOUT_IDENTITY)->text, "Orvix 4410/4430 Wide Format [Ver. 3.0.0] ADI 4.3 ");
    ASSERT_EQ(headless_dialogs().size(), 1u);
    EXPECT_EQ(headless_dialogs()[0].template_name, "drv_ver_spa");
}

TEST_F(AboutBoxTest, EscapeAndTheCloseBoxLeaveItOpenAceptarAndEnterClose) {
    EXPECT_EQ(run("escape\nclose\nsnapshot still open\nclick 1"), 0);
    EXPECT_TRUE(headless_errors().empty());
    EXPECT_TRUE(headless_snapshot("still open"));
    EXPECT_TRUE(headless_pending_actions().empty());

    fresh();
    EXPECT_EQ(run("enter\nsnapshot after enter"), 0);
    EXPECT_TRUE(headless_errors().empty());
    EXPECT_FALSE(headless_snapshot("after enter")) << "Enter did not close the box";
}

}  // namespace
