#pragma once
// What many engine and application tests need alike, in one namespace: fixed times in
// file-time units, the in-memory roots of the scan and execution tests, a log sink that
// keeps what it receives, a logger that keeps what it dispatches, and a plan as one line
// of text.
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "engine/error_info.h"
#include "engine/log/logger.h"
#include "engine/tree/action_codes.h"
#include "platform/core/testing/fault_file_system.h"
#include "platform/core/testing/memory_file_system.h"
#include "platform/core/win_time.h"

class Proxy;

namespace kit {

constexpr FileTime kSecond = kFileTimeUnitsPerSecond;
constexpr FileTime kHour = 3600 * kSecond;
constexpr FileTime kT0 = 133000000000000000ULL;  // 2022-06-18 04:26:40 UTC, the base of every test time
// kT0 plus seconds (a negative count goes back).
constexpr FileTime T(std::int64_t seconds) { return FileTime(std::int64_t(kT0) + seconds * std::int64_t(kSecond)); }

// Two empty roots /L and /R on an in-memory file system whose new entries get the time
// kT0, and the fault injector over it, which is what the engine is given.
struct MemoryRoots {
    MemoryRoots() {
        mem.SetTime(kT0);
        mem.AddDirectory(u"/L");
        mem.AddDirectory(u"/R");
    }
    plat::MemoryFileSystem mem;
    plat::FaultFileSystem faults{mem};
};

// An action or status code's name as UTF-8 ("CP_M", "DONE"; "?" outside the enumeration).
std::string CodeName(std::uint32_t code);

// "PATH=AC" of every index entry in order, for a whole plan in one comparison.
std::string PlanText(const Proxy& proxy);

// A log sink that keeps every entry it receives with its sender, and every SetUTC call.
// Receive may be called from any thread; read the members once the logging is over.
class LogCollector : public CLogView {
public:
    void Receive(CLogger* sender, const ErrorInfo& entry) override;
    void SetUTC(bool utc) override { utcCalls.push_back(utc); }

    // The entry i as its sender formats it (times in UTC).
    CString Text(std::size_t i) const { return senders.at(i)->FormatEntry(entries.at(i), true); }
    // A copy of the entries, safe while other threads still log.
    std::vector<ErrorInfo> Entries() const;
    std::vector<std::uint32_t> Codes() const;
    // Each entry's argument text as UTF-8 (empty where it has none).
    std::vector<std::string> ArgumentTexts() const;
    // Entries of category 0 with the given string id (and kind, when not 0).
    int CountMessages(std::uint32_t id, std::int32_t kind = 0) const;
    // Entries of the given category (and code).
    int CountRecords(std::uint32_t category, std::uint32_t code) const;
    void Clear();

    std::vector<ErrorInfo> entries;
    std::vector<CLogger*> senders;
    std::vector<bool> utcCalls;

private:
    mutable std::mutex mutex_;
};

// A CLogger that keeps a copy of every entry it dispatches, for tests that check what
// the engine logged.
class RecordingLogger : public CLogger {
public:
    RecordingLogger() { AddView(&log_); }
    ~RecordingLogger() override { RemoveView(&log_); }

    std::vector<ErrorInfo> Entries() const { return log_.Entries(); }
    int CountMessages(std::uint32_t id, std::int32_t kind = 0) const { return log_.CountMessages(id, kind); }
    int CountRecords(std::uint32_t category, std::uint32_t code) const { return log_.CountRecords(category, code); }
    void Forget() { log_.Clear(); }

private:
    LogCollector log_;
};

}  // namespace kit
