#pragma once
// Undoable edits of the plan and the history that keeps the last ten of them.
//
// Ownership: the history owns every command handed to it. A command owns nothing outside
// itself; it points to the database and the Proxy it works on.
// Threads: the user-interface thread only. Nothing throws except std::bad_alloc.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class CSyncDataBase;
class Proxy;

class Command {
public:
    Command(CSyncDataBase* database, Proxy* selection) : database(database), selection(selection) {}
    virtual ~Command() = default;
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;

    // Each returns the update hint; 0 = nothing changed.
    virtual std::uint32_t Do() = 0;
    virtual std::uint32_t Undo() = 0;
    virtual bool IsUndoable() const { return false; }

    // One byte per Proxy entry: the action code in bits 0-6, bit 7 for a marked entry.
    std::vector<std::uint8_t> savedCodes;
    std::uint32_t updateHint = 0;
    CSyncDataBase* database;
    Proxy* selection;
    bool executed = false;
};

class CommandHistory {
public:
    static constexpr std::size_t kDefaultLimit = 10;

    CommandHistory() = default;
    CommandHistory(const CommandHistory&) = delete;
    CommandHistory& operator=(const CommandHistory&) = delete;

    // Runs the command's Do and keeps it: a command that is not undoable clears the
    // history and is deleted; an undoable one that changed nothing (hint 0) is deleted
    // and the history stays as it was; otherwise the redo tail is dropped, the command
    // appended and the oldest dropped beyond the limit. Returns Do's hint.
    std::uint32_t Execute(std::unique_ptr<Command> command);
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
