#include "app/file_logger.h"

#include "engine/log/captions.h"
#include "engine/log/log_format.h"
#include "platform/core/time_pattern.h"
#include "resources/string_ids.h"
#include "resources/string_table.h"

CFileLogger::~CFileLogger() {
    std::lock_guard lock(fileMutex_);
    if (log_) log_->Close();
    log_.reset();
}

bool CFileLogger::Open(const CString& pattern, bool utc, std::uint32_t limit, bool truncate) {
    CString name;
    auto log = std::make_unique<WrapAroundLog>();
    bool opened;
    {
        std::lock_guard lock(fileMutex_);
        if (log_ || opening_) return false;
        opening_ = true;
        name = ExpandLocalTimePattern(pattern, GetSystemTimeAsFileTime());
        utc_ = utc;
        opened = !name.IsEmpty() && log->Open(name, limit, truncate);
    }
    if (!opened) {
        {
            std::lock_guard lock(fileMutex_);
            opening_ = false;
        }
        LogWarning(IDS_LOG_FILE_OPEN_FAILURE, name);
        return false;
    }
    // The file is attached only after this entry, so it reaches the sinks but not the
    // file, and no other thread's line is kept out of the file meanwhile.
    LogStart(IDS_LOG_TO_FILE, name);
    {
        std::lock_guard lock(fileMutex_);
        log_ = std::move(log);
        opening_ = false;
        pattern_ = pattern;
        fileName_ = name;
    }
    WriteTitleLine();
    WriteTimeZoneLine();
    return true;
}

void CFileLogger::Close() {
    CString name;
    {
        std::lock_guard lock(fileMutex_);
        if (!log_) return;
        log_->Close();
        log_.reset();
        name = fileName_;
        pattern_.Empty();
        fileName_.Empty();
    }
    Log(IDS_LOG_TO_FILE, LOG_KIND_FINISHED, name);
}

void CFileLogger::Flush() {
    std::lock_guard lock(fileMutex_);
    if (log_) log_->Flush();
}

bool CFileLogger::IsOpen() const {
    std::lock_guard lock(fileMutex_);
    return log_ != nullptr;
}

CString CFileLogger::GetFileName() const {
    std::lock_guard lock(fileMutex_);
    return fileName_;
}

CString CFileLogger::FormatEntry(const ErrorInfo& entry, bool utc) const { return FormatLogEntry(entry, utc); }

void CFileLogger::SetUTC(bool utc) {
    CLogger::SetUTC(utc);
    {
        std::lock_guard lock(fileMutex_);
        if (utc == utc_) return;
        utc_ = utc;
    }
    WriteTimeZoneLine();
}

void CFileLogger::WriteLocked(const CString& text) {
    if (log_) log_->Write(text.view());
}

void CFileLogger::WriteTitleLine() {
    std::lock_guard lock(fileMutex_);
    WriteLocked(CaptionFromId(IDS_LOG) + u"\n");
}

void CFileLogger::WriteTimeZoneLine() {
    std::lock_guard lock(fileMutex_);
    WriteLocked(LoadString(utc_ ? IDS_TIME_IN_UTC : IDS_TIME_IN_LOCAL) + u"\n");
}

void CFileLogger::Dispatch(const ErrorInfo& entry) {
    CLogger::Dispatch(entry);
    std::lock_guard lock(fileMutex_);
    if (log_) WriteLocked(FormatLogLine(entry, utc_));
}
