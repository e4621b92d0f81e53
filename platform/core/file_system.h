#pragma once
// The file-system interface the engine works through. Three implementations:
//   PosixFileSystem   the real one (posix_file_system.h),
//   MemoryFileSystem  in memory, permissions enforced, for fast deterministic tests,
//   FaultFileSystem   a wrapper that fails a chosen call on a chosen path, the Nth call,
//                     or a write after N bytes (testing/fault_file_system.h; both in the test-support library).
//
// Paths are the system's UTF-16 strings; a component's bytes on disk are the lossless
// UTF-8 conversion of CString, so every name round-trips exactly. Paths given here are
// absolute and use '/' between components; any other path (a Windows-style "C:\\..."
// root included) fails with 3 as a missing directory does, an embedded NUL with 123.
// Only GetFullPathName takes a relative path.
//
// Error contract: every call returns false (or null) on failure and sets the calling
// thread's last error to a Win32 code (win_error.h); on success the last error is not
// meaningful. Nothing throws.
//
// No call follows a symbolic link in the last component (statx with
// AT_SYMLINK_NOFOLLOW, O_NOFOLLOW, unlink/rename never through a link). Below a held
// root (HoldRoot) no component is followed either: a directory of the tree that was
// replaced by a link since the scan is never written through, read through or listed
// through; such a path fails with 3 (ELOOP and ENOTDIR of the errno table), as does one
// with a ".." component below the root. Elsewhere, links in the directory part are
// resolved as the kernel does. Removing a directory removes only an empty one; nothing
// here deletes recursively.
//
// Threads: the implementations may be used from several threads at once; one File
// object is used by one thread at a time.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include "platform/core/cstring.h"
#include "platform/core/win_time.h"

namespace plat {

constexpr std::uint32_t FILE_ATTRIBUTE_READONLY = 0x01;
constexpr std::uint32_t FILE_ATTRIBUTE_HIDDEN = 0x02;
constexpr std::uint32_t FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr std::uint32_t FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr std::uint32_t FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr std::uint32_t INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;

enum class EntryKind : std::uint8_t { File, Directory, Symlink, Special };

// One directory entry, the fields of a directory-listing record in their order, plus
// what the port needs beside them (kind, permission bits, identity).
//   attributes: DIRECTORY for a directory; READONLY for a file whose owner has no write
//   permission; HIDDEN for a name beginning with '.'; NORMAL when no other bit is set.
//   creationTime is the birth time where the file system reports it, else mtime.
struct FindData {
    std::uint32_t attributes = 0;
    FileTime creationTime = 0;
    FileTime lastAccessTime = 0;
    FileTime lastWriteTime = 0;
    std::uint32_t sizeHigh = 0;
    std::uint32_t sizeLow = 0;
    std::uint32_t reserved0 = 0;
    std::uint32_t reserved1 = 0;
    CString name;        // the entry's own name (last component)
    CString shortName;   // always empty on Linux

    // lastAccessTime and lastWriteTime as the file system holds them: to the nanosecond,
    // and beyond FILETIME's range, where the two fields above saturate. What a copy gives
    // its target, so that the copy keeps exactly the source's times.
    UnixTime lastAccessUnix;
    UnixTime lastWriteUnix;

    EntryKind kind = EntryKind::File;
    std::uint32_t mode = 0;      // permission bits (07777)
    std::uint64_t device = 0;
    std::uint64_t inode = 0;

