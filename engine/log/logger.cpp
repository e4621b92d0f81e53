#include "engine/log/logger.h"

#include <algorithm>
#include <atomic>

namespace {
std::atomic<int> g_worstSeverity{0};
}

bool IsErrorEntry(const ErrorInfo& entry) {
    const auto kind = static_cast<std::int32_t>(entry.extra);
    return entry.category != 0 || kind == LOG_KIND_CANCELLED || kind == LOG_KIND_FINISHED_WITH_ERRORS ||
           kind == LOG_KIND_ERROR;
}

bool IsWarningEntry(const ErrorInfo& entry) {
    const auto kind = static_cast<std::int32_t>(entry.extra);
    return entry.category == 0 && (kind == LOG_KIND_WARNING || kind == LOG_KIND_WARNING_TEXT);
}

int WorstSeverity() { return g_worstSeverity.load(); }

void ResetWorstSeverity() { g_worstSeverity.store(0); }

CLogger::~CLogger() {
    std::unique_lock lock(mutex_);
    views_.clear();
    const auto self = std::this_thread::get_id();
    idle_.wait(lock, [&] {
        return std::none_of(running_.begin(), running_.end(), [&](const RunningCall& c) { return c.thread != self; });
    });
}

void CLogger::MakeAndDispatch(std::uint32_t id, std::int32_t kind, const char16_t* text) {
    ErrorInfo entry;
    entry.Set(ERROR_CATEGORY_MESSAGE, id, static_cast<std::uint32_t>(kind), text);
    Dispatch(entry);
}

void CLogger::LogStart(std::uint32_t id, const char16_t* text) { MakeAndDispatch(id, LOG_KIND_STARTED, text); }
void CLogger::Log(std::uint32_t id, std::int32_t kind, const char16_t* text) { MakeAndDispatch(id, kind, text); }
void CLogger::LogText(const char16_t* text) { MakeAndDispatch(0, LOG_KIND_TEXT, text); }
void CLogger::LogInfo(std::uint32_t id, const char16_t* text) { MakeAndDispatch(id, LOG_KIND_INFORMATION, text); }
void CLogger::LogWarningText(const char16_t* text) { MakeAndDispatch(0, LOG_KIND_WARNING_TEXT, text); }
void CLogger::LogWarning(std::uint32_t id, const char16_t* text) { MakeAndDispatch(id, LOG_KIND_WARNING, text); }
void CLogger::LogRecord(const ErrorInfo& entry) { Dispatch(entry); }
void CLogger::LogError(std::uint32_t id, const char16_t* text) { MakeAndDispatch(id, LOG_KIND_ERROR, text); }

void CLogger::AddView(CLogView* view) {
    if (!view) return;
    std::lock_guard lock(mutex_);
    views_.push_back(view);
}

void CLogger::RemoveView(CLogView* view) {
    std::unique_lock lock(mutex_);
    views_.erase(std::remove(views_.begin(), views_.end(), view), views_.end());
    // A call on this very thread (the sink removing itself from inside Receive) is not
    // waited for: it is the caller.
    const auto self = std::this_thread::get_id();
    idle_.wait(lock, [&] {
        return std::none_of(running_.begin(), running_.end(),
                            [&](const RunningCall& c) { return c.view == view && c.thread != self; });
    });
}

CString CLogger::FormatEntry(const ErrorInfo&, bool) const { return CString(); }

// Calls `call` on every sink of a snapshot of the list. A sink is called only while it
// is still in the list at the moment of the call, and the call is registered as running
// (under the lock) before the lock is released, so RemoveView can wait for it.
template <typename Call>
void CLogger::ForEachView(const Call& call) {
    std::vector<CLogView*> snapshot;
    {
        std::lock_guard lock(mutex_);
        snapshot = views_;
    }
    const auto self = std::this_thread::get_id();
    for (CLogView* view : snapshot) {
        {
            std::lock_guard lock(mutex_);
            if (std::find(views_.begin(), views_.end(), view) == views_.end()) continue;
            running_.push_back({view, self});
        }
        call(view);
        {
            std::lock_guard lock(mutex_);
            auto it = std::find_if(running_.begin(), running_.end(),
                                   [&](const RunningCall& c) { return c.view == view && c.thread == self; });
            if (it != running_.end()) running_.erase(it);
        }
        idle_.notify_all();
    }
}

void CLogger::SetUTC(bool utc) {
    ForEachView([&](CLogView* view) { view->SetUTC(utc); });
}

void CLogger::Dispatch(const ErrorInfo& entry) {
    if (IsWarningEntry(entry)) {
        int expected = 0;
        g_worstSeverity.compare_exchange_strong(expected, 1);
    } else if (IsErrorEntry(entry)) {
        g_worstSeverity.store(2);
    }
    ForEachView([&](CLogView* view) { view->Receive(this, entry); });
}
