// Directory traversal: the real crawler over the in-memory and the POSIX file system,
// its error questions, and the generated test tree.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>

#include <set>
#include <string>
#include <vector>

#include "engine/scan/path_crawler.h"
#include "engine/scan/path_crawler_dummy.h"
#include "platform/core/testing/fault_file_system.h"
#include "platform/core/testing/memory_file_system.h"
#include "platform/core/win_error.h"
#include "resources/string_ids.h"
#include "tests/engine/support/kit.h"
#include "tests/engine/support/scripted_watcher.h"
#include "tests/support/temp_dir.h"

namespace {

// One line per entry handed out: "<depth> <name>", and "!" after the name when the
// listing of that directory was reported as skipped.
struct WalkResult {
    std::vector<std::string> lines;
    std::vector<std::string> paths;  // FullPath of every entry
    bool complete = false;
    ErrorInfo error;                 // the last error reported
    int errors = 0;
};

// skip: names whose contents the walk passes over (SkipChildren).
WalkResult Walk(PathCrawlerBase& crawler, const CString& root, const std::set<std::string>& skip = {}) {
    WalkResult r;
    ErrorInfo error;
    crawler.Start(root, &error);
    if (error.IsSet()) {
        r.error = error;
        ++r.errors;
    }
    CString path;
    while (crawler.IsValid()) {
        std::string line = std::to_string(crawler.Depth()) + " " + crawler.Name().ToUtf8();
        crawler.FullPath(path);
        r.paths.push_back(path.ToUtf8());
        if (skip.count(crawler.Name().ToUtf8())) crawler.SkipChildren();
        bool skipped = false;
        error.Reset();
        crawler.Next(&skipped, &error);
        if (skipped) line += " !";
        if (error.IsSet()) {
            r.error = error;
            ++r.errors;
        }
        r.lines.push_back(line);
    }
    r.complete = crawler.IsComplete();
    return r;
}

using Lines = std::vector<std::string>;

// The whole tree of the crawl fixtures' root with A/sub seen but not listed ("!"), complete
// and without errors: what a directory whose contents could not be read gives.
void ExpectAllButSubListed(const WalkResult& r) {
    EXPECT_EQ(r.lines, (Lines{"0 A", "1 empty", "1 sub !", "1 x", "0 b.txt", "0 c"}));
    EXPECT_TRUE(r.complete);
    EXPECT_EQ(r.errors, 0);
}

class MemoryCrawl : public ::testing::Test {
protected:
    void SetUp() override {
        fs.AddDirectory(u"/r");
        fs.AddFile(u"/r/b.txt", "bb");
        fs.AddFile(u"/r/A/x", "x");
        fs.AddFile(u"/r/A/sub/y", "y");
        fs.AddDirectory(u"/r/A/empty");
        fs.AddFile(u"/r/c", "c");
    }
    plat::MemoryFileSystem fs;
    ScriptedWatcher script;
};

TEST_F(MemoryCrawl, WalksDepthFirstWithoutDotEntries) {
    PathCrawler crawler(fs, &script.watcher);
    WalkResult r = Walk(crawler, u"/r/");
    EXPECT_EQ(r.lines, (Lines{"0 A", "1 empty", "1 sub", "2 y", "1 x", "0 b.txt", "0 c"}));
    EXPECT_EQ(r.paths[3], "/r/A/sub/y");
    EXPECT_TRUE(r.complete);
    EXPECT_EQ(r.errors, 0);
    EXPECT_TRUE(script.Questions().empty());
}

TEST_F(MemoryCrawl, EmptyRootGivesNoEntryAndNoError) {
    fs.AddDirectory(u"/empty");
    PathCrawler crawler(fs, &script.watcher);
    ErrorInfo error;
    EXPECT_FALSE(crawler.Start(u"/empty/", &error));
    EXPECT_FALSE(crawler.IsValid());
    EXPECT_TRUE(crawler.IsComplete());
    EXPECT_FALSE(error.IsSet());
}

TEST_F(MemoryCrawl, MissingRootIsAnErrorAndTheWalkIsNotComplete) {
    // A vanished root, a missing parent, a file where the root should be.
    for (const char16_t* root : {u"/gone/", u"/gone/deeper/", u"/r/c/"}) {
        SCOPED_TRACE(CString(root).ToUtf8());
        PathCrawler crawler(fs, nullptr);
        WalkResult r = Walk(crawler, root);
        EXPECT_TRUE(r.lines.empty());
        EXPECT_FALSE(r.complete);
        EXPECT_EQ(r.error.category, ERROR_CATEGORY_SYSTEM);
        EXPECT_EQ(r.error.code, win32::ERROR_PATH_NOT_FOUND);
        EXPECT_EQ(CString(r.error.GetText()), CString(root));
    }
}

TEST_F(MemoryCrawl, SymbolicLinksAreEntriesButNeverFollowed) {
    fs.AddSymlink(u"/r/link", u"/r/A");
    fs.AddSpecial(u"/r/fifo");
    PathCrawler crawler(fs, nullptr);
    PathCrawlerBase& base = crawler;
    ErrorInfo error;
    std::vector<std::pair<std::string, plat::EntryKind>> seen;
    for (base.Start(u"/r/", &error); base.IsValid(); base.Next(nullptr, &error))
        seen.emplace_back(base.Name().ToUtf8(), base.FindData().kind);
    EXPECT_EQ(seen.size(), 9u);
    std::set<std::string> links;
    for (auto& [name, kind] : seen)
        if (kind == plat::EntryKind::Symlink || kind == plat::EntryKind::Special) links.insert(name);
    EXPECT_EQ(links, (std::set<std::string>{"fifo", "link"}));
}

TEST_F(MemoryCrawl, SkipChildrenPassesOverADirectorysContents) {
    PathCrawler crawler(fs, nullptr);
    ErrorInfo error;
    Lines names;
    for (crawler.Start(u"/r/", &error); crawler.IsValid(); crawler.Next(nullptr, &error)) {
        names.push_back(crawler.Name().ToUtf8());
        if (crawler.Name() == u"A") crawler.SkipChildren();
    }
    EXPECT_EQ(names, (Lines{"A", "b.txt", "c"}));
    EXPECT_TRUE(crawler.IsComplete());
}

// Only a regular file of the copy's temporary form and mode is a leftover: removed, one
// log line each. Anything else with such a name is an ordinary entry of the tree.
TEST_F(MemoryCrawl, OnlyTemporaryFilesOfTheProgramsFormAndModeAreLeftovers) {
    const CString temp = CString(u"/r/") + plat::kTemporaryPrefix;
    const CString leftovers[] = {CString(u"/r/A/") + plat::kTemporaryPrefix + u"00000123",
                                 CString(u"/r/A/sub/") + plat::kTemporaryPrefix + u"00000456"};
    for (const CString& leftover : leftovers) fs.AddFile(leftover, "half", plat::kTemporaryMode);
    fs.AddFile(temp + u"dir00000/inner", "kept");      // a directory
    fs.AddFile(temp + u"00000644", "a user's", 0644);  // a file of another mode
    fs.AddSymlink(temp + u"linklink", u"/r/A");        // a link
    kit::RecordingLogger logger;
    PathCrawler crawler(fs, nullptr);
    crawler.SetLogger(&logger);
    WalkResult r = Walk(crawler, u"/r/");
    EXPECT_EQ(r.lines, (Lines{"0 .wk~00000644", "0 .wk~dir00000", "1 inner", "0 .wk~linklink", "0 A", "1 empty",
                              "1 sub", "2 y", "1 x", "0 b.txt", "0 c"}));
    std::vector<CString> removed;
    for (const ErrorInfo& e : logger.Entries()) {
        EXPECT_EQ(e.code, std::uint32_t(IDS_SCAN_TEMPORARY_REMOVED));
        removed.emplace_back(e.GetText());
    }
    EXPECT_EQ(removed, (std::vector<CString>{leftovers[0], leftovers[1]}));
    for (const CString& leftover : leftovers) EXPECT_FALSE(fs.Exists(leftover));
    EXPECT_TRUE(fs.Exists(temp + u"dir00000/inner"));
    EXPECT_TRUE(fs.Exists(temp + u"00000644"));
}

// A directory without read permission (the in-memory file system enforces permissions
// even when the tests run as root).
class DeniedCrawl : public MemoryCrawl {
protected:
    void SetUp() override {
        MemoryCrawl::SetUp();
        fs.SetMode(u"/r/A/sub", 0);
    }
};

TEST_F(DeniedCrawl, IgnoreAccessDeniedSkipsWithoutAsking) {
    PathCrawler crawler(fs, &script.watcher);
    crawler.SetIgnoreAccessDenied(true);
    EXPECT_TRUE(crawler.GetIgnoreAccessDenied());
    ExpectAllButSubListed(Walk(crawler, u"/r/"));
    EXPECT_TRUE(script.Questions().empty());
}

TEST_F(DeniedCrawl, AnswersDecideBetweenRetrySkipAndEnd) {
    struct Case {
        const char* name;
        std::vector<int> answers;
        bool fixOnQuestion;  // the user repairs the permission before answering
        Lines lines;
        bool complete;
        int errors;
    } cases[] = {
        {"retry after a repair", {WATCHER_ANSWER_RETRY}, true,
         {"0 A", "1 empty", "1 sub", "2 y", "1 x", "0 b.txt", "0 c"}, true, 0},
        {"retry twice, then skip", {WATCHER_ANSWER_RETRY, -1, WATCHER_ANSWER_IGNORE}, false,
         {"0 A", "1 empty", "1 sub !", "1 x", "0 b.txt", "0 c"}, true, 1},
        {"abort ends the walk", {WATCHER_ANSWER_ABORT}, false, {"0 A", "1 empty", "1 sub"}, false, 1},
        {"no decision ends the walk", {WATCHER_ANSWER_NONE}, false, {"0 A", "1 empty", "1 sub"}, false, 1},
        {"answer 2 ends the walk", {2}, false, {"0 A", "1 empty", "1 sub"}, false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs.SetMode(u"/r/A/sub", 0);
        ScriptedWatcher s;
        s.answers.assign(c.answers.begin(), c.answers.end());
        if (c.fixOnQuestion)
            s.onEvent = [&](std::uint32_t event, std::uintptr_t) {
                if (event == WATCHER_EVENT_QUESTION) fs.SetMode(u"/r/A/sub", 0755);
            };
        PathCrawler crawler(fs, &s.watcher);
        WalkResult r = Walk(crawler, u"/r/");
        EXPECT_EQ(r.lines, c.lines);
        EXPECT_EQ(r.complete, c.complete);
        EXPECT_EQ(r.errors, c.errors);
        const std::vector<ErrorInfo> questions = s.Questions();
        ASSERT_EQ(questions.size(), c.answers.size());
        EXPECT_EQ(questions[0].category, ERROR_CATEGORY_SYSTEM);
        EXPECT_EQ(questions[0].code, win32::ERROR_ACCESS_DENIED);
        EXPECT_EQ(CString(questions[0].GetText()), CString(u"/r/A/sub/"));
        if (c.errors) {
            EXPECT_EQ(r.error.code, win32::ERROR_ACCESS_DENIED);
        }
    }
}

TEST_F(DeniedCrawl, WithoutAWatcherAFailureEndsTheWalk) {
    PathCrawler crawler(fs, nullptr);
    WalkResult r = Walk(crawler, u"/r/");
    EXPECT_EQ(r.lines, (Lines{"0 A", "1 empty", "1 sub"}));
    EXPECT_FALSE(r.complete);
    EXPECT_EQ(r.error.code, win32::ERROR_ACCESS_DENIED);
}

TEST_F(MemoryCrawl, ListingThatBreaksOffIsAskedAndCutShort) {
    plat::FaultFileSystem faults(fs);
    struct Case {
        int answer;
        Lines lines;
        bool complete;
        int errors;
    } cases[] = {
        {WATCHER_ANSWER_IGNORE, {"0 A !", "1 empty", "0 b.txt", "0 c"}, true, 1},
        {WATCHER_ANSWER_ABORT, {"0 A"}, false, 1},
        // The failure is gone when the user retries: the directory is listed again from
        // its start, each entry once.
        {WATCHER_ANSWER_RETRY, {"0 A", "1 empty", "1 sub", "2 y", "1 x", "0 b.txt", "0 c"}, true, 0},
    };
    for (const Case& c : cases) {
        faults.ClearFaults();
        // ".", ".." and "empty", then an I/O error.
        faults.FailListingAfter(u"/r/A", 3, win32::ERROR_IO_DEVICE);
        ScriptedWatcher s;
        s.answers = {c.answer};
        s.onEvent = [&](std::uint32_t event, std::uintptr_t) {
            if (event == WATCHER_EVENT_QUESTION) faults.ClearFaults();
        };
        PathCrawler crawler(faults, &s.watcher);
        WalkResult r = Walk(crawler, u"/r/");
        EXPECT_EQ(r.lines, c.lines) << c.answer;
        EXPECT_EQ(r.complete, c.complete);
        EXPECT_EQ(r.errors, c.errors);
        ASSERT_EQ(s.Questions().size(), 1u);
        EXPECT_EQ(s.Questions()[0].code, win32::ERROR_IO_DEVICE);
        EXPECT_EQ(CString(s.Questions()[0].GetText()), CString(u"/r/A/"));
    }
}

TEST_F(MemoryCrawl, DirectoryGoneSinceItsParentWasListedIsReportedSkipped) {
    // Removed or replaced by a file between the parent's listing and the descent: its
    // contents were not seen, so they must not look deleted.
    for (std::uint32_t code : {win32::ERROR_FILE_NOT_FOUND, win32::ERROR_PATH_NOT_FOUND}) {
        plat::FaultFileSystem faults(fs);
        faults.FailOn(plat::FsOp::ListDirectory, u"/r/A/sub", code);
        PathCrawler crawler(faults, &script.watcher);
        ExpectAllButSubListed(Walk(crawler, u"/r/"));
    }
    EXPECT_TRUE(script.Questions().empty());
}

TEST_F(MemoryCrawl, UnlistableRootIsAskedAndNeverComplete) {
    fs.SetMode(u"/r", 0);
    for (int answer : {WATCHER_ANSWER_IGNORE, WATCHER_ANSWER_ABORT}) {
        ScriptedWatcher s;
        s.answers = {answer};
        PathCrawler crawler(fs, &s.watcher);
        crawler.SetIgnoreAccessDenied(true);  // a root is never skipped silently
        WalkResult r = Walk(crawler, u"/r/");
        EXPECT_TRUE(r.lines.empty());
        EXPECT_FALSE(r.complete) << answer;
        EXPECT_EQ(r.error.code, win32::ERROR_ACCESS_DENIED);
        EXPECT_EQ(s.Questions().size(), 1u);
    }
}

TEST(PosixCrawl, WalksARealDirectory) {
    TempDir dir;
    dir.MakeDirectory("d/e");
    dir.WriteFile("d/f", "ff");
    dir.WriteFile("g", "");
    dir.MakeSymlink("d", "link");
    PathCrawler crawler(plat::PosixFs(), nullptr);
    WalkResult r = Walk(crawler, dir.Root());
    std::multiset<std::string> lines(r.lines.begin(), r.lines.end());
    EXPECT_EQ(lines, (std::multiset<std::string>{"0 d", "1 e", "1 f", "0 g", "0 link"}));
    EXPECT_TRUE(r.complete);

    TempDir empty;
    PathCrawler again(plat::PosixFs(), nullptr);
    WalkResult e = Walk(again, empty.Root());
    EXPECT_TRUE(e.lines.empty());
    EXPECT_TRUE(e.complete);
    EXPECT_EQ(e.errors, 0);
}

// The POSIX file system lists directories ahead of the walk on worker threads; the walk
// must be exactly the one a single thread makes (the fault injector's file system lists
// on the walking thread), also where temporary names shift the positions of entries and
// where the walk passes over a directory the workers already went into.
TEST(PosixCrawl, ListingAheadGivesTheSingleThreadedWalk) {
    TempDir dir;
    auto temporaries = [&] {
        for (const char* leftover : {"t0/.wk~0000abcd", "t2/s1/.wk~0000efgh"}) {
            dir.WriteFile(leftover, "t");
            std::filesystem::permissions(dir.Path(leftover), std::filesystem::perms(plat::kTemporaryMode));
        }
    };
    for (int a = 0; a < 6; ++a)
        for (int b = 0; b < 5; ++b)
            for (int c = 0; c < 4; ++c)
                for (int f = 0; f < 3; ++f)
                    dir.WriteFile("t" + std::to_string(a) + "/s" + std::to_string(b) + "/u" + std::to_string(c) +
                                      "/f" + std::to_string(f),
                                  "x");
    dir.MakeDirectory("t3/skip/deep/er");
    dir.WriteFile("t3/skip/deep/er/file", "x");
    const std::set<std::string> skip = {"skip", "s3"};

    temporaries();
    PathCrawler ahead(plat::PosixFs(), nullptr);
    ASSERT_TRUE(plat::PosixFs().ListsInParallel());
    const WalkResult a = Walk(ahead, dir.Root(), skip);  // removes the leftovers it meets
    EXPECT_FALSE(dir.Exists("t0/.wk~0000abcd"));
    EXPECT_FALSE(dir.Exists("t2/s1/.wk~0000efgh"));

    plat::FaultFileSystem oneThread(plat::PosixFs());
    ASSERT_FALSE(oneThread.ListsInParallel());
    PathCrawler single(oneThread, nullptr);
    const WalkResult s = Walk(single, dir.Root(), skip);
    EXPECT_EQ(a.lines, s.lines);
    EXPECT_EQ(a.paths, s.paths);
    EXPECT_TRUE(a.complete);
    EXPECT_EQ(a.errors, 0);
    // Every t, s, u and f, less the contents of each s3, plus t3/skip.
    EXPECT_EQ(a.lines.size(), std::size_t(6 + 30 + 120 + 360 - (4 + 12) * 6 + 1));
}

// The generated tree: the same for an even count on every run, dependent on the root
// for an odd one, and shaped as the generator promises.
TEST(DummyCrawl, TreeIsReproducibleAndWellFormed) {
    auto walk = [](std::uint32_t count, const char16_t* root) {
        PathCrawlerDummy crawler(count);
        return Walk(crawler, root);
    };
    const WalkResult even1 = walk(500, u"/one/");
    const WalkResult even2 = walk(500, u"/another/root/");
    EXPECT_EQ(even1.lines, even2.lines);
    EXPECT_EQ(even1.lines.size(), 500u);
    EXPECT_TRUE(even1.complete);

    const WalkResult odd1 = walk(501, u"/one/");
    const WalkResult odd2 = walk(501, u"/one/");
    const WalkResult odd3 = walk(501, u"/another/root/");
    EXPECT_EQ(odd1.lines, odd2.lines);
    EXPECT_NE(odd1.lines, odd3.lines);

    PathCrawlerDummy crawler(2000);
    EXPECT_FALSE(crawler.GetIgnoreAccessDenied());
    crawler.SetIgnoreAccessDenied(true);
    EXPECT_FALSE(crawler.GetIgnoreAccessDenied());
    ErrorInfo error;
    int previous = -1;
    bool previousWasDirectory = true;
    std::set<std::string> seen;
    CString path;
    for (crawler.Start(u"/x/", &error); crawler.IsValid(); crawler.Next(nullptr, &error)) {
        const int depth = crawler.Depth();
        EXPECT_LE(depth, previous + 1);
        EXPECT_LT(depth, 10);
        // A directory exactly when the next entry is deeper.
        EXPECT_EQ(previousWasDirectory, depth == previous + 1);
        previousWasDirectory = crawler.FindData().IsDirectory();
        EXPECT_EQ(crawler.FindData().kind == plat::EntryKind::Directory, previousWasDirectory);
        const std::string name = crawler.Name().ToUtf8();
        EXPECT_TRUE(name.starts_with(previousWasDirectory ? "Dir_" : "File_")) << name;
        EXPECT_TRUE(name.ends_with("tra long")) << name;
        crawler.FullPath(path);
        EXPECT_TRUE(path.StartsWith(u"/x/Dir_") || path.StartsWith(u"/x/File_")) << path.ToUtf8();
        EXPECT_TRUE(seen.insert(path.ToUtf8()).second) << "duplicate " << path.ToUtf8();
        previous = depth;
    }
    EXPECT_FALSE(previousWasDirectory);
    EXPECT_EQ(seen.size(), 2000u);
    EXPECT_TRUE(crawler.IsComplete());
    EXPECT_FALSE(error.IsSet());
}

TEST(DummyCrawl, GeneratorIsTheDocumentedCongruence) {
    TestPatternRandom random;
    random.Seed(1);
    // state 1 -> 1 * 214013 + 2531011 = 2745024, bits 16-30: 41.
    EXPECT_EQ(random.Draw(), 41);
    EXPECT_EQ(random.Draw(), 18467);
    EXPECT_EQ(random.Draw(), 6334);
}

TEST(DummyCrawl, AHugeCountGivesAtMostAMillionEntries) {
    for (const std::uint32_t count : {std::uint32_t(INT32_MAX), UINT32_MAX}) {
        PathCrawlerDummy crawler(count);
        ErrorInfo error;
        std::uint32_t entries = 0;
        for (crawler.Start(u"/x/", &error); crawler.IsValid(); crawler.Next(nullptr, &error)) ++entries;
        EXPECT_EQ(entries, PathCrawlerDummy::kMaxCount);
        EXPECT_TRUE(crawler.IsComplete());
    }
}

TEST(DummyCrawl, SkipChildrenPassesOverTheGeneratedSubtree) {
    PathCrawlerDummy crawler(300);
    ErrorInfo error;
    int skipDepth = -1;
    int skipped = 0;
    for (crawler.Start(u"/x/", &error); crawler.IsValid(); crawler.Next(nullptr, &error)) {
        if (skipDepth >= 0) {
            EXPECT_LE(crawler.Depth(), skipDepth);
        }
        skipDepth = -1;
        if (crawler.FindData().IsDirectory()) {
            skipDepth = crawler.Depth();
            crawler.SkipChildren();
            ++skipped;
        }
    }
    EXPECT_GT(skipped, 0);
}

}  // namespace
