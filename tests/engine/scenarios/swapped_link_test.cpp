// A directory of a synchronised tree replaced by a symbolic link to a directory outside
// both trees after the scan saw it (or while the run goes on) is never gone through: not
// for a copy, a replacement, a delete, a new directory, a directory's mode or a listing.
// The entry fails with an error naming its path, its database pair stays as it was, and
// once the real directory is back the next run decides from what is on the disk: it
// copies what was not copied and deletes nothing the user kept. Every case runs on real
// directories and in memory, with the link on either side.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/error_info.h"
#include "tests/engine/support/two_way_pair.h"
#include "tests/engine/support/scripted_watcher.h"

namespace {

using namespace kit::scenario;

enum class Direction { LeftToRight, RightToLeft };

Side& From(TwoWayPair& p, Direction d) { return d == Direction::LeftToRight ? p.left : p.right; }
Side& To(TwoWayPair& p, Direction d) { return d == Direction::LeftToRight ? p.right : p.left; }

// What the link points to: a directory with the names the tree has, its files of the same
// size and time as the tree's own, so that only the path tells them apart.
const Tree kDecoy = {{"decoy/e.txt", "D"}, {"decoy/c/e.txt", "D"}, Dir("decoy/sub"), Dir("decoy/nd")};

std::string Key(const std::string& path) { return Bytes(RecordPath(path)); }

// The directory dir of side moved out of the tree (to outside/kept) and a link to the
// decoy put in its place.
void Swap(TwoWayPair& p, Side& side, const std::string& dir) {
    ASSERT_TRUE(p.Base().MoveFile(side.Path(dir), p.outside.Path("kept"), false)) << Printable(dir);
    side.Link(dir, Bytes(p.outside.Path("decoy")));
}

void PutBack(TwoWayPair& p, Side& side, const std::string& dir) {
    side.Remove(dir);
    ASSERT_TRUE(p.Base().MoveFile(p.outside.Path("kept"), side.Path(dir), false)) << Printable(dir);
}

bool LogNames(const SyncResult& r, const CString& path) {
    for (const ErrorInfo& e : r.Problems())
        if (std::u16string_view(e.GetText()).find(path.view()) != std::u16string_view::npos) return true;
    return false;
}

struct Case {
    const char* name;
    Tree initial;
    std::function<void(Side& from)> change;  // before the scan, on the side the plan copies from
    std::string swapped;                     // the other side's directory replaced by the link
    std::vector<std::string> failed;         // the entries that must end FAILED
    Tree after;                              // both sides after the next run
};

const std::vector<Case> kCases = {
    {"ANewFileIsNotWrittenThroughTheLink",
     {{"a/pdir/e.txt", "e"}},
     [](Side& from) { from.Write("a/pdir/new.txt", "new", T(10)); },
     "a/pdir",
     {"a/pdir/new.txt"},
     {{"a/pdir/e.txt", "e"}, {"a/pdir/new.txt", "new"}}},
    {"ALinkInTheMiddleOfADeeperPathIsNotGoneThrough",
     {{"a/b/c/e.txt", "e"}},
     [](Side& from) { from.Write("a/b/c/new.txt", "new", T(10)); },
     "a/b",
     {"a/b/c/new.txt"},
     {{"a/b/c/e.txt", "e"}, {"a/b/c/new.txt", "new"}}},
    {"AChangedFileDoesNotReplaceTheOneBehindTheLink",
     {{"a/pdir/e.txt", "e"}},
     [](Side& from) { from.Write("a/pdir/e.txt", "changed", T(10)); },
     "a/pdir",
     {"a/pdir/e.txt"},
     {{"a/pdir/e.txt", "changed"}}},
    {"ADeleteDoesNotRemoveTheFileBehindTheLink",
     {{"a/pdir/e.txt", "e"}, {"a/pdir/f.txt", "f"}},
     [](Side& from) { from.Remove("a/pdir/e.txt"); },
     "a/pdir",
     {"a/pdir/e.txt"},
     {{"a/pdir/f.txt", "f"}}},
    {"ANewDirectoryIsNotMadeBehindTheLink",
     {{"a/pdir/e.txt", "e"}},
     [](Side& from) { from.Write("a/pdir/nd/x.txt", "x", T(10)); },
     "a/pdir",
     {"a/pdir/nd", "a/pdir/nd/x.txt"},
     {{"a/pdir/e.txt", "e"}, {"a/pdir/nd/x.txt", "x"}}},
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

// The platform's copy (its own temporary file and rename) or the read/write loop.
enum class Copy { System, Own };

using Param = std::tuple<Case, Backend, Direction, Copy>;
class SwappedLinkTest : public ::testing::TestWithParam<Param> {};

TEST_P(SwappedLinkTest, TheEntryFailsKeepsItsPairAndTheNextRunLosesNothing) {
    const auto& [c, backend, direction, copy] = GetParam();
    TwoWayPair pair(backend);
    pair.settings.ownCopy = copy == Copy::Own;
    pair.Start(c.initial);
    if (HasFatalFailure()) return;
    pair.outside.Build(kDecoy, T(0));
    Side& from = From(pair, direction);
    Side& to = To(pair, direction);
    c.change(from);

    Tree outsideAfterSwap;
    const SyncResult r = pair.Sync({.ignoreErrors = true, .beforeExecute = [&](ScriptedWatcher&) {
                                        Swap(pair, to, c.swapped);
                                        outsideAfterSwap = pair.outside.Read(true);
                                    }});
    ASSERT_TRUE(r.executed) << r.LogText();
    EXPECT_EQ(Difference(outsideAfterSwap, pair.outside.Read(true)), "")
        << "nothing written, replaced or removed behind the link, nor in the real directory moved away";
    for (const std::string& entry : c.failed) {
        SCOPED_TRACE(entry);
        ASSERT_TRUE(r.status.count(Key(entry)));
        EXPECT_EQ(Bytes(SyncStatusName(r.status.at(Key(entry)))), Bytes(SyncStatusName(FAILED)));
        EXPECT_TRUE(LogNames(r, to.Path(entry))) << r.LogText();
    }
    EXPECT_EQ(r.run, RUN_FINISHED_WITH_ERRORS);

    PutBack(pair, to, c.swapped);
    if (HasFatalFailure()) return;
    const SyncResult next = pair.Sync();
    ASSERT_EQ(next.scan, 0u) << next.LogText();
    for (const std::string& entry : c.failed)
        EXPECT_EQ(kit::CodeName(next.plan.at(Key(entry))), kit::CodeName(r.plan.at(Key(entry))))
            << Printable(entry) << ": the pair was kept, so the plan is the same again";
    EXPECT_EQ(next.run, RUN_FINISHED) << next.LogText();
    EXPECT_EQ(Difference(c.after, pair.left.Read()), "") << "left side";
    EXPECT_EQ(Difference(c.after, pair.right.Read()), "") << "right side";
}

// The swap staged while the run goes on, just before the call it must not go through.
class SwapDuringTheRunTest : public ::testing::TestWithParam<std::tuple<Backend, Direction>> {};

// Finish gives a directory made by the run its final mode by path; the directory above it
// is swapped just before.
TEST_P(SwapDuringTheRunTest, ADirectorysModeIsNotSetBehindTheLink) {
    const auto& [backend, direction] = GetParam();
    TwoWayPair pair(backend);
    pair.Start({{"a/pdir/e.txt", "e"}});
    if (HasFatalFailure()) return;
    pair.outside.Build(kDecoy, T(0));
    Side& from = From(pair, direction);
    Side& to = To(pair, direction);
    from.MakeDir("a/pdir/nd");
    from.Chmod("a/pdir/nd", 0555);
    bool swapped = false;
    pair.faults.SetCallHook([&](plat::FsOp op, const CString& path) {
        if (!swapped && op == plat::FsOp::SetPermissions && path == to.Path("a/pdir/nd")) {
            swapped = true;
            Swap(pair, to, "a/pdir");
        }
    });
    const SyncResult r = pair.Sync({.ignoreErrors = true});
    pair.faults.SetCallHook({});
    ASSERT_TRUE(swapped) << r.LogText();
    plat::FindData fd;
    ASSERT_TRUE(pair.Base().GetFindData(pair.outside.Path("decoy/nd"), fd));
    EXPECT_EQ(fd.mode, 0755u) << "the decoy's directory keeps its mode";
    EXPECT_EQ(r.run, RUN_FINISHED_WITH_ERRORS);
    EXPECT_TRUE(LogNames(r, to.Path("a/pdir/nd"))) << r.LogText();

    PutBack(pair, to, "a/pdir");
    if (HasFatalFailure()) return;
    const SyncResult next = pair.Sync();
    EXPECT_EQ(next.run, RUN_FINISHED) << next.LogText();
    const Tree after = {{"a/pdir/e.txt", "e"}, Dir("a/pdir/nd")};
    EXPECT_EQ(Difference(after, pair.left.Read()), "") << "left side";
    EXPECT_EQ(Difference(after, pair.right.Read()), "") << "right side";
}

// The scan lists a directory below the one that was just swapped: the listing fails (the
// directory counts as not listed) instead of showing the decoy's empty directory, which
// would make every file of the real one look deleted.
TEST_P(SwapDuringTheRunTest, AListingIsNotMadeThroughTheLink) {
    const auto& [backend, direction] = GetParam();
    const Tree initial = {{"a/pdir/e.txt", "e"}, {"a/pdir/sub/x.txt", "x"}};
    TwoWayPair pair(backend);
    pair.Start(initial);
    if (HasFatalFailure()) return;
    pair.outside.Build(kDecoy, T(0));
    Side& swappedSide = To(pair, direction);
    Side& other = From(pair, direction);
    bool swapped = false;
    pair.faults.SetCallHook([&](plat::FsOp op, const CString& path) {
        if (!swapped && op == plat::FsOp::ListDirectory && path == swappedSide.Path("a/pdir/sub")) {
            swapped = true;
            Swap(pair, swappedSide, "a/pdir");
        }
    });
    const SyncResult r = pair.Sync({.ignoreErrors = true});
    pair.faults.SetCallHook({});
    ASSERT_TRUE(swapped);
    ASSERT_EQ(r.scan, 0u) << r.LogText();
    for (const auto& [path, code] : r.plan)
        EXPECT_TRUE(code != DEL_M && code != DEL_S) << Printable(path) << " " << kit::CodeName(code);
    EXPECT_EQ(Difference(initial, other.Read()), "") << "the other side keeps everything";

    PutBack(pair, swappedSide, "a/pdir");
    if (HasFatalFailure()) return;
    const SyncResult next = pair.Sync();
    EXPECT_EQ(next.run, RUN_FINISHED) << next.LogText();
    EXPECT_EQ(Difference(initial, pair.left.Read()), "") << "left side";
    EXPECT_EQ(Difference(initial, pair.right.Read()), "") << "right side";
}

std::string RunName(Backend backend, Direction direction) {
    return std::string(BackendName(backend)) +
           (direction == Direction::LeftToRight ? "_LinkOnTheRight" : "_LinkOnTheLeft");
}

std::string ParamName(const ::testing::TestParamInfo<Param>& info) {
    const auto& [c, backend, direction, copy] = info.param;
    return std::string(c.name) + "_" + RunName(backend, direction) + (copy == Copy::Own ? "_OwnCopy" : "");
}

std::vector<Param> Runs() {
    std::vector<Param> out;
    for (const Case& c : kCases)
        for (Backend b : {Backend::Posix, Backend::Memory})
            for (Direction d : {Direction::LeftToRight, Direction::RightToLeft})
                for (Copy copy : {Copy::System, Copy::Own}) out.emplace_back(c, b, d, copy);
    return out;
}

INSTANTIATE_TEST_SUITE_P(Cases, SwappedLinkTest, ::testing::ValuesIn(Runs()), ParamName);
INSTANTIATE_TEST_SUITE_P(Runs, SwapDuringTheRunTest,
                         ::testing::Combine(::testing::Values(Backend::Posix, Backend::Memory),
                                            ::testing::Values(Direction::LeftToRight, Direction::RightToLeft)),
                         [](const ::testing::TestParamInfo<std::tuple<Backend, Direction>>& info) {
                             return RunName(std::get<0>(info.param), std::get<1>(info.param));
                         });

}  // namespace
