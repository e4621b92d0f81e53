#pragma once
// CFileLogger: the application log. A CLogger that also writes every entry as a line of
// the log file (WrapAroundLog): "%c %s\n" with the marker 'E' for an error, '!' for a
// warning, ' ' otherwise, and the entry text (FormatLogEntry) in local time or UTC.
//
// Threads: may be called from any thread. The file, its conversion buffer and the UTC
// flag are guarded by one mutex, held only while a line is formatted and written, never
// while a sink runs (sinks are called first, by CLogger::Dispatch).
//
// Errors: a file that cannot be opened leaves the logger closed and logs warning 1412
// "File open failure, logging to file disabled" with the file name; a failed line write
// is not reported (the entry has reached the sinks already).
#include <cstdint>
#include <memory>
#include <mutex>

#include "app/wrap_around_log.h"
#include "engine/log/logger.h"

class CFileLogger : public CLogger {
public:
    CFileLogger() = default;
    // Closes the file (without an entry: the sinks may be gone at exit).
    ~CFileLogger() override;

    // pattern: the file name, expanded like strftime over the local time of now.
    // limit: size limit in bytes (0 none); truncate: start the file empty. On success
    // the sinks get "Log to file" started with the file name (the file does not), then
    // the title line and the time-zone line are written. False when a file is open
    // already (nothing changes) or when it cannot be opened (warning 1412).
    bool Open(const CString& pattern, bool utc, std::uint32_t limit, bool truncate);
    // With a file open: the file is closed (header up to date), then "Log to file"
    // finished with the file name goes to the sinks. Otherwise nothing happens.
    void Close();
    // Header up to date and data to the disk (for the crash handler).
    void Flush();
    bool IsOpen() const;
    // The expanded file name while a file is open, else empty.
    CString GetFileName() const;

    CString FormatEntry(const ErrorInfo& entry, bool utc) const override;
    // The sinks get the flag; a changed flag is stored and the time-zone line written again.
    void SetUTC(bool utc) override;
    // "<title> - Log\n" when a file is open.
    virtual void WriteTitleLine();
    // The UTC (1311) or local-time (1312) line when a file is open.
    virtual void WriteTimeZoneLine();

protected:
    void Dispatch(const ErrorInfo& entry) override;

private:
    void WriteLocked(const CString& text);

    mutable std::mutex fileMutex_;
    std::unique_ptr<WrapAroundLog> log_;   // null while closed; guarded by fileMutex_
    bool opening_ = false;                 // an Open is under way; guarded by fileMutex_
    bool utc_ = false;                     // guarded by fileMutex_
    CString pattern_;                      // guarded by fileMutex_
    CString fileName_;                     // guarded by fileMutex_
};