    std::uint64_t Size() const { return (std::uint64_t(sizeHigh) << 32) | sizeLow; }
    void SetSize(std::uint64_t s) { sizeHigh = std::uint32_t(s >> 32); sizeLow = std::uint32_t(s); }
    bool IsDirectory() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
};

// The attributes of an entry as every implementation reports them (see FindData).
std::uint32_t StampAttributes(EntryKind kind, std::uint32_t mode, std::u16string_view name);

// Lists one directory entry by entry. The first two entries are "." and ".." (as the
// crawl expects and skips), then the real entries in the order the file system gives.
class DirectoryLister {
public:
    virtual ~DirectoryLister() = default;
    // Fills the next entry; false at the end (last error 18, ERROR_NO_MORE_FILES) or on
    // a failure (another code).
    virtual bool Next(FindData& out) = 0;
};

// An open file. Close reports the error a delayed write may give; the destructor
// closes silently when Close was not called.
class File {
public:
    virtual ~File() = default;
    // Reads up to n bytes; got = 0 at the end of the file.
    virtual bool Read(void* buffer, std::size_t n, std::size_t& got) = 0;
    // Writes all n bytes or fails.
    virtual bool Write(const void* buffer, std::size_t n) = 0;
    virtual bool Seek(std::uint64_t offset) = 0;
    virtual bool GetSize(std::uint64_t& size) = 0;
    // The stamp of the open file itself (fstat): kind, mode, size, times, identity; the
    // name is left empty.
    virtual bool GetFindData(FindData& out) = 0;
    // Null pointers leave that time as it is; the creation time cannot be set on Linux
    // and is skipped without error. The FILETIME form converts (FileTimeToUnix) and calls
    // SetUnixTimes, which sets the times exactly as given.
    bool SetTimes(const FileTime* creation, const FileTime* lastAccess, const FileTime* lastWrite);
    virtual bool SetUnixTimes(const UnixTime* lastAccess, const UnixTime* lastWrite) = 0;
    virtual bool SetMode(std::uint32_t mode) = 0;
    virtual bool Flush() = 0;   // fsync
    virtual bool Close() = 0;
};

enum class CreateMode {
    CreateNew,     // fails with 80 when the path exists
    CreateAlways,  // truncates an existing file
};

// Progress of a copy: called after every chunk with the bytes written so far and the
// source size. Returning false cancels the copy (it then fails with 1235).
using CopyProgress = std::function<bool(std::uint64_t done, std::uint64_t total)>;

struct CopyOptions {
    // Use the kernel's copy (copy_file_range) where it works; false: the read/write
    // loop with bufferSize bytes.
    bool kernelCopy = true;
    std::size_t bufferSize = 262144;
    // false: the final rename refuses an existing target (183) instead of replacing it.
    bool replaceExisting = true;
    // false: the copy keeps kTemporaryMode, for a caller that renames it once more and
    // gives it the source's permission bits itself.
    bool setMode = true;
    // Called when the temporary file is complete and closed, just before the rename;
    // returning false fails the copy with the last error it set (the temporary file is
    // removed, the target left as it is). Lets a caller check the disk at the last moment.
    std::function<bool()> beforeRename;
};

// An exclusive advisory lock on a file, held for as long as the object lives.
class FileLock {
public:
    virtual ~FileLock() = default;
};

// A directory reached once for the few calls of one copy (FileSystem::EnterDirectory);
// kept until the object goes.
class DirectoryScope {
public:
    virtual ~DirectoryScope() = default;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Null on failure: a missing directory, a file or a link at path give 3 (the
    // directory is a directory part of its listing), no read or search permission 5.
    virtual std::unique_ptr<DirectoryLister> ListDirectory(const CString& path) = 0;
    // The entry at path itself (a symbolic link is reported as a link, never followed).
    virtual bool GetFindData(const CString& path, FindData& out) = 0;
    // INVALID_FILE_ATTRIBUTES on failure.
    virtual std::uint32_t GetFileAttributes(const CString& path) = 0;
    // Only READONLY has an effect (clears or gives the owner write permission);
    // HIDDEN, ARCHIVE and NORMAL change nothing. Never on a symbolic link.
    virtual bool SetFileAttributes(const CString& path, std::uint32_t attributes) = 0;
    virtual bool SetFileTimes(const CString& path, const FileTime* creation, const FileTime* lastAccess,
                              const FileTime* lastWrite) = 0;
    virtual bool SetPermissions(const CString& path, std::uint32_t mode) = 0;

    // mkdir with mode 0777 & ~umask, plus owner write and search.
    virtual bool CreateDirectory(const CString& path) = 0;
    // mkdir with exactly the template's permission bits (no umask) plus owner write and
    // search; the template is looked at without following a link.
    virtual bool CreateDirectoryFromTemplate(const CString& path, const CString& templatePath) = 0;
    // Removes an empty directory only; a non-empty one gives 145.
    virtual bool RemoveDirectory(const CString& path) = 0;
    // Removes a file (or a symbolic link or special file itself); a directory gives 5.
    virtual bool DeleteFile(const CString& path) = 0;
    // rename(2). Without replaceExisting an existing target gives 183.
    virtual bool MoveFile(const CString& from, const CString& to, bool replaceExisting) = 0;

    // Only a regular file is opened (a directory, device or FIFO gives 5, a link 3).
    virtual std::unique_ptr<File> OpenRead(const CString& path) = 0;
    // Opens for writing; a new file gets permissions & ~umask. A link at path is never
    // written through (3); CreateNew on an existing entry gives 80.
    virtual std::unique_ptr<File> CreateFile(const CString& path, CreateMode mode, std::uint32_t permissions) = 0;
    // Creates a new file exclusively (kTemporaryMode) beside target, in target's directory,
    // named stem and a fresh RandomTemporaryName (the copies' temporaries have no stem);
    // its path goes to tempPath.
    virtual std::unique_ptr<File> CreateTemporaryBeside(const CString& target, CString& tempPath,
                                                        std::u16string_view stem = {}) = 0;

    // Copies source over target through a temporary file beside the target: contents,
    // then the source's times on the temporary file, then a rename over the target, then
    // the source's permission bits on the target (a temporary file keeps kTemporaryMode as
    // long as it has its temporary name, so that whatever a copy cut short leaves is known
    // for a leftover). A failure or a cancel removes the temporary file and leaves an
    // existing target exactly as it was, except a failure of the last step, which leaves
    // the complete copy in place with kTemporaryMode. A symbolic link at source or target is never
    // followed (a link at source fails with 1921; a link at target is replaced). A
    // directory or special file at source, or a directory at target, gives 5. The copy
    // is not flushed to disk (an execution ends with SyncFileSystem).
    virtual bool CopyFile(const CString& source, const CString& target, const CopyProgress& progress,
                          const CopyOptions& options) = 0;

    // Absolute, lexically normalised path ("." and ".." resolved, no link resolution).
    virtual bool GetFullPathName(const CString& path, CString& out) = 0;
    // The path with every symbolic link resolved (realpath, no trailing '/'); used once
    // for a root.
    virtual bool ResolvePath(const CString& path, CString& out) = 0;
    // The name of the file system type holding path: "FAT" (vfat, msdos), "exFAT",
    // "NTFS", "ext4", "btrfs", "xfs", "tmpfs", "fuse", ...
    virtual bool GetVolumeInformation(const CString& path, CString& fileSystemName) = 0;
    // syncfs of the file system holding path.
    virtual bool SyncFileSystem(const CString& path) = 0;
    // fsync of a directory, after a rename into it.
    virtual bool SyncDirectory(const CString& path) = 0;
    // Takes an exclusive advisory lock on the directory at path (flock on the directory
    // itself: no file is made); released when the returned object goes. Two locks of one
    // directory exclude each other whether they are taken in one process or in two. Waits
    // up to wait for a holder to let go; then null with 32 (ERROR_SHARING_VIOLATION).
    // Other failures give their own code (no directory at path 3; a file system without
    // such locks, as NFS has none on directories).
    virtual std::unique_ptr<FileLock> LockDirectory(const CString& path, std::chrono::milliseconds wait) = 0;
    // Roots. While a directory is held as a root, every call on a path below it reaches
    // the entry from the root without following a link in any component, the last one
    // included (see above). The first hold opens the root by its path (links above it
    // resolved by the kernel, the root itself not followed, as NormaliseRoot left it);
    // the calls below it start from that directory until the last hold is released, so a
    // root moved or replaced meanwhile is not followed either. A root that cannot be
    // opened then is opened again by the next call below it, which fails as the opening
    // does. The root itself and every path below no held root are resolved as before;
    // below nested roots the longest counts. GetFullPathName, ResolvePath,
    // GetVolumeInformation and SyncFileSystem are not affected. Holds are counted: each
    // HoldRoot needs its ReleaseRoot (RootHold below pairs them). A root is absolute; a
    // '/' is added at its end when missing; a relative one is not held.
    virtual void HoldRoot(const CString& root) = 0;
    virtual void ReleaseRoot(const CString& root) = 0;
    // The directory at path, below a held root, reached now (no link followed, as above)
    // and kept for the calls the calling thread makes on the entries directly in it until
    // the returned object goes: they start from that directory instead of resolving its
    // path once more (a copy's create, rename, mode and stamp reach it once). A directory
    // swapped for a link meanwhile is still not gone through: those calls go on in the
    // directory reached here, wherever it was moved. Keep it for the calls of one entry, on
    // one thread, and let scopes end in the reverse order they began. Where the directory
    // cannot be reached, lies below no held root, or the implementation resolves no
    // descriptors (in memory), the object does nothing and every call resolves its path as
    // it would without it (and fails as it would). Never null; no call of its own (never
    // fails, no last error).
    virtual std::unique_ptr<DirectoryScope> EnterDirectory(const CString& path) = 0;

    // Whether listing several directories at once on worker threads pays (a real file
    // system, where the kernel's stat calls overlap). A walk over a file system that says
    // no lists one directory after the other, so test runs stay deterministic.
    virtual bool ListsInParallel() const { return false; }
};

// The longest path the kernel takes in one call, its terminating NUL included (PATH_MAX),
// in bytes of the path as it is passed (each name as EncodeUtf8Lossless gives it).
inline constexpr std::size_t kMaxPathBytes = 4096;
// The longest name of one path component (NAME_MAX), in the same bytes.
inline constexpr std::size_t kMaxNameBytes = 255;

// One hold on a root of a file system for the object's lifetime (none when default-made
// or made with an empty root). The file system must outlive it.
class RootHold {
public:
    RootHold() = default;
    RootHold(FileSystem& fs, const CString& root);
    ~RootHold();
    RootHold(RootHold&& other) noexcept;
    RootHold& operator=(RootHold&& other) noexcept;
    RootHold(const RootHold&) = delete;
    RootHold& operator=(const RootHold&) = delete;

private:
    FileSystem* fs_ = nullptr;
    CString root_;
};

// "." or "..": the first two entries of every listing, never entries of their own.
inline bool IsDotName(std::u16string_view name) { return name == u"." || name == u".."; }

// Every temporary file of a copy is named kTemporaryPrefix followed by exactly
// kTemporarySuffixLength characters of [0-9a-z] and created with kTemporaryMode; the crawl
// never takes such a file as an entry and removes leftovers, so the match is strict: a
// user's own ".wk~notes" is an ordinary file.
inline constexpr char16_t kTemporaryPrefix[] = u".wk~";
inline constexpr std::size_t kTemporarySuffixLength = 8;
inline constexpr std::uint32_t kTemporaryMode = 0600;
bool IsTemporaryName(std::u16string_view name);
// A fresh temporary name: kTemporaryPrefix and kTemporarySuffixLength random characters.
CString RandomTemporaryName();
// A leftover of an interrupted copy: a regular file with a temporary name and exactly the
// permission bits temporary files are created with. Anything else with such a name (a
// directory, a link, a special file, a file of another mode) is an ordinary entry.
bool IsTemporaryLeftover(const FindData& entry);

// The directory part of a path ("/a/b/c" -> "/a/b"; "/a" -> "/"), and the last component.
CString ParentPath(const CString& path);
CString LastComponent(const CString& path);
// An absolute path with "." and ".." components and repeated separators removed,
// lexically (links are not looked at); a trailing '/' is kept ("/a/./b/../c/" -> "/a/c/").
CString NormalizePath(const CString& absolutePath);

// The process-wide real file system.
FileSystem& PosixFs();

}  // namespace plat
