#pragma once
// The commands that edit action codes of the marked entries of a Proxy. Each takes its
// snapshot when it is built, so the marks and codes at that moment are what Do acts on and
// what Undo returns to. Do returns HINT_ACTION_CODES when the plan changed (some entry's
// code differs from its snapshot), else 0; after a change the protection is enforced
// again over the whole tree (protected entries back to SKIP). Undo gives every entry its
// code from the snapshot back (marks are not restored) and returns HINT_ACTION_CODES.
//
// Ownership, threads and errors: as Command (engine/command.h). The database and the
// Proxy must not be null.
#include <cstdint>

#include "engine/commands/command.h"
#include "engine/tree/action_codes.h"

class CmdActionCode : public Command {
public:
    // Takes the snapshot of selection at once.
    CmdActionCode(CSyncDataBase* database, Proxy* selection, std::uint32_t parameter = 0);
    std::uint32_t Undo() override;
    bool IsUndoable() const override { return true; }

    // An action code or a dominated side.
    std::uint32_t parameter;

protected:
    // The common end of Do: the marks of all entries cleared; when anything changed, the
    // protection enforced, executed set and the result is the update hint by the snapshot.
    std::uint32_t Finish(bool anyChanged);
};

// Each marked entry whose allowed actions contain the code takes it, with propagation.
class CmdChangeActionCode : public CmdActionCode {
public:
    CmdChangeActionCode(CSyncDataBase* database, Proxy* selection, ActionCode code)
        : CmdActionCode(database, selection, code) {}
    std::uint32_t Do() override;
};

// Each marked entry takes its best-choice code (BC), with propagation.
class CmdBestChoice : public CmdActionCode {
public:
    // keepUnrecorded: the unattended form, which leaves every marked entry alone whose
    // best choice could lose an entry that is in no database (BestChoiceLosesUnrecorded:
    // nobody is there to be asked, and such a file exists nowhere else).
    CmdBestChoice(CSyncDataBase* database, Proxy* selection, bool keepUnrecorded = false)
        : CmdActionCode(database, selection), keepUnrecorded_(keepUnrecorded) {}
    std::uint32_t Do() override;

private:
    bool keepUnrecorded_;
};

// The dominated side of the menu commands: the left side (8) or the right side (9).
constexpr std::uint32_t DOMINATE_LEFT = CP_M;
constexpr std::uint32_t DOMINATE_RIGHT = CP_S;

// One side dominates the marked entries: with DOMINATE_LEFT an entry becomes CP_M when
// its left side exists, else DEL_S; with DOMINATE_RIGHT CP_S when its right side exists,
// else DEL_M; with propagation. Any other parameter changes nothing.
class CmdChangeDominate : public CmdActionCode {
public:
    CmdChangeDominate(CSyncDataBase* database, Proxy* selection, std::uint32_t side)
        : CmdActionCode(database, selection, side) {}
    std::uint32_t Do() override;
};

// Everything but the marked entries is skipped: every unmarked entry becomes SKIP with
// propagation, then each marked entry that had a code to carry out (not INVALID, EQUAL,
// AMBIGUOUS, SKIP or UPDATE_D) and was changed by that gets its code back.
class CmdSkipInverse : public CmdActionCode {
public:
    CmdSkipInverse(CSyncDataBase* database, Proxy* selection) : CmdActionCode(database, selection) {}
    std::uint32_t Do() override;
};
