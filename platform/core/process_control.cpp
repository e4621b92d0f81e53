#include "platform/core/process_control.h"

#include <signal.h>
#include <sys/resource.h>
#include <time.h>

namespace plat {
namespace {
void (*g_handler)() = nullptr;
extern "C" void OnSignal(int) {
    if (g_handler) g_handler();
}
}  // namespace

void OnTerminationSignal(void (*handler)()) {
    g_handler = handler;
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

std::uint64_t PeakResidentBytes() {
    rusage ru{};
    if (getrusage(RUSAGE_SELF, &ru) != 0) return 0;
    return static_cast<std::uint64_t>(ru.ru_maxrss) * 1024;  // ru_maxrss is in KiB on Linux
}

double MonotonicSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

}  // namespace plat
