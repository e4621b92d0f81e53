#pragma once
// A complete file-system tree in memory, for fast and deterministic tests: regular files
// with their bytes, directories, symbolic links and special files, each with permission
// bits and the three times.
//
// It behaves as the POSIX implementation does for a non-root user who owns every entry,
// with the same Win32 codes (the same errno-to-Win32 table decides them):
//   - paths are absolute ('/' between components); intermediate links are followed as
//     the kernel does, the last component never (ResolvePath and GetVolumeInformation
//     excepted); below a held root no link is followed in any component (ELOOP, 3);
//   - permissions are enforced on the owner bits: a listing needs r and x on the
//     directory, walking through a directory needs x, creating, removing or renaming an
//     entry needs w and x on its directory (moving a directory to another parent also w
//     on the directory itself), opening for reading needs r, for writing w; the umask is
//     022;
//   - a listing is a snapshot taken when it starts: "." and ".." first, then the entries
//     in ascending code-unit order of their names;
//   - an open file keeps its contents after the entry is deleted, as an inode does;
//     writing to a special file discards the bytes;
//   - times come from the clock (SetTime), the system clock by default.
//
// Threads: every call, File objects included, takes the one mutex of the file system,
// so any number of threads may use it. File and DirectoryLister objects must not
// outlive the MemoryFileSystem that made them.
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>
#include "platform/core/file_system.h"
#include "platform/core/held_roots.h"

namespace plat {

class MemoryFileSystem final : public FileSystem {
public:
    struct Node;

    // An empty tree: the root directory "/" (mode 0755), named "ext4" to
    // GetVolumeInformation.
    MemoryFileSystem();
    ~MemoryFileSystem() override;
    MemoryFileSystem(const MemoryFileSystem&) = delete;
    MemoryFileSystem& operator=(const MemoryFileSystem&) = delete;

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

    // Relative paths are taken relative to "/".
    bool GetFullPathName(const CString& path, CString& out) override;
    bool ResolvePath(const CString& path, CString& out) override;
    bool GetVolumeInformation(const CString& path, CString& fileSystemName) override;
    bool SyncFileSystem(const CString& path) override;
    bool SyncDirectory(const CString& path) override;
    // Locks of this file system (one process): a locked directory is kept in a set while
    // its lock lives; a second lock waits for it as long as asked. A lock must not outlive
    // the file system.
    std::unique_ptr<FileLock> LockDirectory(const CString& path, std::chrono::milliseconds wait) override;
    // A held root's directory node is taken at the first hold, as the POSIX file system
    // opens the root's descriptor then.
    void HoldRoot(const CString& root) override;
    void ReleaseRoot(const CString& root) override;
    // Nothing is kept: every call below a held root starts from the root's node anyway.
    std::unique_ptr<DirectoryScope> EnterDirectory(const CString& path) override;

    // --- Building and inspecting trees (tests). These ignore permissions, create missing
    // parent directories (0755) and fail (false, nothing changed) when the path exists
    // or a parent is not a directory. A time of 0 means "now" by the clock.
    bool AddFile(const CString& path, std::string_view bytes, std::uint32_t mode = 0644, FileTime lastWrite = 0);
    bool AddDirectory(const CString& path, std::uint32_t mode = 0755, FileTime lastWrite = 0);
    bool AddSymlink(const CString& path, const CString& target);
    bool AddSpecial(const CString& path, std::uint32_t mode = 0644);
    // The bytes of the regular file at path; nullopt for anything else or a missing path.
    std::optional<std::string> ReadAll(const CString& path) const;
    // Whether an entry of any kind is at path (a link is not followed).
    bool Exists(const CString& path) const;
    // Sets the permission bits of any entry, a link included, without the rules above.
    bool SetMode(const CString& path, std::uint32_t mode);
    // One line per entry below path, in tree order: "d 0755 /a", "f 0644 5 /a/x",
    // "l /a/link -> target", "s 0644 /a/fifo"; for messages of failing tests.
    std::string Dump(const CString& path = u"/") const;

    // The name GetVolumeInformation gives for every path (e.g. "FAT" to make a side look
    // like a FAT volume).
    void SetFileSystemName(const CString& name);
    // Fixes the clock that stamps new entries and writes; 0 returns to the system clock.
    void SetTime(FileTime now);
    FileTime Now() const;
    // Permission checks on (default) or off.
    void SetEnforcePermissions(bool enforce);

private:
    struct Walk;
    class MemFile;
    class MemLister;
    class MemLock;
    // A held root: its path (with '/') and its directory, null while it was none.
    struct HeldRoot {
        CString path;
        std::shared_ptr<Node> node;
    };

    FileTime NowLocked() const;
    // heldRoots false: the plain walk whatever roots are held (the test helpers).
    int Resolve(std::u16string_view path, bool followLast, Walk& w, bool checkPermissions = true,
                bool heldRoots = true) const;
    // The node of a held root (taken now if it had none) and the directories down to it;
    // an errno when it is no directory.
    int HeldRootNode(HeldRoot& held, std::shared_ptr<Node>& node, std::vector<std::shared_ptr<Node>>& chain) const;
    bool Allowed(const Node& n, std::uint32_t bits) const;
    std::shared_ptr<Node> NewNode(int kind, std::uint32_t mode, FileTime t);
    bool AddEntry(const CString& path, std::shared_ptr<Node> node);
    void FillFindData(const Node& n, std::u16string_view name, FindData& out) const;
    std::unique_ptr<File> CreateLocked(const CString& path, bool exclusive, std::uint32_t permissions);

    mutable std::mutex mutex_;
    std::shared_ptr<Node> root_;
    CString fileSystemName_ = u"ext4";
    FileTime clock_ = 0;
    bool enforce_ = true;
    std::uint64_t nextInode_ = 1;
    std::uint64_t nextTemporary_ = 0;
    std::set<const Node*> locked_;
    HeldRoots<HeldRoot> roots_;
};

}  // namespace plat
