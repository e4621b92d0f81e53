#include "engine/watcher.h"

#include <algorithm>
#include <cstring>

#include "engine/error_info.h"

namespace {

// Copies a path into a block field: null becomes empty, a longer path keeps its first
// 259 characters. A cut never splits a surrogate pair (a displayed half pair would show
// as a stray replacement character).
void CopyPath(char16_t (&field)[WatcherProgress::kPathCapacity], const char16_t* path) {
    std::size_t n = 0;
    if (path) {
        const std::size_t limit = WatcherProgress::kPathCapacity - 1;
        while (n < limit && path[n] != 0) ++n;
        if (n == limit && path[n] != 0 && n > 0 && path[n - 1] >= 0xD800 && path[n - 1] <= 0xDBFF) --n;
        std::copy(path, path + n, field);
    }
    field[n] = 0;
}

}  // namespace

void WatcherProgress::CopyFieldsTo(WatcherProgress& out) const {
    std::memcpy(out.sourcePath, sourcePath, sizeof(sourcePath));
    std::memcpy(out.targetPath, targetPath, sizeof(targetPath));
    out.itemKind = itemKind;
    out.itemBytesDone = itemBytesDone;
    out.itemSizePlusOne = itemSizePlusOne;
    out.overallDone = overallDone;
    out.overallTotal = overallTotal;
    out.finishedWeight = finishedWeight;
    out.itemValue = itemValue;
    out.rate = rate;
}

void WatcherProgress::ZeroFields() {
    WatcherProgress zero;
    zero.CopyFieldsTo(*this);
}

void WatcherProgress::Snapshot(WatcherProgress& out) const {
    if (&out == this) return;
    std::lock_guard lock(mutex_);
    CopyFieldsTo(out);
}

Watcher::Watcher(std::chrono::milliseconds tickInterval) : tickInterval_(tickInterval) {
    {
        std::lock_guard lock(progress_.mutex_);
        progress_.ZeroFields();
    }
    ticker_ = std::thread([this] { TickerLoop(); });
}

Watcher::~Watcher() {
    {
        // Under the sleep mutex, so the ticker cannot miss the wake between its check of
        // stop and its wait.
        std::lock_guard lock(sleepMutex_);
        stop_.store(true);
    }
    sleepWake_.notify_all();
    if (ticker_.joinable()) ticker_.join();
}

void Watcher::SetCallback(ProgressCallback callback, std::uintptr_t user) {
    std::lock_guard lock(stateMutex_);
    callback_ = callback;
    user_ = user;
}

int Watcher::Raise(std::uint32_t event, std::uintptr_t value) {
    return callback_ ? callback_(event, value, user_) : 0;
}

bool Watcher::Begin(std::uint64_t total) {
    std::lock_guard lock(stateMutex_);
    if (state_.load() != WATCHER_STATE_IDLE) return false;
    state_.store(WATCHER_STATE_RUNNING);
    std::uint32_t value;
    {
        std::lock_guard block(progress_.mutex_);
        progress_.ZeroFields();
        progress_.overallTotal = total;
        value = progress_.itemValue;
    }
    Raise(WATCHER_EVENT_BEGIN, value);
    return true;
}

bool Watcher::End() {
    std::lock_guard lock(stateMutex_);
    if (state_.load() != WATCHER_STATE_RUNNING) return false;
    state_.store(WATCHER_STATE_IDLE);
    std::uint32_t value;
    {
        std::lock_guard block(progress_.mutex_);
        value = progress_.itemValue;
    }
    Raise(WATCHER_EVENT_END, value);
    return true;
}

bool Watcher::ItemStart(std::uint32_t itemValue, std::uint32_t kind, const char16_t* targetPath,
                        const char16_t* sourcePath, std::uint64_t size) {
    std::lock_guard lock(stateMutex_);
    if (state_.load() != WATCHER_STATE_RUNNING) return false;
    itemHasSize_ = size != 0;
    {
        std::lock_guard block(progress_.mutex_);
        progress_.itemKind = kind;
        progress_.itemValue = itemValue;
        CopyPath(progress_.targetPath, targetPath);
        CopyPath(progress_.sourcePath, sourcePath);
        progress_.itemBytesDone = 0;
        progress_.itemSizePlusOne = size + 1;
    }
    Raise(WATCHER_EVENT_ITEM_START, itemValue);
    return true;
}

