#include "platform/core/posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "platform/core/copy_through_temporary.h"
#include "platform/core/posix_paths.h"
#include "platform/core/win_error.h"

namespace plat {
namespace {

constexpr unsigned kStatxMask = STATX_TYPE | STATX_MODE | STATX_INO | STATX_SIZE | STATX_ATIME | STATX_MTIME |
                                STATX_BTIME;
constexpr int kStatxFlags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT;

// Sets the last error for a failed call on a path; ENOENT needs to know whether the
// directory holding the entry exists to tell a missing file (2) from a missing directory
// part (3). Always returns false.
bool FailErrno(int err, const PosixPaths& paths, const PosixPaths::Location& at,
               ErrnoContext ctx = ErrnoContext::Other) {
    const bool parentExists = err != ENOENT || paths.ParentExists(at);
    SetLastError(Win32FromErrno(err, ctx, parentExists));
    return false;
}

bool FailErrno(int err) {
    SetLastError(Win32FromErrno(err));
    return false;
}

bool Fail(std::uint32_t code) {
    SetLastError(code);
    return false;
}

// The native bytes of an absolute path, for the calls that are resolved by the kernel
// whatever roots are held; false (last error 3, or 123 for an embedded NUL) for anything
// else.
bool NativePath(const CString& path, std::string& out) {
    if (!path.StartsWith(u"/")) return Fail(win32::ERROR_PATH_NOT_FOUND);
    if (path.Find(u'\0') != CString::npos) return Fail(win32::ERROR_INVALID_NAME);
    out = path.ToUtf8();
    return true;
}

UnixTime FromTimestamp(const struct statx_timestamp& t) { return {t.tv_sec, t.tv_nsec}; }

struct timespec ToTimespec(const UnixTime* t) {
    struct timespec ts{};
    if (!t) {
        ts.tv_nsec = UTIME_OMIT;
        return ts;
    }
    ts.tv_sec = static_cast<time_t>(t->seconds);
    ts.tv_nsec = static_cast<long>(t->nanoseconds);
    return ts;
}

struct timespec ToTimespec(const FileTime* t) {
    if (!t) return ToTimespec(static_cast<const UnixTime*>(nullptr));
    const UnixTime exact = FileTimeToUnix(*t);
    return ToTimespec(&exact);
}

void FillFindData(const struct statx& sx, CString name, FindData& out) {
    const mode_t type = sx.stx_mode & S_IFMT;
    out.kind = type == S_IFDIR   ? EntryKind::Directory
               : type == S_IFREG ? EntryKind::File
               : type == S_IFLNK ? EntryKind::Symlink
                                 : EntryKind::Special;
    out.mode = sx.stx_mode & 07777;
    out.attributes = StampAttributes(out.kind, out.mode, name);
    out.lastWriteUnix = FromTimestamp(sx.stx_mtime);
    out.lastAccessUnix = FromTimestamp(sx.stx_atime);
    out.lastWriteTime = FileTimeFromUnix(out.lastWriteUnix);
    out.lastAccessTime = FileTimeFromUnix(out.lastAccessUnix);
    out.creationTime = (sx.stx_mask & STATX_BTIME) ? FileTimeFromUnix(FromTimestamp(sx.stx_btime)) : out.lastWriteTime;
    out.SetSize(out.kind == EntryKind::File ? sx.stx_size : 0);
    out.reserved0 = out.reserved1 = 0;
    out.name = std::move(name);
    out.shortName.Empty();
    out.device = (std::uint64_t(sx.stx_dev_major) << 32) | sx.stx_dev_minor;
    out.inode = sx.stx_ino;
}

// The kernel's fchmodat2 (the C library may not have it yet): unknown until the first call.
#if defined(__x86_64__) || defined(__aarch64__) || defined(__riscv)
constexpr long kSysFchmodat2 = 452;  // one number on these architectures
#else
constexpr long kSysFchmodat2 = -1;
#endif
enum Fchmodat2 { kUnknown, kPresent, kAbsent };
std::atomic<int> g_fchmodat2{kSysFchmodat2 < 0 ? kAbsent : kUnknown};

// chmod of the entry name in dir that never follows a link. The kernel's fchmodat2 takes
// AT_SYMLINK_NOFOLLOW in one call; without it the C library's fchmodat does the same
// through /proc (four calls more), and where that is missing too, the look just made has
// shown a non-link, so the plain fchmodat is used. Returns 0 or an errno; a link gives -1
// (1921).
int ChmodNoFollow(int dir, const char* name, std::uint32_t mode) {
    struct statx sx;
    if (RetryEintr([&] { return ::statx(dir, name, kStatxFlags, STATX_TYPE, &sx); }) != 0) return errno;
    if (S_ISLNK(sx.stx_mode)) return -1;
    // EPERM may also be a filter that refuses calls it does not know: the way without it
    // tells, and where that works, fchmodat2 is not tried again.
    bool refused = false;
    if (g_fchmodat2.load(std::memory_order_relaxed) != kAbsent) {
        if (RetryEintr([&] { return ::syscall(kSysFchmodat2, dir, name, mode & 07777, AT_SYMLINK_NOFOLLOW); }) == 0) {
            g_fchmodat2.store(kPresent, std::memory_order_relaxed);
            return 0;
        }
        refused = errno == EPERM && g_fchmodat2.load(std::memory_order_relaxed) == kUnknown;
        if (errno == ENOSYS) g_fchmodat2.store(kAbsent, std::memory_order_relaxed);
        if (errno != ENOSYS && !refused) return errno;
    }
    if (::fchmodat(dir, name, mode & 07777, AT_SYMLINK_NOFOLLOW) == 0) {
        if (refused) g_fchmodat2.store(kAbsent, std::memory_order_relaxed);
        return 0;
    }
    if (errno != EOPNOTSUPP && errno != ENOTSUP) return errno;
    if (::fchmodat(dir, name, mode & 07777, 0) != 0) return errno;
    return 0;
}

// chmod of the entry that fd (O_PATH, the link itself when the entry is one) was opened on,
// through /proc/self/fd, which reaches exactly that inode. Returns 0 or an errno; a link
// gives -1 (1921); ENOENT from /proc means it is not mounted (the descriptor is open).
int ChmodOpened(int fd, std::uint32_t mode, bool& noProc) {
    noProc = false;
    struct statx sx;
    if (::statx(fd, "", AT_EMPTY_PATH | kStatxFlags, STATX_TYPE, &sx) != 0) return errno;
    if (S_ISLNK(sx.stx_mode)) return -1;
    char proc[32];
    std::snprintf(proc, sizeof proc, "/proc/self/fd/%d", fd);
    if (RetryEintr([&] { return ::chmod(proc, mode & 07777); }) == 0) return 0;
    noProc = errno == ENOENT;
    return errno;
}

// ChmodNoFollow with the result as the last error; false on failure.
bool SetModeAt(const PosixPaths& paths, const PosixPaths::Location& at, const PosixPaths::Parent& parent,
               std::uint32_t mode) {
    const int r = ChmodNoFollow(parent.fd(), parent.name(), mode);
    if (r == 0) return true;
    if (r < 0) return Fail(win32::ERROR_CANT_RESOLVE_FILENAME);
    return FailErrno(r, paths, at);
}

class PosixFile final : public File {
public:
    explicit PosixFile(int fd) : fd_(fd) {}
    ~PosixFile() override {
        if (fd_ >= 0) ::close(fd_);
    }
    int Descriptor() const { return fd_; }

