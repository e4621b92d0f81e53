#include "engine/tree/action_codes.h"

namespace {

const char16_t* const kActionNames[ACTION_CODE_COUNT] = {
    u"INVALID", u"EQUAL", u"AMBIGUOUS", u"SKIP", u"DEL_D", u"DEL_M", u"DEL_S", u"UPDATE_D", u"CP_M", u"CP_S",
};
const char16_t* const kStatusNames[SYNC_STATUS_COUNT] = {
    u"CREATED", u"RUNNING", u"SKIPPED", u"CANCELLED", u"FAILED", u"DONE",
};
const char16_t* const kBiasNames[BIAS_COUNT] = {
    u"NO_BIAS", u"NUL_BIAS", u"POS_BIAS", u"NEG_BIAS", u"FENCE_BIAS",
};

// A value read from a damaged profile may lie outside the enumeration; it prints as "?"
// rather than reading past the table.
const char16_t* NameOf(const char16_t* const* table, std::uint32_t count, std::uint32_t value) {
    return value < count ? table[value] : u"?";
}

}  // namespace

const char16_t* ActionCodeName(std::uint32_t code) { return NameOf(kActionNames, ACTION_CODE_COUNT, code); }
const char16_t* SyncStatusName(std::uint32_t status) { return NameOf(kStatusNames, SYNC_STATUS_COUNT, status); }
const char16_t* BiasName(std::uint32_t bias) { return NameOf(kBiasNames, BIAS_COUNT, bias); }
