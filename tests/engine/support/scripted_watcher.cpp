#include "tests/engine/support/scripted_watcher.h"

#include <algorithm>

ScriptedWatcher::ScriptedWatcher() { watcher.SetCallback(&ScriptedWatcher::Callback, reinterpret_cast<std::uintptr_t>(this)); }

int ScriptedWatcher::Callback(std::uint32_t event, std::uintptr_t value, std::uintptr_t user) {
    auto* self = reinterpret_cast<ScriptedWatcher*>(user);
    if (event == WATCHER_EVENT_TICK) return 0;
    if (self->onEvent) self->onEvent(event, value);
    std::lock_guard<std::mutex> lock(self->mutex_);
    self->events_.push_back(event);
    if (event != WATCHER_EVENT_QUESTION) return 0;
    const auto* question = reinterpret_cast<const ErrorInfo*>(value);
    if (question->category == ERROR_CATEGORY_CANCELLED) return self->cancelAnswer;
    self->questions_.push_back(*question);
    if (self->answers.empty()) return WATCHER_ANSWER_ABORT;
    const int answer = self->answers.front();
    self->answers.pop_front();
    return answer;
}

std::vector<ErrorInfo> ScriptedWatcher::Questions() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return questions_;
}

std::vector<std::uint32_t> ScriptedWatcher::Events() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return events_;
}

int ScriptedWatcher::CountOf(std::uint32_t event) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(std::count(events_.begin(), events_.end(), event));
}
