#include "engine/format/signed_stream.h"

#include <algorithm>
#include <vector>

#include "engine/error_info.h"
#include "engine/format/binary_stream.h"
#include "engine/log/logger.h"
#include "platform/core/md5.h"
#include "platform/core/text_convert.h"
#include "platform/core/win_error.h"
#include "resources/string_ids.h"

namespace {

// The names of a save's temporary files: ".NAME" followed by a temporary name. The name of
// the file itself is in them, so that a save never takes another file's temporaries for
// its own.
struct SaveNames {
    CString directory;  // the target's directory, as the file system lists and locks it
    CString stem;       // "." and the target's name

    CString Path(const CString& name) const {
        return directory.EndsWith(u'/') ? directory + name : directory + u"/" + name;
    }
    // Exactly the stem and a temporary name.
    bool IsTemporary(std::u16string_view name) const {
        return name.starts_with(stem.view()) && plat::IsTemporaryName(name.substr(stem.GetLength()));
    }
};

// False when the names would not fit in one path component.
bool SaveNamesOf(const CString& target, SaveNames& out) {
    const CString name = plat::LastComponent(target);
    if (name.IsEmpty()) return false;
    const std::size_t bytes = 1 + Utf8LosslessLength(name.view()) +
                              std::char_traits<char16_t>::length(plat::kTemporaryPrefix) + plat::kTemporarySuffixLength;
    if (bytes > plat::kMaxNameBytes) return false;
    out.directory = plat::ParentPath(target);
    out.stem = u"." + name;
    return true;
}

// The temporary files of earlier saves: regular files of exactly the save's form. Only a
// caller that holds the save lock may remove them.
std::vector<CString> FindLeftovers(plat::FileSystem& fs, const SaveNames& names) {
    std::vector<CString> found;
    std::unique_ptr<plat::DirectoryLister> lister = fs.ListDirectory(names.directory);
    if (!lister) return found;
    plat::FindData entry;
    while (lister->Next(entry)) {
        if (entry.kind == plat::EntryKind::File && names.IsTemporary(entry.name.view()))
            found.push_back(names.Path(entry.name));
    }
    return found;
}

std::size_t RemoveLeftovers(plat::FileSystem& fs, const std::vector<CString>& leftovers, CLogger* logger) {
    std::size_t removed = 0;
    for (const CString& path : leftovers) {
        if (!fs.DeleteFile(path)) continue;
        ++removed;
        if (logger) logger->LogInfo(IDS_SCAN_TEMPORARY_REMOVED, path);
    }
    return removed;
}

}  // namespace

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
    // Another save of this file, in this process or another, is waited for; a lock that
    // cannot be had for another reason costs only the clean-up.
    SaveNames names;
    if (SaveNamesOf(target_, names)) {
        lock_ = fs_.LockDirectory(names.directory, kLockWait);
        if (!lock_ && GetLastError() == win32::ERROR_SHARING_VIOLATION) {
            SetFail(win32::ERROR_SHARING_VIOLATION);
            return false;
        }
    }
    if (!CreateTemporary()) {
        SetFail(GetLastError());
        lock_.reset();
        return false;
    }
    md5_.Reset();
    return true;
}

// Named after the target where the name fits, else a plain temporary name.
bool SignedOFStream::CreateTemporary() {
    SaveNames names;
    const bool own = SaveNamesOf(target_, names);
    file_ = fs_.CreateTemporaryBeside(target_, temp_, own ? names.stem.view() : std::u16string_view());
    return file_ != nullptr;
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
    if (good() && Commit()) {
        // The new file is in place and the lock still held: no save of this file is in
        // progress, so every temporary file of its form is a leftover.
        SaveNames names;
        if (lock_ && SaveNamesOf(target_, names)) RemoveLeftovers(fs_, FindLeftovers(fs_, names), logger_);
        lock_.reset();
        return true;
    }
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
    lock_.reset();
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

std::size_t RemoveSaveLeftovers(plat::FileSystem& fs, const CString& path, CLogger* logger) {
    CString target = path;
    plat::FindData fd;
    if (fs.GetFindData(target, fd) && fd.kind == plat::EntryKind::Symlink && !fs.ResolvePath(path, target)) return 0;
    SaveNames names;
    if (!SaveNamesOf(target, names)) return 0;
    // The lock is taken only where there is something to remove; what was seen before it is
    // looked at again under it (a save may have ended meanwhile).
    if (FindLeftovers(fs, names).empty()) return 0;
    const std::unique_ptr<plat::FileLock> lock = fs.LockDirectory(names.directory, std::chrono::milliseconds(0));
    if (!lock) return 0;
    return RemoveLeftovers(fs, FindLeftovers(fs, names), logger);
}
