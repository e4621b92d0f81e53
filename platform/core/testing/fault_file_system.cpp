#include "platform/core/testing/fault_file_system.h"

#include <algorithm>

#include "platform/core/copy_through_temporary.h"
#include "platform/core/win_error.h"

namespace plat {

class FaultFileSystem::FaultFile final : public File {
public:
    FaultFile(FaultFileSystem& fs, std::unique_ptr<File> inner, CString path, CString alsoPath)
        : fs_(fs), inner_(std::move(inner)), path_(std::move(path)), alsoPath_(std::move(alsoPath)) {}

    bool Read(void* buffer, std::size_t n, std::size_t& got) override {
        got = 0;
        return Admit(FsOp::FileRead) && inner_->Read(buffer, n, got);
    }
    bool Write(const void* buffer, std::size_t n) override {
        if (!Admit(FsOp::FileWrite)) return false;
        std::uint64_t limit;
        std::uint32_t code;
        if (fs_.LimitFor(FsOp::FileWrite, path_, alsoPath_, limit, code) && written_ + n > limit) {
            // A full disk takes what fits, then refuses the rest.
            const std::uint64_t fits = limit > written_ ? limit - written_ : 0;
            if (fits > 0 && inner_->Write(buffer, static_cast<std::size_t>(fits))) written_ += fits;
            SetLastError(code);
            return false;
        }
        if (!inner_->Write(buffer, n)) return false;
        written_ += n;
        return true;
    }
    bool Seek(std::uint64_t offset) override { return Admit(FsOp::FileSeek) && inner_->Seek(offset); }
    bool GetSize(std::uint64_t& size) override { return Admit(FsOp::FileGetSize) && inner_->GetSize(size); }
    bool GetFindData(FindData& out) override { return Admit(FsOp::FileGetFindData) && inner_->GetFindData(out); }
    bool SetUnixTimes(const UnixTime* a, const UnixTime* w) override {
        return Admit(FsOp::FileSetTimes) && inner_->SetUnixTimes(a, w);
    }
    bool SetMode(std::uint32_t mode) override { return Admit(FsOp::FileSetMode) && inner_->SetMode(mode); }
    bool Flush() override { return Admit(FsOp::FileFlush) && inner_->Flush(); }
    bool Close() override { return Admit(FsOp::FileClose) && inner_->Close(); }

private:
    bool Admit(FsOp op) { return fs_.Admit(op, path_, alsoPath_); }

    FaultFileSystem& fs_;
    std::unique_ptr<File> inner_;
    CString path_;
    CString alsoPath_;
    std::uint64_t written_ = 0;
};

class FaultFileSystem::FaultLister final : public DirectoryLister {
public:
    FaultLister(FaultFileSystem& fs, std::unique_ptr<DirectoryLister> inner, CString path)
        : fs_(fs), inner_(std::move(inner)), path_(std::move(path)) {}