    bool Read(void* buffer, std::size_t n, std::size_t& got) override {
        got = 0;
        const ssize_t r = RetryEintr([&] { return ::read(fd_, buffer, n); });
        if (r < 0) return FailErrno(errno);
        got = static_cast<std::size_t>(r);
        return true;
    }
    bool Write(const void* buffer, std::size_t n) override {
        const char* p = static_cast<const char*>(buffer);
        while (n > 0) {
            const ssize_t r = RetryEintr([&] { return ::write(fd_, p, n); });
            if (r < 0) return FailErrno(errno);
            if (r == 0) return FailErrno(ENOSPC);  // no progress: the device takes no more
            p += r;
            n -= static_cast<std::size_t>(r);
        }
        return true;
    }
    bool Seek(std::uint64_t offset) override {
        if (::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0) return FailErrno(errno);
        return true;
    }
    bool GetSize(std::uint64_t& size) override {
        struct stat st;
        if (::fstat(fd_, &st) != 0) return FailErrno(errno);
        size = static_cast<std::uint64_t>(st.st_size);
        return true;
    }
    bool GetFindData(FindData& out) override {
        struct statx sx;
        if (::statx(fd_, "", AT_EMPTY_PATH | kStatxFlags, kStatxMask, &sx) != 0) return FailErrno(errno);
        FillFindData(sx, CString(), out);
        return true;
    }
    bool SetUnixTimes(const UnixTime* lastAccess, const UnixTime* lastWrite) override {
        const struct timespec ts[2] = {ToTimespec(lastAccess), ToTimespec(lastWrite)};
        if (::futimens(fd_, ts) != 0) return FailErrno(errno);
        return true;
    }
    bool SetMode(std::uint32_t mode) override {
        if (RetryEintr([&] { return ::fchmod(fd_, mode & 07777); }) != 0) return FailErrno(errno);
        return true;
    }
    bool Flush() override {
        if (RetryEintr([&] { return ::fsync(fd_); }) != 0) return FailErrno(errno);
        return true;
    }
    bool Close() override {
        if (fd_ < 0) return true;
        const int fd = fd_;
        fd_ = -1;
        // Never retried: Linux releases the descriptor even when close is interrupted.
        if (::close(fd) != 0 && errno != EINTR) return FailErrno(errno);
        return true;
    }

private:
    int fd_;
};

class PosixLister final : public DirectoryLister {
public:
    PosixLister(DIR* dir, FindData dot, FindData dotDot)
        : dir_(dir), dot_(std::move(dot)), dotDot_(std::move(dotDot)) {}
    ~PosixLister() override { ::closedir(dir_); }

