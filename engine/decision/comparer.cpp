#include "engine/decision/comparer.h"

#include <bit>

#include "engine/tree/file_stamp.h"
#include "engine/tree/sync_record.h"

int CompareFileTimes(FileTime a, FileTime b, std::uint64_t tolerance) {
    if (a == b) return 0;
    if (a < b) return (tolerance == 0 || b - a >= tolerance) ? -1 : 0;
    return (tolerance == 0 || a - b >= tolerance) ? 1 : 0;
}

namespace {

// A name field is equal only when both texts have the same length, fit the field
// (below its size with the terminator) and hold the same code units; case matters.
bool SameNameField(std::u16string_view a, std::u16string_view b, std::size_t fieldSize) {
    return a.size() == b.size() && a.size() < fieldSize && a == b;
}

}  // namespace

std::uint32_t CompareFindData(const ComparerOptions& options, const FileStamp& a, const FileStamp& b,
                              std::uint32_t mask) {
    std::uint32_t diff = 0;
    auto timeDiffers = [&](FileTime x, FileTime y) { return CompareFileTimes(x, y, options.tolerance) != 0; };
    if ((mask & COMPARE_ATTRIBUTES) && ((a.attributes ^ b.attributes) & options.attributeMask) != 0)
        diff |= COMPARE_ATTRIBUTES;
    if ((mask & COMPARE_CREATION) && timeDiffers(a.creationTime, b.creationTime)) diff |= COMPARE_CREATION;
    if ((mask & COMPARE_LAST_ACCESS) && timeDiffers(a.lastAccessTime, b.lastAccessTime)) diff |= COMPARE_LAST_ACCESS;
    if ((mask & COMPARE_LAST_WRITE) && timeDiffers(a.lastWriteTime, b.lastWriteTime)) diff |= COMPARE_LAST_WRITE;
    if ((mask & COMPARE_SIZE) && (a.sizeHigh != b.sizeHigh || a.sizeLow != b.sizeLow)) diff |= COMPARE_SIZE;
    if ((mask & COMPARE_NAME) && !SameNameField(a.GetName(), b.GetName(), kStampNameMax + 1)) diff |= COMPARE_NAME;
    if ((mask & COMPARE_SHORT_NAME) && !SameNameField(a.GetShortName(), b.GetShortName(), kStampShortNameMax + 1))
        diff |= COMPARE_SHORT_NAME;
    return diff;
}

bool IsSameEntry(const ComparerOptions& options, const FileStamp& current, const FileStamp& database) {
    if (current.IsDirectory() != database.IsDirectory()) return false;
    const std::uint32_t mask = current.IsDirectory() ? COMPARE_DIRECTORY : COMPARE_FILE;
    return CompareFindData(options, current, database, mask) == 0;
}

bool IsSameKindAndSize(const CSyncRecord& record) {
    return record.left && record.right && record.left->IsDirectory() == record.right->IsDirectory() &&
           record.left->GetSize() == record.right->GetSize();
}

Bias BiasOf(const ComparerOptions& options, const FileStamp& database, const FileStamp& current) {
    if (database.IsDirectory() != current.IsDirectory()) return NO_BIAS;
    const std::uint32_t mask = current.IsDirectory() ? COMPARE_BIAS_DIRECTORY : COMPARE_BIAS_FILE;
    if (CompareFindData(options, database, current, mask) != 0) return NO_BIAS;
    const Bias creation = FileStampTimeShift(database.creationTime, current.creationTime);
    const Bias write = FileStampTimeShift(database.lastWriteTime, current.lastWriteTime);
    return creation == write ? creation : NO_BIAS;
}

int CountBits(std::uint32_t value) { return std::popcount(value); }
