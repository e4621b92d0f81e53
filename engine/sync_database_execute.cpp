#include <vector>

#include "engine/execute/sync_executor.h"
#include "engine/execute/sync_statistics.h"
#include "engine/log/logger.h"
#include "engine/proxy.h"
#include "engine/sync_database.h"
#include "engine/watcher.h"
#include "resources/string_ids.h"

namespace {

// The weight of the run for the progress: one per pending entry plus the bytes to copy.
std::uint64_t PendingWeight(const CSyncDataBase& database) {
    SyncStatistics statistics;
    statistics.Compute(database);
    const SyncStatistics::ActionBlock& p = statistics.pending;
    return std::uint64_t(p.deleteLeft) + p.deleteRight + p.copyLeftToRight + p.copyRightToLeft + p.databaseOnly +
           p.noAction + p.copyLeftToRightBytes + p.copyRightToLeftBytes;
}

}  // namespace

RunResult CSyncDataBase::Execute(Proxy& selection, Watcher& watcher, ExecutionCounts* counts) {
    if (counts) *counts = ExecutionCounts();
    // A generated tree's plan names entries that are not on the disk: carried out on the
    // real roots it would copy and delete at random and record a false database.
    if (IsTestPatternPlan()) {
        if (CLogger* logger = GetLogger()) logger->LogError(IDS_ERR_TEST_PATTERN_PLAN, leftRoot);
        return RUN_FINISHED_WITH_ERRORS;
    }
    // Nothing done before the run can be undone after it.
    commandHistory.Clear();

    std::vector<std::uint32_t> jobs;
    selection.ExecutionOrder(jobs);

    const Core::Preferences& prefs = GetPreferences();
    const bool ownCopy = prefs.GetCopyTraditional();
    const int retryDelay = prefs.GetAutoRetryDelayOnError();
    const int bufferSize = prefs.GetCopyBufferSize();
    SyncExecutor executor(&GetFileSystem());
    executor.Init(leftRoot, rightRoot, &watcher, bufferSize, retryDelay, ownCopy);

    watcher.Begin(PendingWeight(*this));
    bool stopped = false;
    bool errors = false;
    for (const std::uint32_t index : jobs) {
        ErrorInfo error;
        const bool go = executor.Run(*selection[index].node, index, error);
        if (error.IsSet()) {
            if (CLogger* logger = GetLogger()) logger->LogRecord(error);
            if (error.category != ERROR_CATEGORY_CANCELLED) errors = true;
        }
        if (!go) {
            stopped = true;
            break;
        }
    }
    // Directory permission bits and the flush of both file systems, also after a stop:
    // the profile saved after this run must not record a copy the disk does not hold.
    if (!executor.Finish(GetLogger())) errors = true;
    if (counts) *counts = executor.Counts();

    selection.MarkAll(false);
    watcher.End();
    if (stopped) return RUN_CANCELLED;
    return errors ? RUN_FINISHED_WITH_ERRORS : RUN_FINISHED;
}
