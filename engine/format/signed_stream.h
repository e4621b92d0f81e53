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
// CheckSignature checks a signed file before it is read.
//
// One stream object is used by one thread at a time. Nothing throws except
// std::bad_alloc.
#include <memory>

#include "engine/format/binary_stream.h"
#include "platform/core/cstring.h"
#include "platform/core/file_system.h"
#include "platform/core/md5.h"

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

protected:
    bool Sink(const std::uint8_t* data, std::size_t n) override;

private:
    bool LookUpTarget();
    bool Commit();
    void Discard();

    plat::FileSystem& fs_;
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
