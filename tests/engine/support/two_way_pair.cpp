#include "tests/engine/support/two_way_pair.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <sstream>

#include "engine/format/binary_stream.h"
#include "engine/format/signed_stream.h"
#include "engine/log/logger.h"
#include "engine/proxy.h"
#include "platform/core/child_process.h"
#include "platform/core/win_error.h"
#include "tests/engine/support/decision_table.h"
#include "tests/engine/support/kit.h"
#include "tests/engine/support/scripted_watcher.h"
#include "tests/support/temp_dir.h"

void PrintTo(const ExecutionCounts& counts, std::ostream* os) {
    const std::pair<std::uint64_t, const char*> kinds[] = {
        {counts.copies, "copies"},   {counts.deletions, "deletions"}, {counts.directoryCreations, "directories made"},
        {counts.renames, "renames"}, {counts.timeSets, "time sets"},  {counts.modeSets, "mode sets"},
    };
    const char* separator = "";
    for (const auto& [n, kind] : kinds) {
        if (n == 0) continue;
        *os << separator << n << ' ' << kind;
        separator = ", ";
    }
    if (!*separator) *os << "nothing";
}

namespace kit::scenario {
namespace {

// The version words the profile document writes (format 3, program 8.0.0.0).
constexpr std::uint32_t kFormat = 3, kMajor = 8, kMinorBuild = 0, kRevision = 0;

std::string Win32(const char* what, const CString& path) {
    return std::string(what) + " " + Printable(Bytes(path)) + ": error " + std::to_string(GetLastError());
}

CString RootOf(const TempDir* dir, const char* name) {
    return dir ? dir->Root() + CString::FromAscii(name) + u"/" : CString(u"/") + CString::FromAscii(name) + u"/";
}

}  // namespace

const char* BackendName(Backend backend) { return backend == Backend::Posix ? "posix" : "memory"; }

std::string PlanDifference(const PlanSpec& want, const Plan& got) {
    std::map<std::string, ActionCode> wanted;
    for (const auto& [path, code] : want) wanted[Bytes(RecordPath(path))] = code;
    std::ostringstream s;
    for (const auto& [path, code] : wanted) {
        auto it = got.find(path);
        if (it == got.end())
            s << "  missing " << Printable(path) << "=" << kit::CodeName(code) << "\n";
        else if (it->second != code)
            s << "  " << Printable(path) << ": want " << kit::CodeName(code) << ", got " << kit::CodeName(it->second)
              << "\n";
    }
    for (const auto& [path, code] : got)
        if (!wanted.count(path) && code != EQUAL)
            s << "  unexpected " << Printable(path) << "=" << kit::CodeName(code) << "\n";
    return s.str();
}

std::string PrintPlan(const Plan& plan) {
    std::string out;
    for (const auto& [path, code] : plan) out += "  " + Printable(path) + "=" + kit::CodeName(code) + "\n";
    return out;
}

std::vector<ErrorInfo> SyncResult::Problems() const {
    std::vector<ErrorInfo> out;
    for (const ErrorInfo& e : log)
        if (IsErrorEntry(e) || IsWarningEntry(e)) out.push_back(e);
    return out;
}

std::string SyncResult::LogText() const {
    std::string out;
    for (const ErrorInfo& e : log) {
        out += "  (" + std::to_string(e.category) + ", " + std::to_string(e.code) + ", " + std::to_string(e.extra) +
               ") " + Printable(Bytes(e.GetText())) + "\n";
    }
    return out;
}

// --- Side ---

void Side::MakeParents(const std::string& path) {
    for (std::size_t slash = path.find('/'); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        const CString dir = Path(path.substr(0, slash));
        if (fs_.GetFileAttributes(dir) == plat::INVALID_FILE_ATTRIBUTES && !fs_.CreateDirectory(dir))
            ADD_FAILURE() << Win32("mkdir", dir);
    }
}

void Side::Write(const std::string& path, const std::string& bytes, FileTime time, std::uint32_t mode) {
    MakeParents(path);
    const CString full = Path(path);
    // A file that exists keeps its inode (as an editor that writes in place does).
    std::unique_ptr<plat::File> f = fs_.CreateFile(full, plat::CreateMode::CreateAlways, mode);
    if (!f || !f->Write(bytes.data(), bytes.size()) || !f->SetTimes(nullptr, &time, &time) || !f->Close()) {
        ADD_FAILURE() << Win32("write", full);
        return;
    }
    if (!fs_.SetPermissions(full, mode)) ADD_FAILURE() << Win32("chmod", full);
}

void Side::Touch(const std::string& path, FileTime time) {
    if (!fs_.SetFileTimes(Path(path), nullptr, &time, &time)) ADD_FAILURE() << Win32("touch", Path(path));
}

void Side::MakeDir(const std::string& path) {
    MakeParents(path);
    if (!fs_.CreateDirectory(Path(path))) ADD_FAILURE() << Win32("mkdir", Path(path));
}

void Side::Remove(const std::string& path) {
    plat::FindData fd;
    const CString full = Path(path);
    if (!fs_.GetFindData(full, fd)) {
        ADD_FAILURE() << Win32("remove (missing)", full);
        return;
    }
    const bool ok = fd.kind == plat::EntryKind::Directory ? fs_.RemoveDirectory(full) : fs_.DeleteFile(full);
    if (!ok) ADD_FAILURE() << Win32("remove", full);
}

void Side::RemoveTree(const std::string& path) {
    plat::FindData fd;
    if (fs_.GetFindData(Path(path), fd) && fd.kind == plat::EntryKind::Directory) {
        Tree below = Tree::Read(fs_, Path(path) + u"/", true);
        // Deepest first: the map is in path order, so walking it backwards removes a
        // directory's contents before the directory.
        for (auto it = below.entries.rbegin(); it != below.entries.rend(); ++it) Remove(path + "/" + it->first);
    }
    Remove(path);
}

void Side::Clear() {
    const Tree all = Read(true);
    for (auto it = all.entries.rbegin(); it != all.entries.rend(); ++it) Remove(it->first);
}

void Side::RemoveRoot() {
    Clear();
    if (!fs_.RemoveDirectory(root.Left(root.GetLength() - 1))) ADD_FAILURE() << Win32("rmdir", root);
}

void Side::ShiftAllTimes(FileTime delta) {
    ASSERT_TRUE(memory_) << "only the in-memory file system can set creation times";
    struct Saved {
        std::string path;
        plat::FindData data;
        std::string bytes;
    };
    std::vector<Saved> saved;
    const Tree all = Read(true);
    for (const auto& [path, node] : all.entries) {
        Saved s{path, {}, node.bytes};
        ASSERT_TRUE(fs_.GetFindData(Path(path), s.data));
        saved.push_back(std::move(s));
    }
    Clear();
    for (const Saved& s : saved) {
        const FileTime t = s.data.lastWriteTime + delta;
        const bool ok = s.data.kind == plat::EntryKind::Directory
                            ? memory_->AddDirectory(Path(s.path), s.data.mode, t)
                            : memory_->AddFile(Path(s.path), s.bytes, s.data.mode, t);
        ASSERT_TRUE(ok) << Printable(s.path);
    }
}

void Side::Rename(const std::string& from, const std::string& to) {
    if (!fs_.MoveFile(Path(from), Path(to), false)) ADD_FAILURE() << Win32("rename", Path(from));
}

void Side::Chmod(const std::string& path, std::uint32_t mode) {
    if (!fs_.SetPermissions(Path(path), mode)) ADD_FAILURE() << Win32("chmod", Path(path));
}

void Side::Link(const std::string& path, const std::string& target) {
    MakeParents(path);
    if (memory_) {
        if (!memory_->AddSymlink(Path(path), Text(target))) ADD_FAILURE() << "symlink " << Printable(path);
        return;
    }
    std::error_code error;
    std::filesystem::create_symlink(target, Bytes(Path(path)), error);
    if (error) ADD_FAILURE() << "symlink " << Printable(path) << ": " << error.message();
}

void Side::Fifo(const std::string& path) {
    MakeParents(path);
    if (memory_) {
        if (!memory_->AddSpecial(Path(path))) ADD_FAILURE() << "fifo " << Printable(path);
        return;
    }
    auto child = plat::ChildProcess::Start("/usr/bin/mkfifo", {Bytes(Path(path))});
    plat::ChildExit end;
    if (!child || !child->Wait(end) || !end.exited || end.code != 0) ADD_FAILURE() << "mkfifo " << Printable(path);
}

void Side::Build(const Tree& tree, FileTime time) {
    for (const auto& [path, node] : tree.entries) {
        switch (node.kind) {
            case Node::File:
                Write(path, node.bytes, time);
                break;
            case Node::Dir:
            case Node::Unlisted:
                if (fs_.GetFileAttributes(Path(path)) == plat::INVALID_FILE_ATTRIBUTES) MakeDir(path);
                break;
            case Node::Link:
                Link(path, "target");
                break;
            case Node::Special:
                Fifo(path);
                break;
        }
    }
}

// --- TwoWayPair ---

TwoWayPair::TwoWayPair(Backend b)
    : backend(b),
      dir_(b == Backend::Posix ? std::make_unique<TempDir>() : nullptr),
      memory_(b == Backend::Memory ? std::make_unique<plat::MemoryFileSystem>() : nullptr),
      faults(Base()),
      profile(dir_ ? dir_->Root() + u"profile.kem" : CString(u"/profile.kem")),
      left(Base(), RootOf(dir_.get(), "left"), memory_.get()),
      right(Base(), RootOf(dir_.get(), "right"), memory_.get()),
      outside(Base(), RootOf(dir_.get(), "outside"), memory_.get()) {
    // New entries of the in-memory file system get this fixed time, so that directory
    // stamps are the same on every run.
    if (memory_) memory_->SetTime(kT0);
    for (const CString& root : {left.root, right.root, outside.root})
        if (!Base().CreateDirectory(root.Left(root.GetLength() - 1))) ADD_FAILURE() << Win32("mkdir", root);
    CSyncDataBase db(nullptr);
    db.SetFileSystem(&faults);
    ErrorInfo error;
    if (db.Create(left.root, right.root, error) != 0)
        ADD_FAILURE() << "create failed";
    else if (!Save(db))
        ADD_FAILURE() << "the new profile was not saved";
}

TwoWayPair::~TwoWayPair() = default;

bool TwoWayPair::Load(CSyncDataBase& db, std::string* why) {
    ErrorInfo error;
    FileReader reader(faults, profile);
    if (!CheckSignature(reader, &error)) {
        if (why)
            *why =
                "signature check failed: (" + std::to_string(error.category) + ", " + std::to_string(error.code) + ")";
        return false;
    }
    if (!db.Load(reader, nullptr, nullptr, nullptr, nullptr, error)) {
        if (why) *why = "load failed: (" + std::to_string(error.category) + ", " + std::to_string(error.code) + ")";
        return false;
    }
    return true;
}

bool TwoWayPair::Save(CSyncDataBase& db) {
    ErrorInfo error;
    SignedOFStream stream(faults);
    if (!stream.open(profile)) return false;
    if (!db.Save(stream, kFormat, kMajor, kMinorBuild, kRevision, error)) return false;
    return stream.close();
}

bool TwoWayPair::ProfileLoads(std::string* why) {
    CSyncDataBase db(nullptr);
    db.SetFileSystem(&faults);
    return Load(db, why);
}

void TwoWayPair::EditProfile(const std::function<void(CSyncDataBase&)>& edit) {
    CLogger logger;
    CSyncDataBase db(&logger);
    db.SetFileSystem(&faults);
    std::string why;
    ASSERT_TRUE(Load(db, &why)) << why;
    edit(db);
    ASSERT_TRUE(Save(db));
}

namespace {

void Collect(const Proxy& proxy, Plan& plan) {
    plan.clear();
    for (const ProxyEntry& e : proxy.Entries()) plan[Bytes(e.node->record.GetPath())] = e.node->record.AC;
}

}  // namespace

SyncResult TwoWayPair::Sync(const SyncOptions& options) { return Run(options, true); }

SyncResult TwoWayPair::Scan(const SyncOptions& options) { return Run(options, false); }

SyncResult TwoWayPair::Run(const SyncOptions& options, bool execute) {
    SyncResult result;
    CLogger logger;
    kit::LogCollector log;
    logger.AddView(&log);
    {
        CSyncDataBase db(&logger);
        db.SetFileSystem(&faults);
        db.SetPreferences(&settings);
        Proxy proxy;
        ScriptedWatcher watcher;
        for (int a : options.answers) watcher.answers.push_back(a);
        // Enough ignore answers for any plan of a test; abort is the default otherwise.
        if (options.ignoreErrors) watcher.answers.insert(watcher.answers.end(), 100000, WATCHER_ANSWER_IGNORE);

        result.loaded = Load(db, nullptr);
        if (result.loaded) result.scan = db.Scan(&proxy, &watcher.watcher, options.contents);
        if (result.loaded && result.scan == 0) {
            if (options.compensateDst && db.IsDstShiftDetected()) {
                db.CompensateDstShift();
                proxy.Build(db, &db.leftRoot, &db.rightRoot, &db.blobStore);
            }
            Collect(proxy, result.plan);
            if (options.best) {
                bool ambiguous = false;
                for (const ProxyEntry& e : proxy.Entries()) ambiguous |= e.node->record.AC == AMBIGUOUS;
                if (ambiguous) {
                    proxy.MarkAll(true);
                    db.BestChoice(proxy, /*keepUnrecorded=*/true);
                }
            }
            Collect(proxy, result.executedPlan);
        }
        if (execute && result.loaded && result.scan == 0) {
            if (options.beforeExecute) options.beforeExecute(watcher);
            result.run = db.Execute(proxy, watcher.watcher, &result.counts);
            result.executed = true;
            if (options.afterExecute) options.afterExecute();
            result.saved = Save(db);
            for (const ProxyEntry& e : proxy.Entries())
                result.status[Bytes(e.node->record.GetPath())] = e.node->record.ST;
        }
    }
    logger.RemoveView(&log);
    result.log = log.entries;
    return result;
}

void TwoWayPair::Start(const Tree& initial) {
    left.Build(initial, T(0));
    const SyncResult first = Sync({.best = true});
    ASSERT_TRUE(first.executed) << "the first synchronisation did not run:\n" << first.LogText();
    ASSERT_EQ(first.run, RUN_FINISHED) << first.LogText();
    ASSERT_TRUE(first.saved);
    ASSERT_EQ(left.Read(), initial);
    ASSERT_EQ(right.Read(), initial);
}

}  // namespace kit::scenario
