#include "engine/format/rule_streams.h"

#include "engine/filters/protection_filters.h"
#include "engine/filters/protection_rule.h"
#include "engine/format/binary_stream.h"
#include "engine/format/stream_strings.h"
#include "platform/core/win_error.h"

bool ReadRuleFields(BinaryReader& in, std::uint32_t version, CString& pattern, std::uint32_t& flags) {
    if (version >= 3) {
        ReadWideString(in, pattern);
    } else {
        ReadNarrowString(in, pattern);
    }
    return in.ReadU32(flags);
}

void RestoreMatchFile(ProtectionRule& rule, std::uint32_t flags) {
    rule.SetFlagsRaw((rule.GetFlags() & ~std::uint32_t(ProtectionRule::MATCH_FILE)) |
                     (flags & ProtectionRule::MATCH_FILE));
}

bool ReadRuleCount(BinaryReader& in, std::uint32_t& count) {
    count = 0;
    if (!in.ReadU32(count)) return false;
    if (count > in.Remaining() / kMinRuleBytes) {
        in.SetFail(win32::ERROR_INVALID_DATA);
        return false;
    }
    return true;
}

bool ProtectionRule::Write(BinaryWriter& stream) const {
    WriteWideString(stream, pattern_);
    return stream.WriteU32(flags_);
}

bool ProtectionRule::Read(BinaryReader& stream, std::uint32_t version) {
    CString pattern;
    std::uint32_t flags = 0;
    if (!ReadRuleFields(stream, version, pattern, flags)) return false;
    Set(pattern, flags);
    RestoreMatchFile(*this, flags);
    return true;
}

bool ProtectionFilters::Write(BinaryWriter& stream) const {
    stream.WriteU32(std::uint32_t(entries_.size()));
    for (const auto& entry : entries_) {
        if (!entry->Write(stream)) break;
    }
    return stream.good();
}

bool ProtectionFilters::Read(BinaryReader& stream, std::uint32_t version) {
    std::uint32_t count = 0;
    if (!ReadRuleCount(stream, count)) return false;
    CString pattern;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t flags = 0;
        if (!ReadRuleFields(stream, version, pattern, flags)) return false;
        AddRule(pattern, flags);
        RestoreMatchFile(*entries_.back(), flags);
    }
    return true;
}
