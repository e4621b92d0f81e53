#pragma once
// The runner of the two-way scenario tables: a case starts from a synchronised pair of
// trees, and each of its steps changes the sides with file operations at fixed times,
// synchronises (as `engine-run sync` does) and checks the plan and both trees file by
// file. Every case runs on real temporary directories and on the in-memory file system
// (permissions enforced), both seen through the fault injector, but for the cases that
// need what only the in-memory one can do. A table of one theme is a file of its own:
//
//   const std::vector<Case> kCases = {...};
//   class NewAndChangedEntries : public ScenarioTest {};
//   TEST_P(NewAndChangedEntries, Scenario) { RunScenario(GetParam()); }
//   INSTANTIATE_TEST_SUITE_P(Cases, NewAndChangedEntries, ::testing::ValuesIn(Runs(kCases)), RunName);
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "engine/execute/execution_counts.h"
#include "engine/run_result.h"
#include "tests/engine/support/two_way_pair.h"

namespace kit::scenario {

struct Step {
    std::function<void(TwoWayPair&)> change;  // file operations before the synchronisation
    SyncOptions options;
    PlanSpec plan;  // the plan of the scan (unnamed entries EQUAL)
    Tree left;
    std::optional<Tree> right;                                  // none: the same as left
    bool scanCancelled = false;                                 // the scan must end cancelled (nothing executed)
    std::optional<RunResult> run;                               // the execution's result when it matters
    std::optional<ExecutionCounts> counts;                      // what the execution did on the disk, when it matters
    std::function<void(TwoWayPair&, const SyncResult&)> check;  // anything else to look at
};

struct Case {
    const char* name;
    Tree initial;  // both sides, synchronised before the first step
    std::vector<Step> steps;
    bool memoryOnly = false;                 // needs what only the in-memory file system can do
    std::function<void(TwoWayPair&)> setup;  // before the initial synchronisation
    const char* skip = nullptr;              // why the case cannot pass yet (an open engine fault)
};

using Run = std::tuple<Case, Backend>;

// Runs the case's steps on a new pair of the backend, failing the running test where a
// step's outcome differs.
void RunScenario(const Run& run);
// Every case on both file systems, but those that need the in-memory one.
std::vector<Run> Runs(const std::vector<Case>& cases);
// "CaseName_posix", "CaseName_memory".
std::string RunName(const ::testing::TestParamInfo<Run>& info);

class ScenarioTest : public ::testing::TestWithParam<Run> {};

// The record path of a test path, as plan and status keys are written.
std::string Key(const std::string& path);
void ExpectStatus(const SyncResult& r, const std::string& path, SyncStatus status);

void PrintTo(const Case& c, std::ostream* os);

}  // namespace kit::scenario
