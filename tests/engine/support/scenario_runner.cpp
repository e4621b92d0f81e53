#include "tests/engine/support/scenario_runner.h"

namespace kit::scenario {

void RunScenario(const Run& run) {
    const auto& [c, backend] = run;
    if (c.skip) GTEST_SKIP() << c.skip;
    TwoWayPair pair(backend);
    if (c.setup) c.setup(pair);
    pair.Start(c.initial);
    if (::testing::Test::HasFatalFailure()) return;
    int n = 0;
    for (const Step& step : c.steps) {
        SCOPED_TRACE("step " + std::to_string(++n));
        if (step.change) step.change(pair);
        if (::testing::Test::HasFatalFailure()) return;
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

std::vector<Run> Runs(const std::vector<Case>& cases) {
    std::vector<Run> out;
    for (const Case& c : cases) {
        if (!c.memoryOnly) out.emplace_back(c, Backend::Posix);
        out.emplace_back(c, Backend::Memory);
    }
    return out;
}

std::string RunName(const ::testing::TestParamInfo<Run>& info) {
    return std::string(std::get<0>(info.param).name) + "_" + BackendName(std::get<1>(info.param));
}

std::string Key(const std::string& path) { return Bytes(RecordPath(path)); }

void ExpectStatus(const SyncResult& r, const std::string& path, SyncStatus status) {
    auto it = r.status.find(Key(path));
    ASSERT_NE(it, r.status.end()) << Printable(path) << " not in the plan";
    EXPECT_EQ(Bytes(SyncStatusName(it->second)), Bytes(SyncStatusName(status))) << Printable(path);
}

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

}  // namespace kit::scenario
