#pragma once
// The stream forms of a file stamp and of a database stamp pair in profile files.
//
// Stamp: u32 attributes, u64 creation, last-access and last-write time, u32 size high,
// size low, reserved 0, reserved 1, then the name (at most 260 characters with its NUL)
// and the short name (at most 14). Format 3 stores the names as wide strings, formats 1
// and 2 as narrow Windows-1252 strings.
// Pair: the right stamp, then the left; format 1 holds one stamp, read as the left one
// and copied into the right one. An entry without a pair is written as two empty stamps
// (all zero, empty names).
//
// Failures are reported through the stream's state.
#include <cstdint>

#include "engine/tree/file_stamp.h"

class BinaryReader;
class BinaryWriter;

// The fewest bytes a stamp takes on disk (both names empty, no NUL stored).
inline constexpr std::uint64_t kMinStampBytes = 4 + 3 * 8 + 4 * 4 + 4 + 4;

bool WriteStamp(BinaryWriter& out, const FileStamp& stamp);
bool ReadStamp(BinaryReader& in, FileStamp& stamp, std::uint32_t version);
// pair may be null: two empty stamps.
bool WriteStampPair(BinaryWriter& out, const FileStampPair* pair);
bool ReadStampPair(BinaryReader& in, FileStampPair& pair, std::uint32_t version);
