#pragma once
// Process-level services for command-line tools: termination signals and resource use.
#include <cstdint>

namespace plat {

// Installs handler for SIGINT and SIGTERM. The handler runs in signal context: it may only
// do async-signal-safe work (store to a lock-free atomic, write(2)). SA_RESTART is set so
// that interrupted system calls resume.
void OnTerminationSignal(void (*handler)());

// The peak resident set size of this process so far, in bytes.
std::uint64_t PeakResidentBytes();

// Seconds of a monotonic clock, for timing phases.
double MonotonicSeconds();

}  // namespace plat
