#pragma once
// Command: one undoable edit of the plan (action codes, best choice, dominating a side,
// skipping the rest, protection or selection filters, switching sides). A command is built
// by one command operation of CSyncDataBase, run once by CommandHistory::Execute and then
// owned by the history, which runs Undo and Do again as the user steps back and forth.
//
// Update hints returned by Do and Undo (what the views must redraw): 2 action codes
// changed, 4 protection rules changed, 7 sides switched, 9 selection filters applied,
// 0 nothing changed.
//
// Ownership: a command owns nothing outside itself; it points to the database and the
// Proxy it works on, which outlive it (the history is cleared whenever the tree or the
// Proxy is rebuilt).
// Threads: the user-interface thread while no worker runs. Nothing throws except
// std::bad_alloc.
#include <cstdint>
#include <vector>

class CSyncDataBase;
class Proxy;

enum UpdateHint : std::uint32_t {
    HINT_NOTHING = 0,
    HINT_ACTION_CODES = 2,
    HINT_PROTECTION = 4,
    HINT_SIDES_SWITCHED = 7,
    HINT_SELECTION_FILTERS = 9,
};

class Command {
public:
    // Saved-code byte: the action code in bits 0-6, bit 7 for an entry that was marked.
    static constexpr std::uint8_t kSavedMarked = 0x80;
    static constexpr std::uint8_t kSavedCodeMask = 0x7F;

    Command(CSyncDataBase* database, Proxy* selection) : database(database), selection(selection) {}
    virtual ~Command() = default;
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;

    // Each returns the update hint; 0 = nothing changed.
    virtual std::uint32_t Do() = 0;
    virtual std::uint32_t Undo() = 0;
    virtual bool IsUndoable() const { return false; }

    // One saved byte per entry of proxy: its record's AC, plus kSavedMarked when the
    // entry's marked byte is set.
    virtual void Snapshot(const Proxy& proxy);
    // Every entry whose AC differs from its saved code gets the saved code back (a plain
    // store: no propagation, no record mark). True when any changed. A proxy whose entry
    // count is not the snapshot's (rebuilt since) is left alone and gives false.
    virtual bool Restore(Proxy& proxy);

    // One byte per Proxy entry, filled by Snapshot.
    std::vector<std::uint8_t> savedCodes;
    std::uint32_t updateHint = HINT_NOTHING;
    CSyncDataBase* database;
    Proxy* selection;
    bool executed = false;

protected:
    // True when the snapshot holds an entry at index i that was marked.
    bool WasMarked(std::uint32_t i) const {
        return i < savedCodes.size() && (savedCodes[i] & kSavedMarked) != 0;
    }
    // True when some entry's AC is not its saved code (false for a stale snapshot).
    bool DiffersFromSnapshot(const Proxy& proxy) const;
    // The protection rules applied again over the whole tree of the database:
    // SkipProtectedEntries (every protected entry whose code is not SKIP is set to SKIP,
    // with propagation). The rules' matches are kept up to date by the filter set itself,
    // so only this pass is left to do after a change.
    void EnforceProtection();
};
