#pragma once
// A FileSystem that forwards every call to another one and fails the calls a test
// chooses, with the Win32 code the test chooses, so engine tests can see every failure
// (access denied as root, a full disk, a listing that breaks off) without a real device.
//
//   FailOn        a chosen call on a path (exact, or every path that starts with it),
//                 once or always;
//   FailNthCall   the Nth call of any kind from now on (a sweep fails each call of a run
//                 in turn: run once with CallCount(), then once per call);
//   FailWriteAfter a write that would take a file on a path beyond N bytes (112 by
//                 default), as a full disk does: the bytes up to N are written;
//   FailListingAfter a listing's Next after K entries ("." and ".." count);
//   SetCallHook   a function called before every call, which may change the wrapped
//                 file system between two calls (a source that grows while it is copied).
// A failing call does nothing and returns false (or null) with the code as the thread's
// last error. File calls are matched against the path the file was opened with; for a
// temporary file also against the target it was made beside.
// CopyFile runs the shared copy algorithm through this wrapper, so each step of a copy
// (open, temporary, read, write, times, close, rename) can be failed on its own.
//
// Ownership: the wrapped file system is not owned and must outlive this one; files and
// listings made here hold on to the wrapped ones.
// Threads: rules and counters sit behind one mutex; the wrapper is as thread-safe as
// the wrapped file system.
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>
#include "platform/core/file_system.h"

namespace plat {

// Every call of FileSystem, File and DirectoryLister.
enum class FsOp : std::uint8_t {
    ListDirectory,
    ListNext,
    GetFindData,
    GetFileAttributes,
    SetFileAttributes,
    SetFileTimes,
    SetPermissions,
    CreateDirectory,
    CreateDirectoryFromTemplate,
    RemoveDirectory,
    DeleteFile,
    MoveFile,  // matched against both paths
    OpenRead,
    CreateFile,
    CreateTemporaryBeside,  // matched against the target
    CopyFile,               // matched against both paths
    GetFullPathName,
    ResolvePath,
    GetVolumeInformation,
    SyncFileSystem,
    SyncDirectory,
    LockDirectory,
    FileRead,
    FileWrite,
    FileSeek,
    FileGetSize,
    FileGetFindData,
    FileSetTimes,
    FileSetMode,
    FileFlush,
    FileClose,
    Count  // the number of calls above; not a call
};

enum class PathMatch { Exact, Prefix };
enum class Repeat { Once, Always };

class FaultFileSystem final : public FileSystem {
public:
    explicit FaultFileSystem(FileSystem& inner);

    void FailOn(FsOp op, const CString& path, std::uint32_t code, PathMatch match = PathMatch::Exact,
                Repeat repeat = Repeat::Once);
    // n counts from 1 over every call made after this one.
    void FailNthCall(std::uint64_t n, std::uint32_t code);
    void FailWriteAfter(const CString& path, std::uint64_t bytes, std::uint32_t code = 112,
                        PathMatch match = PathMatch::Exact);
    void FailListingAfter(const CString& path, std::uint64_t entries, std::uint32_t code,
                          PathMatch match = PathMatch::Exact);
    // Removes every rule (the counters keep running).
    void ClearFaults();
    // Called before every call (FsOp, the path it is matched against) outside the
    // wrapper's lock, before the call is counted or failed. The hook must not call this
    // wrapper (it may call the wrapped file system). An empty function removes it;
    // ClearFaults keeps it.
    using CallHook = std::function<void(FsOp op, const CString& path)>;
    void SetCallHook(CallHook hook);

    // Calls made so far, of every kind or of one kind.
    std::uint64_t CallCount() const;
    std::uint64_t CallCount(FsOp op) const;
    // Calls that failed by a rule of this wrapper.
    std::uint64_t InjectedCount() const;

    std::unique_ptr<DirectoryLister> ListDirectory(const CString& path) override;
    bool GetFindData(const CString& path, FindData& out) override;
    std::uint32_t GetFileAttributes(const CString& path) override;
    bool SetFileAttributes(const CString& path, std::uint32_t attributes) override;
    bool SetFileTimes(const CString& path, const FileTime* creation, const FileTime* lastAccess,
                      const FileTime* lastWrite) override;
    bool SetPermissions(const CString& path, std::uint32_t mode) override;

    bool CreateDirectory(const CString& path) override;
    bool CreateDirectoryFromTemplate(const CString& path, const CString& templatePath) override;
    bool RemoveDirectory(const CString& path) override;
    bool DeleteFile(const CString& path) override;
    bool MoveFile(const CString& from, const CString& to, bool replaceExisting) override;

    std::unique_ptr<File> OpenRead(const CString& path) override;
    std::unique_ptr<File> CreateFile(const CString& path, CreateMode mode, std::uint32_t permissions) override;
    std::unique_ptr<File> CreateTemporaryBeside(const CString& target, CString& tempPath,
                                                std::u16string_view stem = {}) override;
    bool CopyFile(const CString& source, const CString& target, const CopyProgress& progress,
                  const CopyOptions& options) override;

    bool GetFullPathName(const CString& path, CString& out) override;
    bool ResolvePath(const CString& path, CString& out) override;
    bool GetVolumeInformation(const CString& path, CString& fileSystemName) override;
    bool SyncFileSystem(const CString& path) override;
    bool SyncDirectory(const CString& path) override;
    std::unique_ptr<FileLock> LockDirectory(const CString& path, std::chrono::milliseconds wait) override;
    // Roots are held by the wrapped file system, which resolves every path; holding is
    // no call of its own (never counted, hooked or failed).
    void HoldRoot(const CString& root) override;
    void ReleaseRoot(const CString& root) override;
    // Kept by the wrapped file system as well (no call of its own either).
    std::unique_ptr<DirectoryScope> EnterDirectory(const CString& path) override;

private:
    class FaultFile;
    class FaultLister;
    struct Rule {
        FsOp op;
        CString path;
        PathMatch match;
        Repeat repeat;
        std::uint32_t code;
        std::uint64_t limit;  // FileWrite: bytes allowed; ListNext: entries allowed
        bool limited;
    };

    // Counts the call and decides whether it fails (false, last error set). For a
    // limited rule, allowed gets what may still go through (bytes or entries).
    bool Admit(FsOp op, const CString& path, const CString& alsoPath = CString());
    bool Matches(const Rule& r, FsOp op, const CString& path, const CString& alsoPath) const;
    // The limit of a FileWrite or ListNext rule for a path, or false when none applies.
    bool LimitFor(FsOp op, const CString& path, const CString& alsoPath, std::uint64_t& limit,
                  std::uint32_t& code) const;

    FileSystem& inner_;
    mutable std::mutex mutex_;
    std::vector<Rule> rules_;
    std::uint64_t calls_ = 0;
    std::uint64_t callsByOp_[static_cast<int>(FsOp::Count)] = {};
    std::uint64_t failAtCall_ = 0;
    std::uint32_t failAtCallCode_ = 0;
    std::uint64_t injected_ = 0;
    std::shared_ptr<const CallHook> hook_;  // null when none
};

}  // namespace plat
