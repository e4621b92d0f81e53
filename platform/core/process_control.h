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

// Makes glibc's malloc back the heap with transparent huge pages where the system allows
// them on request (glibc.malloc.hugetlb=1): a tree of a million entries takes a few
// hundred MB, and faulting that in 4 KiB pages is a noticeable share of a rescan. The
// setting is read only when a process starts, so the first call restarts the program
// (the same executable and arguments) with it added to GLIBC_TUNABLES; in the restarted
// process, or when the restart fails, it returns and nothing else changes. Call it first
// thing in main(), before any thread or open file that must not be lost.
void RestartWithHugePageHeap(char** argv);

// Seconds of a monotonic clock, for timing phases.
double MonotonicSeconds();

}  // namespace plat