    bool Next(FindData& out) override {
        if (stage_ == 0) {
            ++stage_;
            out = dot_;
            return true;
        }
        if (stage_ == 1) {
            ++stage_;
            out = dotDot_;
            return true;
        }
        if (done_) return Fail(doneCode_);
        for (;;) {
            errno = 0;
            const struct dirent64* de = ::readdir64(dir_);
            if (!de) {
                done_ = true;
                doneCode_ = errno ? Win32FromErrno(errno) : win32::ERROR_NO_MORE_FILES;
                return Fail(doneCode_);
            }
            const char* n = de->d_name;
            if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;  // given first
            struct statx sx;
            if (RetryEintr([&] { return ::statx(::dirfd(dir_), n, kStatxFlags, kStatxMask, &sx); }) != 0) {
                if (errno == ENOENT) continue;  // removed since it was listed
                return FailErrno(errno);
            }
            FillFindData(sx, CString::FromUtf8(n), out);
            return true;
        }
    }

private:
    DIR* dir_;
    FindData dot_;
    FindData dotDot_;
    int stage_ = 0;
    bool done_ = false;
    std::uint32_t doneCode_ = 0;
};

}  // namespace

PosixFileSystem::PosixFileSystem(PathWalk walk)
    : paths_(std::make_unique<PosixPaths>(walk == PathWalk::ComponentByComponent
                                               ? PosixPaths::Walk::ComponentByComponent
                                               : PosixPaths::Walk::Automatic)) {}

PosixFileSystem::~PosixFileSystem() = default;

void PosixFileSystem::HoldRoot(const CString& root) { paths_->Hold(root); }

void PosixFileSystem::ReleaseRoot(const CString& root) { paths_->Release(root); }

std::unique_ptr<DirectoryScope> PosixFileSystem::EnterDirectory(const CString& path) {
    const int saved = errno;
    const std::uint32_t code = GetLastError();
    PosixPaths::Location at;
    std::unique_ptr<DirectoryScope> scope;
    if (paths_->Locate(path, at)) scope = paths_->Enter(at);
    errno = saved;
    SetLastError(code);  // no call of its own: a failure here is the next call's to report
    return scope ? std::move(scope) : std::make_unique<DirectoryScope>();
}

std::unique_ptr<DirectoryLister> PosixFileSystem::ListDirectory(const CString& path) {
    PosixPaths::Location at;
    if (!paths_->Locate(path, at)) return nullptr;
    const int fd = paths_->Open(at, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        // A missing directory is a missing directory part of its listing (3), as the
        // listing of "dir/*" reports it.
        const int err = errno;
        SetLastError(Win32FromErrno(err, ErrnoContext::Other, err != ENOENT));
        return nullptr;
    }
    // "." and ".." come first whatever order the file system gives; looking ".." up also
    // checks search permission on the directory, so a listing needs r and x.
    struct statx sx;
    FindData dot, dotDot;
    if (::statx(fd, "", AT_EMPTY_PATH | kStatxFlags, kStatxMask, &sx) != 0) {
        const int err = errno;
        ::close(fd);
        FailErrno(err);
        return nullptr;
    }
    FillFindData(sx, CString(u"."), dot);
    if (RetryEintr([&] { return ::statx(fd, "..", kStatxFlags, kStatxMask, &sx); }) != 0) {
        const int err = errno;
        ::close(fd);
        FailErrno(err);
        return nullptr;
    }
    FillFindData(sx, CString(u".."), dotDot);
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        const int err = errno;
        ::close(fd);
        FailErrno(err);
        return nullptr;
    }
    return std::make_unique<PosixLister>(dir, std::move(dot), std::move(dotDot));
}