bool Watcher::ItemDone() {
    std::lock_guard lock(stateMutex_);
    if (state_.load() != WATCHER_STATE_RUNNING) return false;
    std::uint32_t value;
    {
        std::lock_guard block(progress_.mutex_);
        progress_.finishedWeight += progress_.itemSizePlusOne;
        progress_.itemBytesDone = progress_.itemSizePlusOne;
        progress_.overallDone = progress_.finishedWeight;
        value = progress_.itemValue;
    }
    Raise(WATCHER_EVENT_ITEM_DONE, value);
    return true;
}

bool Watcher::EnterTransfer() {
    std::lock_guard lock(stateMutex_);
    if (state_.load() != WATCHER_STATE_RUNNING) return false;
    state_.store(WATCHER_STATE_IN_TRANSFER);
    ticking_.store(itemHasSize_);
    return true;
}

bool Watcher::LeaveTransfer() {
    std::lock_guard lock(stateMutex_);
    if (state_.load() != WATCHER_STATE_IN_TRANSFER) return false;
    state_.store(WATCHER_STATE_RUNNING);
    ticking_.store(false);
    return true;
}

bool Watcher::Progress(std::uint64_t itemBytesDone, std::uint32_t rate) {
    std::lock_guard lock(stateMutex_);
    if (state_.load() != WATCHER_STATE_IN_TRANSFER) return false;
    std::lock_guard block(progress_.mutex_);
    // itemSizePlusOne is at least 1 here: ItemStart ran before the transfer began.
    const std::uint64_t size = progress_.itemSizePlusOne ? progress_.itemSizePlusOne - 1 : 0;
    progress_.itemBytesDone = std::min(itemBytesDone, size);
    progress_.overallDone = progress_.finishedWeight + progress_.itemBytesDone;
    progress_.rate = rate;
    return true;
}

int Watcher::Ask(ErrorInfo* question) {
    std::lock_guard lock(stateMutex_);
    // Without a question there is nothing to show: abort, as without anyone to ask.
    if (!callback_ || !question) return WATCHER_ANSWER_ABORT;
    const std::uint32_t previous = state_.exchange(WATCHER_STATE_IN_QUESTION);
    const int answer = Raise(WATCHER_EVENT_QUESTION, reinterpret_cast<std::uintptr_t>(question));
    state_.store(previous);
    return answer;
}

bool Watcher::IsCancelled() {
    std::lock_guard lock(stateMutex_);
    if (!cancelRequested_.load()) return false;
    if (cancelConfirmed_) return true;
    if (!callback_) {
        cancelConfirmed_ = true;
        return true;
    }
    ErrorInfo question;
    question.Set(ERROR_CATEGORY_CANCELLED, 0, 0, nullptr);
    const std::uint32_t previous = state_.exchange(WATCHER_STATE_IN_QUESTION);
    const int answer = Raise(WATCHER_EVENT_QUESTION, reinterpret_cast<std::uintptr_t>(&question));
    state_.store(previous);
    if (answer == WATCHER_ANSWER_YES) {
        cancelConfirmed_ = true;
        return true;
    }
    // Withdrawn: the work goes on until the dialog requests again.
    cancelRequested_.store(false);
    return false;
}

void Watcher::Tick() {
    std::lock_guard lock(stateMutex_);
    // ticking is checked again under the lock: while the ticker waited for it, the worker
    // may have finished the sized item and entered the transfer of an empty one.
    if (state_.load() != WATCHER_STATE_IN_TRANSFER || !ticking_.load() || !callback_) return;
    state_.store(WATCHER_STATE_IN_TICK);
    std::uint32_t value;
    {
        std::lock_guard block(progress_.mutex_);
        value = progress_.itemValue;
    }
    Raise(WATCHER_EVENT_TICK, value);
    state_.store(WATCHER_STATE_IN_TRANSFER);
}

void Watcher::TickerLoop() {
    std::unique_lock lock(sleepMutex_);
    while (!stop_.load()) {
        if (ticking_.load()) {
            // The tick takes the state mutex; the sleep mutex is not held meanwhile, so
            // the destructor's stop never waits for a callback to finish.
            lock.unlock();
            Tick();
            lock.lock();
        }
        sleepWake_.wait_for(lock, tickInterval_, [this] { return stop_.load(); });
    }
}
