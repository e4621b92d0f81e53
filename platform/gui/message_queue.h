#pragma once
// The hand-over of messages between threads and the queue of posted messages (window.h
// describes the rules callers see). One queue for the program: any thread pushes under its
// mutex and wakes the user-interface thread through an eventfd that a QSocketNotifier
// watches there; the user-interface thread drains it, so every hand-over between threads is
// a mutex the thread sanitizer sees (Qt's cross-thread event queue is not used for data).
//
// The registry of live windows lives under the same mutex, so "is the window alive" and
// "queue the message" are one step, and a window's destruction completes every send still
// waiting for it with 0 in the same step.
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/gui/window_messages.h"

class QSocketNotifier;

namespace gui {

class Window;

class MessageQueue {
public:
    // The one queue (made on first use by any thread; its notifier by the first window).
    static MessageQueue& Instance();

    // Posts beyond this many waiting messages fail, as a full message queue does.
    static constexpr std::size_t kMaxPosted = 10000;

    HWND Register(Window* window);
    // Removes the window; its waiting posts are dropped and its waiting sends answer 0.
    void Unregister(HWND hwnd);
    // The live window of a number; user-interface thread only.
    Window* Find(HWND hwnd);
    bool IsAlive(HWND hwnd);

    // False when the window is gone or the queue is full.
    bool Post(HWND hwnd, UINT msg, WPARAM w, LPARAM l);
    // From a thread other than the user-interface thread: waits until the window answered,
    // or returns 0 when it is gone or goes before it answers.
    LRESULT SendFromWorker(HWND hwnd, UINT msg, WPARAM w, LPARAM l);

    // Delivers what is waiting; user-interface thread (the notifier calls it; tests may too).
    void Drain();

private:
    struct Item {
        HWND hwnd = 0;
        UINT msg = 0;
        WPARAM w = 0;
        LPARAM l = 0;
        // Sends only: the waiting thread's slot, shared with it.
        struct Reply {
            bool done = false;
            LRESULT result = 0;
        };
        std::shared_ptr<Reply> reply;
    };

    MessageQueue();
    void Wake();

    std::mutex mutex_;
    std::condition_variable replied_;
    std::deque<Item> items_;
    std::size_t posted_ = 0;
    std::unordered_map<HWND, Window*> windows_;
    HWND next_ = 1;
    int wakeFd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace gui
