// Two-way scenarios of times: a changed time with and without content comparison, the
// tolerances, a daylight-saving shift on a FAT side, times far from now.
// The runner and what every case checks: tests/engine/support/scenario_runner.h.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/engine/support/scenario_runner.h"

namespace {

using namespace kit::scenario;

const std::vector<Case> kCases = {
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
};

class Times : public ScenarioTest {};

TEST_P(Times, Scenario) { RunScenario(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Cases, Times, ::testing::ValuesIn(Runs(kCases)), RunName);

}  // namespace
