#include "platform/core/process_control.h"

#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <string>

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

void RestartWithHugePageHeap(char** argv) {
    static constexpr char kSetting[] = "glibc.malloc.hugetlb";
    const char* current = getenv("GLIBC_TUNABLES");
    std::string tunables = current ? current : "";
    if (tunables.find(kSetting) != std::string::npos) return;  // set already, or restarted
    if (!tunables.empty()) tunables += ':';
    tunables += kSetting;
    tunables += "=1";
    if (setenv("GLIBC_TUNABLES", tunables.c_str(), 1) != 0) return;
    execv("/proc/self/exe", argv);
    // No restart: go on as we are, and keep the setting away from any child.
    if (current) setenv("GLIBC_TUNABLES", current, 1);
    else unsetenv("GLIBC_TUNABLES");
}

double MonotonicSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

}  // namespace plat
