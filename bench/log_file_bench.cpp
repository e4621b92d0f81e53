// Cost of one log entry: formatting alone, and formatting plus the file line (with the
// header rewritten after every line), without and with a wrapping size limit.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "app/file_logger.h"
#include "engine/log/log_format.h"

namespace {

void BM_FormatLogLine(benchmark::State& state) {
    ErrorInfo entry;
    entry.Set(0, 1052, static_cast<std::uint32_t>(LOG_KIND_INFORMATION), u"/home/user/profiles/photos.kem");
    for (auto _ : state) benchmark::DoNotOptimize(FormatLogLine(entry, false));
}
BENCHMARK(BM_FormatLogLine);

void BM_FileLoggerLine(benchmark::State& state) {
    const std::string path =
        (std::filesystem::temp_directory_path() / ("wk-log-bench-" + std::to_string(state.range(0)) + ".log")).string();
    std::remove(path.c_str());
    {
        CFileLogger logger;
        if (!logger.Open(CString::FromUtf8(path), false, std::uint32_t(state.range(0)), true)) {
            state.SkipWithError("cannot open the log file");
            return;
        }
        const CString text = u"/home/user/profiles/photos.kem";
        for (auto _ : state) logger.LogInfo(1052, text);
        logger.Close();
    }
    state.SetItemsProcessed(state.iterations());
    std::remove(path.c_str());
}
BENCHMARK(BM_FileLoggerLine)->Arg(0)->Arg(1 << 20);

}  // namespace

BENCHMARK_MAIN();
