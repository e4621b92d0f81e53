// Fault sweeps: a mid-sized plan (copies both ways, new and deleted directories, entries
// replaced by the other kind, a conflict taken by its best choice, a database-only
// update) is executed again and again on the in-memory file system, each time with the
// Nth file-system call of the execution failing, for every N, under each answer to the
// error question. After every run the data-safety invariants must hold and the next run
// must converge.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>

#include "engine/watcher.h"
#include "tests/engine/support/scripted_watcher.h"
#include "tests/engine/support/sync_invariants.h"
#include "tests/engine/support/two_way_pair.h"

namespace {

using namespace kit::scenario;

const Tree kInitial{{"keep.txt", "k"}, {"docs/a.txt", "a1"}, {"docs/b.txt", "b1"}, {"docs/sub/c.txt", "c1"},
                    {"old/x", "x"},    {"old/y", "y"},       {"swap", "a file"},   {"tree/t", "t"},
                    {"both", "1"},     {"conf", "1"},        {"r.txt", "r"}};

void Change(TwoWayPair& p) {
    p.left.Write("docs/a.txt", "a2, longer", T(10));
    p.left.Write("new/n1", "n1", T(10));
    p.left.Write("new/deep/n2", std::string(10000, 'n'), T(10));
    p.left.RemoveTree("old");
    p.left.Remove("swap");
    p.left.Write("swap/inner", "now a directory", T(10));
    p.right.RemoveTree("tree");
    p.right.Write("tree", "now a file", T(10));
    p.right.Write("docs/b.txt", "b2", T(10));
    p.right.Write("docs/sub/d.txt", "d", T(10));
    p.right.Remove("r.txt");
    p.left.Remove("both");
    p.right.Remove("both");
    p.left.Write("conf", "left", T(10));
    p.right.Write("conf", "right!", T(20));
    p.left.Write("same", "s", T(5));
    p.right.Write("same", "s", T(5));
}

enum class Answer { Abort, Ignore, Retry };

SyncOptions AnswerWith(Answer a) {
    SyncOptions o{.best = true};
    if (a == Answer::Ignore) o.ignoreErrors = true;
    if (a == Answer::Retry) o.answers = {WATCHER_ANSWER_RETRY, WATCHER_ANSWER_RETRY, WATCHER_ANSWER_RETRY};
    return o;
}

// The number of file-system calls of the fault-free execution of the plan.
std::uint64_t CallsOfTheExecution(bool ownCopy) {
    TwoWayPair pair(Backend::Memory);
    pair.settings.ownCopy = ownCopy;
    pair.Start(kInitial);
    Change(pair);
    std::uint64_t start = 0, end = 0;
    SyncOptions o{.best = true};
    o.beforeExecute = [&](ScriptedWatcher&) { start = pair.faults.CallCount(); };
    o.afterExecute = [&] { end = pair.faults.CallCount(); };
    const SyncResult r = pair.Sync(o);
    EXPECT_EQ(r.run, RUN_FINISHED) << r.LogText();
    return end - start;
}

// The checker itself: each kind of damage an execution could do is reported, and an
// undamaged state passes (the next run then carries out the plan).
TEST(SyncInvariantsTest, EachKindOfDamageIsReported) {
    struct Damage {
        const char* name;
        std::function<void(TwoWayPair&)> apply;
        const char* report;  // a part of the expected report; empty: no violation
    };
    const Damage damages[] = {
        {"none", [](TwoWayPair&) {}, ""},
        {"a partial copy", [](TwoWayPair& p) { p.right.Write("a", "2", T(10)); }, "right a (CP_M): changed"},
        {"an unplanned deletion", [](TwoWayPair& p) { p.right.Remove("b"); }, "right b (EQUAL): disappeared"},
        {"a deleted source", [](TwoWayPair& p) { p.left.Remove("a"); }, "left a (CP_M): disappeared"},
        {"a stray file", [](TwoWayPair& p) { p.left.Write("d/junk", "?", T(10)); }, "left d/junk (INVALID): appeared"},
    };
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.name);
        TwoWayPair pair(Backend::Memory);
        pair.Start({{"a", "1"}, {"b", "1"}, {"d/c", "1"}});
        pair.left.Write("a", "22", T(10));
        const Before before{pair.Scan({.best = true}).executedPlan, pair.left.Read(), pair.right.Read()};
        d.apply(pair);
        const std::string report = CheckSyncInvariants(pair, before);
        if (*d.report == 0) {
            EXPECT_EQ(report, "");
            EXPECT_EQ(pair.right.Read(), (Tree{{"a", "22"}, {"b", "1"}, {"d/c", "1"}}));
        } else {
            EXPECT_NE(report.find(d.report), std::string::npos) << report;
        }
    }
}

// (the answer to every error question, the own read/write copy or the system copy)
class FaultSweepTest : public ::testing::TestWithParam<std::tuple<Answer, bool>> {};

