#pragma once
// The progress, question and cancel channel between a worker thread (scan, execution)
// and the progress dialog that started it.
//
// Three threads meet in a Watcher:
//   worker   every operation but WatcherProgress::Snapshot, RequestCancel and the tick;
//   ticker   owned by the Watcher; raises the tick event every 500 ms while a transfer of
//            an item with a non-zero size runs;
//   UI       SetCallback (before the worker starts), RequestCancel, Snapshot.
//
// Locks: the state mutex guards the state word, the flags and every callback call, so
// events reach the callback one at a time and in order; it is recursive, so a callback
// may call back into its Watcher on the same thread (such a call sees the state the
// event put it in). The block mutex guards the progress block only. Lock order is state
// mutex, then block mutex. The UI thread takes only the block mutex, so a question sent
// synchronously to it while the worker holds the state mutex is answered without a
// dead-lock.
//
// Operations called in the wrong state return false and change nothing, so a worker that
// stops halfway leaves no half-made event. One Watcher serves one worker run.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

class ErrorInfo;

// Receives every event: (event, value, user word). The value is an item value or, for a
// question, a pointer to an ErrorInfo that stays valid for the call; the user word is
// what SetCallback was given (the dialogs pass their window). The result is used only
// for questions (the answer).
using ProgressCallback = int (*)(std::uint32_t event, std::uintptr_t value, std::uintptr_t user);

enum WatcherEvent : std::uint32_t {
    WATCHER_EVENT_ITEM_START = 0,  // value: item value
    WATCHER_EVENT_ITEM_DONE = 1,   // value: item value
    WATCHER_EVENT_TICK = 2,        // value: item value; from the ticker thread
    WATCHER_EVENT_QUESTION = 3,    // value: const ErrorInfo*; the result is the answer
    WATCHER_EVENT_BEGIN = 4,       // value: 0 (the total stands in the progress block)
    WATCHER_EVENT_END = 5,         // value: item value of the last item
};

enum WatcherState : std::uint32_t {
    WATCHER_STATE_IDLE = 0,
    WATCHER_STATE_RUNNING = 1,
    WATCHER_STATE_IN_TRANSFER = 2,
    WATCHER_STATE_IN_QUESTION = 3,  // from any state, restored afterwards
    WATCHER_STATE_IN_TICK = 4,      // from IN_TRANSFER, back to it afterwards
};

// What the current item does, as the execution reports it in WatcherProgress::itemKind.
enum WatcherItemKind : std::uint32_t {
    WATCHER_ITEM_UPDATE_DATABASE = 0,
    WATCHER_ITEM_NOTHING_TO_DO = 1,
    WATCHER_ITEM_COPY = 2,
    WATCHER_ITEM_DELETE = 3,
};

// Answers to a question: a cancel confirmation (category 3) is confirmed by 1 and
// withdrawn by anything else; an error is answered abort, retry or ignore, and 0 (no
// decision) counts as abort.
enum WatcherAnswer : int {
    WATCHER_ANSWER_NONE = 0,
    WATCHER_ANSWER_ABORT = 1,
    WATCHER_ANSWER_YES = 1,
    WATCHER_ANSWER_RETRY = 3,
    WATCHER_ANSWER_IGNORE = 4,
};

// The cancel poll the engine's loops see when they only need to know whether to stop.
class CProcessControl {
public:
    virtual ~CProcessControl() = default;
    virtual bool IsCancelled() = 0;
};

// The progress block. A Watcher writes its own block under the block mutex; the dialog
// draws from a copy taken with Snapshot (copying a block is a Snapshot too). A copy is a
// plain value for the thread that holds it.
//
// Every item weighs its size plus one, so an empty item or a directory still moves the
// overall progress by one.
class WatcherProgress {
public:
    static constexpr std::size_t kPathCapacity = 260;  // characters with the terminator

    WatcherProgress() = default;
    WatcherProgress(const WatcherProgress& other) { other.Snapshot(*this); }
    WatcherProgress& operator=(const WatcherProgress& other) {
        other.Snapshot(*this);
        return *this;
    }

    // Copies every field under this block's mutex into out (out's own mutex is not
    // taken: out belongs to the calling thread).
    void Snapshot(WatcherProgress& out) const;

