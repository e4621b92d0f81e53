// The message at the end of a run: its text, icon and help id for each outcome, its caption,
// and the box as it shows.
#include "ui/run_result.h"

#include <gtest/gtest.h>

#include <QTest>

#include "platform/core/cstring.h"
#include "platform/gui/testing/scripted_prompt_runner.h"
#include "platform/gui/window_messages.h"
#include "tests/support/gui/screenshot.h"

namespace {

TEST(RunResultTest, EachOutcomeHasItsTextIconAndHelpId) {
    struct Case {
        int outcome;
        std::uint32_t helpId;
        const char16_t* caption;
        const char16_t* text;
        int icon;  // the icon's resource id
        std::uint32_t shownHelpId;
        const char16_t* title;
    };
    const Case cases[] = {
        {RUN_SUCCEEDED, 0, nullptr, u"Successful finished.", 191, 1201, u"Wendelkast 8.00"},  // the notice icon
        {RUN_CANCELLED, 0, u"Synchronize - a", u"Procedure was cancelled.", 32515, 1224,
         u"Wendelkast 8.00 - Synchronize - a"},
        {RUN_FAILED, 4711, u"Synchronize - a", u"Finished with errors.", 32515, 4711,
         u"Wendelkast 8.00 - Synchronize - a"},
        {7, 0, nullptr, u"Finished with errors.", 32515, 1204, u"Wendelkast 8.00"},  // unknown: no success
        {-1, 0, nullptr, u"Finished with errors.", 32515, 1204, u"Wendelkast 8.00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.outcome);
        gui::ScriptedPromptRunner prompts;
        prompts.Answer(gui::IDOK);
        EXPECT_EQ(ShowRunResult(nullptr, c.outcome, c.helpId, c.caption), gui::IDOK);
        ASSERT_EQ(prompts.Requests().size(), 1u);
        const gui::PromptRequest& r = prompts.Requests()[0];
        EXPECT_EQ(r.kind, gui::PromptKind::MessageBox);
        EXPECT_EQ(CString(r.text), CString(c.text));
        EXPECT_EQ(CString(r.title), CString(c.title));
        EXPECT_EQ(r.icon, c.icon);
        EXPECT_EQ(r.helpId, c.shownHelpId);
        ASSERT_EQ(r.buttons.size(), 1u);
        EXPECT_EQ(r.buttons[0].id, gui::IDOK);
    }
}

TEST(RunResultTest, TheBoxesAsTheyShow) {
    gui::ScriptedPromptRunner prompts;
    for (const char* name : {"run_result_succeeded", "run_result_failed"}) {
        prompts.Inspect([name](const gui::PromptRequest&, gui::PromptHost& host) {
            ASSERT_NE(host.Widget(), nullptr);
            EXPECT_TRUE(SaveScreenshot(*host.Widget(), name));
            QTest::keyClick(host.Widget(), Qt::Key_Return);
        });
    }
    EXPECT_EQ(ShowRunResult(nullptr, RUN_SUCCEEDED, 0, u"Synchronize - a"), gui::IDOK);
    EXPECT_EQ(ShowRunResult(nullptr, RUN_FAILED, 0, u"Synchronize - a"), gui::IDOK);
}

}  // namespace