bool PosixFileSystem::GetFindData(const CString& path, FindData& out) {
    PosixPaths::Location at;
    PosixPaths::Parent parent;
    if (!paths_->Locate(path, at)) return false;
    if (!paths_->OpenParent(at, parent)) return FailErrno(errno, *paths_, at);
    struct statx sx;
    if (RetryEintr([&] { return ::statx(parent.fd(), parent.name(), kStatxFlags, kStatxMask, &sx); }) != 0)
        return FailErrno(errno, *paths_, at);
    FillFindData(sx, LastComponent(path), out);
    return true;
}

std::uint32_t PosixFileSystem::GetFileAttributes(const CString& path) {
    FindData fd;
    return GetFindData(path, fd) ? fd.attributes : INVALID_FILE_ATTRIBUTES;
}

bool PosixFileSystem::SetFileAttributes(const CString& path, std::uint32_t attributes) {
    FindData fd;
    if (!GetFindData(path, fd)) return false;
    if (fd.kind == EntryKind::Symlink) return Fail(win32::ERROR_CANT_RESOLVE_FILENAME);
    if (fd.kind != EntryKind::File) return true;  // READONLY means nothing on a directory
    const std::uint32_t mode = (attributes & FILE_ATTRIBUTE_READONLY) ? fd.mode & ~0222u : fd.mode | 0200u;
    if (mode == fd.mode) return true;
    return SetPermissions(path, mode);
}

bool PosixFileSystem::SetFileTimes(const CString& path, const FileTime*, const FileTime* lastAccess,
                                   const FileTime* lastWrite) {
    PosixPaths::Location at;
    PosixPaths::Parent parent;
    if (!paths_->Locate(path, at)) return false;
    if (!paths_->OpenParent(at, parent)) return FailErrno(errno, *paths_, at);
    const struct timespec ts[2] = {ToTimespec(lastAccess), ToTimespec(lastWrite)};
    if (::utimensat(parent.fd(), parent.name(), ts, AT_SYMLINK_NOFOLLOW) != 0) return FailErrno(errno, *paths_, at);
    return true;
}

bool PosixFileSystem::SetPermissions(const CString& path, std::uint32_t mode) {
    PosixPaths::Location at;
    PosixPaths::Parent parent;
    if (!paths_->Locate(path, at)) return false;
    if (at.root && g_fchmodat2.load(std::memory_order_relaxed) == kAbsent) {
        // Below a root, without fchmodat2, the entry itself is opened (one resolution, no
        // link followed) and changed through its descriptor: four calls where the parent's
        // way takes seven (every copy ends with one). Without /proc, the parent's way.
        const int fd = paths_->Open(at, O_PATH | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) return FailErrno(errno, *paths_, at);
        bool noProc = false;
        const int r = ChmodOpened(fd, mode, noProc);
        ::close(fd);
        if (r == 0) return true;
        if (r < 0) return Fail(win32::ERROR_CANT_RESOLVE_FILENAME);
        if (!noProc) return FailErrno(r);
    }
    if (!paths_->OpenParent(at, parent)) return FailErrno(errno, *paths_, at);
    return SetModeAt(*paths_, at, parent, mode);
}