    char16_t sourcePath[kPathCapacity] = {};  // NUL-terminated, at most 259 characters
    char16_t targetPath[kPathCapacity] = {};  // for a delete, the path deleted
    std::uint32_t itemKind = 0;               // WatcherItemKind for the execution
    std::uint64_t itemBytesDone = 0;          // at most the item's size while it runs
    std::uint64_t itemSizePlusOne = 0;
    std::uint64_t overallDone = 0;            // finished weight + current item's bytes done
    std::uint64_t overallTotal = 0;           // the total given to Begin
    std::uint64_t finishedWeight = 0;         // sum of size plus one over finished items
    std::uint32_t itemValue = 0;              // identifies the item (the execution: Proxy index)
    std::uint32_t rate = 0;                   // last transfer rate given to Progress

private:
    friend class Watcher;
    void CopyFieldsTo(WatcherProgress& out) const;
    void ZeroFields();

    mutable std::mutex mutex_;  // the block mutex
};

class Watcher : public CProcessControl {
public:
    static constexpr std::chrono::milliseconds kTickInterval{500};

    // No callback, user word 0, block zeroed, idle, all flags clear; starts the ticker,
    // which ticks every tickInterval (tests shorten it).
    explicit Watcher(std::chrono::milliseconds tickInterval = kTickInterval);
    // Stops the ticker (its wait is woken at once) and joins it.
    ~Watcher() override;
    Watcher(const Watcher&) = delete;
    Watcher& operator=(const Watcher&) = delete;

    // Stores the callback (null = none) and the word handed back with every event.
    void SetCallback(ProgressCallback callback, std::uintptr_t user);

    // Idle -> running: the block is zeroed, overallTotal := total, event BEGIN.
    bool Begin(std::uint64_t total);
    // Running -> idle, event END.
    bool End();
    // Running: the block takes the item (null paths become empty, longer paths keep
    // their first 259 characters), bytes done 0, size plus one; event ITEM_START.
    bool ItemStart(std::uint32_t itemValue, std::uint32_t kind, const char16_t* targetPath,
                   const char16_t* sourcePath, std::uint64_t size);
    // Running: the item's weight joins the finished weight; event ITEM_DONE.
    bool ItemDone();
    // Running -> in transfer; the ticker ticks while the item has a non-zero size.
    bool EnterTransfer();
    // In transfer -> running; ticking stops.
    bool LeaveTransfer();
    // In transfer: the item's bytes done (at most its size) and the rate. No event: the
    // ticker reports the progress.
    bool Progress(std::uint64_t itemBytesDone, std::uint32_t rate);
    // Asks the question (event QUESTION, state IN_QUESTION for its time) and returns the
    // answer; without a callback, or for a null question, 1 (abort).
    int Ask(ErrorInfo* question);

    // Cancel handshake: false while no cancel is requested; true for good once the user
    // confirmed one; otherwise asks a category-3 question: answer 1 confirms, any other
    // answer withdraws the request. Without a callback a request is confirmed at once.
    bool IsCancelled() override;
    // Sets the cancel request; takes no lock (the UI thread's Cancel button).
    void RequestCancel() { cancelRequested_.store(true); }

    // The block the dialog copies with Snapshot.
    const WatcherProgress& GetProgress() const { return progress_; }
    // The state word (WatcherState); written under the state mutex, readable anywhere.
    std::uint32_t GetState() const { return state_.load(); }

private:
    void TickerLoop();
    void Tick();
    // Raises one event; the state mutex is held by the caller.
    int Raise(std::uint32_t event, std::uintptr_t value);

    ProgressCallback callback_ = nullptr;   // guarded by stateMutex_
    std::uintptr_t user_ = 0;               // guarded by stateMutex_
    WatcherProgress progress_;
    std::recursive_mutex stateMutex_;
    std::atomic<std::uint32_t> state_{WATCHER_STATE_IDLE};
    bool itemHasSize_ = false;              // guarded by stateMutex_
    bool cancelConfirmed_ = false;          // guarded by stateMutex_
    std::atomic<bool> cancelRequested_{false};
    std::atomic<bool> ticking_{false};

    // The ticker's sleep: a wait that the destructor's stop wakes.
    std::mutex sleepMutex_;
    std::condition_variable sleepWake_;
    std::atomic<bool> stop_{false};
    const std::chrono::milliseconds tickInterval_;
    std::thread ticker_;  // last: started once every other member is built
};
