#include "engine/commands/cmd_switch_sides.h"

#include <utility>

#include "engine/sync_database.h"
#include "engine/tree/fs_tree.h"

std::uint32_t CmdSwitchSides::Do() {
    if (!database->rootsValid) return HINT_NOTHING;
    std::swap(database->leftRoot, database->rightRoot);
    // The detected daylight-saving shift belongs to a side: it follows its side, so that
    // compensating it afterwards moves the times of the side that was shifted.
    std::swap(database->leftBias, database->rightBias);
    for (FSTreeNode* node : FSTree::Subtree(database->GetRoot())) node->record.SwitchSides();
    executed = true;
    return updateHint;
}

std::uint32_t CmdSwitchSides::Undo() {
    const std::uint32_t hint = Do();
    executed = false;
    return hint;
}