bool PosixFileSystem::CreateDirectory(const CString& path) {
    PosixPaths::Location at;
    PosixPaths::Parent parent;
    if (!paths_->Locate(path, at)) return false;
    if (!paths_->OpenParent(at, parent)) return FailErrno(errno, *paths_, at, ErrnoContext::MakeDirectory);
    if (::mkdirat(parent.fd(), parent.name(), 0777) != 0)
        return FailErrno(errno, *paths_, at, ErrnoContext::MakeDirectory);
    // A umask that takes the owner's write or search bit would make the new directory
    // useless to the run that created it.
    struct stat st;
    if (::fstatat(parent.fd(), parent.name(), &st, AT_SYMLINK_NOFOLLOW) == 0 && (st.st_mode & 0300) != 0300)
        ChmodNoFollow(parent.fd(), parent.name(), st.st_mode | 0300);
    return true;
}

bool PosixFileSystem::CreateDirectoryFromTemplate(const CString& path, const CString& templatePath) {
    PosixPaths::Location at;
    PosixPaths::Parent parent;
    if (!paths_->Locate(path, at)) return false;
    FindData tmpl;
    if (!GetFindData(templatePath, tmpl)) return false;
    if (!paths_->OpenParent(at, parent)) return FailErrno(errno, *paths_, at, ErrnoContext::MakeDirectory);
    if (::mkdirat(parent.fd(), parent.name(), 0700) != 0)
        return FailErrno(errno, *paths_, at, ErrnoContext::MakeDirectory);
    // mkdir applies the umask; the copy keeps the template's bits exactly (plus owner
    // write and search until the run is done with it).
    if (!SetModeAt(*paths_, at, parent, tmpl.mode | 0300)) {
        const std::uint32_t code = GetLastError();
        ::unlinkat(parent.fd(), parent.name(), AT_REMOVEDIR);
        return Fail(code);
    }
    return true;
}

bool PosixFileSystem::RemoveDirectory(const CString& path) {
    PosixPaths::Location at;
    PosixPaths::Parent parent;
    if (!paths_->Locate(path, at)) return false;
    if (!paths_->OpenParent(at, parent)) return FailErrno(errno, *paths_, at);
    if (RetryEintr([&] { return ::unlinkat(parent.fd(), parent.name(), AT_REMOVEDIR); }) != 0) {
        const int err = errno == EEXIST ? ENOTEMPTY : errno;  // some file systems say EEXIST
        return FailErrno(err, *paths_, at);
    }
    return true;
}

bool PosixFileSystem::DeleteFile(const CString& path) {
    PosixPaths::Location at;
    PosixPaths::Parent parent;
    if (!paths_->Locate(path, at)) return false;
    if (!paths_->OpenParent(at, parent)) return FailErrno(errno, *paths_, at);
    if (RetryEintr([&] { return ::unlinkat(parent.fd(), parent.name(), 0); }) != 0)
        return FailErrno(errno, *paths_, at);
    return true;
}

