#include "engine/commands/command_history.h"

std::uint32_t CommandHistory::Execute(std::unique_ptr<Command> command) {
    if (!command) return 0;
    const std::uint32_t hint = command->Do();
    if (!command->IsUndoable()) {
        // Nothing before it could be undone over a change that cannot be.
        Clear();
        return hint;
    }
    if (hint == 0) return hint;
    commands_.erase(commands_.begin() + std::ptrdiff_t(position_), commands_.end());
    commands_.push_back(std::move(command));
    if (commands_.size() > limit_) commands_.erase(commands_.begin());
    position_ = commands_.size();
    return hint;
}

std::uint32_t CommandHistory::Undo() {
    if (position_ == 0) return 0;
    --position_;
    return commands_[position_]->Undo();
}

std::uint32_t CommandHistory::Redo() {
    if (position_ == commands_.size()) return 0;
    const std::uint32_t hint = commands_[position_]->Do();
    ++position_;
    return hint;
}

void CommandHistory::Clear() {
    commands_.clear();
    position_ = 0;
}
