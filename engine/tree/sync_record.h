#pragma once
// CSyncRecord: the state of one entry of a profile. The database's remembered stamps of
// both sides, the stamps found by the current scan, the decided action codes, the
// execution status and the flag bits.
//
// Ownership: the record owns its database pair and its two current stamps; filterState
// belongs to the protection filter set, which creates and frees it (the record only
// points to it). Not copyable: a record lives in its tree node.
//
// Threads: one thread at a time (the scan or execution worker while it runs, else the
// user-interface thread). Nothing throws except std::bad_alloc.
#include <cstdint>
#include <memory>
#include <string_view>

#include "engine/tree/action_codes.h"
#include "engine/tree/file_stamp.h"
#include "engine/tree/packed_text.h"
#include "platform/core/cstring.h"
#include "platform/core/file_system.h"

struct ComparerOptions;
struct RecordFilterState;

// Flag bits of CSyncRecord::FG.
constexpr std::uint8_t FG_MARKED = 0x01;             // selected for the user's commands and the view
constexpr std::uint8_t FG_DECIDED = 0x02;            // Decide has run
constexpr std::uint8_t FG_CONTENT_EQUAL = 0x04;      // the binary comparison found the contents equal
constexpr std::uint8_t FG_CONTENT_DIFFERENT = 0x08;  // ... found them different
constexpr std::uint8_t FG_LEFT_INACCESSIBLE = 0x10;  // the left directory could not be listed
constexpr std::uint8_t FG_RIGHT_INACCESSIBLE = 0x20; // the same for the right side
// The entry cannot be synchronised (a symbolic link, a socket, FIFO or device file, a
// name holding '\\', two names differing only in case, a name longer than the stamp's
// field). The crawl sets it on the entry's node (and logs a warning naming the path)
// instead of leaving the entry out; the decision then gives it and everything below it
// SKIP on both sides and leaves the database pair alone.
constexpr std::uint8_t FG_NOT_SYNCHRONISABLE = 0x40;
// The crawl marks, which the decision honours: below a directory flagged inaccessible on
// a side, and at and below a node marked not synchronisable, every entry is SKIP.
constexpr std::uint8_t FG_CRAWL_MARKS = FG_LEFT_INACCESSIBLE | FG_RIGHT_INACCESSIBLE | FG_NOT_SYNCHRONISABLE;
// What ShiftDatabaseTimes keeps of FG (the content state and the crawl marks).
constexpr std::uint8_t FG_KEPT_BY_SHIFT = 0x7C;

// Content state (FG bits 0x04/0x08 read as one value).
constexpr int CONTENT_NOT_COMPARED = 0;
constexpr int CONTENT_EQUAL = 1;
constexpr int CONTENT_DIFFERENT = 2;

// Masks of PermittedActions (bit n = ActionCode n may be set).
constexpr std::uint32_t PERMITTED_BOTH_SIDES = (1u << SKIP) | (1u << UPDATE_D) | (1u << CP_M) | (1u << CP_S);  // 0x388
constexpr std::uint32_t PERMITTED_LEFT_ONLY = (1u << SKIP) | (1u << DEL_M) | (1u << CP_M);                      // 0x128
constexpr std::uint32_t PERMITTED_RIGHT_ONLY = (1u << SKIP) | (1u << DEL_S) | (1u << CP_S);                     // 0x248

class CSyncRecord {
public:
    CSyncRecord() = default;
    ~CSyncRecord() = default;
    CSyncRecord(const CSyncRecord&) = delete;
    CSyncRecord& operator=(const CSyncRecord&) = delete;

    // The current stamp of a side: copied into the existing stamp or a new one. Equal
    // names share one block with the other stamps of the record.
    void SetLeftStamp(const plat::FindData& data);
    void SetRightStamp(const plat::FindData& data);
    void SetLeftStamp(const FileStamp& stamp);
    void SetRightStamp(const FileStamp& stamp);
    // Allocates the database pair when missing and copies both stamps.
    void SetDatabaseStamps(const FileStampPair& pair);
    void SetDatabaseStamps(const FileStamp& leftStamp, const FileStamp& rightStamp);
    // Frees the database pair (the entry is no longer in the database).
    void DropDatabase() { db.reset(); }
    bool IsInDatabase() const { return db != nullptr; }

    // Frees both current stamps and clears PA, AC, BC, ST, BL, BR and FG; returns true
    // when the entry is not in the database.
    bool ResetCurrent();
    // Exactly one side present, or both present and one a directory and the other not.
    bool SidesDiffer() const;
    // Bit n set = ActionCode n may be set by the user: 0 when AC is INVALID, EQUAL or
    // DEL_D; else by the sides present (both 0x388, left 0x128, right 0x248, none 0).
    std::uint32_t PermittedActions() const;
    // Sets AC; a change marks the record (FG_MARKED). Returns the new code.
    ActionCode SetAction(ActionCode code);
    // 0 not compared, 1 equal, 2 different (other values change nothing).
    void SetContentState(int state);
    int GetContentState() const;

    // The primary decision from the stamps: sets PA, AC := PA, BL, BR and FG_DECIDED.
    // Implemented with the decision (decision.cpp).
    void Decide(const ComparerOptions& options);
    // Moves the database times of a side by one hour for POS_BIAS/NEG_BIAS, then resets
    // the decision and decides again. False (and nothing changed) when the entry is not
    // in the database or neither side was moved.
    bool ShiftDatabaseTimes(Bias leftBias, Bias rightBias, const ComparerOptions& options);
    // Left and right exchanged: stamps, database stamps, the side-bound action codes
    // (DEL_M/DEL_S, CP_M/CP_S in PA, AC and BC), the shift classes BL/BR and the
    // inaccessible flags.
    void SwitchSides();

    // The entry's path relative to the roots (upper-cased node names joined by "\\").
    CString GetPath() const { return path.ToString(); }
    void SetPath(std::u16string_view p) { path.Assign(p); }

    // The export block of this record: path, separator, the four stamps, separator,
    // and the codes line.
    CString Dump() const;

    std::unique_ptr<FileStampPair> db;   // null = not in the database
    std::unique_ptr<FileStamp> left;     // null = absent on the left
    std::unique_ptr<FileStamp> right;    // null = absent on the right
    RecordFilterState* filterState = nullptr;  // not owned; null when no rule matched
    PackedText path;                     // set by the scan; read with GetPath
    ActionCode PA = INVALID;             // primary action, decided from the stamps
    ActionCode AC = INVALID;             // the action execution carries out
    ActionCode BC = INVALID;             // best choice proposed for conflicts
    SyncStatus ST = CREATED;             // execution status
    std::uint8_t FG = 0;                 // FG_* bits
    Bias BL = NO_BIAS;                   // time-shift class of the left side
    Bias BR = NO_BIAS;                   // ... of the right side

private:
    void SetCurrent(std::unique_ptr<FileStamp>& side, const plat::FindData* data, const FileStamp* stamp);
    void ShareNames(FileStamp& stamp);
};
