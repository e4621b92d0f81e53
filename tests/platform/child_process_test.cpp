// Child processes: arguments and output reach the child, the exit code and a killing
// signal come back, a program that cannot be started is an error, and a child that is
// dropped unwaited is killed and reaped.
#include "platform/core/child_process.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "platform/core/win_error.h"
#include "tests/platform/support/fs_test_env.h"

namespace {

using plat::ChildExit;
using plat::ChildProcess;

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(ChildProcessTest, ArgumentsOutputAndExitCode) {
    fstest::PosixEnv env;
    const std::string out = env.root().ToUtf8() + "/out", err = env.root().ToUtf8() + "/err";
    auto child = ChildProcess::Start(
        "/bin/sh", {"-c", "printf '%s|' \"$@\"; echo oops >&2; exit 3", "sh", "a b", "", "c"}, out, err);
    ASSERT_TRUE(child);
    ChildExit e;
    ASSERT_TRUE(child->Wait(e));
    EXPECT_TRUE(e.exited);
    EXPECT_EQ(e.code, 3);
    EXPECT_EQ(ReadText(out), "a b||c|") << "every argument arrives as one word, empty ones too";
    EXPECT_EQ(ReadText(err), "oops\n");
    ChildExit again;
    ASSERT_TRUE(child->Wait(again)) << "a second wait returns the same end";
    EXPECT_EQ(again.code, 3);
    EXPECT_FALSE(child->Signal(ChildProcess::kTerminate)) << "nothing to signal after the end";
}

TEST(ChildProcessTest, AKilledChildReportsItsSignal) {
    auto child = ChildProcess::Start("/bin/sleep", {"30"});
    ASSERT_TRUE(child);
    ChildExit e;
    EXPECT_FALSE(child->HasEnded(e));
    ASSERT_TRUE(child->Signal(ChildProcess::kKill));
    ASSERT_TRUE(child->Wait(e));
    EXPECT_FALSE(e.exited);
    EXPECT_EQ(e.signal, ChildProcess::kKill);
    EXPECT_TRUE(child->HasEnded(e));
}

TEST(ChildProcessTest, AMissingProgramIsAnErrorAndAnUnwaitedChildIsReaped) {
    EXPECT_FALSE(ChildProcess::Start("/nonexistent/program", {}));
    EXPECT_EQ(GetLastError(), win32::ERROR_FILE_NOT_FOUND);
    // Dropped unwaited: the destructor kills and reaps at once (the child would sleep 30 s).
    {
        auto child = ChildProcess::Start("/bin/sleep", {"30"});
        ASSERT_TRUE(child);
    }
}

}  // namespace
