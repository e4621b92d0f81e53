#include "platform/core/system_info.h"

#include <gtest/gtest.h>
#include <sys/utsname.h>

#include <filesystem>

TEST(SystemInfo, TheExecutableIsThisTestProgram) {
    const std::string path = plat::GetExecutablePath().ToUtf8();
    EXPECT_EQ(path, std::filesystem::canonical("/proc/self/exe").string());
    EXPECT_EQ(path.substr(path.rfind('/') + 1), "platform_tests");
}

TEST(SystemInfo, TheVersionIsTheKernelReleasesLeadingNumbers) {
    struct utsname u;
    ASSERT_EQ(uname(&u), 0);
    plat::OsVersion v;
    ASSERT_TRUE(plat::GetOsVersion(v));
    const std::string release = u.release;
    EXPECT_EQ(release.rfind(std::to_string(v.major) + "." + std::to_string(v.minor) + ".", 0), 0u) << release;
    EXPECT_GT(v.major, 2);
    EXPECT_EQ(v.name.ToUtf8(), std::string(u.sysname) + " " + u.release + " " + u.version);
}
