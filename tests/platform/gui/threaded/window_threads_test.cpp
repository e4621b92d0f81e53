// Messages from worker threads: a post is queued for the user-interface thread, a send
// blocks the worker until the window answered, and a window that goes meanwhile releases
// its waiting senders with 0. The hand-over passes the layer's own mutex-guarded queue, so
// the thread sanitizer checks it.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "platform/gui/window.h"

using namespace gui;

namespace {

constexpr UINT WM_PROGRESS = WM_USER + 102;
constexpr UINT WM_QUESTION = WM_USER + 103;

class Receiver : public Window {
public:
    std::vector<int> progress;  // user-interface thread only
    int questions = 0;
    bool destroyOnQuestion = false;

protected:
    LRESULT OnMessage(UINT msg, WPARAM w, LPARAM) override {
        if (msg == WM_PROGRESS) progress.push_back(static_cast<int>(w));
        if (msg == WM_QUESTION) {
            ++questions;
            return static_cast<LRESULT>(w + 1);
        }
        return 0;
    }
};

// Runs the event loop until `done`, with a bound so that a fault fails instead of hanging.
bool ProcessUntil(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > 20000) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

}  // namespace

TEST(WindowThreadsTest, PostsFromAWorkerArriveInOrder) {
    Receiver window;
    HWND hwnd = window.Handle();
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        for (int i = 0; i < 500; ++i)
            while (!PostMessage(hwnd, WM_PROGRESS, static_cast<WPARAM>(i), 0)) std::this_thread::yield();
        finished = true;
    });
    ASSERT_TRUE(ProcessUntil([&] { return finished && window.progress.size() == 500; }));
    worker.join();
    for (int i = 0; i < 500; ++i) ASSERT_EQ(window.progress[static_cast<std::size_t>(i)], i);
}

TEST(WindowThreadsTest, ASendFromAWorkerWaitsForTheAnswer) {
    Receiver window;
    HWND hwnd = window.Handle();
    std::atomic<LRESULT> answer{-1};
    std::thread worker([&] {
        PostMessage(hwnd, WM_PROGRESS, 1, 0);
        answer = SendMessage(hwnd, WM_QUESTION, 41, 0);
        PostMessage(hwnd, WM_PROGRESS, 2, 0);
    });
    ASSERT_TRUE(ProcessUntil([&] { return answer.load() != -1 && window.progress.size() == 2; }));
    worker.join();
    EXPECT_EQ(answer.load(), 42);
    EXPECT_EQ(window.questions, 1);
    // The post before the send was delivered before it, the one after it after it.
    EXPECT_EQ(window.progress, (std::vector<int>{1, 2}));
}

TEST(WindowThreadsTest, ASendToAWindowThatGoesMeanwhileReturnsZero) {
    auto window = std::make_unique<Receiver>();
    HWND hwnd = window->Handle();
    std::atomic<bool> sending{false}, returned{false};
    std::atomic<LRESULT> answer{-1};
    std::thread worker([&] {
        sending = true;
        answer = SendMessage(hwnd, WM_QUESTION, 1, 0);
        returned = true;
    });
    while (!sending) std::this_thread::yield();
    // The worker is (about to be) waiting; the window goes before the event loop runs.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    window.reset();
    ASSERT_TRUE(ProcessUntil([&] { return returned.load(); }));
    worker.join();
    EXPECT_EQ(answer.load(), 0);
    // A send to a window that is gone returns at once, without the event loop.
    LRESULT late = -1;
    std::thread again([&] { late = SendMessage(hwnd, WM_QUESTION, 1, 0); });
    again.join();
    EXPECT_EQ(late, 0);
}
