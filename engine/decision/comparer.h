#pragma once
// Comparison of file stamps: the options a comparer works under and the primitives the
// decision builds on. The database holds two option blocks: the entry comparer (a
// current stamp against its database stamp, used by the primary decision) and the pair
// comparer (left against right, used by the best choice).
//
// Pure functions over their arguments; thread-safe. Nothing throws.
#include <cstdint>

#include "engine/tree/action_codes.h"
#include "platform/core/win_time.h"

class FileStamp;
class CSyncRecord;

struct ComparerOptions {
    static constexpr std::uint32_t ALL_ATTRIBUTES = 0xFFFFFFFFu;
    // Archive (0x20) and normal (0x80) cleared: what is compared when ignoring the archive bit.
    static constexpr std::uint32_t NO_ARCHIVE_ATTRIBUTES = 0xFFFFFF5Fu;

    std::uint8_t ignoreArchive = 0;
    // Attributes are compared under this mask.
    std::uint32_t attributeMask = ALL_ATTRIBUTES;
    // Time differences below this count as equal (100 ns units); 0 compares exactly.
    std::uint64_t tolerance = 0;

    // Sets the flag and the attribute mask that goes with it.
    void SetIgnoreArchive(bool ignore) {
        ignoreArchive = ignore ? 1 : 0;
        attributeMask = ignore ? NO_ARCHIVE_ATTRIBUTES : ALL_ATTRIBUTES;
    }
    // Back to the initial state.
    void Reset() { *this = ComparerOptions(); }
    // Tolerance from milliseconds.
    void SetToleranceMs(std::int64_t ms) { tolerance = ms > 0 ? std::uint64_t(ms) * 10000u : 0; }
};

// Which properties CompareFindData looks at; its result has the bit set for each
// property found different.
enum CompareMask : std::uint32_t {
    COMPARE_ATTRIBUTES = 1,    // under the options' attribute mask
    COMPARE_CREATION = 2,
    COMPARE_LAST_ACCESS = 4,
    COMPARE_LAST_WRITE = 8,
    COMPARE_SIZE = 16,
    COMPARE_NAME = 32,         // same length below 260 and the same code units (case matters)
    COMPARE_SHORT_NAME = 64,   // the same with 14
    // The masks in use.
    COMPARE_DIRECTORY = COMPARE_ATTRIBUTES | COMPARE_NAME,                                   // 33
    COMPARE_FILE = COMPARE_ATTRIBUTES | COMPARE_LAST_WRITE | COMPARE_SIZE | COMPARE_NAME,    // 57
    COMPARE_BIAS_DIRECTORY = COMPARE_ATTRIBUTES,                                             // 1
    COMPARE_BIAS_FILE = COMPARE_ATTRIBUTES | COMPARE_SIZE,                                   // 17
};

// -1, 0 or +1. Unequal values differ only when the tolerance is 0 or the distance is at
// least the tolerance.
int CompareFileTimes(FileTime a, FileTime b, std::uint64_t tolerance);
// The difference mask of a and b over the properties in mask. Times are compared under
// the options' tolerance.
std::uint32_t CompareFindData(const ComparerOptions& options, const FileStamp& a, const FileStamp& b,
                              std::uint32_t mask);
// False when one is a directory and the other not; else nothing differs under 33
// (directories) or 57 (files).
bool IsSameEntry(const ComparerOptions& options, const FileStamp& current, const FileStamp& database);
// Both current sides present, of the same kind, with equal sizes.
bool IsSameKindAndSize(const CSyncRecord& record);
// The time-shift class of a current stamp against its database stamp: NO_BIAS when the
// kinds differ or the attributes (and, for files, the size) differ; else the shift class
// of the creation times and of the last-write times when both agree, NO_BIAS when not.
Bias BiasOf(const ComparerOptions& options, const FileStamp& database, const FileStamp& current);
// Number of set bits.
int CountBits(std::uint32_t value);
