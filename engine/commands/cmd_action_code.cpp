#include "engine/commands/cmd_action_code.h"

#include <utility>
#include <vector>

#include "engine/decision/best_choice.h"
#include "engine/decision/set_action_code.h"
#include "engine/proxy.h"
#include "engine/tree/fs_tree.h"

CmdActionCode::CmdActionCode(CSyncDataBase* database, Proxy* selection, std::uint32_t parameter)
    : Command(database, selection), parameter(parameter) {
    updateHint = HINT_ACTION_CODES;
    Snapshot(*selection);
}

std::uint32_t CmdActionCode::Undo() {
    Restore(*selection);
    executed = false;
    return updateHint;
}

std::uint32_t CmdActionCode::Finish(bool anyChanged) {
    selection->MarkAll(false);
    if (!anyChanged) return 0;
    EnforceProtection();
    executed = true;
    // A change may be taken back by a later step (propagation, the protection): only a
    // plan that now differs from the snapshot counts, so that a command without effect is
    // not kept for undo.
    return DiffersFromSnapshot(*selection) ? updateHint : 0;
}

std::uint32_t CmdChangeActionCode::Do() {
    const auto code = ActionCode(parameter);
    if (parameter >= ACTION_CODE_COUNT) return Finish(false);
    bool changed = false;
    for (std::uint32_t i = 0; i < selection->GetCount(); ++i) {
        FSTreeNode* node = (*selection)[i].node;
        if (!WasMarked(i) || node == nullptr) continue;
        if ((AllowedActions(*node) & (1u << code)) == 0) continue;
        if (SetActionCode(*node, code)) changed = true;
    }
    return Finish(changed);
}

std::uint32_t CmdBestChoice::Do() {
    bool changed = false;
    for (std::uint32_t i = 0; i < selection->GetCount(); ++i) {
        FSTreeNode* node = (*selection)[i].node;
        if (!WasMarked(i) || node == nullptr) continue;
        if (keepUnrecorded_ && BestChoiceLosesUnrecorded(*node)) continue;
        if (ApplyBestChoice(*node)) changed = true;
    }
    return Finish(changed);
}

std::uint32_t CmdChangeDominate::Do() {
    if (parameter != DOMINATE_LEFT && parameter != DOMINATE_RIGHT) return Finish(false);
    bool changed = false;
    for (std::uint32_t i = 0; i < selection->GetCount(); ++i) {
        FSTreeNode* node = (*selection)[i].node;
        if (!WasMarked(i) || node == nullptr) continue;
        const CSyncRecord& r = node->record;
        const ActionCode code = parameter == DOMINATE_LEFT ? (r.left ? CP_M : DEL_S) : (r.right ? CP_S : DEL_M);
        if (SetActionCode(*node, code)) changed = true;
    }
    return Finish(changed);
}

namespace {
bool IsCodeToCarryOut(ActionCode code) {
    return code != INVALID && code != EQUAL && code != AMBIGUOUS && code != SKIP && code != UPDATE_D;
}
}  // namespace

std::uint32_t CmdSkipInverse::Do() {
    std::vector<std::pair<FSTreeNode*, ActionCode>> remembered;
    for (std::uint32_t i = 0; i < selection->GetCount(); ++i) {
        FSTreeNode* node = (*selection)[i].node;
        if (WasMarked(i) && node != nullptr && IsCodeToCarryOut(node->record.AC))
            remembered.emplace_back(node, node->record.AC);
    }
    bool changed = false;
    for (std::uint32_t i = 0; i < selection->GetCount(); ++i) {
        FSTreeNode* node = (*selection)[i].node;
        if (!WasMarked(i) && node != nullptr && SetActionCode(*node, SKIP)) changed = true;
    }
    // Skipping an unmarked entry can reach a marked one (its parent or its contents); such
    // an entry shows it in its record mark and gets its code back.
    for (auto& [node, code] : remembered) {
        CSyncRecord& r = node->record;
        if ((r.FG & FG_MARKED) == 0) continue;
        if (SetActionCode(*node, code)) changed = true;
        r.FG &= std::uint8_t(~FG_MARKED);
    }
    return Finish(changed);
}