    bool Next(FindData& out) override {
        if (!fs_.Admit(FsOp::ListNext, path_)) return false;
        std::uint64_t limit;
        std::uint32_t code;
        if (fs_.LimitFor(FsOp::ListNext, path_, CString(), limit, code) && delivered_ >= limit) {
            SetLastError(code);
            return false;
        }
        if (!inner_->Next(out)) return false;
        ++delivered_;
        return true;
    }

private:
    FaultFileSystem& fs_;
    std::unique_ptr<DirectoryLister> inner_;
    CString path_;
    std::uint64_t delivered_ = 0;
};

FaultFileSystem::FaultFileSystem(FileSystem& inner) : inner_(inner) {}

void FaultFileSystem::FailOn(FsOp op, const CString& path, std::uint32_t code, PathMatch match, Repeat repeat) {
    std::lock_guard lock(mutex_);
    rules_.push_back(Rule{op, path, match, repeat, code, 0, false});
}

void FaultFileSystem::FailNthCall(std::uint64_t n, std::uint32_t code) {
    std::lock_guard lock(mutex_);
    failAtCall_ = n ? calls_ + n : 0;
    failAtCallCode_ = code;
}

void FaultFileSystem::FailWriteAfter(const CString& path, std::uint64_t bytes, std::uint32_t code, PathMatch match) {
    std::lock_guard lock(mutex_);
    rules_.push_back(Rule{FsOp::FileWrite, path, match, Repeat::Always, code, bytes, true});
}

void FaultFileSystem::FailListingAfter(const CString& path, std::uint64_t entries, std::uint32_t code,
                                       PathMatch match) {
    std::lock_guard lock(mutex_);
    rules_.push_back(Rule{FsOp::ListNext, path, match, Repeat::Always, code, entries, true});
}

void FaultFileSystem::ClearFaults() {
    std::lock_guard lock(mutex_);
    rules_.clear();
    failAtCall_ = 0;
}

std::uint64_t FaultFileSystem::CallCount() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

std::uint64_t FaultFileSystem::CallCount(FsOp op) const {
    std::lock_guard lock(mutex_);
    return op < FsOp::Count ? callsByOp_[static_cast<int>(op)] : 0;
}

std::uint64_t FaultFileSystem::InjectedCount() const {
    std::lock_guard lock(mutex_);
    return injected_;
}

bool FaultFileSystem::Matches(const Rule& r, FsOp op, const CString& path, const CString& alsoPath) const {
    if (r.op != op) return false;
    const auto hit = [&](const CString& p) {
        return !p.IsEmpty() && (r.match == PathMatch::Exact ? p == r.path : p.StartsWith(r.path.view()));
    };
    return hit(path) || hit(alsoPath);
}

void FaultFileSystem::SetCallHook(CallHook hook) {
    std::lock_guard lock(mutex_);
    hook_ = hook ? std::make_shared<const CallHook>(std::move(hook)) : nullptr;
}

bool FaultFileSystem::Admit(FsOp op, const CString& path, const CString& alsoPath) {
    std::shared_ptr<const CallHook> hook;
    {
        std::lock_guard lock(mutex_);
        hook = hook_;
    }
    if (hook) (*hook)(op, path);
    std::lock_guard lock(mutex_);
    ++calls_;
    ++callsByOp_[static_cast<int>(op)];
    if (failAtCall_ != 0 && calls_ == failAtCall_) {
        failAtCall_ = 0;
        ++injected_;
        SetLastError(failAtCallCode_);
        return false;
    }
    const auto it = std::find_if(rules_.begin(), rules_.end(),
                                 [&](const Rule& r) { return !r.limited && Matches(r, op, path, alsoPath); });
    if (it == rules_.end()) return true;
    const std::uint32_t code = it->code;
    if (it->repeat == Repeat::Once) rules_.erase(it);
    ++injected_;
    SetLastError(code);
    return false;
}

bool FaultFileSystem::LimitFor(FsOp op, const CString& path, const CString& alsoPath, std::uint64_t& limit,
                               std::uint32_t& code) const {
    std::lock_guard lock(mutex_);
    for (const Rule& r : rules_) {
        if (r.limited && Matches(r, op, path, alsoPath)) {
            limit = r.limit;
            code = r.code;
            return true;
        }
    }
    return false;
}

std::unique_ptr<DirectoryLister> FaultFileSystem::ListDirectory(const CString& path) {
    if (!Admit(FsOp::ListDirectory, path)) return nullptr;
    std::unique_ptr<DirectoryLister> inner = inner_.ListDirectory(path);
    if (!inner) return nullptr;
    return std::make_unique<FaultLister>(*this, std::move(inner), path);
}

bool FaultFileSystem::GetFindData(const CString& path, FindData& out) {
    return Admit(FsOp::GetFindData, path) && inner_.GetFindData(path, out);
}

std::uint32_t FaultFileSystem::GetFileAttributes(const CString& path) {
    return Admit(FsOp::GetFileAttributes, path) ? inner_.GetFileAttributes(path) : INVALID_FILE_ATTRIBUTES;
}

bool FaultFileSystem::SetFileAttributes(const CString& path, std::uint32_t attributes) {
    return Admit(FsOp::SetFileAttributes, path) && inner_.SetFileAttributes(path, attributes);
}

bool FaultFileSystem::SetFileTimes(const CString& path, const FileTime* creation, const FileTime* lastAccess,
                                   const FileTime* lastWrite) {
    return Admit(FsOp::SetFileTimes, path) && inner_.SetFileTimes(path, creation, lastAccess, lastWrite);
}

bool FaultFileSystem::SetPermissions(const CString& path, std::uint32_t mode) {
    return Admit(FsOp::SetPermissions, path) && inner_.SetPermissions(path, mode);
}

bool FaultFileSystem::CreateDirectory(const CString& path) {
    return Admit(FsOp::CreateDirectory, path) && inner_.CreateDirectory(path);
}

bool FaultFileSystem::CreateDirectoryFromTemplate(const CString& path, const CString& templatePath) {
    return Admit(FsOp::CreateDirectoryFromTemplate, path, templatePath) &&
           inner_.CreateDirectoryFromTemplate(path, templatePath);
}

bool FaultFileSystem::RemoveDirectory(const CString& path) {
    return Admit(FsOp::RemoveDirectory, path) && inner_.RemoveDirectory(path);
}

bool FaultFileSystem::DeleteFile(const CString& path) {
    return Admit(FsOp::DeleteFile, path) && inner_.DeleteFile(path);
}

bool FaultFileSystem::MoveFile(const CString& from, const CString& to, bool replaceExisting) {
    return Admit(FsOp::MoveFile, from, to) && inner_.MoveFile(from, to, replaceExisting);
}

std::unique_ptr<File> FaultFileSystem::OpenRead(const CString& path) {
    if (!Admit(FsOp::OpenRead, path)) return nullptr;
    std::unique_ptr<File> inner = inner_.OpenRead(path);
    if (!inner) return nullptr;
    return std::make_unique<FaultFile>(*this, std::move(inner), path, CString());
}

std::unique_ptr<File> FaultFileSystem::CreateFile(const CString& path, CreateMode mode, std::uint32_t permissions) {
    if (!Admit(FsOp::CreateFile, path)) return nullptr;
    std::unique_ptr<File> inner = inner_.CreateFile(path, mode, permissions);
    if (!inner) return nullptr;
    return std::make_unique<FaultFile>(*this, std::move(inner), path, CString());
}

std::unique_ptr<File> FaultFileSystem::CreateTemporaryBeside(const CString& target, CString& tempPath,
                                                             std::u16string_view stem) {
    if (!Admit(FsOp::CreateTemporaryBeside, target)) return nullptr;
    std::unique_ptr<File> inner = inner_.CreateTemporaryBeside(target, tempPath, stem);
    if (!inner) return nullptr;
    return std::make_unique<FaultFile>(*this, std::move(inner), tempPath, target);
}

bool FaultFileSystem::CopyFile(const CString& source, const CString& target, const CopyProgress& progress,
                               const CopyOptions& options) {
    return Admit(FsOp::CopyFile, source, target) &&
           CopyThroughTemporary(*this, source, target, progress, options);
}

bool FaultFileSystem::GetFullPathName(const CString& path, CString& out) {
    return Admit(FsOp::GetFullPathName, path) && inner_.GetFullPathName(path, out);
}

bool FaultFileSystem::ResolvePath(const CString& path, CString& out) {
    return Admit(FsOp::ResolvePath, path) && inner_.ResolvePath(path, out);
}

bool FaultFileSystem::GetVolumeInformation(const CString& path, CString& fileSystemName) {
    return Admit(FsOp::GetVolumeInformation, path) && inner_.GetVolumeInformation(path, fileSystemName);
}

bool FaultFileSystem::SyncFileSystem(const CString& path) {
    return Admit(FsOp::SyncFileSystem, path) && inner_.SyncFileSystem(path);
}

bool FaultFileSystem::SyncDirectory(const CString& path) {
    return Admit(FsOp::SyncDirectory, path) && inner_.SyncDirectory(path);
}

std::unique_ptr<FileLock> FaultFileSystem::LockDirectory(const CString& path, std::chrono::milliseconds wait) {
    return Admit(FsOp::LockDirectory, path) ? inner_.LockDirectory(path, wait) : nullptr;
}

void FaultFileSystem::HoldRoot(const CString& root) { inner_.HoldRoot(root); }

void FaultFileSystem::ReleaseRoot(const CString& root) { inner_.ReleaseRoot(root); }

std::unique_ptr<DirectoryScope> FaultFileSystem::EnterDirectory(const CString& path) {
    return inner_.EnterDirectory(path);
}

}  // namespace plat
