// Two-way scenarios of directories: a directory replaced by a file and back, deleted on
// one side while the other adds below it, and the best choice between them.
// The runner and what every case checks: tests/engine/support/scenario_runner.h.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/engine/support/scenario_runner.h"

namespace {

using namespace kit::scenario;

const std::vector<Case> kCases = {
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
};

class FilesAndDirectories : public ScenarioTest {};

TEST_P(FilesAndDirectories, Scenario) { RunScenario(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Cases, FilesAndDirectories, ::testing::ValuesIn(Runs(kCases)), RunName);

}  // namespace
