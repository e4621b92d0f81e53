#include "app/pre_post_command.h"

#include "app/preference_keys.h"

void InitPrePostCommand(PrePostCommand& command) { command = PrePostCommand(); }

std::int32_t GetAcceptedExitCode(const PrePostCommand& command) { return ParseDecimalNumber(command.acceptedExitCode); }

bool IsBadExitCode(const PrePostCommand& command, std::uint32_t exitCode) {
    if (command.noWait || command.acceptedExitCode.IsEmpty()) return false;
    return exitCode != static_cast<std::uint32_t>(GetAcceptedExitCode(command));
}
