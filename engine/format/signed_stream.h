#pragma once
// Signed files: the file ends with the 16-byte MD5 digest of everything before it.
//
// SignedOFStream writes a signed file so that it is never half-written: the bytes go to
// a temporary file beside the target; close appends the digest, gives the temporary file
// the old file's permission bits (a new file keeps the temporary file's 0600), flushes it
// to disk, renames it over the target and flushes the directory. Only an explicit close
// of a good stream commits. A failure anywhere, a close of a failed stream, or a
// destructor reached before close (also while an exception unwinds) removes the
// temporary file and leaves the old file untouched; the stream is then failed (error()
// holds the Win32 code of the failure). A target that is a symbolic link is written
// through: the file it points to is replaced and the link kept.
//
// Temporary files and the save lock: a save of the file NAME writes ".NAME.wk~" and eight
// characters of [0-9a-z] beside it, and holds the save lock, an exclusive lock on the
// file's directory (FileSystem::LockDirectory), from open until the new file is in place;
// open waits (kLockWait) for a save in that directory by another process or another
// stream of this one to end. A successful close then removes, while it still holds the
// lock, the temporary files of that exact form that earlier saves left (killed or failed
// part way); RemoveSaveLeftovers does the same after a load. A temporary file of a save in
// progress is never touched: its save holds the lock. Where the lock cannot be had for
// another reason than another holder (a file system without such locks), the save goes
// on and removes nothing; where the name would be too long for the file system (a file
// name of more than 242 bytes), the save writes a plain temporary file and removes nothing.
//
// CheckSignature checks a signed file before it is read.
//
// One stream object is used by one thread at a time. Nothing throws except
// std::bad_alloc.
#include <chrono>
#include <memory>

#include "engine/format/binary_stream.h"
#include "platform/core/cstring.h"
#include "platform/core/file_system.h"
#include "platform/core/md5.h"

class CLogger;
class ErrorInfo;

class SignedOFStream : public BinaryWriter {
public:
    explicit SignedOFStream(plat::FileSystem& fs = plat::PosixFs());
    SignedOFStream(plat::FileSystem& fs, const CString& path) : SignedOFStream(fs) { open(path); }
    ~SignedOFStream() override;

    // Creates the temporary file beside path; failure fails the stream (as does a target
    // whose state cannot be read for another reason than being missing). A stream is
    // opened once.
    bool open(const CString& path);
    bool is_open() const { return file_ != nullptr; }
    // Commits a good stream (see above) or discards a failed one; true when the signed
    // file now stands at the target. A stream that is not open fails.
    bool close();
    // Receives a line for every leftover temporary file a close removes; null = none.
    void SetLogger(CLogger* logger) { logger_ = logger; }

    // How long open waits for another save in the same directory: then it fails with 32.
    static constexpr std::chrono::milliseconds kLockWait{30000};

protected:
    bool Sink(const std::uint8_t* data, std::size_t n) override;

private:
    bool LookUpTarget();
    bool CreateTemporary();
    bool Commit();
    void Discard();

    plat::FileSystem& fs_;
    CLogger* logger_ = nullptr;
    std::unique_ptr<plat::FileLock> lock_;  // the save lock; null when it could not be had
    std::unique_ptr<plat::File> file_;
    CString target_;
    CString temp_;
    plat::Md5 md5_;
    bool opened_ = false;
    bool keepMode_ = false;      // the target exists: its permission bits go to the new file
    std::uint32_t mode_ = 0;
};

// Checks the signature of a whole stream: its last 16 bytes must be the MD5 digest of
// the bytes before them. On success the stream is at its start again and true is
// returned. Errors (written to err when given):
//   a stream that failed (for example a file that could not be opened) or fails while
//   reading: (1, the Win32 code, 0, no text);
//   shorter than 16 bytes, or a digest that differs: (2, 4), the file seems corrupted.
bool CheckSignature(BinaryReader& in, ErrorInfo* err);

// Removes the temporary files that earlier saves of the signed file at path left beside
// it, only when the save lock can be had at once (no save there is in progress); each
// removal is logged as information 1447 with the removed file's path (logger may be
// null). Returns the number of files removed.
std::size_t RemoveSaveLeftovers(plat::FileSystem& fs, const CString& path, CLogger* logger);