bool PosixFileSystem::MoveFile(const CString& from, const CString& to, bool replaceExisting) {
    PosixPaths::Location a, b;
    PosixPaths::Parent pa, pb;
    if (!paths_->Locate(from, a) || !paths_->Locate(to, b)) return false;
    if (!paths_->OpenParent(a, pa)) return FailErrno(errno, *paths_, a);
    if (!paths_->OpenSameParent(b, pa, pb)) return FailErrno(errno, *paths_, b, ErrnoContext::Rename);
    int r;
    if (replaceExisting) {
        r = RetryEintr([&] { return ::renameat(pa.fd(), pa.name(), pb.fd(), pb.name()); });
    } else {
        r = RetryEintr([&] { return ::renameat2(pa.fd(), pa.name(), pb.fd(), pb.name(), RENAME_NOREPLACE); });
        if (r != 0 && errno == EINVAL) {
            // The file system cannot refuse atomically; check, then rename.
            struct stat st;
            if (::fstatat(pb.fd(), pb.name(), &st, AT_SYMLINK_NOFOLLOW) == 0) return Fail(win32::ERROR_ALREADY_EXISTS);
            r = RetryEintr([&] { return ::renameat(pa.fd(), pa.name(), pb.fd(), pb.name()); });
        }
    }
    if (r == 0) return true;
    const int err = errno;
    if (err == ENOENT) {
        // Either the source or the target's directory is missing.
        struct stat st;
        if (::fstatat(pa.fd(), pa.name(), &st, AT_SYMLINK_NOFOLLOW) != 0) return FailErrno(errno, *paths_, a);
        return Fail(win32::ERROR_PATH_NOT_FOUND);
    }
    return FailErrno(err, *paths_, b, ErrnoContext::Rename);
}

