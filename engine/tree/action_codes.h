#pragma once
// The enumerations of a sync record: the action codes of the plan, the execution status
// and the time-shift class of a side. Values are part of the profile file and of the
// export; their names are the texts the record dump prints. Stored as bytes so that a
// record stays small; the values never exceed a byte.
#include <cstdint>

// M is the left side, S the right side, D the database.
enum ActionCode : std::uint8_t {
    INVALID = 0,    // not decided
    EQUAL = 1,      // nothing to do
    AMBIGUOUS = 2,  // conflict; the user must choose
    SKIP = 3,       // leave both sides as they are
    DEL_D = 4,      // drop the entry from the database (gone on both sides)
    DEL_M = 5,      // delete the left side
    DEL_S = 6,      // delete the right side
    UPDATE_D = 7,   // only store the current stamps in the database
    CP_M = 8,       // copy left to right
    CP_S = 9,       // copy right to left
};
constexpr int ACTION_CODE_COUNT = 10;

enum SyncStatus : std::uint8_t {
    CREATED = 0,
    RUNNING = 1,
    SKIPPED = 2,
    CANCELLED = 3,
    FAILED = 4,
    DONE = 5,
};
constexpr int SYNC_STATUS_COUNT = 6;

// Time-shift class of one side against the database (daylight-saving changes).
enum Bias : std::uint8_t {
    NO_BIAS = 0,     // not comparable, or shifted by anything but exactly one hour
    NUL_BIAS = 1,    // times equal
    POS_BIAS = 2,    // current times exactly one hour later than the database's
    NEG_BIAS = 3,    // current times exactly one hour earlier
    FENCE_BIAS = 4,  // a bound; no comparison produces it
};
constexpr int BIAS_COUNT = 5;

// The text names ("CP_M", "DONE", "POS_BIAS"); a value outside the enumeration gives "?".
// The returned texts are static.
const char16_t* ActionCodeName(std::uint32_t code);
const char16_t* SyncStatusName(std::uint32_t status);
const char16_t* BiasName(std::uint32_t bias);
