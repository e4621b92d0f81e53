#pragma once
// CmdSetSelFilters: a new selection-filter list for the database. Do installs the new
// list, warns of each rule it brings in whose expression does not compile, and applies
// it to the selection (the selected entries are marked); Undo puts the list from before
// back and returns 0: the marks it made are not taken back.
//
// Ownership, threads and errors: as Command (engine/command.h). The database must not be
// null; the selection may be (the list is then only installed).
#include <cstdint>
#include <list>

#include "engine/commands/command.h"
#include "engine/filters/protection_rule.h"

class CmdSetSelFilters : public Command {
public:
    // Keeps the new list and a copy of the database's list as it is now.
    CmdSetSelFilters(CSyncDataBase* database, Proxy* selection, const std::list<ProtectionRule>& filters);

    // Returns HINT_SELECTION_FILTERS.
    std::uint32_t Do() override;
    // Returns 0.
    std::uint32_t Undo() override;
    bool IsUndoable() const override { return true; }

    std::list<ProtectionRule> newFilters;
    std::list<ProtectionRule> oldFilters;
};
