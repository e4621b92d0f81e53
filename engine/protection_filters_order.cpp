#include "engine/protection_filters.h"

void ProtectionFilters::Reorder(const std::vector<const ProtectionRule*>& order) {
    // Splicing moves the list nodes themselves: every entry stays where it lives in memory,
    // so the states' rule pointers and the rules' node lists need no change.
    EntryList ordered;
    for (const ProtectionRule* rule : order) {
        for (auto it = entries_.begin(); it != entries_.end(); ++it) {
            if (static_cast<const ProtectionRule*>(it->get()) != rule) continue;
            ordered.splice(ordered.end(), entries_, it);
            break;
        }
    }
    ordered.splice(ordered.end(), entries_);
    entries_.swap(ordered);
}
