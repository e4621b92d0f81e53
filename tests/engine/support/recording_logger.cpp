#include "tests/engine/support/recording_logger.h"

void RecordingLogger::Dispatch(const ErrorInfo& entry) {
    CLogger::Dispatch(entry);
    std::lock_guard<std::mutex> lock(mutex_);
    entries_.push_back(entry);
}

std::vector<ErrorInfo> RecordingLogger::Entries() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return entries_;
}

int RecordingLogger::CountMessages(std::uint32_t id, std::int32_t kind) const {
    std::lock_guard<std::mutex> lock(mutex_);
    int n = 0;
    for (const ErrorInfo& e : entries_)
        if (e.category == ERROR_CATEGORY_MESSAGE && e.code == id && (kind == 0 || std::int32_t(e.extra) == kind)) ++n;
    return n;
}

int RecordingLogger::CountRecords(std::uint32_t category, std::uint32_t code) const {
    std::lock_guard<std::mutex> lock(mutex_);
    int n = 0;
    for (const ErrorInfo& e : entries_)
        if (e.category == category && e.code == code) ++n;
    return n;
}

void RecordingLogger::Forget() {
    std::lock_guard<std::mutex> lock(mutex_);
    entries_.clear();
}
