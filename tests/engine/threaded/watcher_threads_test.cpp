// The watcher with its real threads: the ticker, a worker and a user-interface thread.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/error_info.h"
#include "engine/watcher.h"

namespace {

using namespace std::chrono_literals;

// Waits until pred holds, up to a generous bound (a failure, not a hang, when it never does).
template <typename Pred>
bool WaitFor(Pred pred) {
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

// Counts ticks (from the ticker thread) and notes what the ticker saw during each.
struct TickCounter {
    Watcher* watcher = nullptr;
    std::atomic<int> ticks{0};
    std::atomic<int> ticksInQuestion{0};
    std::atomic<bool> inQuestion{false};
    std::atomic<bool> badTick{false};
    std::atomic<std::uintptr_t> lastTickValue{0};

    static int Callback(std::uint32_t event, std::uintptr_t value, std::uintptr_t user) {
        auto* self = reinterpret_cast<TickCounter*>(user);
        if (event == WATCHER_EVENT_TICK) {
            if (self->inQuestion.load()) ++self->ticksInQuestion;
            // During a tick the state is "in tick" and the worker's calls are refused.
            if (self->watcher->GetState() != WATCHER_STATE_IN_TICK || self->watcher->Progress(1, 1))
                self->badTick = true;
            self->lastTickValue = value;
            ++self->ticks;
        } else if (event == WATCHER_EVENT_QUESTION) {
            self->inQuestion = true;
            std::this_thread::sleep_for(60ms);  // many tick intervals
            self->inQuestion = false;
        }
        return 0;
    }
    void Attach(Watcher& w) {
        watcher = &w;
        w.SetCallback(&Callback, reinterpret_cast<std::uintptr_t>(this));
    }
};

TEST(WatcherTicker, TicksOnlyWhileASizedItemIsTransferred) {
    Watcher w(2ms);
    TickCounter counter;
    counter.Attach(w);
    ASSERT_TRUE(w.Begin(0));

    // An item of 0 bytes never ticks, however long its transfer lasts.
    ASSERT_TRUE(w.ItemStart(4, WATCHER_ITEM_COPY, u"t", u"s", 0));
    ASSERT_TRUE(w.EnterTransfer());
    std::this_thread::sleep_for(60ms);
    ASSERT_TRUE(w.LeaveTransfer());
    ASSERT_TRUE(w.ItemDone());
    EXPECT_EQ(0, counter.ticks.load());

    // A sized item ticks with its item value while in transfer, and stops on leaving it.
    ASSERT_TRUE(w.ItemStart(5, WATCHER_ITEM_COPY, u"t", u"s", 100));
    ASSERT_TRUE(w.EnterTransfer());
    EXPECT_TRUE(WaitFor([&] { return counter.ticks.load() >= 3; }));
    ASSERT_TRUE(w.LeaveTransfer());
    const int afterLeave = counter.ticks.load();
    std::this_thread::sleep_for(40ms);
    EXPECT_EQ(afterLeave, counter.ticks.load());
    EXPECT_EQ(5u, counter.lastTickValue.load());
    EXPECT_FALSE(counter.badTick.load());

    // Running but not in transfer: no ticks either.
    ASSERT_TRUE(w.ItemDone());
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(afterLeave, counter.ticks.load());
}

TEST(WatcherTicker, NoTickWhileAQuestionIsOpen) {
    Watcher w(1ms);
    TickCounter counter;
    counter.Attach(w);
    ASSERT_TRUE(w.Begin(0));
    ASSERT_TRUE(w.ItemStart(1, WATCHER_ITEM_COPY, u"t", u"s", 100));
    ASSERT_TRUE(w.EnterTransfer());
    ASSERT_TRUE(WaitFor([&] { return counter.ticks.load() >= 1; }));
    ErrorInfo error;
    error.Set(ERROR_CATEGORY_SYSTEM, 112, 0, u"/t");
    w.Ask(&error);
    // The state the question interrupted is back; the ticker may already be reporting
    // its next tick from it.
    const std::uint32_t state = w.GetState();
    EXPECT_TRUE(state == WATCHER_STATE_IN_TRANSFER || state == WATCHER_STATE_IN_TICK) << state;
    const int afterQuestion = counter.ticks.load();
    EXPECT_TRUE(WaitFor([&] { return counter.ticks.load() > afterQuestion; })) << "ticks resume";
    EXPECT_EQ(0, counter.ticksInQuestion.load());
    EXPECT_FALSE(counter.badTick.load());
    ASSERT_TRUE(w.LeaveTransfer());
}

TEST(WatcherTicker, DestructionDoesNotWaitOutTheInterval) {
    for (bool ticking : {false, true}) {
        SCOPED_TRACE(ticking);
        const auto start = std::chrono::steady_clock::now();
        {
            Watcher w(std::chrono::minutes(10));
            TickCounter counter;
            counter.Attach(w);
            ASSERT_TRUE(w.Begin(0));
            ASSERT_TRUE(w.ItemStart(0, WATCHER_ITEM_COPY, u"t", u"s", ticking ? 10 : 0));
            ASSERT_TRUE(w.EnterTransfer());
            std::this_thread::sleep_for(10ms);  // let the ticker enter its wait
        }
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::minutes(5));
    }
}

// The dialog side of the protocol: progress events are posted to a queue, a question is
// "sent": the worker waits in the callback until the user-interface thread answers.
struct Dialog {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::pair<std::uint32_t, std::uintptr_t>> posted;
    bool questionOpen = false;
    std::uint32_t questionCategory = 0;
    bool answered = false;
    int answer = 0;

