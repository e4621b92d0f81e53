#pragma once
// What one execution did on the disk, by kind of operation: filled by SyncExecutor and
// handed out by CSyncDataBase::Execute. Only operations that succeeded are counted. A copy
// is one operation however it is carried out: its temporary file, the times and permission
// bits it carries and its rename into place are part of it, so both copies count alike.
#include <cstdint>

struct ExecutionCounts {
    std::uint64_t copies = 0;              // files written to a side (placed at the target)
    std::uint64_t deletions = 0;           // files and directories removed, a target of the other kind included
    std::uint64_t directoryCreations = 0;  // directories made
    // Entries given another name on their side. The plan has no such action: a name that
    // changed only in case is copied and keeps the other side's spelling.
    std::uint64_t renames = 0;
    // Times set on an entry outside a copy. None: a changed time is copied with the file,
    // or with content comparison only recorded in the database.
    std::uint64_t timeSets = 0;
    // Permission bits set on a directory: a parent given owner write for an operation, and
    // every directory's final bits at the end of the run.
    std::uint64_t modeSets = 0;

    bool operator==(const ExecutionCounts&) const = default;
};
