#include "engine/commands/cmd_sel_filters.h"

#include <algorithm>

#include "engine/filters/protection_filters.h"
#include "engine/proxy.h"
#include "engine/sync_database.h"

CmdSetSelFilters::CmdSetSelFilters(CSyncDataBase* database, Proxy* selection, const std::list<ProtectionRule>& filters)
    : Command(database, selection), newFilters(filters), oldFilters(database->selectionFilters) {
    updateHint = HINT_SELECTION_FILTERS;
}

std::uint32_t CmdSetSelFilters::Do() {
    database->selectionFilters = newFilters;
    // A rule the edit brought in whose expression does not compile is warned of once per
    // edit; the rules it kept were warned of when they came in.
    for (const ProtectionRule& rule : newFilters) {
        const bool kept = std::any_of(oldFilters.begin(), oldFilters.end(), [&](const ProtectionRule& old) {
            return old.GetPattern() == rule.GetPattern() && old.GetFlags() == rule.GetFlags();
        });
        if (!kept) WarnIfNotCompiled(rule, database->GetLogger());
    }
    if (selection) database->ApplySelectionFilters(*selection);
    executed = true;
    return updateHint;
}

std::uint32_t CmdSetSelFilters::Undo() {
    database->selectionFilters = oldFilters;
    executed = false;
    return HINT_NOTHING;
}
