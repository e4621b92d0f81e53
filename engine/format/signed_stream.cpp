#include "engine/format/signed_stream.h"

#include <algorithm>

#include "engine/error_info.h"
#include "engine/format/binary_stream.h"
#include "platform/core/md5.h"
#include "platform/core/win_error.h"

SignedOFStream::SignedOFStream(plat::FileSystem& fs) : fs_(fs) {}

// Only close commits: a stream destroyed unclosed was left part way (an exception, a
// bad_alloc inside a save, unwinding through it, or an early return), and committing
// it would put a truncated file with a valid signature in place of the good one.
SignedOFStream::~SignedOFStream() {
    if (file_ || !temp_.IsEmpty()) Discard();
}

bool SignedOFStream::open(const CString& path) {
    if (opened_) {
        SetFail(win32::ERROR_INVALID_FUNCTION);
        return false;
    }
    opened_ = true;
    target_ = path;
    if (!LookUpTarget()) {
        SetFail(GetLastError());
        return false;
    }
    file_ = fs_.CreateTemporaryBeside(target_, temp_);
    if (!file_) {
        SetFail(GetLastError());
        return false;
    }
    md5_.Reset();
    return true;
}

// Saving through a symbolic link replaces the file it points to, not the link; the file
// replaced gives its permission bits. Only a missing target counts as a new file: any
// other failure stops the save, so that a passing error never costs the old file's
// mode or turns a link into a file.
bool SignedOFStream::LookUpTarget() {
    auto missing = [] {
        const std::uint32_t code = GetLastError();
        return code == win32::ERROR_FILE_NOT_FOUND || code == win32::ERROR_PATH_NOT_FOUND;
    };
    plat::FindData fd;
    if (!fs_.GetFindData(target_, fd)) return missing();
    if (fd.kind == plat::EntryKind::Symlink) {
        CString resolved;
        if (!fs_.ResolvePath(target_, resolved)) return false;
        target_ = resolved;
        if (!fs_.GetFindData(target_, fd)) return missing();
    }
    if (fd.kind == plat::EntryKind::File) {
        keepMode_ = true;
        mode_ = fd.mode & 07777;
    }
    return true;
}

bool SignedOFStream::Sink(const std::uint8_t* data, std::size_t n) {
    if (!file_) {
        SetLastError(win32::ERROR_INVALID_HANDLE);
        return false;
    }
    md5_.Update(data, n);
    return file_->Write(data, n);
}

bool SignedOFStream::close() {
    if (!file_) {
        SetFail(win32::ERROR_INVALID_HANDLE);
        return false;
    }
    if (good() && Commit()) return true;
    Discard();
    return false;
}

// The digest is taken from the bytes as they are handed to the file, so the file is
// never read back; the permission bits are set before the data is flushed so that one
// flush covers both.
bool SignedOFStream::Commit() {
    if (!Flush()) return false;
    plat::Md5Digest digest{};
    if (!md5_.Final(digest)) {
        SetFail(win32::ERROR_INVALID_FUNCTION);
        return false;
    }
    if (!file_->Write(digest.data(), digest.size()) || (keepMode_ && !file_->SetMode(mode_)) ||
        !file_->Flush() || !file_->Close()) {
        SetFail(GetLastError());
        return false;
    }
    file_.reset();
    if (!fs_.MoveFile(temp_, target_, true)) {
        SetFail(GetLastError());
        return false;
    }
    temp_.Empty();
    // The new file is in place; a directory that cannot be flushed still makes the save
    // count as failed, so that the caller keeps its unsaved state.
    if (!fs_.SyncDirectory(plat::ParentPath(target_))) {
        SetFail(GetLastError());
        return false;
    }
    return true;
}

void SignedOFStream::Discard() {
    if (good()) SetFail(win32::ERROR_INVALID_FUNCTION);
    if (file_) {
        file_->Close();
        file_.reset();
    }
    if (!temp_.IsEmpty()) {
        fs_.DeleteFile(temp_);
        temp_.Empty();
    }
}

bool CheckSignature(BinaryReader& in, ErrorInfo* err) {
    auto systemError = [&] {
        if (err) err->Set(ERROR_CATEGORY_SYSTEM, in.error() ? in.error() : win32::ERROR_INVALID_FUNCTION, 0, nullptr);
        return false;
    };
    auto corrupted = [&] {
        if (err) err->Set(ERROR_CATEGORY_PROGRAM, ERRCODE_BAD_SIGNATURE, 0, nullptr);
        return false;
    };
    if (in.fail()) return systemError();
    const std::uint64_t size = in.Size();
    if (size < 16) return corrupted();
    if (!in.Seek(0)) return systemError();
    plat::Md5 md5;
    std::uint8_t buf[8192];
    for (std::uint64_t left = size - 16; left != 0;) {
        const std::size_t n = std::size_t(std::min<std::uint64_t>(left, sizeof buf));
        if (!in.Read(buf, n)) return systemError();
        md5.Update(buf, n);
        left -= n;
    }
    plat::Md5Digest stored{}, digest{};
    if (!in.Read(stored.data(), stored.size())) return systemError();
    if (!md5.Final(digest)) {
        if (err) err->Set(ERROR_CATEGORY_SYSTEM, win32::ERROR_INVALID_FUNCTION, 0, nullptr);
        return false;
    }
    if (stored != digest) return corrupted();
    if (!in.Seek(0)) return systemError();
    return in.good();
}
