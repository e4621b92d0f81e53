#pragma once
// A Watcher whose questions a test answers from a script, and which records the events
// the engine raised (ticks excepted), for tests of the scan and the execution.
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

#include "engine/error_info.h"
#include "engine/watcher.h"

class ScriptedWatcher {
public:
    ScriptedWatcher();

    // Answers to error questions, used in order; when none is left the answer is abort (1).
    std::deque<int> answers;
    // The answer to a cancel confirmation (category 3): 1 confirms.
    int cancelAnswer = 1;
    // Called for every event but ticks, before it is recorded (and, for a question,
    // before it is answered); may change the file system or request a cancel.
    std::function<void(std::uint32_t event, std::uintptr_t value)> onEvent;

    // Copies of the error questions asked (cancel confirmations excluded).
    std::vector<ErrorInfo> Questions() const;
    // The events raised, ticks excluded, in order.
    std::vector<std::uint32_t> Events() const;
    int CountOf(std::uint32_t event) const;

    Watcher watcher;

private:
    static int Callback(std::uint32_t event, std::uintptr_t value, std::uintptr_t user);
    mutable std::mutex mutex_;
    std::vector<ErrorInfo> questions_;
    std::vector<std::uint32_t> events_;
};
