#pragma once
// The length-prefixed string forms of profile and project files.
//
// Wide string: u32 byte count, then that many bytes of UTF-16LE text including the
// terminating NUL (the byte order is fixed, whatever the machine's). Narrow string (read
// only, older files): u32 byte count, then that many bytes of 8-bit Windows-1252 text
// without NUL. Fixed narrow record: a char[n] field, NUL terminated or full.
//
// Readers take the capacity of the field the text goes into, in characters including
// the terminating NUL, as the writing program's fixed buffers had: a stored text longer
// than that fails the stream; a text that fills it exactly loses its last character to
// the terminator. A stored text ends at its first NUL. A byte count that the rest of the
// stream cannot hold (or an odd one for wide text) fails the stream before anything is
// allocated. Failures are reported through the stream's state.
#include <cstddef>
#include <string_view>

#include "platform/core/cstring.h"

class BinaryReader;
class BinaryWriter;

// Capacity for texts without a fixed field (patterns, node names): far beyond any real
// name or pattern, small enough that a damaged count cannot ask for much memory.
inline constexpr std::size_t kMaxStreamText = 32768;
// The fixed path and name fields: 260 characters with the NUL, short names 14.
inline constexpr std::size_t kMaxPathChars = 260;
inline constexpr std::size_t kMaxShortNameChars = 14;

// Writes text (up to an embedded NUL) with its NUL; with a limit, at most limit
// characters (then without NUL when the text has limit characters or more).
bool WriteWideString(BinaryWriter& out, std::u16string_view text, std::size_t limit = kMaxStreamText);
bool ReadWideString(BinaryReader& in, CString& out, std::size_t capacity = kMaxStreamText);
bool ReadNarrowString(BinaryReader& in, CString& out, std::size_t capacity = kMaxStreamText);
// A char[size] field of 8-bit text.
bool ReadFixedNarrow(BinaryReader& in, CString& out, std::size_t size);
