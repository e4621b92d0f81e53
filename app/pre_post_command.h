#pragma once
// A pre- or post-processing command of a project, as the project's preferences hold it
// and the processing run uses it. Pure values and functions; thread-safe.
#include <cstdint>

#include "platform/core/cstring.h"

struct PrePostCommand {
    bool enable = false;
    bool noWait = false;  // started without waiting for its end (its exit code is never judged)
    CString title;
    CString command;           // the command line
    CString directory;         // the working folder
    CString acceptedExitCode;  // decimal text; empty: every exit code is accepted
};

// Both flags false, every text empty.
void InitPrePostCommand(PrePostCommand& command);
// The accepted exit code read as ParseDecimalNumber reads it (wcstol rules, clamped to 32 bits).
std::int32_t GetAcceptedExitCode(const PrePostCommand& command);
// False when noWait is set or no exit code is given; otherwise whether exitCode differs
// from the accepted one, both as 32-bit values ("-1" accepts 4294967295).
bool IsBadExitCode(const PrePostCommand& command, std::uint32_t exitCode);
