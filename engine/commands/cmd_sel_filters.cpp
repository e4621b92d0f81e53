#include "engine/commands/cmd_sel_filters.h"

#include "engine/proxy.h"
#include "engine/sync_database.h"

CmdSetSelFilters::CmdSetSelFilters(CSyncDataBase* database, Proxy* selection, const std::list<ProtectionRule>& filters)
    : Command(database, selection), newFilters(filters), oldFilters(database->selectionFilters) {
    updateHint = HINT_SELECTION_FILTERS;
}

std::uint32_t CmdSetSelFilters::Do() {
    database->selectionFilters = newFilters;
    if (selection) database->ApplySelectionFilters(*selection);
    executed = true;
    return updateHint;
}

std::uint32_t CmdSetSelFilters::Undo() {
    database->selectionFilters = oldFilters;
    executed = false;
    return HINT_NOTHING;
}
