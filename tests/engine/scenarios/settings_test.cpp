// Two-way scenarios of the profile's settings: copy settings out of range and a
// protection rule.
// The runner and what every case checks: tests/engine/support/scenario_runner.h.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/filters/protection_rule.h"
#include "tests/engine/support/scenario_runner.h"

namespace {

using namespace kit::scenario;

const std::vector<Case> kCases = {
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
};

class ProfileSettings : public ScenarioTest {};

TEST_P(ProfileSettings, Scenario) { RunScenario(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Cases, ProfileSettings, ::testing::ValuesIn(Runs(kCases)), RunName);

}  // namespace
