// Two-way scenarios of failures: sides that cannot be read or are gone, read-only targets,
// a file changing while it is copied, an execution cancelled halfway; nothing is lost and
// the next run completes what is left.
// The runner and what every case checks: tests/engine/support/scenario_runner.h.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/watcher.h"
#include "tests/engine/support/scenario_runner.h"
#include "tests/engine/support/scripted_watcher.h"

namespace {

using namespace kit::scenario;

const std::string kBig(200000, 'b');

// The left root gone or emptied below a synchronised tree: the scan stops with an error
// naming the root, and nothing is deleted on the right.
Case LostRoot(const char* name, void (*lose)(TwoWayPair&)) {
    return {name,
            {{"a", "1"}, {"d/b", "1"}},
            {{.change = lose,
              .plan = {},
              .left = {},
              .right = Tree{{"a", "1"}, {"d/b", "1"}},
              .scanCancelled = true,
              .check = [](TwoWayPair&, const SyncResult& r) {
                  EXPECT_FALSE(r.Problems().empty()) << "an error names the root";
              }}}};
}

const std::vector<Case> kCases = {
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
    LostRoot("ARootThatDisappearedDeletesNothing", [](TwoWayPair& p) { p.left.RemoveRoot(); }),
    LostRoot("AnEmptyRootWithDatabaseEntriesDeletesNothing", [](TwoWayPair& p) { p.left.Clear(); }),
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

class FailuresAndInterruptions : public ScenarioTest {};

TEST_P(FailuresAndInterruptions, Scenario) { RunScenario(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Cases, FailuresAndInterruptions, ::testing::ValuesIn(Runs(kCases)), RunName);

}  // namespace
