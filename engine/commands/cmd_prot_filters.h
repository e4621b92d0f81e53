#pragma once
// The commands that edit the protection filters of a profile.
//
// CmdModifyProtFilters applies a list of filter entries (the rows of the filter dialog or
// of a protection operation) to the database's protection filter set: the set's rules are
// put in the order of the entries, and each entry acts by its state (changed: the rule
// takes the entry's text and flags; added: the rule is put into the set; removed: the rule
// is taken out). Do keeps the inverse list, so that the next Do takes the edit back: Undo
// is Do once more plus the action codes of the snapshot.
//
// A rule taken out of the set by a command stays alive, owned by the command and attached
// to no RecordFilterState, until the command is deleted; undoing the removal puts that
// same rule back (so entries built later that point to it stay valid while the history
// can still reach it).
//
// CmdModifyProtStates runs one protection operation on the marked entries of a Proxy
// when it is built, working on filter entries read from the set, and keeps the edit as an
// inner CmdModifyProtFilters (none when the operation changed nothing).
//
// Ownership, threads and errors: as Command (engine/command.h). The database and the
// Proxy must not be null.
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <vector>

#include "engine/commands/command.h"
#include "engine/filters/filter_entry.h"
#include "platform/core/cstring.h"

class FSTreeNode;
class ProtectionFilterEntry;
class ProtectionRule;

// The operations of the protection menu.
enum ProtectionOperation : std::uint32_t {
    PROTECTION_ACTIVATE = 1,
    PROTECTION_EXCLUDE = 2,
    PROTECTION_ALTER = 3,
    PROTECTION_REMOVE = 4,
};

// The regular expression that matches the entry at path (components joined by '\\') and
// everything below it: every character the expression syntax treats specially is escaped
// with a backslash (the separator becomes "\\\\"), and "(\\\\.+)?$" is appended. For
// A\B.TXT: A\\B\.TXT(\\.+)?$
CString PathPattern(const CString& path);

class CmdModifyProtFilters : public Command {
public:
    // Copies the list and takes the snapshot of selection.
    CmdModifyProtFilters(CSyncDataBase* database, Proxy* selection, const std::list<FilterEntry>& entries);
    ~CmdModifyProtFilters() override;

    // Returns HINT_PROTECTION when any entry had a state other than FILTER_ENTRY_TAKEN,
    // else 0. An entry whose rule is neither in the set nor held by this command is passed
    // over (a stale row changes nothing).
    std::uint32_t Do() override;
    // Do once more, then the snapshot's codes: HINT_PROTECTION when a code came back, else
    // Do's hint.
    std::uint32_t Undo() override;
    bool IsUndoable() const override { return true; }

    // After Do: the inverse of what Do applied.
    std::list<FilterEntry> entries;

private:
    ProtectionFilterEntry* FindLive(const ProtectionRule* rule) const;
    std::unique_ptr<ProtectionFilterEntry> TakeHeld(const ProtectionRule* rule);

    // The rules this command took out of the set.
    std::list<std::unique_ptr<ProtectionFilterEntry>> held_;
};

class CmdModifyProtStates : public Command {
public:
    // Reads the protection filters as filter entries, runs the operation on the marked
    // entries of selection (clearing the marks of the entries it handles) and, when that
    // changed anything, builds the inner command from the entries (new ones appended).
    CmdModifyProtStates(CSyncDataBase* database, Proxy* selection, ProtectionOperation operation);

    // The inner command's Do and Undo; 0 without one.
    std::uint32_t Do() override;
    std::uint32_t Undo() override;
    bool IsUndoable() const override { return true; }

    std::unique_ptr<CmdModifyProtFilters> inner;  // null when nothing changed
    ProtectionOperation operation;
    // The working entry of each rule of the set.
    std::map<const ProtectionRule*, FilterEntry*> ruleEntries;
    std::list<FilterEntry> newEntries;

private:
    // The working entries of the rules that match node, in the order of the protection list.
    std::vector<FilterEntry*> Matching(const FSTreeNode& node);
    // Each returns true when it changed a working entry.
    bool Remove();
    bool Activate();
    bool Exclude();
    bool Alter();
    // The indices of the marked entries of the selection, in Proxy order.
    std::vector<std::uint32_t> MarkedIndices() const;
    // Of those, the ones that are topmost: a marked entry below an earlier marked one is
    // passed over.
    std::vector<std::uint32_t> TopmostOf(const std::vector<std::uint32_t>& marked) const;
    void ClearMarks(const std::vector<std::uint32_t>& marked);

    std::list<FilterEntry> working_;  // in the order of the protection list
};
