#pragma once
// The stream form of a rule list in profile files: u32 count, then each rule (pattern,
// u32 flags). Shared by the protection filter set and the selection filter list.
#include <cstdint>

#include "platform/core/cstring.h"

class BinaryReader;
class ProtectionRule;

// The fewest bytes a rule takes: an empty pattern and the flags.
inline constexpr std::uint64_t kMinRuleBytes = 4 + 4;

// Reads a rule count and checks it against what the rest of the stream can hold (a
// larger count fails the stream). False when the stream failed.
bool ReadRuleCount(BinaryReader& in, std::uint32_t& count);

// The pattern (wide in format 3, narrow in formats 1 and 2) and the flags of one rule.
bool ReadRuleFields(BinaryReader& in, std::uint32_t version, CString& pattern, std::uint32_t& flags);
// ProtectionRule::Set keeps MATCH_FILE as it was; a rule read back takes the stored bit.
void RestoreMatchFile(ProtectionRule& rule, std::uint32_t flags);
