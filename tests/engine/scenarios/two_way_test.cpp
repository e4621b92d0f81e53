// Two-way scenarios: each case starts from a synchronised pair of trees, changes the
// sides with file operations at fixed times, synchronises (as `engine-run sync` does)
// and checks the plan and both trees file by file, step after step. Every case runs on
// real temporary directories and on the in-memory file system (permissions enforced),
// both seen through the fault injector for failures that root cannot see.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/error_info.h"
#include "engine/filters/protection_rule.h"
#include "engine/watcher.h"
#include "tests/engine/support/scripted_watcher.h"
#include "tests/engine/support/two_way_pair.h"

namespace {

using namespace kit::scenario;

struct Step {
    std::function<void(TwoWayPair&)> change;  // file operations before the synchronisation
    SyncOptions options;
    PlanSpec plan;  // the plan of the scan (unnamed entries EQUAL)
    Tree left;
    std::optional<Tree> right;                            // none: the same as left
    bool scanCancelled = false;                           // the scan must end cancelled (nothing executed)
    std::optional<RunResult> run;                         // the execution's result when it matters
    std::optional<ExecutionCounts> counts;                // what the execution did on the disk, when it matters
    std::function<void(TwoWayPair&, const SyncResult&)> check;  // anything else to look at
};

struct Case {
    const char* name;
    Tree initial;  // both sides, synchronised before the first step
    std::vector<Step> steps;
    bool memoryOnly = false;           // needs what only the in-memory file system can do
    std::function<void(TwoWayPair&)> setup;  // before the initial synchronisation
    const char* skip = nullptr;        // why the case cannot pass yet (an open engine fault)
};

// The record path of a test path, as plan and status keys are written.
std::string Key(const std::string& path) { return Bytes(RecordPath(path)); }

void ExpectStatus(const SyncResult& r, const std::string& path, SyncStatus status) {
    auto it = r.status.find(Key(path));
    ASSERT_NE(it, r.status.end()) << Printable(path) << " not in the plan";
    EXPECT_EQ(Bytes(SyncStatusName(it->second)), Bytes(SyncStatusName(status))) << Printable(path);
}

const std::string kBig(200000, 'b');

const std::vector<Case> kCases = {
    {"NewOnTheLeft",
     {{"a", "1"}},
     {{.change = [](TwoWayPair& p) { p.left.Write("docs/b", "2", T(10)); },
       .plan = {{"docs", CP_M}, {"docs/b", CP_M}},
       .left = {{"a", "1"}, {"docs/b", "2"}},
       .counts = ExecutionCounts{.copies = 1, .directoryCreations = 1, .modeSets = 1}}}},
    {"NewOnTheRight",
     {{"a", "1"}},
     {{.change = [](TwoWayPair& p) { p.right.Write("b", "2", T(10)); },
       .plan = {{"b", CP_S}},
       .left = {{"a", "1"}, {"b", "2"}}}}},
    {"ChangedOnOneSide",
     {{"a", "1"}, {"b", "1"}},
     {{.change =
           [](TwoWayPair& p) {
               p.left.Write("a", "left", T(10));
               p.right.Write("b", "right", T(10));
           },
       .plan = {{"a", CP_M}, {"b", CP_S}},
       .left = {{"a", "left"}, {"b", "right"}}}}},
    {"DeletedOnOneSide",
     {{"a", "1"}, {"b", "1"}, {"d/c", "1"}},
     {{.change =
           [](TwoWayPair& p) {
               p.left.Remove("a");
               p.right.RemoveTree("d");
           },
       .plan = {{"a", DEL_S}, {"d", DEL_M}, {"d/c", DEL_M}},
       .left = {{"b", "1"}},
       .counts = ExecutionCounts{.deletions = 3}}}},
    {"ChangedOnBothIsAConflictUntilTheBestChoice",
     {{"a", "1"}},
     {{.change =
           [](TwoWayPair& p) {
               p.left.Write("a", "left", T(10));
               p.right.Write("a", "right", T(20));
           },
       .plan = {{"a", AMBIGUOUS}},
       .left = {{"a", "left"}},
       .right = Tree{{"a", "right"}}},
      {.options = {.best = true},
       .plan = {{"a", AMBIGUOUS}},
       .left = {{"a", "right"}},
       .check = [](TwoWayPair&,
                   const SyncResult& r) { EXPECT_EQ(r.executedPlan.at("A"), CP_S) << "the newer side wins"; }}}},
    {"AChangeSurvivesADeleteOnTheOtherSide",
     {{"a", "1"}, {"b", "1"}},
     {{.change =
           [](TwoWayPair& p) {
               p.left.Write("a", "changed", T(10));
               p.right.Remove("a");
               p.right.Write("b", "changed", T(10));
               p.left.Remove("b");
           },
       .plan = {{"a", CP_M}, {"b", CP_S}},
       .left = {{"a", "changed"}, {"b", "changed"}}}}},
    {"DeletedOnBothLeavesTheDatabase",
     {{"a", "1"}, {"b", "1"}},
     {{.change =
           [](TwoWayPair& p) {
               p.left.Remove("a");
               p.right.Remove("a");
           },
       .plan = {{"a", DEL_D}},
       .left = {{"b", "1"}}},
      {.plan = {},
       .left = {{"b", "1"}},
       .check = [](TwoWayPair&,
                   const SyncResult& r) { EXPECT_FALSE(r.plan.count("A")) << "dropped from the database"; }}}},
    {"CreatedOnBothEqual",
     {{"a", "1"}},
     {{.change =
           [](TwoWayPair& p) {
               p.left.Write("n", "same", T(10));
               p.right.Write("n", "same", T(10));
           },
       .options = {.best = true},
       .plan = {{"n", AMBIGUOUS}},
       .left = {{"a", "1"}, {"n", "same"}},
       .check = [](TwoWayPair&, const SyncResult& r) { EXPECT_EQ(r.executedPlan.at("N"), UPDATE_D); }},
      {.plan = {}, .left = {{"a", "1"}, {"n", "same"}}}}},
    {"CreatedOnBothDifferent",
     {{"a", "1"}},
     {{.change =
           [](TwoWayPair& p) {
               p.left.Write("n", "left", T(10));
               p.right.Write("n", "right!", T(10));
           },
       .plan = {{"n", AMBIGUOUS}},
       .left = {{"a", "1"}, {"n", "left"}},
       .right = Tree{{"a", "1"}, {"n", "right!"}}},
      {.options = {.best = true},
       .plan = {{"n", AMBIGUOUS}},
       .left = {{"a", "1"}, {"n", "right!"}},
       .check = [](TwoWayPair&,
                   const SyncResult& r) { EXPECT_EQ(r.executedPlan.at("N"), CP_S) << "equal times: the larger"; }}}},
    // A first synchronisation with content comparison: files of equal size and time but
    // other bytes give the best choice nothing to choose by, so neither overwrites the
    // other, also unattended; a newer one still wins.
    {"FirstScanLeavesDifferentContentsOfEqualTimesToTheUser",
     {},
     {{.change =
           [](TwoWayPair& p) {
               p.left.Write("n", "left!", T(10));
               p.right.Write("n", "right", T(10));
               p.left.Write("m", "newer", T(20));
               p.right.Write("m", "older", T(10));
           },
       .options = {.best = true, .contents = true},
       .plan = {{"n", AMBIGUOUS}, {"m", CP_M}},
       .left = {{"m", "newer"}, {"n", "left!"}},
       .right = Tree{{"m", "newer"}, {"n", "right"}},
       .check = [](TwoWayPair&, const SyncResult& r) { EXPECT_EQ(r.executedPlan.at("N"), AMBIGUOUS) << "unattended"; }},
      {.options = {.best = true, .contents = true},
       .plan = {{"n", AMBIGUOUS}},
       .left = {{"m", "newer"}, {"n", "left!"}},
       .right = Tree{{"m", "newer"}, {"n", "right"}}}}},
    // Without content comparison a changed time is a change: the file is copied (its
    // time with it), and nothing is done on the next run.
    {"TouchedOnlyIsCopiedByTime",
     {{"a", "1"}},
     {{.change = [](TwoWayPair& p) { p.left.Touch("a", T(30)); },
       .plan = {{"a", CP_M}},
       .left = {{"a", "1"}},
       .counts = ExecutionCounts{.copies = 1}},
      {.plan = {}, .left = {{"a", "1"}}, .counts = ExecutionCounts{}}}},
    // With content comparison a changed time with the same contents copies nothing and
    // sets no time: only the database learns the new time (the sides keep their times).
    {"TouchedOnlyWithContentsOnlyUpdatesTheDatabase",
     {{"a", "1"}},
     {{.change = [](TwoWayPair& p) { p.left.Touch("a", T(30)); },
       .options = {.contents = true},
       .plan = {{"a", UPDATE_D}},
       .left = {{"a", "1"}},
       .counts = ExecutionCounts{},
       .check =
           [](TwoWayPair& p, const SyncResult&) {
               plat::FindData l, r;
               ASSERT_TRUE(p.Base().GetFindData(p.left.Path("a"), l));
               ASSERT_TRUE(p.Base().GetFindData(p.right.Path("a"), r));
               EXPECT_EQ(l.lastWriteTime, T(30));
               EXPECT_EQ(r.lastWriteTime, T(0));
           }},
      {.plan = {}, .left = {{"a", "1"}}}}},
    // Settings out of range reach the scan's comparison and the execution bounded: a
    // buffer of 10^9 bytes or of -1 bytes, a negative retry delay.
    {"CopySettingsOutOfRangeStillCompareAndCopy",
     {{"a", "1"}},
     {{.change =
           [](TwoWayPair& p) {
               p.settings.copyBufferSize = 1000000000;
               p.settings.retryDelay = -1;
               p.left.Touch("a", T(30));
               p.left.Write("b", "new", T(10));
           },
       .options = {.contents = true},
       .plan = {{"a", UPDATE_D}, {"b", CP_M}},
       .left = {{"a", "1"}, {"b", "new"}}},
      {.change =
           [](TwoWayPair& p) {
               p.settings.copyBufferSize = -1;
               p.left.Write("a", "2", T(40));
           },
       .options = {.contents = true},
       .plan = {{"a", CP_M}},
       .left = {{"a", "2"}, {"b", "new"}}}}},
    {"TimeWithinAndBeyondTheTolerance",
     {{"a", "1"}, {"b", "1"}},
     {{.change =
           [](TwoWayPair& p) {
               p.settings.timeTolerance = 2000;
               p.left.Touch("a", T(0) + 19000000);  // 1.9 s
               p.left.Touch("b", T(0) + 20000000);  // 2.0 s
           },
       .plan = {{"b", CP_M}},
       .left = {{"a", "1"}, {"b", "1"}}}}},
    {.name = "OneHourShiftOnAFatSideIsCompensated",
     .initial = {{"a", "1"}, {"d/b", "2"}},
     .steps = {{.change = [](TwoWayPair& p) { p.left.ShiftAllTimes(kHour); },
                .options = {.compensateDst = true},
                .plan = {},
                .left = {{"a", "1"}, {"d/b", "2"}}},
               {.plan = {}, .left = {{"a", "1"}, {"d/b", "2"}}}},
     .memoryOnly = true,
     .setup = [](TwoWayPair& p) { p.Memory()->SetFileSystemName(u"FAT"); }},
    {.name = "OneHourShiftKeptIsCopied",
     .initial = {{"a", "1"}},
     .steps = {{.change = [](TwoWayPair& p) { p.left.ShiftAllTimes(kHour); },
                .plan = {{"a", CP_M}},
                .left = {{"a", "1"}}}},
     .memoryOnly = true,
     .setup = [](TwoWayPair& p) { p.Memory()->SetFileSystemName(u"FAT"); }},
    {"DirectoryReplacedByAFile",
     {{"d/f", "1"}, {"e", "1"}},
     {{.change =
           [](TwoWayPair& p) {
               p.left.RemoveTree("d");
               p.left.Write("d", "now a file", T(10));
           },
       .plan = {{"d", CP_M}, {"d/f", DEL_S}},
       .left = {{"d", "now a file"}, {"e", "1"}},
       .counts = ExecutionCounts{.copies = 1, .deletions = 2}}}},
    {"FileReplacedByADirectory",
     {{"d", "a file"}, {"e", "1"}},
     {{.change =
           [](TwoWayPair& p) {
               p.right.Remove("d");
               p.right.Write("d/f", "inside", T(10));
           },
       .plan = {{"d", CP_S}, {"d/f", CP_S}},
       .left = {{"d/f", "inside"}, {"e", "1"}},
       .counts = ExecutionCounts{.copies = 1, .deletions = 1, .directoryCreations = 1, .modeSets = 1}}}},
    // The file's best choice clears the directory; an entry below it that is gone from
    // both sides only leaves the database (nothing to delete, no error).
    {"BestChoiceOfANewerFileOverAChangedDirectory",
     {{"d/s0/f1", "1"}, {"d/s0/f2", "1"}, {"d/s0/f3", "1"}},
     {{.change =
           [](TwoWayPair& p) {
               p.left.Write("d/s0/f1", "changed", T(10));
               p.left.Remove("d/s0/f3");
               p.right.RemoveTree("d/s0");
               p.right.Write("d/s0", "a newer file", T(20));
           },
       .options = {.best = true},
       .plan = {{"d/s0", AMBIGUOUS}, {"d/s0/f1", AMBIGUOUS}, {"d/s0/f2", DEL_M}, {"d/s0/f3", DEL_D}},
       .left = {{"d/s0", "a newer file"}},
       .run = RUN_FINISHED,
       .check = [](TwoWayPair&, const SyncResult& r) { EXPECT_EQ(r.executedPlan.at(Key("d/s0/f3")), DEL_D); }},
      {.plan = {}, .left = {{"d/s0", "a newer file"}}, .run = RUN_FINISHED}}},
    // The unattended best choice must not delete a file that exists nowhere else: a
    // newer file on the right stands where the left made a directory with a new file.
    // (The right's time lies ahead of the directory's birth time, which a real file system
    // sets to now and which the best choice compares for a directory.)
    {.name = "UnattendedBestChoiceKeepsANeverSynchronisedFile",
     .initial = {{"x", "file"}},
     .steps = {{.change =
                    [](TwoWayPair& p) {
                        p.left.Remove("x");
                        p.left.Write("x/new", "never synchronised", T(10));
                        p.right.Write("x", "changed later", T(2400000000));
                    },
                .options = {.best = true},
                .plan = {{"x", AMBIGUOUS}, {"x/new", AMBIGUOUS}},
                .left = {{"x/new", "never synchronised"}},
                .right = Tree{{"x", "changed later"}}}}},
    // The new entries below d/c are a conflict with the right's file d; d/c waits for the
    // user's decision with them instead of failing its deletion (not empty) on every run,
    // and the rest of the plan is carried out without errors.
    {"ADirectoryWithAConflictBelowItIsNotDeleted",
     {{"d/c/c", "1"}, {"z.txt", "1"}},
     {{.change =
           [](TwoWayPair& p) {
               p.right.RemoveTree("d");
               p.right.Write("d", "now a file", T(10));
               p.left.Write("d/c/a/x", "new", T(10));
               p.left.Write("z.txt", "2", T(10));
           },
       .plan = {{"d", AMBIGUOUS},
                {"d/c", AMBIGUOUS},
                {"d/c/c", DEL_M},
                {"d/c/a", AMBIGUOUS},
                {"d/c/a/x", AMBIGUOUS},
                {"z.txt", CP_M}},
       .left = {{"d/c/a/x", "new"}, {"z.txt", "2"}},
       .right = Tree{{"d", "now a file"}, {"z.txt", "2"}},
       .run = RUN_FINISHED},
      {.plan = {{"d", AMBIGUOUS}, {"d/c", AMBIGUOUS}, {"d/c/a", AMBIGUOUS}, {"d/c/a/x", AMBIGUOUS}},
       .left = {{"d/c/a/x", "new"}, {"z.txt", "2"}},
       .right = Tree{{"d", "now a file"}, {"z.txt", "2"}},
       .run = RUN_FINISHED}}},
    {"DirectoryDeletedWithANewFileInsideOnTheOtherSide",
     {{"d/a", "1"}, {"e", "1"}},
     {{.change =
           [](TwoWayPair& p) {
               p.left.RemoveTree("d");
               p.right.Write("d/new", "keep me", T(10));
           },
       .plan = {{"d", CP_S}, {"d/a", DEL_S}, {"d/new", CP_S}},
       .left = {{"d/new", "keep me"}, {"e", "1"}}}}},
    // A name changed only in case is no rename on the other side: the plan copies the
    // file (the stamp's name differs from the database's), the copy keeps the target's
    // spelling, and the next run finds nothing to do.
    {"CaseOnlyRename",
     {{"readme.txt", "1"}},
     {{.change = [](TwoWayPair& p) { p.left.Rename("readme.txt", "README.txt"); },
       .plan = {{"readme.txt", CP_M}},
       .left = {{"README.txt", "1"}},
       .right = Tree{{"readme.txt", "1"}},
       .counts = ExecutionCounts{.copies = 1}},
      {.plan = {}, .left = {{"README.txt", "1"}}, .right = Tree{{"readme.txt", "1"}}}}},
    {"NamesDifferingOnlyInCaseAreLeftAlone",
     {{"a", "1"}},
     {{.change =
           [](TwoWayPair& p) {
               p.left.Write("x.txt", "lower", T(10));
               p.left.Write("X.TXT", "upper", T(10));
           },
       .plan = {{"x.txt", SKIP}},
       .left = {{"a", "1"}, {"x.txt", "lower"}, {"X.TXT", "upper"}},
       .right = Tree{{"a", "1"}},
       .check = [](TwoWayPair&,
                   const SyncResult& r) { EXPECT_FALSE(r.Problems().empty()) << "a warning names them"; }}}},
    {"NamesWithOtherBytesNewlinesAndBackslashes",
     {{"a", "1"}},
     {{.change =
           [](TwoWayPair& p) {
               p.left.Write("caf\xE9.txt", "latin-1", T(10));
               p.left.Write("line\nbreak", "newline", T(10));
               p.left.Write("back\\slash", "not synchronisable", T(10));
           },
       .plan = {{"caf\xE9.txt", CP_M}, {"line\nbreak", CP_M}, {"back\\slash", SKIP}},
       .left =
           {{"a", "1"}, {"caf\xE9.txt", "latin-1"}, {"line\nbreak", "newline"}, {"back\\slash", "not synchronisable"}},
       .right = Tree{{"a", "1"}, {"caf\xE9.txt", "latin-1"}, {"line\nbreak", "newline"}}}}},
    // A user's file that only looks like a leftover of the program is synchronised, and
    // so are hidden files.
    {"HiddenFilesAndLookAlikesOfTemporaryFiles",
     {{"a", "1"}},
     {{.change =
           [](TwoWayPair& p) {
               p.left.Write(".hidden", "h", T(10));
               p.left.Write(".wk~notes", "mine", T(10));
               p.right.Write(".wk~abcdefgh.txt", "mine too", T(10));
           },
       .plan = {{".hidden", CP_M}, {".wk~notes", CP_M}, {".wk~abcdefgh.txt", CP_S}},
       .left = {{"a", "1"}, {".hidden", "h"}, {".wk~notes", "mine"}, {".wk~abcdefgh.txt", "mine too"}}},
      {.plan = {}, .left = {{"a", "1"}, {".hidden", "h"}, {".wk~notes", "mine"}, {".wk~abcdefgh.txt", "mine too"}}}}},
    // Times far from now survive the copy exactly: the next scan finds both sides equal.
    {"TimesLongAgoAndFarAhead",
     {{"a", "1"}},
     {{.change =
           [](TwoWayPair& p) {
               p.left.Write("1965", "old", T(-1862000000));
               p.left.Write("2100", "new", T(2400000000));
               p.right.Write("1601", "oldest", FileTime(10000000));
           },
       .plan = {{"1965", CP_M}, {"2100", CP_M}, {"1601", CP_S}},
       .left = {{"a", "1"}, {"1965", "old"}, {"2100", "new"}, {"1601", "oldest"}}},
      {.plan = {}, .left = {{"a", "1"}, {"1965", "old"}, {"2100", "new"}, {"1601", "oldest"}}}}},
    {"LinksAndFifosAreNeverCopiedNorDeleteAnything",
     {{"a", "1"}, {"x", "1"}},
     {{.change =
           [](TwoWayPair& p) {
               p.left.Link("l", "a");
               p.left.Fifo("p");
               p.left.Remove("x");
               p.left.Link("x", "a");  // a synchronised file replaced by a link
               p.right.Link("dl", "/");
           },
       .plan = {{"l", SKIP}, {"p", SKIP}, {"x", SKIP}, {"dl", SKIP}},
       .left = {{"a", "1"}, Link("l"), Special("p"), Link("x")},
       .right = Tree{{"a", "1"}, {"x", "1"}, Link("dl")}}}},
    {"AProtectedSubtreeIsLeftAlone",
     {{"keep/a", "1"}, {"keep/b", "1"}, {"other", "1"}},
     {{.change =
           [](TwoWayPair& p) {
               p.EditProfile([](CSyncDataBase& db) { db.protectionFilters.AddRule(u"KEEP", ProtectionRule::ACTIVE); });
               p.left.Remove("keep/a");
               p.left.Write("keep/b", "changed", T(10));
               p.right.Write("keep/c", "new", T(10));
               p.left.Write("other", "changed", T(10));
           },
       .plan = {{"keep/a", SKIP}, {"keep/b", SKIP}, {"keep/c", SKIP}, {"other", CP_M}},
       .left = {{"keep/b", "changed"}, {"other", "changed"}},
       .right = Tree{{"keep/a", "1"}, {"keep/b", "1"}, {"keep/c", "new"}, {"other", "changed"}}}}},
    {"AnUnreadableSubdirectoryDeletesNothing",
     {{"sub/a", "1"}, {"sub/deep/b", "1"}, {"c", "1"}},
     {{.change =
           [](TwoWayPair& p) {
               p.faults.FailOn(plat::FsOp::ListDirectory, p.left.Path("sub"), 5, plat::PathMatch::Prefix,
                               plat::Repeat::Always);
               p.left.Write("c", "changed", T(10));
           },
       .plan = {},
       .left = {{"sub/a", "1"}, {"sub/deep/b", "1"}, {"c", "changed"}},
       .right = Tree{{"sub/a", "1"}, {"sub/deep/b", "1"}, {"c", "1"}},
       .scanCancelled = true},
      {.change = [](TwoWayPair& p) { p.settings.ignoreInaccessible = true; },
       .plan = {{"sub/a", SKIP}, {"sub/deep", SKIP}, {"sub/deep/b", SKIP}, {"c", CP_M}},
       .left = {{"sub/a", "1"}, {"sub/deep/b", "1"}, {"c", "changed"}}}}},
    {"ARootThatDisappearedDeletesNothing",
     {{"a", "1"}, {"d/b", "1"}},
     {{.change = [](TwoWayPair& p) { p.left.RemoveRoot(); },
       .plan = {},
       .left = {},
       .right = Tree{{"a", "1"}, {"d/b", "1"}},
       .scanCancelled = true,
       .check = [](TwoWayPair&,
                   const SyncResult& r) { EXPECT_FALSE(r.Problems().empty()) << "an error names the root"; }}}},
    {"AnEmptyRootWithDatabaseEntriesDeletesNothing",
     {{"a", "1"}, {"d/b", "1"}},
     {{.change = [](TwoWayPair& p) { p.left.Clear(); },
       .plan = {},
       .left = {},
       .right = Tree{{"a", "1"}, {"d/b", "1"}},
       .scanCancelled = true,
       .check = [](TwoWayPair&,
                   const SyncResult& r) { EXPECT_FALSE(r.Problems().empty()) << "an error names the root"; }}}},
    {"AReadOnlyTargetIsReplaced",
     {{"a", "1"}, {"ro/b", "1"}},
     {{.change =
           [](TwoWayPair& p) {
               p.left.Chmod("a", 0444);  // copied with its mode: the right one is read-only too
               p.right.Chmod("ro", 0555);
               p.left.Write("ro/b", "new", T(10));
               p.left.Write("ro/c", "new", T(10));
           },
       .plan = {{"a", CP_M}, {"ro/b", CP_M}, {"ro/c", CP_M}},
       .left = {{"a", "1"}, {"ro/b", "new"}, {"ro/c", "new"}},
       .check =
           [](TwoWayPair& p, const SyncResult&) {
               plat::FindData fd;
               ASSERT_TRUE(p.Base().GetFindData(p.right.Path("ro"), fd));
               EXPECT_EQ(fd.mode, 0555u) << "the directory's mode is restored";
               ASSERT_TRUE(p.Base().GetFindData(p.right.Path("a"), fd));
               EXPECT_EQ(fd.mode, 0444u);
           }},
      {.change =
           [](TwoWayPair& p) {
               p.left.Remove("a");
               p.left.Write("a", "new", T(20), 0444);
           },
       .plan = {{"a", CP_M}},
       .left = {{"a", "new"}, {"ro/b", "new"}, {"ro/c", "new"}}}}},
    {"AFileChangingWhileItIsCopiedFailsAndIsCopiedNextTime",
     {{"a", "1"}},
     {{.change =
           [](TwoWayPair& p) {
               p.settings.copyBufferSize = 4096;
               p.left.Write("big", kBig, T(10));
               int reads = 0;
               p.faults.SetCallHook([&p, reads](plat::FsOp op, const CString& path) mutable {
                   if (op == plat::FsOp::FileRead && path == p.left.Path("big") && ++reads == 2)
                       p.left.Write("big", kBig + "grown", T(20));
               });
           },
       .plan = {{"big", CP_M}},
       .left = {{"a", "1"}, {"big", kBig + "grown"}},
       .right = Tree{{"a", "1"}},
       .check =
           [](TwoWayPair& p, const SyncResult& r) {
               p.faults.SetCallHook({});
               ExpectStatus(r, "big", FAILED);
               EXPECT_TRUE(p.right.Read(true).Temporaries().empty());
           }},
      {.plan = {{"big", CP_M}}, .left = {{"a", "1"}, {"big", kBig + "grown"}}, .run = RUN_FINISHED}}},
    {"AnInterruptedExecutionIsCompletedByTheNextRun",
     {{"a", "1"}},
     {{.change =
           [](TwoWayPair& p) {
               for (const char* f : {"f1", "f2", "f3", "f4", "f5"}) p.left.Write(f, f, T(10));
           },
       .options = {.beforeExecute =
                       [](ScriptedWatcher& w) {
                           w.onEvent = [&w, done = 0](std::uint32_t event, std::uintptr_t) mutable {
                               if (event == WATCHER_EVENT_ITEM_DONE && ++done == 3) w.watcher.RequestCancel();
                           };
                       }},
       .plan = {{"f1", CP_M}, {"f2", CP_M}, {"f3", CP_M}, {"f4", CP_M}, {"f5", CP_M}},
       .left = {{"a", "1"}, {"f1", "f1"}, {"f2", "f2"}, {"f3", "f3"}, {"f4", "f4"}, {"f5", "f5"}},
       .right = Tree{{"a", "1"}, {"f1", "f1"}, {"f2", "f2"}},
       .run = RUN_CANCELLED},
      {.plan = {{"f3", CP_M}, {"f4", CP_M}, {"f5", CP_M}},
       .left = {{"a", "1"}, {"f1", "f1"}, {"f2", "f2"}, {"f3", "f3"}, {"f4", "f4"}, {"f5", "f5"}},
       .run = RUN_FINISHED}}},
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class TwoWayTest : public ::testing::TestWithParam<std::tuple<Case, Backend>> {};

TEST_P(TwoWayTest, Scenario) {
    const auto& [c, backend] = GetParam();
    if (c.skip) GTEST_SKIP() << c.skip;
    TwoWayPair pair(backend);
    if (c.setup) c.setup(pair);
    pair.Start(c.initial);
    if (HasFatalFailure()) return;
    int n = 0;
    for (const Step& step : c.steps) {
        SCOPED_TRACE("step " + std::to_string(++n));
        if (step.change) step.change(pair);
        if (HasFatalFailure()) return;
        const SyncResult r = pair.Sync(step.options);
        ASSERT_TRUE(r.loaded);
        if (step.scanCancelled) {
            EXPECT_EQ(r.scan, 1u) << "the scan must not go on\n" << PrintPlan(r.plan);
            EXPECT_FALSE(r.executed);
        } else {
            ASSERT_EQ(r.scan, 0u) << r.LogText();
            EXPECT_EQ(PlanDifference(step.plan, r.plan), "") << "plan:\n"
                                                             << PrintPlan(r.plan) << "log:\n"
                                                             << r.LogText();
            if (step.run) {
                EXPECT_EQ(r.run, *step.run) << r.LogText();
            }
            if (step.counts) {
                EXPECT_EQ(r.counts, *step.counts);
            }
            EXPECT_TRUE(r.saved);
        }
        if (step.check) step.check(pair, r);
        const Tree left = pair.left.Read(), right = pair.right.Read();
        EXPECT_EQ(Difference(step.left, left), "") << "left side";
        EXPECT_EQ(Difference(step.right.value_or(step.left), right), "") << "right side";
    }
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<Case, Backend>>& info) {
    return std::string(std::get<0>(info.param).name) + "_" + BackendName(std::get<1>(info.param));
}

// Every case on both file systems, but those that need the in-memory one.
std::vector<std::tuple<Case, Backend>> Runs() {
    std::vector<std::tuple<Case, Backend>> out;
    for (const Case& c : kCases) {
        if (!c.memoryOnly) out.emplace_back(c, Backend::Posix);
        out.emplace_back(c, Backend::Memory);
    }
    return out;
}

INSTANTIATE_TEST_SUITE_P(Cases, TwoWayTest, ::testing::ValuesIn(Runs()), CaseName);

}  // namespace
