#pragma once
// CLogger: the dispatcher every part of the program reports through. A call becomes a
// log entry (an ErrorInfo), raises the process-wide WorstSeverity and goes to every
// sink (CLogView) in the order the sinks were added. CFileLogger (app/) also writes
// each entry as a line of the log file.
//
// Threads: a logger is called from the user-interface thread and from worker threads
// at once. Entries are dispatched on the caller's thread. The sink list is guarded, but
// no lock is held while a sink runs, so a sink may log or change the sink list itself;
// a sink must cope with calls from any thread and must not block on another thread
// (a window sink queues its line to its own thread). RemoveView returns only when no
// call into that sink is running on another thread, so a removed sink is never called
// again. Sinks are not owned.
//
// Errors: nothing here fails or throws (except std::bad_alloc).
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/error_info.h"
#include "platform/core/cstring.h"

// The kind of a log entry, carried in ErrorInfo::extra.
enum LogKind : std::int32_t {
    LOG_KIND_STARTED = -1,
    LOG_KIND_FINISHED = 0,
    LOG_KIND_CANCELLED = 1,
    LOG_KIND_FINISHED_WITH_ERRORS = 2,
    LOG_KIND_INFORMATION = -2,
    LOG_KIND_WARNING = -3,
    LOG_KIND_ERROR = -4,
    LOG_KIND_TEXT = -5,
    LOG_KIND_WARNING_TEXT = -6,
};

// An error: category not 0, or kind 1, 2 or -4.
bool IsErrorEntry(const ErrorInfo& entry);
// A warning: category 0 and kind -3 or -6.
bool IsWarningEntry(const ErrorInfo& entry);

// The worst severity any logger of the process has seen: 0 none, 1 warning, 2 error.
// It only rises (atomically); the application returns it as the exit code.
int WorstSeverity();
// Back to 0, for a test that checks the severity from a clean start.
void ResetWorstSeverity();

class CLogger;

// A log sink. Receive must not keep the entry beyond the call.
class CLogView {
public:
    virtual ~CLogView() = default;
    virtual void Receive(CLogger* sender, const ErrorInfo& entry) = 0;
    // Whether times are shown in UTC.
    virtual void SetUTC(bool utc) = 0;
};

class CLogger {
public:
    CLogger() = default;
    CLogger(const CLogger&) = delete;
    CLogger& operator=(const CLogger&) = delete;
    // Empties the sink list (waiting for calls into sinks still running on other threads).
    virtual ~CLogger();

    // Each builds a fresh entry of category 0 with the current UTC time, code = the
    // string id (0 for the plain texts), extra = the kind, and dispatches it. A null
    // text means the entry has no argument text.
    virtual void LogStart(std::uint32_t id, const char16_t* text);                 // kind -1
    virtual void Log(std::uint32_t id, std::int32_t kind, const char16_t* text);   // given kind
    virtual void LogText(const char16_t* text);                                    // code 0, kind -5
    virtual void LogInfo(std::uint32_t id, const char16_t* text);                  // kind -2
    virtual void LogWarningText(const char16_t* text);                             // code 0, kind -6
    virtual void LogWarning(std::uint32_t id, const char16_t* text);               // kind -3
    // Dispatches the caller's record unchanged.
    virtual void LogRecord(const ErrorInfo& entry);
    virtual void LogError(std::uint32_t id, const char16_t* text);                 // kind -4

    void LogStart(std::uint32_t id, const CString& text = CString()) { LogStart(id, text.c_str()); }
    void Log(std::uint32_t id, std::int32_t kind, const CString& text = CString()) { Log(id, kind, text.c_str()); }
    void LogText(const CString& text) { LogText(text.c_str()); }
    void LogInfo(std::uint32_t id, const CString& text = CString()) { LogInfo(id, text.c_str()); }
    void LogWarningText(const CString& text) { LogWarningText(text.c_str()); }
    void LogWarning(std::uint32_t id, const CString& text = CString()) { LogWarning(id, text.c_str()); }
    void LogError(std::uint32_t id, const CString& text = CString()) { LogError(id, text.c_str()); }

    // Appends a sink (the same sink added twice is called twice).
    virtual void AddView(CLogView* view);
    // Removes every occurrence of the sink and waits until no call into it is running
    // on another thread. A sink may remove itself from inside its own Receive.
    virtual void RemoveView(CLogView* view);
    // The text of an entry as a log line shows it; this base returns an empty text.
    virtual CString FormatEntry(const ErrorInfo& entry, bool utc) const;
    // Passes the flag to every sink.
    virtual void SetUTC(bool utc);

protected:
    // The one step every entry ends in: raises WorstSeverity, then hands the entry to
    // every sink in list order. Subclasses that override it call this first.
    virtual void Dispatch(const ErrorInfo& entry);

private:
    void MakeAndDispatch(std::uint32_t id, std::int32_t kind, const char16_t* text);
    template <typename Call>
    void ForEachView(const Call& call);

    struct RunningCall {
        CLogView* view;
        std::thread::id thread;
    };
    std::mutex mutex_;
    std::condition_variable idle_;
    std::vector<CLogView*> views_;        // in the order added; guarded by mutex_
    std::vector<RunningCall> running_;    // calls into sinks in progress; guarded by mutex_
};
