#pragma once
// CmdSwitchSides: the left and the right side of a profile exchanged. Do swaps the roots,
// the sides' detected time shifts and every record's sides (stamps, database pair, the
// side-bound codes, time-shift classes and inaccessible flags); Undo does the same again.
//
// Ownership, threads and errors: as Command (engine/command.h). The database must not be
// null.
#include <cstdint>

#include "engine/commands/command.h"

class CmdSwitchSides : public Command {
public:
    explicit CmdSwitchSides(CSyncDataBase* database) : Command(database, nullptr) { updateHint = HINT_SIDES_SWITCHED; }

    // 0 (nothing done) when the profile holds no roots; else HINT_SIDES_SWITCHED.
    std::uint32_t Do() override;
    std::uint32_t Undo() override;
    bool IsUndoable() const override { return true; }
};