std::unique_ptr<File> PosixFileSystem::OpenRead(const CString& path) {
    PosixPaths::Location at;
    if (!paths_->Locate(path, at)) return nullptr;
    // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused below anyway.
    const int fd = paths_->Open(at, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        FailErrno(errno, *paths_, at);
        return nullptr;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        Fail(win32::ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return std::make_unique<PosixFile>(fd);
}

std::unique_ptr<File> PosixFileSystem::CreateFile(const CString& path, CreateMode mode, std::uint32_t permissions) {
    PosixPaths::Location at;
    if (!paths_->Locate(path, at)) return nullptr;
    const bool exclusive = mode == CreateMode::CreateNew;
    const int flags = O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | (exclusive ? O_EXCL : O_TRUNC);
    const int fd = paths_->Open(at, flags, permissions & 07777);
    if (fd < 0) {
        FailErrno(errno, *paths_, at, exclusive ? ErrnoContext::ExclusiveCreate : ErrnoContext::Other);
        return nullptr;
    }
    return std::make_unique<PosixFile>(fd);
}

std::unique_ptr<File> PosixFileSystem::CreateTemporaryBeside(const CString& target, CString& tempPath,
                                                             std::u16string_view stem) {
    std::string native;
    if (!NativePath(target, native)) return nullptr;
    CString dir = ParentPath(target);
    if (!dir.EndsWith(u'/')) dir += u'/';
    for (int attempt = 0; attempt < 100; ++attempt) {
        const CString candidate = dir + stem + RandomTemporaryName();  // 36^8 names, tried exclusively
        PosixPaths::Location at;
        if (!paths_->Locate(candidate, at)) return nullptr;
        const int fd =
            paths_->Open(at, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, kTemporaryMode);
        if (fd >= 0) {
            tempPath = candidate;
            return std::make_unique<PosixFile>(fd);
        }
        if (errno != EEXIST) {
            FailErrno(errno, *paths_, at, ErrnoContext::ExclusiveCreate);
            return nullptr;
        }
    }
    Fail(win32::ERROR_FILE_EXISTS);
    return nullptr;
}

bool PosixFileSystem::CopyFile(const CString& source, const CString& target, const CopyProgress& progress,
                               const CopyOptions& options) {
    std::string a, b;
    if (!NativePath(source, a) || !NativePath(target, b)) return false;
    // copy_file_range until the kernel says it cannot copy between these files (older
    // kernels across file systems, some network and FUSE file systems), then read/write.
    // A first call that copies nothing is not trusted either: pseudo files report no
    // size to the kernel copy yet have contents.
    bool kernel = options.kernelCopy;
    bool first = true;
    const ChunkCopier copier = [&](File& from, File& to, std::span<char> buffer, std::size_t& done) {
        auto* in = dynamic_cast<PosixFile*>(&from);
        auto* out = dynamic_cast<PosixFile*>(&to);
        if (kernel && in && out) {
            const ssize_t r = RetryEintr([&] {
                return ::copy_file_range(in->Descriptor(), nullptr, out->Descriptor(), nullptr, buffer.size(), 0);
            });
            const bool wasFirst = first;
            first = false;
            if (r > 0 || (r == 0 && !wasFirst)) {
                done = static_cast<std::size_t>(r);
                return true;
            }
            if (r < 0 && errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP &&
                errno != EBADF && errno != EPERM)
                return FailErrno(errno);
            kernel = false;
        }
        return ReadWriteChunk(from, to, buffer, done);
    };
    return CopyThroughTemporary(*this, source, target, progress, options, copier);
}

bool PosixFileSystem::GetFullPathName(const CString& path, CString& out) {
    if (path.IsEmpty() || path.Find(u'\0') != CString::npos) return Fail(win32::ERROR_INVALID_NAME);
    if (path.StartsWith(u"/")) {
        out = NormalizePath(path);
        return true;
    }
    char* cwd = ::getcwd(nullptr, 0);
    if (!cwd) return FailErrno(errno);
    CString absolute = CString::FromUtf8(cwd);
    std::free(cwd);
    out = NormalizePath(absolute + u"/" + path);
    return true;
}

bool PosixFileSystem::ResolvePath(const CString& path, CString& out) {
    std::string native;
    if (!NativePath(path, native)) return false;
    char* resolved = ::realpath(native.c_str(), nullptr);
    if (!resolved) return FailErrno(errno, *paths_, PosixPaths::Location{nullptr, native});
    out = CString::FromUtf8(resolved);
    std::free(resolved);
    return true;
}

CString PosixFileSystem::FileSystemNameFromMagic(std::uint64_t magic) {
    switch (magic) {
        case MSDOS_SUPER_MAGIC: return u"FAT";
        case EXFAT_SUPER_MAGIC: return u"exFAT";
        case 0x5346544eULL: return u"NTFS";  // ntfs (old driver) and ntfs3 share the boot-sector magic
        case 0x7366746eULL: return u"NTFS";  // ntfs3's own
        case EXT4_SUPER_MAGIC: return u"ext4";  // ext2, ext3 and ext4 share the magic
        case BTRFS_SUPER_MAGIC: return u"btrfs";
        case XFS_SUPER_MAGIC: return u"xfs";
        case TMPFS_MAGIC: return u"tmpfs";
        case FUSE_SUPER_MAGIC: return u"fuse";
        case OVERLAYFS_SUPER_MAGIC: return u"overlay";
        case NFS_SUPER_MAGIC: return u"nfs";
        case 0xFE534D42ULL:  // SMB2 and later
        case CIFS_SUPER_MAGIC: return u"cifs";
        default: return u"unknown";
    }
}

bool PosixFileSystem::GetVolumeInformation(const CString& path, CString& fileSystemName) {
    std::string native;
    if (!NativePath(path, native)) return false;
    struct statfs sf;
    if (RetryEintr([&] { return ::statfs(native.c_str(), &sf); }) != 0)
        return FailErrno(errno, *paths_, PosixPaths::Location{nullptr, native});
    fileSystemName = FileSystemNameFromMagic(static_cast<std::uint64_t>(sf.f_type) & 0xFFFFFFFFULL);
    return true;
}

bool PosixFileSystem::SyncFileSystem(const CString& path) {
    std::string native;
    if (!NativePath(path, native)) return false;
    const int fd = RetryEintr([&] { return ::open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK); });
    if (fd < 0) return FailErrno(errno, *paths_, PosixPaths::Location{nullptr, native});
    const int r = ::syncfs(fd);
    const int err = errno;
    ::close(fd);
    if (r != 0) return FailErrno(err);
    return true;
}

bool PosixFileSystem::SyncDirectory(const CString& path) {
    PosixPaths::Location at;
    if (!paths_->Locate(path, at)) return false;
    const int fd = paths_->Open(at, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return FailErrno(errno, *paths_, at);
    const int r = RetryEintr([&] { return ::fsync(fd); });
    const int err = errno;
    ::close(fd);
    // EINVAL: the file system keeps no directory data to flush.
    if (r != 0 && err != EINVAL) return FailErrno(err);
    return true;
}

}  // namespace plat
