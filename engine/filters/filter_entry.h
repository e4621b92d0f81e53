#pragma once
// FilterEntry: the working row of a protection-filter edit, shared by the filter dialogs
// and the protection commands. It carries the text and flags the rule is to have, how the
// row came about (its state) and the live rule it stands for.
//
// The live rule belongs to the database's protection filter set (or, while a command has
// taken it out of the set, to that command); an entry only points to it and never
// dereferences a rule it has not found there. Value type. Nothing throws except
// std::bad_alloc.
#include <cstdint>

#include "platform/core/cstring.h"

class ProtectionRule;

enum FilterEntryState : std::uint32_t {
    FILTER_ENTRY_TAKEN = 0,    // taken from a rule, unchanged
    FILTER_ENTRY_CHANGED = 1,  // the rule is to take the entry's text and flags
    FILTER_ENTRY_ADDED = 2,    // a rule to be put into the set
    FILTER_ENTRY_REMOVED = 3,  // the rule is to be taken out of the set
};

struct FilterEntry {
    std::uint32_t state = FILTER_ENTRY_TAKEN;
    CString pattern;
    std::uint32_t flags = 0;          // ProtectionRule flag bits
    ProtectionRule* rule = nullptr;   // the live rule; null for an entry added from text
};

// The rule's text and flags, the rule as live source, state FILTER_ENTRY_TAKEN.
FilterEntry InitFilterEntry(ProtectionRule& rule);
// The live rule exists and is ACTIVE.
bool IsFilterEntryActive(const FilterEntry& entry);
