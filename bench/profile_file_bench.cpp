// Save and load time of a profile with 1,000,000 database entries (1,000 directories of
// 1,000 files, every entry in the database with two stamps): Save into memory, Save
// through the signed stream to a real file (temporary file, digest, fsync, rename), the
// signature check of that file, and Load from it. Target: save and load under 2 s each.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "engine/error_info.h"
#include "engine/format/binary_stream.h"
#include "engine/format/signed_stream.h"
#include "engine/sync_database.h"

namespace {

constexpr int kDirectories = 1000;
constexpr int kFilesPerDirectory = 1000;

FileStamp Stamp(const CString& name, std::uint32_t attributes, FileTime t, std::uint64_t size) {
    FileStamp s;
    s.attributes = attributes;
    s.creationTime = t;
    s.lastAccessTime = t + 5;
    s.lastWriteTime = t + 10;
    s.SetSize(size);
    s.SetName(name);
    return s;
}

CSyncDataBase& Database() {
    static std::unique_ptr<CSyncDataBase> db = [] {
        auto d = std::make_unique<CSyncDataBase>(nullptr);
        d->leftRoot = u"/home/user/photos/";
        d->rightRoot = u"/media/backup/photos/";
        const FileTime base = 133000000000000000ULL;
        for (int i = 0; i < kDirectories; ++i) {
            const CString dirName = CString::Format(u"Album %04i", i);
            FSTreeNode* dir = FSTree::FindOrInsertChild(d->GetRoot(), dirName);
            const FileStamp ds = Stamp(dirName, 0x10, base + i, 0);
            dir->record.SetDatabaseStamps(ds, ds);
            for (int j = 0; j < kFilesPerDirectory; ++j) {
                const CString name = CString::Format(u"IMG_%06i.jpg", i * kFilesPerDirectory + j);
                FSTreeNode* file = FSTree::FindOrInsertChild(dir, name);
                const FileStamp fs = Stamp(name, 0x20, base + j * 1000, 2000000 + j);
                file->record.SetDatabaseStamps(fs, fs);
            }
        }
        d->protectionFilters.AddRule(u"*.TMP", ProtectionRule::ACTIVE);
        d->blobStore.Set(1, "preferences", 11);
        return d;
    }();
    return *db;
}

CString ProfilePath() {
    static const std::string path = (std::filesystem::temp_directory_path() / "wk-profile-bench.kem").string();
    return CString::FromUtf8(path);
}

void BM_SaveToMemory(benchmark::State& state) {
    CSyncDataBase& db = Database();
    std::size_t bytes = 0;
    for (auto _ : state) {
        MemoryWriter w;
        ErrorInfo err;
        if (!db.Save(w, 3, 0, 0, 0, err)) state.SkipWithError("save failed");
        bytes = w.Bytes().size();
    }
    state.counters["MB"] = double(bytes) / 1e6;
}
BENCHMARK(BM_SaveToMemory)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SaveSignedFile(benchmark::State& state) {
    CSyncDataBase& db = Database();
    for (auto _ : state) {
        SignedOFStream out(plat::PosixFs(), ProfilePath());
        ErrorInfo err;
        if (!db.Save(out, 3, 0, 0, 0, err) || !out.close()) state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_SaveSignedFile)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CheckSignature(benchmark::State& state) {
    for (auto _ : state) {
        FileReader in(plat::PosixFs(), ProfilePath());
        ErrorInfo err;
        if (!CheckSignature(in, &err)) state.SkipWithError("signature check failed (run the save first)");
    }
}
BENCHMARK(BM_CheckSignature)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_LoadFile(benchmark::State& state) {
    std::size_t entries = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto db = std::make_unique<CSyncDataBase>(nullptr);
        FileReader in(plat::PosixFs(), ProfilePath());
        state.ResumeTiming();
        ErrorInfo err;
        if (!db->Load(in, nullptr, nullptr, nullptr, nullptr, err)) state.SkipWithError("load failed");
        state.PauseTiming();
        entries = 0;
        for (FSTreeNode* n : FSTree::Subtree(db->GetRoot())) entries += n->record.IsInDatabase() ? 1 : 0;
        db.reset();
        state.ResumeTiming();
    }
    state.counters["entries"] = double(entries);
}
BENCHMARK(BM_LoadFile)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove(ProfilePath().ToUtf8());
    return 0;
}
