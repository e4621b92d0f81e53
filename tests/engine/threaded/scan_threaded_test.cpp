// A scan on a worker thread while the user-interface thread copies progress snapshots and
// cancels it: the cancel is confirmed on the worker's thread and the scan ends with the
// database kept and an empty index (run under the thread sanitizer in CI).
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "engine/log/logger.h"
#include "engine/proxy.h"
#include "engine/sync_database.h"
#include "engine/watcher.h"
#include "platform/core/testing/memory_file_system.h"

namespace {

class TestPattern : public Core::Preferences {
public:
    int GetTestPatternCount() const override { return 20000; }
};

// The worker's first crawl item waits until the user-interface thread has asked for a
// cancel, so the cancel always lands inside the crawl.
struct Handshake {
    std::mutex mutex;
    std::condition_variable changed;
    bool crawlStarted = false;
    bool cancelRequested = false;
    std::atomic<int> confirmations{0};
};

int Callback(std::uint32_t event, std::uintptr_t value, std::uintptr_t user) {
    auto* h = reinterpret_cast<Handshake*>(user);
    if (event == WATCHER_EVENT_ITEM_START && value == CSyncDataBase::SCAN_LEFT) {
        std::unique_lock lock(h->mutex);
        h->crawlStarted = true;
        h->changed.notify_all();
        h->changed.wait(lock, [&] { return h->cancelRequested; });
    }
    if (event == WATCHER_EVENT_QUESTION) {
        ++h->confirmations;
        return WATCHER_ANSWER_YES;
    }
    return 0;
}

TEST(ScanThreaded, CancelFromTheUserInterfaceThreadEndsTheCrawl) {
    plat::MemoryFileSystem fs;
    fs.AddDirectory(u"/L");
    fs.AddDirectory(u"/R");
    CLogger logger;
    CSyncDataBase db(&logger);
    db.SetFileSystem(&fs);
    TestPattern prefs;
    db.SetPreferences(&prefs);
    ErrorInfo error;
    ASSERT_EQ(db.Create(u"/L", u"/R", error), 0);
    Proxy proxy;
    Watcher watcher;
    Handshake handshake;
    watcher.SetCallback(&Callback, reinterpret_cast<std::uintptr_t>(&handshake));

    std::uint32_t result = 99;
    std::thread worker([&] { result = db.Scan(&proxy, &watcher, false); });
    {
        std::unique_lock lock(handshake.mutex);
        handshake.changed.wait(lock, [&] { return handshake.crawlStarted; });
        watcher.RequestCancel();
        handshake.cancelRequested = true;
        handshake.changed.notify_all();
    }
    WatcherProgress snapshot;
    for (int i = 0; i < 100; ++i) watcher.GetProgress().Snapshot(snapshot);
    worker.join();

    EXPECT_EQ(result, 1u);
    EXPECT_EQ(handshake.confirmations.load(), 1);
    EXPECT_EQ(db.scanValid, 0);
    EXPECT_EQ(proxy.GetCount(), 0u);
    EXPECT_TRUE(db.GetRoot()->children.empty());
}

}  // namespace
