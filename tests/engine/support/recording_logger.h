#pragma once
// A CLogger that keeps a copy of every entry it dispatches, for tests that check what
// the engine logged.
#include <cstdint>
#include <mutex>
#include <vector>

#include "engine/error_info.h"
#include "engine/log/logger.h"

class RecordingLogger : public CLogger {
public:
    std::vector<ErrorInfo> Entries() const;
    // Entries of category 0 with the given string id (and kind, when not 0).
    int CountMessages(std::uint32_t id, std::int32_t kind = 0) const;
    // Entries of the given category (and code).
    int CountRecords(std::uint32_t category, std::uint32_t code) const;
    void Forget();

protected:
    void Dispatch(const ErrorInfo& entry) override;

private:
    mutable std::mutex mutex_;
    std::vector<ErrorInfo> entries_;
};
