#include "platform/core/locked_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "platform/core/posix_file_system.h"
#include "platform/core/posix_paths.h"
#include "platform/core/win_error.h"

namespace plat {

namespace {

bool Fail(int err) {
    SetLastError(Win32FromErrno(err));
    return false;
}

}  // namespace

std::unique_ptr<LockedFile> LockedFile::Open(const CString& path) {
    const std::string bytes = path.ToUtf8();
    // O_NONBLOCK keeps the open of a FIFO from waiting for a writer; a FIFO is refused below.
    int fd;
    do {
        fd = ::open(bytes.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        const int err = errno;
        bool parentExists = true;
        if (err == ENOENT) {
            const std::size_t slash = bytes.rfind('/');
            const std::string parent = slash == std::string::npos ? "." : slash == 0 ? "/" : bytes.substr(0, slash);
            struct stat st {};
            parentExists = ::stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        }
        SetLastError(Win32FromErrno(err, ErrnoContext::Other, parentExists));
        return nullptr;
    }
    std::unique_ptr<LockedFile> file(new LockedFile(fd));
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        Fail(errno);
        return nullptr;
    }
    if (!S_ISREG(st.st_mode)) {
        SetLastError(win32::ERROR_ACCESS_DENIED);
        return nullptr;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        Fail(errno);
        return nullptr;
    }
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        if (errno == EWOULDBLOCK) SetLastError(win32::ERROR_SHARING_VIOLATION);
        else Fail(errno);
        return nullptr;
    }
    return file;
}

namespace {

class PosixDirectoryLock final : public FileLock {
public:
    explicit PosixDirectoryLock(int fd) : fd_(fd) {}
    ~PosixDirectoryLock() override { ::close(fd_); }  // releases the lock

private:
    int fd_;
};

}  // namespace

// flock on the directory's own descriptor: nothing is created, and the lock goes with the
// process however it ends. Below a held root the directory is reached as every other call
// reaches its entry, without following a link.
std::unique_ptr<FileLock> PosixFileSystem::LockDirectory(const CString& path, std::chrono::milliseconds wait) {
    PosixPaths::Location at;
    if (!paths_->Locate(path, at)) return nullptr;
    int fd;
    do {
        fd = paths_->Open(at, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        SetLastError(Win32FromErrno(errno, ErrnoContext::Other, false));
        return nullptr;
    }
    auto lock = std::make_unique<PosixDirectoryLock>(fd);
    const auto until = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return lock;
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK) {
            Fail(errno);
            return nullptr;
        }
        if (std::chrono::steady_clock::now() >= until) {
            SetLastError(win32::ERROR_SHARING_VIOLATION);
            return nullptr;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

LockedFile::~LockedFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool LockedFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t n, std::size_t& got) {
    got = 0;
    auto* p = static_cast<char*>(buffer);
    while (got < n) {
        const ssize_t r = ::pread(fd_, p + got, n - got, static_cast<off_t>(offset + got));
        if (r < 0) {
            if (errno == EINTR) continue;
            return Fail(errno);
        }
        if (r == 0) break;
        got += std::size_t(r);
    }
    return true;
}

bool LockedFile::WriteAt(std::uint64_t offset, const void* buffer, std::size_t n) {
    const auto* p = static_cast<const char*>(buffer);
    std::size_t done = 0;
    while (done < n) {
        const ssize_t r = ::pwrite(fd_, p + done, n - done, static_cast<off_t>(offset + done));
        if (r < 0) {
            if (errno == EINTR) continue;
            return Fail(errno);
        }
        done += std::size_t(r);
    }
    return true;
}

bool LockedFile::Truncate(std::uint64_t size) {
    int rc;
    do {
        rc = ::ftruncate(fd_, static_cast<off_t>(size));
    } while (rc != 0 && errno == EINTR);
    return rc == 0 || Fail(errno);
}

bool LockedFile::GetSize(std::uint64_t& size) {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return Fail(errno);
    size = std::uint64_t(st.st_size);
    return true;
}

bool LockedFile::Flush() {
    int rc;
    do {
        rc = ::fdatasync(fd_);
    } while (rc != 0 && errno == EINTR);
    return rc == 0 || Fail(errno);
}

bool LockedFile::Close() {
    if (fd_ < 0) return true;
    const int fd = fd_;
    fd_ = -1;
    // close is not retried on EINTR: the descriptor is gone either way on Linux.
    return ::close(fd) == 0 || Fail(errno);
}

}  // namespace plat