    static int Callback(std::uint32_t event, std::uintptr_t value, std::uintptr_t user) {
        auto* self = reinterpret_cast<Dialog*>(user);
        std::unique_lock lock(self->mutex);
        if (event != WATCHER_EVENT_QUESTION) {
            self->posted.emplace_back(event, value);
            self->wake.notify_all();
            return 0;
        }
        self->questionCategory = reinterpret_cast<const ErrorInfo*>(value)->category;
        self->questionOpen = true;
        self->answered = false;
        self->wake.notify_all();
        self->wake.wait(lock, [self] { return self->answered; });
        self->questionOpen = false;
        return self->answer;
    }
};

TEST(WatcherThreads, WorkerTickerAndUserInterface) {
    constexpr std::uint32_t kItems = 30;
    constexpr std::uint32_t kFirstCancel = 5;   // cancel requested while item 5's error is open
    constexpr std::uint32_t kSecondCancel = 10; // requested again while item 10's error is open
    auto sizeOf = [](std::uint32_t i) -> std::uint64_t { return i % 3 == 0 ? 0 : 1000 * i; };
    std::uint64_t total = 0;
    for (std::uint32_t i = 0; i < kItems; ++i) total += sizeOf(i) + 1;

    Watcher watcher(1ms);
    Dialog dialog;
    watcher.SetCallback(&Dialog::Callback, reinterpret_cast<std::uintptr_t>(&dialog));

    std::atomic<bool> workerDone{false};
    std::uint32_t itemsStarted = 0;
    std::vector<int> errorAnswers;
    std::thread worker([&] {
        watcher.Begin(total);
        for (std::uint32_t i = 0; i < kItems; ++i) {
            if (watcher.IsCancelled()) break;
            ++itemsStarted;
            const std::uint64_t size = sizeOf(i);
            watcher.ItemStart(i, WATCHER_ITEM_COPY, u"/right/f", u"/left/f", size);
            watcher.EnterTransfer();
            for (std::uint64_t done = 0; done <= size; done += 250) {
                watcher.Progress(done, 100);
                std::this_thread::sleep_for(200us);
            }
            watcher.LeaveTransfer();
            if (i % 5 == 0) {
                ErrorInfo error;
                error.Set(ERROR_CATEGORY_SYSTEM, 5, 0, u"/right/f");
                errorAnswers.push_back(watcher.Ask(&error));
            }
            watcher.ItemDone();
        }
        watcher.End();
        workerDone = true;
    });

    // The user-interface thread: copies the block all the time, drains the posted events,
    // answers the questions.
    std::vector<std::pair<std::uint32_t, std::uintptr_t>> events;
    int cancelQuestions = 0;
    int errorQuestions = 0;
    std::uint64_t lastOverall = 0;
    bool blockOk = true;
    for (;;) {
        WatcherProgress snap;
        watcher.GetProgress().Snapshot(snap);
        if (snap.overallDone > snap.overallTotal || snap.itemBytesDone > snap.itemSizePlusOne ||
            snap.overallDone < snap.finishedWeight || snap.overallDone < lastOverall)
            blockOk = false;
        lastOverall = snap.overallDone;

        std::unique_lock lock(dialog.mutex);
        while (!dialog.posted.empty()) {
            events.push_back(dialog.posted.front());
            dialog.posted.pop_front();
        }
        if (dialog.questionOpen && !dialog.answered) {
            if (dialog.questionCategory == ERROR_CATEGORY_CANCELLED) {
                // The first request is withdrawn, the second confirmed.
                dialog.answer = ++cancelQuestions == 1 ? 0 : WATCHER_ANSWER_YES;
            } else {
                ++errorQuestions;
                if (events.back().second == kFirstCancel || events.back().second == kSecondCancel)
                    watcher.RequestCancel();
                dialog.answer = WATCHER_ANSWER_IGNORE;
            }
            dialog.answered = true;
            dialog.wake.notify_all();
        }
        if (workerDone.load() && dialog.posted.empty()) break;
        dialog.wake.wait_for(lock, 1ms);
    }
    worker.join();

    EXPECT_TRUE(blockOk);
    EXPECT_EQ(2, cancelQuestions);
    EXPECT_EQ(kSecondCancel + 1, itemsStarted);
    EXPECT_EQ(3, errorQuestions);  // items 0, 5 and 10
    EXPECT_EQ(std::vector<int>(3, WATCHER_ANSWER_IGNORE), errorAnswers);

    // The events form one well-made run: BEGIN, then per item START, ticks with that
    // item's value for sized items only, DONE; END last.
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(WATCHER_EVENT_BEGIN, events.front().first);
    EXPECT_EQ(WATCHER_EVENT_END, events.back().first);
    std::uintptr_t current = ~std::uintptr_t(0);
    std::uint32_t done = 0;
    int ticks = 0;
    for (std::size_t i = 1; i + 1 < events.size(); ++i) {
        const auto [event, value] = events[i];
        switch (event) {
            case WATCHER_EVENT_ITEM_START:
                EXPECT_EQ(done, value);
                current = value;
                break;
            case WATCHER_EVENT_TICK:
                ++ticks;
                EXPECT_EQ(current, value);
                EXPECT_NE(0u, sizeOf(std::uint32_t(value))) << "tick for an empty item";
                break;
            case WATCHER_EVENT_ITEM_DONE:
                EXPECT_EQ(current, value);
                EXPECT_EQ(done, value);
                ++done;
                current = ~std::uintptr_t(0);
                break;
            default:
                ADD_FAILURE() << "unexpected event " << event;
        }
    }
    EXPECT_EQ(itemsStarted, done);
    EXPECT_GT(ticks, 0);

    WatcherProgress final;
    watcher.GetProgress().Snapshot(final);
    std::uint64_t weight = 0;
    for (std::uint32_t i = 0; i < itemsStarted; ++i) weight += sizeOf(i) + 1;
    EXPECT_EQ(weight, final.finishedWeight);
    EXPECT_EQ(weight, final.overallDone);
    EXPECT_EQ(total, final.overallTotal);
}

}  // namespace
