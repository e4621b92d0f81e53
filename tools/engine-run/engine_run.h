#pragma once
// engine-run: drives the engine without windows (tests, benchmarks, checks).
//   engine-run create PROFILE LEFT RIGHT
//   engine-run scan PROFILE [options]
//   engine-run sync PROFILE [options]
//   engine-run dump PROFILE
// Options: --contents, --ambiguous=keep|best, --on-error=abort|ignore,
// --dst=keep|compensate, --set NAME=VALUE (the engine preferences by name), --stats.
// Standard output: one line per index entry, "AC<TAB>ST<TAB>PATH" (PATH escaped as
// EscapeForOutput says); log records on standard error as log-file lines.
// Exit codes: 0 finished, 1 cancelled, 2 finished with errors (an error logged during the
// scan included), 3 the profile could not be created, loaded or saved, 64 bad usage.
#include <cstdio>
#include <string>
#include <vector>

namespace engine_run {

constexpr int kExitFinished = 0;
constexpr int kExitCancelled = 1;
constexpr int kExitErrors = 2;
constexpr int kExitProfile = 3;
constexpr int kExitUsage = 64;

// Runs one command; args exclude the program name. SIGINT and SIGTERM request a cancel
// of the running scan or execution, and its confirmation is answered yes.
// endOfProcess: the caller ends the process right after (std::_Exit), so the profile's
// tree is not taken apart node by node (a million entries take a noticeable part of a
// rescan to free); every thread has been joined and every file closed before Run returns.
int Run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err, bool endOfProcess = false);

}  // namespace engine_run
