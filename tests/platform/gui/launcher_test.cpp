#include <gtest/gtest.h>

#include "platform/gui/launcher.h"
#include "platform/gui/testing/recording_launcher.h"

namespace gui {
namespace {

// Only targets the desktop launcher refuses before it would hand anything to the desktop.
TEST(DesktopLauncher, TargetsThatNameNothingAreNotFound) {
    DesktopLauncher desktop;
    const char16_t* targets[] = {u"", u"no scheme at all", u"/no/such/folder/wk-launcher-test",
                                 u"file:///no/such/folder/wk-launcher-test", u"://missing-scheme"};
    for (const char16_t* target : targets)
        EXPECT_EQ(desktop.OpenWithDesktop(target), kLaunchNotFound) << CString(target).ToUtf8();
}

TEST(DesktopLauncher, ARecordingLauncherStandsInForItsScopeOnly) {
    Launcher* before = &CurrentLauncher();
    {
        RecordingLauncher recorder;
        recorder.Result(kLaunchNoHandler);
        EXPECT_EQ(&CurrentLauncher(), &recorder);
        EXPECT_EQ(CurrentLauncher().OpenWithDesktop(u"mailto:a b"), kLaunchNoHandler);
        EXPECT_TRUE(LaunchSucceeded(CurrentLauncher().OpenWithDesktop(u"https://x")));
        EXPECT_EQ(recorder.Opened(), (std::vector<CString>{u"mailto:a b", u"https://x"}));
    }
    EXPECT_EQ(&CurrentLauncher(), before);
}

}  // namespace
}  // namespace gui
