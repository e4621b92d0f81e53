// The prefetcher hands the walk exactly what a direct listing gives, whether the listing
// was made ahead, is still being made, was never requested, or was forgotten, while worker
// threads list other directories at the same time (run under the thread sanitizer in CI).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/listing_prefetcher.h"
#include "platform/core/win_error.h"
#include "tests/platform/support/fs_test_env.h"

namespace {

struct Listed {
    bool opened = false;
    std::uint32_t endCode = 0;
    std::vector<std::string> names;
    friend bool operator==(const Listed&, const Listed&) = default;
};

Listed Drain(std::unique_ptr<plat::DirectoryLister> lister) {
    Listed l;
    if (!lister) {
        l.endCode = GetLastError();
        return l;
    }
    l.opened = true;
    plat::FindData fd;
    while (lister->Next(fd)) l.names.push_back(fd.name.ToUtf8() + (fd.kind == plat::EntryKind::Directory ? "/" : ""));
    l.endCode = GetLastError();
    return l;
}

TEST(ListingPrefetcher, GivesWhatADirectListingGives) {
    fstest::PosixEnv env;
    plat::FileSystem& fs = env.fs();
    std::vector<CString> dirs;
    for (int d = 0; d < 40; ++d) {
        CString dir = env.root() + CString::Format(u"/d%02i", d);
        ASSERT_TRUE(fs.CreateDirectory(dir));
        for (int f = 0; f < 25; ++f) ASSERT_TRUE(fstest::WriteFile(fs, dir + CString::Format(u"/f%02i", f), "x"));
        dirs.push_back(dir);
    }
    const CString missing = env.root() + u"/gone";
    for (std::size_t maxAhead : {std::size_t(1), std::size_t(4), std::size_t(512)}) {
        SCOPED_TRACE(maxAhead);
        plat::ListingPrefetcher prefetch(fs, 4, maxAhead);
        std::vector<CString> requested = dirs;
        requested.push_back(missing);
        prefetch.Request(requested);
        for (std::size_t i = 0; i < dirs.size(); ++i) {
            if (i % 7 == 3) {
                prefetch.Forget(dirs[i]);  // not entered; a later Open lists it on the spot
                continue;
            }
            EXPECT_EQ(Drain(fs.ListDirectory(dirs[i])), Drain(prefetch.Open(dirs[i]))) << dirs[i].ToUtf8();
        }
        EXPECT_EQ(Drain(fs.ListDirectory(dirs[3])), Drain(prefetch.Open(dirs[3])));
        const Listed gone = Drain(prefetch.Open(missing));
        EXPECT_FALSE(gone.opened);
        EXPECT_EQ(win32::ERROR_PATH_NOT_FOUND, gone.endCode);
        EXPECT_EQ(Drain(fs.ListDirectory(env.root())), Drain(prefetch.Open(env.root()))) << "never requested";
    }
}

TEST(ListingPrefetcher, StopsWithWorkStillQueued) {
    fstest::PosixEnv env;
    std::vector<CString> many(2000, env.root());
    for (std::size_t i = 0; i < many.size(); ++i) many[i] += CString::Format(u"/none%04i", int(i));
    plat::ListingPrefetcher prefetch(env.fs(), 3, 2);
    prefetch.Request(many);
    // Destroyed with most requests neither listed nor taken: the workers stop and join.
}

}  // namespace
