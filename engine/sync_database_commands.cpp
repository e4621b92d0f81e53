#include <memory>

#include "engine/commands/cmd_action_code.h"
#include "engine/commands/cmd_prot_filters.h"
#include "engine/commands/cmd_sel_filters.h"
#include "engine/commands/cmd_switch_sides.h"
#include "engine/sync_database.h"

std::uint32_t CSyncDataBase::ChangeActionCode(Proxy& selection, ActionCode code) {
    return commandHistory.Execute(std::make_unique<CmdChangeActionCode>(this, &selection, code));
}

std::uint32_t CSyncDataBase::SkipInverse(Proxy& selection) {
    return commandHistory.Execute(std::make_unique<CmdSkipInverse>(this, &selection));
}

std::uint32_t CSyncDataBase::ChangeDominate(Proxy& selection, std::uint32_t side) {
    return commandHistory.Execute(std::make_unique<CmdChangeDominate>(this, &selection, side));
}

std::uint32_t CSyncDataBase::BestChoice(Proxy& selection, bool keepUnrecorded) {
    return commandHistory.Execute(std::make_unique<CmdBestChoice>(this, &selection, keepUnrecorded));
}

std::uint32_t CSyncDataBase::SwitchSides() { return commandHistory.Execute(std::make_unique<CmdSwitchSides>(this)); }

std::uint32_t CSyncDataBase::ModifyProtFilters(Proxy& selection, const std::list<FilterEntry>& entries) {
    return commandHistory.Execute(std::make_unique<CmdModifyProtFilters>(this, &selection, entries));
}

std::uint32_t CSyncDataBase::ModifyProtStates(Proxy& selection, ProtectionOperation operation) {
    return commandHistory.Execute(std::make_unique<CmdModifyProtStates>(this, &selection, operation));
}

std::uint32_t CSyncDataBase::SetSelFilters(Proxy* selection, const std::list<ProtectionRule>& filters) {
    return commandHistory.Execute(std::make_unique<CmdSetSelFilters>(this, selection, filters));
}
