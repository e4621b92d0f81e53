#pragma once
// FileStamp: what the system knows about one side of an entry, the fields of a
// directory-listing record in their order. FileStampPair: the left and right stamps as
// they were after the last synchronisation (a record points to no pair when the entry
// is not in the database).
//
// The name is kept in a shared immutable block (SharedName) instead of a fixed
// 260-character buffer: copying a stamp shares it. The fixed buffer's limits still hold:
// a name keeps at most kStampNameMax (259) characters, a short name at most
// kStampShortNameMax (13); longer texts are cut when they are stored.
//
// Value type, no locks; nothing throws except std::bad_alloc.
#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "engine/tree/action_codes.h"
#include "engine/tree/shared_name.h"
#include "platform/core/cstring.h"
#include "platform/core/file_system.h"
#include "platform/core/win_time.h"

constexpr std::size_t kStampNameMax = 259;       // the 260-character field with its NUL
constexpr std::size_t kStampShortNameMax = 13;   // the 14-character field with its NUL
constexpr std::uint32_t kStampAttributeDirectory = 0x10;

class FileStamp {
public:
    FileStamp() = default;
    explicit FileStamp(const plat::FindData& data) { Assign(data); }

    // Copies every field of the listing record (the name cut to 259 characters).
    // Keeps the held name block when the texts are equal, else takes the block of the
    // first donor (null ones are passed over) that holds them, else makes a new one.
    void Assign(const plat::FindData& data, std::initializer_list<const FileStamp*> donors = {});
    // The fields back as a listing record (kind, mode and identity stay default).
    plat::FindData ToFindData() const;

    std::u16string_view GetName() const { return name_.Name(); }
    const char16_t* GetNameCStr() const { return name_.NameCStr(); }
    std::u16string_view GetShortName() const { return name_.ShortName(); }
    // Stores the texts, cut to 259 and 13 characters.
    void SetName(std::u16string_view name);
    void SetNames(std::u16string_view name, std::u16string_view shortName);
    // Shares other's name block when both hold the same texts, so equal names are kept
    // once; returns true when they now share.
    bool ShareNameWith(const FileStamp& other);
    bool SharesNameWith(const FileStamp& other) const { return name_.SharesWith(other.name_); }

    bool IsDirectory() const { return (attributes & kStampAttributeDirectory) != 0; }
    // A directory named "." or "..".
    bool IsDotEntry() const;
    // The time entries are compared by: creation time for a directory, last write time
    // for a file.
    FileTime GetCompareTime() const { return IsDirectory() ? creationTime : lastWriteTime; }
    void SetCreationTime(FileTime t) { creationTime = t; }
    // Moves creation, last access and last write time by the bias: POS_BIAS one hour
    // later, NEG_BIAS one hour earlier, every other value leaves them.
    void ShiftTimes(Bias bias);

    std::uint64_t GetSize() const { return (std::uint64_t(sizeHigh) << 32) | sizeLow; }
    void SetSize(std::uint64_t s) { sizeHigh = std::uint32_t(s >> 32); sizeLow = std::uint32_t(s); }

    // "FA:%08x,CT:%s,AT:%s,WT:%s,SZ:%016I64x" (193 characters).
    CString DumpText() const;

    std::uint32_t attributes = 0;
    FileTime creationTime = 0;
    FileTime lastAccessTime = 0;
    FileTime lastWriteTime = 0;
    std::uint32_t sizeHigh = 0;
    std::uint32_t sizeLow = 0;
    std::uint32_t reserved0 = 0;
    std::uint32_t reserved1 = 0;

private:
    SharedName name_;
};

// Every field equal, the name and short name compared by text.
bool operator==(const FileStamp& a, const FileStamp& b);

struct FileStampPair {
    FileStamp left;
    FileStamp right;
};

// Shift class between two times: equal gives NUL_BIAS; a later than b by exactly one
// hour gives NEG_BIAS; b later than a by exactly one hour gives POS_BIAS; anything else
// NO_BIAS.
Bias FileStampTimeShift(FileTime a, FileTime b);
// t moved by the bias (POS_BIAS + one hour, NEG_BIAS - one hour, otherwise unchanged).
FileTime ShiftFileTime(FileTime t, Bias bias);

// "%02i-%02i-%02i %02i:%02i:%02i.%03i.%03I64i.%03I64i (%016I64x)": the calendar time
// in UTC with milliseconds, the microseconds and nanoseconds below them, and the raw
// value. A value beyond the calendar prints as all zero fields with its raw value.
CString FileTimeDumpText(FileTime t);
