// Scan speed over real directories: a first scan, a no-change rescan of a synchronised
// pair, and the same number of files in one single directory (a directory of 100,000
// files must not dominate the scan).
//   scan_bench [FILES_PER_SIDE] [WORK_DIR]     (defaults: 200000, a new directory in /tmp)
// Prints the seconds of each phase and the entries per second of the rescan.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/log/logger.h"
#include "engine/proxy.h"
#include "engine/sync_database.h"
#include "engine/watcher.h"

namespace fs = std::filesystem;

namespace {

// files empty files in dirs directories (two levels), identical on both sides.
void MakeSide(const fs::path& root, long files, long dirs) {
    fs::create_directories(root);
    for (long d = 0; d < dirs; ++d) fs::create_directories(root / ("d" + std::to_string(d / 50)) / ("e" + std::to_string(d)));
    for (long i = 0; i < files; ++i) {
        const long d = i % dirs;
        std::ofstream(root / ("d" + std::to_string(d / 50)) / ("e" + std::to_string(d)) / ("file" + std::to_string(i) + ".dat"));
    }
}

// The times of the watcher's begin and end events: the crawl of each side lies between
// a begin and the next end.
std::chrono::steady_clock::time_point g_events[8];
int g_eventCount = 0;
int OnEvent(std::uint32_t event, std::uintptr_t, std::uintptr_t) {
    if ((event == WATCHER_EVENT_BEGIN || event == WATCHER_EVENT_END) && g_eventCount < 8)
        g_events[g_eventCount++] = std::chrono::steady_clock::now();
    return 0;
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void Measure(const char* label, const fs::path& left, const fs::path& right, long entries) {
    CLogger logger;
    CSyncDataBase db(&logger);
    ErrorInfo error;
    if (db.Create(CString::FromUtf8(left.string()), CString::FromUtf8(right.string()), error) != 0) {
        std::fprintf(stderr, "cannot create the profile\n");
        std::exit(1);
    }
    Proxy proxy;
    Watcher watcher;
    auto t = std::chrono::steady_clock::now();
    db.Scan(&proxy, &watcher, false);
    const double first = Seconds(t);
    // Identical sides: the first scan proposes database updates only.
    db.Execute(proxy, watcher);
    Watcher timed;
    timed.SetCallback(&OnEvent, 0);
    g_eventCount = 0;
    t = std::chrono::steady_clock::now();
    const std::uint32_t result = db.Scan(&proxy, &timed, false);
    const double rescan = Seconds(t);
    const auto span = [](int a, int b) { return std::chrono::duration<double>(g_events[b] - g_events[a]).count(); };
    const double crawl = g_eventCount >= 4 ? span(0, 1) + span(2, 3) : 0;
    std::printf("%-28s entries %9ld  first scan %7.3f s  no-change rescan %7.3f s (crawls %.3f s; %.0f entries/s, "
                "result %u)\n",
                label, entries, first, rescan, crawl, double(entries) / rescan, result);
}

}  // namespace

int main(int argc, char** argv) {
    const long files = argc > 1 ? std::atol(argv[1]) : 200000;
    fs::path work = argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path() / ("wk-scan-bench-" + std::to_string(files));
    const long dirs = files / 100 > 0 ? files / 100 : 1;
    if (!fs::exists(work / "L")) {
        std::printf("generating %ld files in %ld directories per side under %s\n", files, dirs, work.c_str());
        MakeSide(work / "L", files, dirs);
        MakeSide(work / "R", files, dirs);
        MakeSide(work / "L1", files, 1);
        MakeSide(work / "R1", files, 1);
    }
    Measure("100 files per directory", work / "L", work / "R", 2 * (files + dirs + dirs / 50 + 1));
    Measure("all files in one directory", work / "L1", work / "R1", 2 * (files + 2));
    return 0;
}
