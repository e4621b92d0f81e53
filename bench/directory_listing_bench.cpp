// Listing speed of the file systems: a scan lists every directory of both trees once,
// so entries per second bound the scan of a large tree.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "platform/core/testing/memory_file_system.h"
#include "platform/core/posix_file_system.h"

namespace {

constexpr int kEntries = 10000;

// A real directory of kEntries small files, made once and removed at exit.
class RealDirectory {
public:
    RealDirectory() {
        dir_ = std::filesystem::temp_directory_path() / ("wk-list-bench-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(dir_);
        for (int i = 0; i < kEntries; ++i) std::ofstream(dir_ / ("file-" + std::to_string(i) + ".dat")) << i;
        path_ = CString::FromUtf8(dir_.native());
    }
    ~RealDirectory() { std::filesystem::remove_all(dir_); }
    const CString& path() const { return path_; }

private:
    std::filesystem::path dir_;
    CString path_;
};

void ListAll(benchmark::State& state, plat::FileSystem& fs, const CString& dir) {
    std::int64_t entries = 0;
    for (auto _ : state) {
        auto lister = fs.ListDirectory(dir);
        plat::FindData fd;
        while (lister->Next(fd)) ++entries;
        benchmark::DoNotOptimize(fd.lastWriteTime);
    }
    state.SetItemsProcessed(entries);
}

void BM_PosixListing(benchmark::State& state) {
    static RealDirectory dir;
    ListAll(state, plat::PosixFs(), dir.path());
}
BENCHMARK(BM_PosixListing)->Unit(benchmark::kMillisecond);

void BM_MemoryListing(benchmark::State& state) {
    static plat::MemoryFileSystem fs;
    static const bool made = [] {
        for (int i = 0; i < kEntries; ++i) fs.AddFile(CString::Format(u"/dir/file-%i.dat", i), "x");
        return true;
    }();
    benchmark::DoNotOptimize(made);
    ListAll(state, fs, u"/dir");
}
BENCHMARK(BM_MemoryListing)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