TEST_P(FaultSweepTest, EveryCallOfTheExecutionFailsOnce) {
    const auto [answer, ownCopy] = GetParam();
    const std::uint64_t calls = CallsOfTheExecution(ownCopy);
    ASSERT_GT(calls, 50u) << "the plan is meant to be mid-sized";
    for (std::uint64_t n = 1; n <= calls; ++n) {
        TwoWayPair pair(Backend::Memory);
        pair.settings.ownCopy = ownCopy;
        pair.Start(kInitial);
        if (HasFatalFailure()) return;
        Change(pair);
        Before before;
        std::string failed;  // the call that was made to fail, for the message
        SyncOptions o = AnswerWith(answer);
        o.beforeExecute = [&](ScriptedWatcher&) {
            before.left = pair.left.Read();
            before.right = pair.right.Read();
            std::uint64_t seen = 0;
            pair.faults.SetCallHook([&, seen](plat::FsOp op, const CString& path) mutable {
                if (++seen == n) failed = "call " + std::to_string(int(op)) + " on " + Printable(Bytes(path));
            });
            pair.faults.FailNthCall(n, 1117);
        };
        o.afterExecute = [&] {
            pair.faults.SetCallHook({});
            pair.faults.ClearFaults();
        };
        const SyncResult r = pair.Sync(o);
        ASSERT_TRUE(r.executed) << r.LogText();
        before.plan = r.executedPlan;
        const std::string violations = CheckSyncInvariants(pair, before);
        EXPECT_EQ(violations, "") << "failing call " << n << " of " << calls << ": " << failed << "\nlog:\n"
                                  << r.LogText();
        if (!violations.empty()) return;  // one report shows the fault; the rest would repeat it
    }
}

// The rest of a run fails at each call in turn: loading the profile, both crawls, the
// content comparison when it is on, and the save (the execution's calls are swept
// above). A crawl or comparison that fails must never turn into a deletion or a wrong
// copy, so the invariants are judged against the plan of a fault-free scan.
class RunSweepTest : public ::testing::TestWithParam<std::tuple<Answer, bool>> {};

TEST_P(RunSweepTest, EveryCallOutsideTheExecutionFailsOnce) {
    const auto [answer, contents] = GetParam();
    std::uint64_t execStart = 0, execEnd = 0, end = 0;
    {
        TwoWayPair pair(Backend::Memory);
        pair.Start(kInitial);
        Change(pair);
        const std::uint64_t start = pair.faults.CallCount();
        SyncOptions o{.best = true, .contents = contents};
        o.beforeExecute = [&](ScriptedWatcher&) { execStart = pair.faults.CallCount() - start; };
        o.afterExecute = [&] { execEnd = pair.faults.CallCount() - start; };
        EXPECT_EQ(pair.Sync(o).run, RUN_FINISHED);
        end = pair.faults.CallCount() - start;
    }
    ASSERT_GT(execStart, 50u);
    for (std::uint64_t n = 1; n <= end; ++n) {
        if (n == execStart + 1) n = execEnd + 1;
        TwoWayPair pair(Backend::Memory);
        pair.Start(kInitial);
        if (HasFatalFailure()) return;
        Change(pair);
        const Before before{pair.Scan({.best = true, .contents = contents}).executedPlan, pair.left.Read(),
                            pair.right.Read()};
        pair.faults.FailNthCall(n, 1117);
        SyncOptions o = AnswerWith(answer);
        o.contents = contents;
        const SyncResult r = pair.Sync(o);
        pair.faults.ClearFaults();
        const std::string violations = CheckSyncInvariants(pair, before);
        EXPECT_EQ(violations, "") << "failing call " << n << " of " << end << "\nlog:\n" << r.LogText();
        if (!violations.empty()) return;
    }
}

std::string AnswerName(Answer a) { return a == Answer::Abort ? "Abort" : a == Answer::Ignore ? "Ignore" : "Retry"; }

INSTANTIATE_TEST_SUITE_P(Answers, FaultSweepTest,
                         ::testing::Combine(::testing::Values(Answer::Abort, Answer::Ignore, Answer::Retry),
                                            ::testing::Bool()),
                         [](const ::testing::TestParamInfo<std::tuple<Answer, bool>>& info) {
                             return AnswerName(std::get<0>(info.param)) +
                                    (std::get<1>(info.param) ? "_OwnCopy" : "_SystemCopy");
                         });
INSTANTIATE_TEST_SUITE_P(Answers, RunSweepTest,
                         ::testing::Combine(::testing::Values(Answer::Abort, Answer::Ignore, Answer::Retry),
                                            ::testing::Bool()),
                         [](const ::testing::TestParamInfo<std::tuple<Answer, bool>>& info) {
                             return AnswerName(std::get<0>(info.param)) + (std::get<1>(info.param) ? "_Contents" : "");
                         });

}  // namespace
