#include "engine/execute/sync_executor.h"
#include "engine/execute/sync_executor_internal.h"
#include "engine/watcher.h"

// The system copy where nothing of the other kind is in the way: the platform's kernel
// copy into its temporary file beside the target, with the checks of the source and the
// target run by the platform just before its rename, which replaces only a file the scan
// saw there.
SyncExecutor::End SyncExecutor::KernelCopyInPlace(CopyJob& job, ErrorInfo& error) {
    plat::CopyOptions options;
    options.kernelCopy = true;
    options.bufferSize = bufferSize_;
    options.replaceExisting = job.target != nullptr;
    bool changed = false;
    options.beforeRename = [&] {
        if (SourceUnchanged(job, 0, false, error) && (!job.target || MatchesStamp(job.targetPath, job.target, error)))
            return true;
        changed = true;
        SetLastError(win32::ERROR_REQUEST_ABORTED);
        return false;
    };
    const plat::CopyProgress progress = [this](std::uint64_t done, std::uint64_t) {
        transferBytes_ = done;
        if (watcher_) watcher_->Progress(done, Rate());
        return !Cancelled();
    };
    return Attempted(error, Asking::Step, [&](Failure& failure) {
        StartTransferClock();
        if (WithWritableParent(job.targetPath,
                               [&] { return fs_->CopyFile(job.sourcePath, job.targetPath, progress, options); })) {
            ++counts_.copies;
            job.placed = true;
            return Attempt::Ok;
        }
        failure = {104, GetLastError(), job.sourcePath + u" >> " + job.targetPath};
        if (changed) return Attempt::Changed;
        if (Cancelled()) return Attempt::Cancelled;
        return Attempt::Failed;
    });
}

// The system copy over a directory of the same name: the platform's kernel copy writes
// into its own temporary file and renames it to a temporary name of ours beside the
// target; the old directory is removed only once that file is complete.
SyncExecutor::Attempt SyncExecutor::WriteSystemTemporary(CopyJob& job, Failure& failure, ErrorInfo& error) {
    CString temp = plat::ParentPath(job.targetPath);
    if (!temp.EndsWith(u"/")) temp += u'/';
    temp += plat::kTemporaryPrefix;
    // Eight hex digits: the strict form every temporary name of the program has.
    static_assert(plat::kTemporarySuffixLength == 8);
    temp.AppendFormat(u"%08x", NextTemporaryNumber());
    StartTransferClock();
    plat::CopyOptions options;
    options.kernelCopy = true;
    options.bufferSize = bufferSize_;
    options.setMode = false;  // it keeps the temporary mode until CopyFile has placed it
    const plat::CopyProgress progress = [this](std::uint64_t done, std::uint64_t) {
        transferBytes_ = done;
        if (watcher_) watcher_->Progress(done, Rate());
        return !Cancelled();
    };
    if (!WithWritableParent(temp, [&] { return fs_->CopyFile(job.sourcePath, temp, progress, options); })) {
        const std::uint32_t code = GetLastError();
        if (Cancelled()) return Attempt::Cancelled;
        failure = {104, code, job.sourcePath + u" >> " + job.targetPath};
        return Attempt::Failed;
    }
    job.tempPath = temp;
    if (Cancelled()) return Attempt::Cancelled;
    if (!SourceUnchanged(job, 0, false, error)) return Attempt::Changed;
    return Attempt::Ok;
}

std::uint32_t SyncExecutor::NextTemporaryNumber() {
    tempCounter_ += 0x9E3779B97F4A7C15ULL;
    return static_cast<std::uint32_t>(tempCounter_ >> 32) ^ static_cast<std::uint32_t>(tempCounter_);
}
