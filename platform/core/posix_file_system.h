#pragma once
// The real file system over POSIX (Linux). Its only state is the set of held roots: one
// instance (PosixFs()) serves every thread. Contracts of the calls are those of
// FileSystem (file_system.h); what this implementation adds:
//   - paths must be absolute; anything else (a Windows-style "C:\\..." root included)
//     fails with 3 as a missing directory does;
//   - below a held root every call starts from the root's descriptor (O_PATH, opened at
//     the first hold) and reaches the entry with openat2 RESOLVE_NO_SYMLINKS |
//     RESOLVE_BENEATH, or one component at a time with O_NOFOLLOW where the kernel has no
//     openat2 (posix_paths.h); the calls that need a directory and a name (stat, mkdir,
//     unlink, rename, chmod, utimens) open the entry's parent that way;
//   - stamps come from statx with AT_SYMLINK_NOFOLLOW; the creation time is the birth
//     time where the file system reports it, else the mtime; the size of anything but a
//     regular file is 0;
//   - a listing opens the directory with O_NOFOLLOW (a link there fails with 3) and
//     takes each entry's stamp relative to the open directory;
//   - OpenRead refuses anything but a regular file (5), so a FIFO never blocks;
//   - CopyFile uses copy_file_range while it works and falls back to read/write;
//     it does not fsync the copy (a run ends with SyncFileSystem);
//   - errno becomes a Win32 code in Win32FromErrno (win_error.h) only; EINTR is retried.
#include "platform/core/file_system.h"

namespace plat {

class PosixPaths;

class PosixFileSystem final : public FileSystem {
public:
    // How a path below a held root is resolved: openat2 where the kernel has it (found out
    // at the first call), or always one component at a time (for tests of that way).
    enum class PathWalk { Automatic, ComponentByComponent };

    explicit PosixFileSystem(PathWalk walk = PathWalk::Automatic);
    ~PosixFileSystem() override;
    PosixFileSystem(const PosixFileSystem&) = delete;
    PosixFileSystem& operator=(const PosixFileSystem&) = delete;

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
    // In locked_file.cpp beside LockedFile; polled every 10 ms while another holds it.
    std::unique_ptr<FileLock> LockDirectory(const CString& path, std::chrono::milliseconds wait) override;
    void HoldRoot(const CString& root) override;
    void ReleaseRoot(const CString& root) override;
    std::unique_ptr<DirectoryScope> EnterDirectory(const CString& path) override;
    bool ListsInParallel() const override { return true; }

    // The name reported for a statfs f_type magic number ("unknown" for one without a
    // name here).
    static CString FileSystemNameFromMagic(std::uint64_t magic);

private:
    std::unique_ptr<PosixPaths> paths_;
};

}  // namespace plat
