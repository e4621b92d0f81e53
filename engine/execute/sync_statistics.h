#pragma once
// SyncStatistics: the counts and byte sums of one profile's entries by side, kind,
// status and action code. Read by the execution's progress total, the confirmation
// dialog, the reports and the log lines.
//
// A plain value; Compute reads the database on the calling thread (the thread that owns
// it). Nothing throws.
#include <cstdint>

#include "engine/tree/action_codes.h"

class CSyncDataBase;
class CSyncRecord;

struct SyncStatistics {
    // The counts of one set of entries by action code.
    struct ActionBlock {
        std::uint32_t byCode[ACTION_CODE_COUNT] = {};  // INVALID to CP_S
        std::uint32_t deleteLeft = 0;        // DEL_M
        std::uint32_t deleteRight = 0;       // DEL_S
        std::uint32_t copyLeftToRight = 0;   // CP_M
        std::uint32_t copyRightToLeft = 0;   // CP_S
        std::uint32_t databaseOnly = 0;      // DEL_D and UPDATE_D
        std::uint32_t noAction = 0;          // every other code
        std::uint32_t ambiguous = 0;         // AMBIGUOUS (also counted under noAction)
        std::uint64_t deleteLeftBytes = 0;   // left sizes
        std::uint64_t deleteRightBytes = 0;  // right sizes
        std::uint64_t copyLeftToRightBytes = 0;
        std::uint64_t copyRightToLeftBytes = 0;

        void Count(const CSyncRecord& record);
        friend bool operator==(const ActionBlock&, const ActionBlock&) = default;
    };

    SyncStatistics() = default;
    // Every field 0.
    void Clear() { *this = SyncStatistics(); }
    // Clears, takes the database's roots-valid flag as "loaded" and, when it is set,
    // counts every entry of the tree.
    void Compute(const CSyncDataBase& database);
    // The pending block holds a deletion, a copy or a database-only entry.
    bool HasPendingActions() const;
    bool IsEmpty() const { return totalEntries == 0; }
    friend bool operator==(const SyncStatistics&, const SyncStatistics&) = default;

    std::uint8_t loaded = 0;  // the profile was loaded or scanned; else every field is 0
    std::uint32_t leftDirectories = 0;
    std::uint32_t rightDirectories = 0;
    std::uint32_t leftFiles = 0;
    std::uint32_t rightFiles = 0;
    std::uint32_t byStatus[SYNC_STATUS_COUNT] = {};  // CREATED to DONE
    std::uint32_t protectedEntries = 0;  // protected and not DEL_D
    ActionBlock all;                     // every entry
    ActionBlock pending;                 // status neither DONE nor SKIPPED
    ActionBlock finished;                // status DONE or SKIPPED
    std::uint32_t totalEntries = 0;
    std::uint32_t finishedEntries = 0;
};
