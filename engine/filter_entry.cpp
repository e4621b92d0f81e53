#include "engine/filter_entry.h"

#include "engine/protection_rule.h"

FilterEntry InitFilterEntry(ProtectionRule& rule) {
    FilterEntry entry;
    entry.state = FILTER_ENTRY_TAKEN;
    entry.pattern = rule.GetPattern();
    entry.flags = rule.GetFlags();
    entry.rule = &rule;
    return entry;
}

bool IsFilterEntryActive(const FilterEntry& entry) { return entry.rule != nullptr && entry.rule->IsActive(); }
