#include "platform/gui/message_queue.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <cstdint>

#include "platform/gui/window.h"

namespace gui {

MessageQueue& MessageQueue::Instance() {
    // It lives until the process ends: windows of static objects may go late.
    static MessageQueue* queue = new MessageQueue();
    return *queue;
}

MessageQueue::MessageQueue() { wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK); }

void MessageQueue::Wake() {
    if (wakeFd_ < 0) return;
    std::uint64_t one = 1;
    ssize_t n;
    do {
        n = write(wakeFd_, &one, sizeof one);
    } while (n < 0 && errno == EINTR);
    // EAGAIN means the counter is already far from zero: the drain is due anyway.
}

HWND MessageQueue::Register(Window* window) {
    // Windows are made on the user-interface thread, so the notifier is made and used there.
    if (!notifier_ && wakeFd_ >= 0 && QCoreApplication::instance()) {
        notifier_ = new QSocketNotifier(wakeFd_, QSocketNotifier::Read, QCoreApplication::instance());
        QObject::connect(notifier_, &QSocketNotifier::activated, [this] { Drain(); });
    }
    std::lock_guard lock(mutex_);
    HWND hwnd = next_++;
    windows_[hwnd] = window;
    return hwnd;
}

void MessageQueue::Unregister(HWND hwnd) {
    std::lock_guard lock(mutex_);
    windows_.erase(hwnd);
    for (auto it = items_.begin(); it != items_.end();) {
        if (it->hwnd != hwnd) {
            ++it;
            continue;
        }
        if (it->reply) {
            it->reply->done = true;
            it->reply->result = 0;
        } else {
            --posted_;
        }
        it = items_.erase(it);
    }
    replied_.notify_all();
}

Window* MessageQueue::Find(HWND hwnd) {
    std::lock_guard lock(mutex_);
    auto it = windows_.find(hwnd);
    return it == windows_.end() ? nullptr : it->second;
}

bool MessageQueue::IsAlive(HWND hwnd) {
    std::lock_guard lock(mutex_);
    return windows_.count(hwnd) != 0;
}

bool MessageQueue::Post(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
    {
        std::lock_guard lock(mutex_);
        if (!windows_.count(hwnd) || posted_ >= kMaxPosted) return false;
        items_.push_back({hwnd, msg, w, l, nullptr});
        ++posted_;
    }
    Wake();
    return true;
}

LRESULT MessageQueue::SendFromWorker(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
    auto reply = std::make_shared<Item::Reply>();
    {
        std::lock_guard lock(mutex_);
        if (!windows_.count(hwnd)) return 0;
        items_.push_back({hwnd, msg, w, l, reply});
    }
    Wake();
    std::unique_lock lock(mutex_);
    replied_.wait(lock, [&] { return reply->done; });
    return reply->result;
}

void MessageQueue::Drain() {
    if (wakeFd_ >= 0) {
        std::uint64_t count;
        while (read(wakeFd_, &count, sizeof count) < 0 && errno == EINTR) {
        }
    }
    // One item at a time: a handler may run a modal loop in which this drain runs again.
    for (;;) {
        Item item;
        Window* window = nullptr;
        {
            std::lock_guard lock(mutex_);
            if (items_.empty()) return;
            item = std::move(items_.front());
            items_.pop_front();
            if (!item.reply) --posted_;
            auto it = windows_.find(item.hwnd);
            if (it != windows_.end()) window = it->second;
        }
        LRESULT result = window ? window->DeliverMessage(item.msg, item.w, item.l) : 0;
        if (item.reply) {
            std::lock_guard lock(mutex_);
            item.reply->result = result;
            item.reply->done = true;
            replied_.notify_all();
        }
    }
}

}  // namespace gui
