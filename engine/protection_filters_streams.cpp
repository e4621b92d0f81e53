#include "engine/binary_stream.h"
#include "engine/protection_filters.h"
#include "engine/rule_streams.h"

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
