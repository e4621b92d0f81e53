#pragma once
// A regular file opened for reading and writing that holds an exclusive advisory lock
// (flock) for as long as it is open, so a second program (or a second open in this one)
// that wants the same file for writing is refused. Readers that take no lock are not
// affected. Used for the application's log file.
//
// Positional reads and writes; no shared file pointer. EINTR is retried.
//
// Error contract: calls return false (Open: null) on failure and set the calling
// thread's last error (win_error.h): 32 ERROR_SHARING_VIOLATION when another open file
// holds the lock, 5 for a directory or a file that is not a regular file, otherwise the
// code of the failing system call. Nothing throws.
//
// Threads: one object is used by one thread at a time.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/core/cstring.h"

namespace plat {

class LockedFile {
public:
    // Opens path, creating it (mode 0666 less the umask) when it is missing, and takes
    // the lock without waiting.
    static std::unique_ptr<LockedFile> Open(const CString& path);
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;
    // Closes silently when Close was not called.
    ~LockedFile();

    // Reads up to n bytes at offset; got < n only at the end of the file.
    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t n, std::size_t& got);
    // Writes all n bytes at offset or fails.
    bool WriteAt(std::uint64_t offset, const void* buffer, std::size_t n);
    // Cuts or extends the file to size bytes.
    bool Truncate(std::uint64_t size);
    bool GetSize(std::uint64_t& size);
    // The file's data to the disk (fdatasync).
    bool Flush();
    // Releases the lock and closes; reports a failure of close.
    bool Close();

private:
    explicit LockedFile(int fd) : fd_(fd) {}
    int fd_;
};

}  // namespace plat
