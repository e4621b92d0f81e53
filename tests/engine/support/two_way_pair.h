#pragma once
// The scenario harness: a profile over two roots (real temporary directories or an
// in-memory file system, always seen by the engine through a fault injector), file
// operations on each side with explicit modification times, and one synchronisation in
// one call, done exactly as `engine-run sync` does it: load the profile from its file,
// scan, best choice when asked and anything is AMBIGUOUS, execute, save whatever the
// execution returned. A cancelled scan stops before the execution and the save.
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/core_preferences.h"
#include "engine/error_info.h"
#include "engine/execute/execution_counts.h"
#include "engine/run_result.h"
#include "engine/sync_database.h"
#include "engine/tree/action_codes.h"
#include "platform/core/testing/fault_file_system.h"
#include "platform/core/testing/memory_file_system.h"
#include "tests/engine/support/kit.h"
#include "tests/engine/support/scenario_tree.h"

class ScriptedWatcher;
class TempDir;

// Prints the counts for a failed expectation ("1 copy, 2 deletions", "nothing").
void PrintTo(const ExecutionCounts& counts, std::ostream* os);

namespace kit::scenario {

// Times of the scenarios: T(seconds) after the kit's base time.
using kit::kHour;
using kit::kSecond;
using kit::kT0;
using kit::T;

enum class Backend { Posix, Memory };
const char* BackendName(Backend backend);

// The plan of a scan: record path (as UTF-8 bytes, "DOCS\\A.TXT") -> action code.
using Plan = std::map<std::string, ActionCode>;
// An expected plan in the tests' own paths ("docs/a.txt"); every entry it does not name
// must be EQUAL.
using PlanSpec = std::map<std::string, ActionCode>;
// Empty when got matches want, else one line per difference.
std::string PlanDifference(const PlanSpec& want, const Plan& got);
std::string PrintPlan(const Plan& plan);

// The eight engine settings, as `engine-run --set` gives them.
struct Settings : Core::Preferences {
    int testPatternCount = 0, retryDelay = 0, copyBufferSize = 0, timeTolerance = 0, pairTolerance = 0;
    bool ignoreArchive = false, ignoreInaccessible = false, ownCopy = false;
    int GetTestPatternCount() const override { return testPatternCount; }
    int GetAutoRetryDelayOnError() const override { return retryDelay; }
    bool GetIgnoreArchiveBit() const override { return ignoreArchive; }
    bool GetIgnoreInaccessibleDirs() const override { return ignoreInaccessible; }
    int GetCopyBufferSize() const override { return copyBufferSize; }
    bool GetCopyTraditional() const override { return ownCopy; }
    int GetPrecisionTimeStampComp() const override { return timeTolerance; }
    int GetPrecisionEntryPairComp() const override { return pairTolerance; }
};

struct SyncOptions {
    bool best = false;           // --ambiguous=best
    bool contents = false;       // --contents
    bool ignoreErrors = false;   // --on-error=ignore (else every error question is answered abort)
    bool compensateDst = false;  // --dst=compensate
    // Answers to error questions before the abort or ignore default, in order.
    std::vector<int> answers;
    // Run just before and just after the execution (to arm and clear faults, to watch).
    std::function<void(ScriptedWatcher&)> beforeExecute;
    std::function<void()> afterExecute;
};

struct SyncResult {
    bool loaded = false;
    std::uint32_t scan = 1;  // 0 finished, 1 cancelled
    bool executed = false;
    RunResult run = RUN_FINISHED;
    bool saved = false;
    Plan plan;                                 // AC of every entry after the scan
    Plan executedPlan;                         // AC handed to the execution (after a best choice)
    std::map<std::string, SyncStatus> status;  // ST after the execution
    ExecutionCounts counts;                    // what the execution did on the disk
    std::vector<ErrorInfo> log;                // every record logged
    // The errors and warnings logged.
    std::vector<ErrorInfo> Problems() const;
    std::string LogText() const;
};

// One root on the pair's file system. Paths are relative ("docs/a.txt"); a failing
// operation fails the test with the path.
class Side {
public:
    Side(plat::FileSystem& fs, CString root, plat::MemoryFileSystem* memory)
        : root(std::move(root)), fs_(fs), memory_(memory) {}

    // A file with these bytes and this last-write (and last-access) time; missing parent
    // directories are made.
    void Write(const std::string& path, const std::string& bytes, FileTime time, std::uint32_t mode = 0644);
    void Touch(const std::string& path, FileTime time);
    void MakeDir(const std::string& path);
    // A file, link or special file, or an empty directory.
    void Remove(const std::string& path);
    // The entry and everything below it.
    void RemoveTree(const std::string& path);
    void Rename(const std::string& from, const std::string& to);
    void Chmod(const std::string& path, std::uint32_t mode);
    void Link(const std::string& path, const std::string& target);
    void Fifo(const std::string& path);
    // Removes everything below the root, or the root too.
    void Clear();
    void RemoveRoot();
    // In memory only: every entry below the root made again with its last-write time
    // moved by delta as all three of its times (creation included, which no call can
    // set), as a FAT volume shows its entries after a daylight-saving change.
    void ShiftAllTimes(FileTime delta);
    // Writes every entry of tree (files with time).
    void Build(const Tree& tree, FileTime time);

    Tree Read(bool withTemporaries = false) const { return Tree::Read(fs_, root, withTemporaries); }
    CString Path(const std::string& relative) const { return root + Text(relative); }

    const CString root;  // absolute, ending in '/'

private:
    void MakeParents(const std::string& path);
    plat::FileSystem& fs_;            // the real or in-memory file system, not the fault injector
    plat::MemoryFileSystem* memory_;  // null on the real file system
};

class TwoWayPair {
public:
    // Makes both roots and creates the profile (as `engine-run create` does).
    explicit TwoWayPair(Backend backend);
    ~TwoWayPair();

    // Both sides get initial (files at time T(0)), then a first synchronisation makes
    // them equal; fails the test unless it ends with both sides equal to initial.
    void Start(const Tree& initial);
    SyncResult Sync(const SyncOptions& options = {});
    // Load and scan only (`engine-run scan`): the plan, and with options.best the plan a
    // synchronisation would carry out; nothing is written. The hooks are not called.
    SyncResult Scan(const SyncOptions& options = {});
    // Loads the profile, lets edit change the database (filters, ...), saves it.
    void EditProfile(const std::function<void(CSyncDataBase&)>& edit);
    // Whether the profile file passes the signature check and loads.
    bool ProfileLoads(std::string* why = nullptr);

    plat::FileSystem& Base() { return memory_ ? static_cast<plat::FileSystem&>(*memory_) : plat::PosixFs(); }
    plat::MemoryFileSystem* Memory() { return memory_.get(); }

    // Declared in the order they are made: the directories or the in-memory file
    // system first, then the fault injector over it, then the paths on it.
    const Backend backend;
    Settings settings;  // the profile's engine settings for every run

private:
    std::unique_ptr<TempDir> dir_;                    // the real directories, null in memory
    std::unique_ptr<plat::MemoryFileSystem> memory_;  // null on the real file system

public:
    plat::FaultFileSystem faults;  // what the engine sees; the sides write below it
    const CString profile;
    Side left, right;
    Side outside;  // a directory beside the two roots, in neither tree

private:
    SyncResult Run(const SyncOptions& options, bool execute);
    bool Load(CSyncDataBase& db, std::string* why);
    bool Save(CSyncDataBase& db);
};

}  // namespace kit::scenario
