#pragma once
// CommandHistory: the last ten undoable commands of a profile, with a position that
// separates what can be undone (before it) from what can be redone (from it to the end).
// Running the plan, a new scan, new roots and a new profile clear it.
//
// Ownership: the history owns every command handed to it and deletes it when it falls off
// the limit, when a new command drops the redo tail, or when the history is cleared.
// Threads: the user-interface thread only. Nothing throws except std::bad_alloc.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/commands/command.h"

class CommandHistory {
public:
    static constexpr std::size_t kDefaultLimit = 10;

    CommandHistory() = default;
    CommandHistory(const CommandHistory&) = delete;
    CommandHistory& operator=(const CommandHistory&) = delete;

    // Runs the command's Do and keeps it: a command that is not undoable clears the
    // history and is deleted; an undoable one that changed nothing (hint 0) is deleted
    // and the history stays as it was, redo tail included; otherwise the redo tail is
    // dropped, the command appended and the oldest dropped beyond the limit. Returns Do's
    // hint (0 for a null command).
    std::uint32_t Execute(std::unique_ptr<Command> command);
    // Steps back over the command before the position and runs its Undo; 0 when there is
    // nothing to undo.
    std::uint32_t Undo();
    // Runs Do of the command at the position and steps past it; 0 when there is nothing
    // to redo.
    std::uint32_t Redo();
    bool CanUndo() const { return position_ != 0; }
    bool CanRedo() const { return position_ != commands_.size(); }
    // Deletes every command; the position is at the end.
    void Clear();

    std::size_t GetCount() const { return commands_.size(); }
    // Index of the next command Redo would run (GetCount() when there is none).
    std::size_t GetPosition() const { return position_; }

private:
    std::vector<std::unique_ptr<Command>> commands_;
    std::size_t position_ = 0;
    std::size_t limit_ = kDefaultLimit;
};
