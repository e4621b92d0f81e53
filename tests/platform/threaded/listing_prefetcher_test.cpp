// The prefetcher hands the walk exactly what a direct listing gives, whether the listing
// was made ahead (requested by the walk or by the workers below a listing they made), is
// still being made, was displaced, was never requested, or was forgotten, while worker
// threads list other directories at the same time (run under the thread sanitizer in CI).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/listing_prefetcher.h"

#include <functional>
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
    for (std::size_t maxAhead : {std::size_t(1), std::size_t(100), std::size_t(1) << 16}) {
        SCOPED_TRACE(maxAhead);
        plat::ListingPrefetcher prefetch(fs, 4, maxAhead);
        std::vector<plat::ListingPrefetcher::Subdirectory> requested;
        for (const CString& dir : dirs) requested.push_back({std::uint32_t(requested.size()), dir});
        requested.push_back({std::uint32_t(requested.size()), missing});
        prefetch.Request({}, requested);
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

// A depth-first walk that requests only the root's subdirectories gets every deeper
// listing from the workers' own requests, also when finished listings must make room
// (a limit of one entry) and when a subtree the workers went into is forgotten.
TEST(ListingPrefetcher, ListsAheadBelowWhatTheWalkRequested) {
    fstest::PosixEnv env;
    plat::FileSystem& fs = env.fs();
    std::function<void(const CString&, int)> make = [&](const CString& dir, int level) {
        for (int f = 0; f < 3; ++f) ASSERT_TRUE(fstest::WriteFile(fs, dir + CString::Format(u"/f%i", f), "x"));
        // A temporary name is not counted by the walk, so the positions after it shift.
        ASSERT_TRUE(fstest::WriteFile(fs, dir + u"/.wk~0000abcd", "t"));
        if (level == 3) return;
        for (int d = 0; d < 4; ++d) {
            const CString sub = dir + CString::Format(u"/d%i", d);
            ASSERT_TRUE(fs.CreateDirectory(sub));
            make(sub, level + 1);
        }
    };
    make(env.root(), 0);
    const CString forgotten = env.root() + u"/d1";
    for (std::size_t maxAhead : {std::size_t(1), std::size_t(16), std::size_t(1) << 16}) {
        SCOPED_TRACE(maxAhead);
        plat::ListingPrefetcher prefetch(fs, 3, maxAhead);
        int entered = 0;
        // Lists dir's subdirectories in walk order, entering each but the forgotten one.
        std::function<void(const CString&, bool)> walk = [&](const CString& dir, bool isRoot) {
            std::unique_ptr<plat::DirectoryLister> direct = fs.ListDirectory(dir);
            const Listed expected = Drain(std::move(direct));
            const Listed got = Drain(isRoot ? fs.ListDirectory(dir) : prefetch.Open(dir));
            ASSERT_EQ(expected, got) << dir.ToUtf8();
            ++entered;
            std::vector<plat::ListingPrefetcher::Subdirectory> subdirectories;
            std::uint32_t position = 0;
            for (const std::string& name : got.names) {
                if (name == "./" || name == "../" || name.rfind(".wk~", 0) == 0) continue;
                if (name.back() == '/')
                    subdirectories.push_back({position, dir + u"/" + CString::FromUtf8(name.substr(0, name.size() - 1))});
                ++position;
            }
            if (isRoot) prefetch.Request({}, subdirectories);
            for (const auto& sub : subdirectories) {
                if (sub.path == forgotten) {
                    prefetch.Forget(sub.path);
                    continue;
                }
                walk(sub.path, false);
            }
        };
        walk(env.root(), true);
        EXPECT_EQ(1 + 3 * (1 + 4 + 16), entered);
        // Below the forgotten directory nothing is handed out from before: listed on the spot.
        EXPECT_EQ(Drain(fs.ListDirectory(forgotten + u"/d2")), Drain(prefetch.Open(forgotten + u"/d2")));
    }
}

TEST(ListingPrefetcher, StopsWithWorkStillQueued) {
    fstest::PosixEnv env;
    std::vector<CString> many(2000, env.root());
    for (std::size_t i = 0; i < many.size(); ++i) many[i] += CString::Format(u"/none%04i", int(i));
    plat::ListingPrefetcher prefetch(env.fs(), 3, 2);
    std::vector<plat::ListingPrefetcher::Subdirectory> requested;
    for (const CString& dir : many) requested.push_back({std::uint32_t(requested.size()), dir});
    prefetch.Request({}, requested);
    // Destroyed with most requests neither listed nor taken: the workers stop and join.
}

}  // namespace
