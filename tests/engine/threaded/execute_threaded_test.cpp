// An execution on a worker thread while another thread copies progress snapshots and
// requests a cancel, as the synchronisation dialog does.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "engine/watcher.h"
#include "platform/core/testing/memory_file_system.h"
#include "tests/engine/support/execution_fixture.h"
#include "tests/engine/support/scripted_watcher.h"

namespace {

TEST(ExecuteThreaded, ACancelFromAnotherThreadStopsBetweenSafePoints) {
    plat::MemoryFileSystem mem;
    mem.AddDirectory(u"/L");
    mem.AddDirectory(u"/R");
    constexpr int kFiles = 300;
    for (int i = 0; i < kFiles; ++i) {
        const std::string name = "f" + std::to_string(i);
        mem.AddFile(CString(u"/L/") + CString::FromUtf8(name), std::string(20000, char('a' + i % 26)));
    }
    ExecutionFixture plan(mem, u"/L/", u"/R/");
    for (int i = 0; i < kFiles; ++i) plan.Entry("f" + std::to_string(i), CP_M);
    plan.Build();
    ScriptedWatcher script;

    std::atomic<bool> done{false};
    RunResult result = RUN_FINISHED;
    std::thread worker([&] {
        result = plan.Execute(script);
        done = true;
    });
    std::uint64_t lastDone = 0;
    bool requested = false;
    while (!done) {
        const WatcherProgress snapshot(script.watcher.GetProgress());
        EXPECT_LE(snapshot.overallDone, snapshot.overallTotal);
        EXPECT_GE(snapshot.overallDone, lastDone);
        lastDone = snapshot.overallDone;
        if (!requested && snapshot.overallDone > snapshot.overallTotal / 3) {
            script.watcher.RequestCancel();
            requested = true;
        }
        std::this_thread::yield();
    }
    worker.join();

    // Every entry is either copied completely or not at all, and nothing is left half.
    int copied = 0;
    for (const ProxyEntry& e : plan.proxy.Entries()) {
        const CSyncRecord& r = e.node->record;
        const CString target = CString(u"/R/") + CString(r.left->GetName());
        if (r.ST == DONE) {
            ++copied;
            EXPECT_EQ(mem.ReadAll(target), mem.ReadAll(CString(u"/L/") + CString(r.left->GetName())));
        } else {
            EXPECT_TRUE(r.ST == CREATED || r.ST == CANCELLED);
            EXPECT_FALSE(mem.Exists(target));
        }
    }
    EXPECT_EQ(mem.Dump(u"/R").find(".wk~"), std::string::npos);
    if (requested && copied < kFiles) {
        EXPECT_EQ(result, RUN_CANCELLED);
    }
}

}  // namespace
