#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/log/logger.h"
#include "tests/engine/support/kit.h"

namespace {

TEST(LoggerThreaded, TwoThreadsKeepTheirOrderAndSeverityRisesToError) {
    ResetWorstSeverity();
    CLogger logger;
    kit::LogCollector view;
    logger.AddView(&view);
    constexpr std::uint32_t kLines = 10000;
    std::thread warner([&] {
        for (std::uint32_t i = 0; i < kLines; ++i) logger.LogWarning(i, u"w");
    });
    std::thread failer([&] {
        for (std::uint32_t i = 0; i < kLines; ++i) logger.LogError(i, u"e");
    });
    warner.join();
    failer.join();
    std::vector<std::uint32_t> seen[2];  // the codes of the warnings, of the errors
    for (const ErrorInfo& e : view.entries)
        seen[e.extra == static_cast<std::uint32_t>(LOG_KIND_WARNING) ? 0 : 1].push_back(e.code);
    for (const auto& seq : seen) {
        ASSERT_EQ(seq.size(), kLines);
        for (std::uint32_t i = 0; i < kLines; ++i) ASSERT_EQ(seq[i], i);
    }
    EXPECT_EQ(WorstSeverity(), 2);
    ResetWorstSeverity();
}

// A sink that fails the test when it is called after its RemoveView returned, and is
// destroyed right after, so a late call would also touch freed memory.
class GuardedView : public CLogView {
public:
    explicit GuardedView(std::atomic<int>& lateCalls) : late(lateCalls) {}
    void Receive(CLogger*, const ErrorInfo&) override {
        if (removed.load()) ++late;
        ++calls;
        std::this_thread::yield();
        if (removed.load()) ++late;
    }
    void SetUTC(bool) override {
        if (removed.load()) ++late;
    }
    std::atomic<bool> removed{false};
    std::atomic<int> calls{0};
    std::atomic<int>& late;
};

TEST(LoggerThreaded, RemovedSinkIsNeverCalledAgain) {
    CLogger logger;
    std::atomic<bool> stop{false};
    std::atomic<int> lateCalls{0};
    std::thread writer([&] {
        std::uint32_t i = 0;
        while (!stop.load()) {
            logger.LogInfo(++i, u"x");
            if (i % 64 == 0) logger.SetUTC(i % 128 == 0);
        }
    });
    int delivered = 0;
    for (int round = 0; round < 500; ++round) {
        auto view = std::make_unique<GuardedView>(lateCalls);
        logger.AddView(view.get());
        logger.AddView(view.get());
        // Remove it while the writer is calling it.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (view->calls.load() == 0 && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
        logger.RemoveView(view.get());
        view->removed.store(true);
        delivered += view->calls.load();
        view.reset();
    }
    stop.store(true);
    writer.join();
    EXPECT_EQ(lateCalls.load(), 0);
    EXPECT_GE(delivered, 500);   // every sink was really called while the writer ran
}

}  // namespace
