// Crash safety: `engine-run sync` on a tree of a few thousand files is killed with
// SIGKILL at random moments (every fourth run is cancelled with SIGTERM instead). After
// every run the profile must load and the data-safety invariants must hold, and the next
// run must converge. The test starts the tool as a
// child process (its path comes from the build, or from WK_ENGINE_RUN).
//
// CI runs 10 kills; WK_KILL_RUNS sets another count (the long run: 50 or more), and
// WK_KILL_SEED repeats the moments and changes of an earlier run.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>

#include "platform/core/child_process.h"
#include "tests/engine/support/sync_invariants.h"
#include "tests/engine/support/two_way_pair.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace kit::scenario;
using Clock = std::chrono::steady_clock;

std::string ToolPath() {
    if (const char* env = std::getenv("WK_ENGINE_RUN")) return env;
#ifdef WK_ENGINE_RUN
    return WK_ENGINE_RUN;
#else
    return {};
#endif
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

unsigned EnvNumber(const char* name, unsigned fallback) {
    const char* text = std::getenv(name);
    return text && *text ? unsigned(std::strtoul(text, nullptr, 10)) : fallback;
}

std::string Contents(std::mt19937& rng, std::size_t size) {
    std::string s(size, ' ');
    for (char& c : s) c = char('a' + rng() % 26);
    return s;
}

// A spread of sizes: mostly small files, some of tens and a few of hundreds of kilobytes.
std::size_t SomeSize(std::mt19937& rng) {
    const unsigned r = rng() % 100;
    return r < 85 ? rng() % 2000 : r < 99 ? rng() % 20000 : 100000 + rng() % 200000;
}

Tree Initial(std::mt19937& rng, int files) {
    Tree tree;
    for (int i = 0; i < files; ++i) {
        char path[64];
        std::snprintf(path, sizeof path, "d%02d/s%d/f%04d", i % 40, i % 3, i);
        tree.Add(path, Node{Node::File, Contents(rng, SomeSize(rng))});
    }
    return tree;
}

// Changes on both sides for one round: changed, deleted and new files (conflicts and
// changes against deletions among them), and a directory replaced by a file or back.
//
// A change must be visible to a comparison of sizes and times: a left write and a right
// write never get the same time (left 3k, right 3k + 1 seconds), since a file rewritten
// with the size and the time that its older contents had looks unchanged to any scan
// without the content comparison.
void Change(TwoWayPair& pair, std::mt19937& rng, int round) {
    const FileTime t = T(1000 + 3 * round);
    for (const auto& [path, node] : pair.left.Read().entries) {
        if (node.kind != Node::File) continue;
        const unsigned r = rng() % 100;
        if (r < 20)
            pair.left.Write(path, Contents(rng, SomeSize(rng)), t);
        else if (r < 25)
            pair.right.Write(path, Contents(rng, SomeSize(rng)), t + kSecond);
        else if (r < 28)
            pair.left.Remove(path);
        if (r >= 20 && r < 22) pair.right.Remove(path);  // some changes meet a deletion
    }
    for (int i = 0; i < 300; ++i) {
        Side& side = i % 4 == 0 ? pair.right : pair.left;
        side.Write("n" + std::to_string(round) + "/f" + std::to_string(i), Contents(rng, SomeSize(rng)),
                   &side == &pair.left ? t : t + kSecond);
    }
    // One directory of the right side becomes a file, or such a file a directory again.
    const std::string path = "d" + std::to_string(10 + round % 30) + "/s0";
    const Tree right = pair.right.Read();
    const Node* now = right.Find(path);
    if (now && now->kind == Node::Dir) {
        pair.right.RemoveTree(path);
        pair.right.Write(path, "a file now", t + kSecond);
    } else {
        if (now) pair.right.Remove(path);
        pair.right.Write(path + "/f", "a directory again", t + kSecond);
    }
}

TEST(KillTest, ASyncKilledAtRandomMomentsLosesNothing) {
    const std::string tool = ToolPath();
    if (tool.empty()) GTEST_SKIP() << "engine-run is not built";
    const unsigned kills = EnvNumber("WK_KILL_RUNS", 10);
    const unsigned seed = EnvNumber("WK_KILL_SEED", std::random_device{}());
    SCOPED_TRACE("WK_KILL_SEED=" + std::to_string(seed));
    std::mt19937 rng(seed);

    TwoWayPair pair(Backend::Posix);
    pair.Start(Initial(rng, 2000));
    if (HasFatalFailure()) return;
    TempDir logs;
    // The longest a run may take before it is killed; lowered to what an uninterrupted
    // run took, so that the moments spread over the whole run.
    double window = 2.0;
    unsigned killed = 0, cancelled = 0;
    for (unsigned round = 0; round < kills; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        Change(pair, rng, int(round));
        if (HasFatalFailure()) return;
        const Before before{pair.Scan({.best = true}).executedPlan, pair.left.Read(), pair.right.Read()};

        const std::string err = logs.Path("stderr").string();
        // Every other round copies with the own read/write loop instead of the system copy.
        const std::string ownCopy = round % 2 ? "CopyTraditional=1" : "CopyTraditional=0";
        auto child = plat::ChildProcess::Start(
            tool, {"sync", Bytes(pair.profile), "--ambiguous=best", "--set", ownCopy}, {}, err);
        ASSERT_TRUE(child) << "cannot start " << tool;
        const auto start = Clock::now();
        const auto moment = start + std::chrono::duration<double>(window * (rng() % 1000) / 1000.0);
        plat::ChildExit end;
        while (Clock::now() < moment && !child->HasEnded(end))
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        if (child->HasEnded(end)) {
            window = std::chrono::duration<double>(Clock::now() - start).count();
            EXPECT_TRUE(end.exited && end.code == 0) << "engine-run ended with " << end.code << ":\n" << ReadText(err);
        } else if (round % 4 == 3) {
            // Every fourth round is cancelled instead (SIGTERM): the tool stops at the next
            // cancel poll, saves what it did and reports the cancel.
            // In the first moments, before the tool has installed its handler, the signal
            // still ends it (nothing has been written then).
            ASSERT_TRUE(child->Signal(plat::ChildProcess::kTerminate));
            ASSERT_TRUE(child->Wait(end));
            EXPECT_TRUE(end.exited ? end.code == 1 || end.code == 0 : end.signal == plat::ChildProcess::kTerminate)
                << "a cancelled engine-run ended with " << end.code << " (signal " << end.signal << "):\n"
                << ReadText(err);
            cancelled += end.exited && end.code == 1;
        } else {
            ASSERT_TRUE(child->Signal(plat::ChildProcess::kKill));
            ASSERT_TRUE(child->Wait(end));
            ++killed;
        }
        const std::string violations = CheckSyncInvariants(pair, before);
        if (!violations.empty()) {
            // What the killed run started from, for the entries that now differ.
            const Tree left = pair.left.Read(), right = pair.right.Read();
            std::string context;
            for (const auto& [path, node] : left.entries) {
                const Node* r = right.Find(path);
                if (r && *r == node) continue;
                auto code = before.plan.find(Bytes(RecordPath(path)));
                const Node* bl = before.left.Find(path);
                const Node* br = before.right.Find(path);
                context +=
                    Printable(path) + ": plan " + (code == before.plan.end() ? "-" : kit::CodeName(code->second)) +
                    ", before left " +
                    (bl ? std::to_string(bl->bytes.size()) + " bytes \"" + bl->bytes.substr(0, 12) + "\"" : "-") +
                    ", before right " +
                    (br ? std::to_string(br->bytes.size()) + " bytes \"" + br->bytes.substr(0, 12) + "\"" : "-") + "\n";
            }
            FAIL() << violations << "after a kill " << (end.exited ? "that came too late" : "mid-run") << "\n"
                   << context << "engine-run's log:\n"
                   << ReadText(err);
        }
    }
    // The window adapts to the run's length, so nearly every other round is a kill.
    EXPECT_GE(killed, kills / 2);
    std::printf("%u of %u runs killed, %u cancelled; an uninterrupted run took %.2f s\n", killed, kills, cancelled,
                window);
}

}  // namespace
