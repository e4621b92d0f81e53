#include "engine/execute/sync_executor.h"
#include "engine/execute/sync_executor_internal.h"
#include "engine/watcher.h"

using executor::kPermissionBits;

// The own copy: the read/write loop into a fresh temporary file, then the source's times
// and permission bits on it.
SyncExecutor::Attempt SyncExecutor::WriteOwnTemporary(CopyJob& job, Failure& failure, ErrorInfo& error) {
    auto fail = [&](std::uint32_t step, const CString& path) {
        failure = {step, GetLastError(), path};
        return Attempt::Failed;
    };
    std::unique_ptr<plat::File> source = fs_->OpenRead(job.sourcePath);
    if (!source) return fail(4, job.sourcePath);
    if (Cancelled()) return Attempt::Cancelled;
    std::unique_ptr<plat::File> target;
    CString temp;
    const bool created = WithWritableParent(job.targetPath, [&] {
        target = fs_->CreateTemporaryBeside(job.targetPath, temp);
        return target != nullptr;
    });
    if (!created) return fail(5, job.targetPath);
    job.tempPath = temp;
    StartTransferClock();
    if (Cancelled()) return Attempt::Cancelled;
    std::uint64_t itemBytes = 0;
    for (;;) {
        std::size_t got = 0;
        if (!source->Read(buffer_.get(), bufferSize_, got)) return fail(7, job.sourcePath);
        if (Cancelled()) return Attempt::Cancelled;
        if (got == 0) break;
        if (!target->Write(buffer_.get(), got)) return fail(8, job.targetPath);
        itemBytes += got;
        transferBytes_ += got;
        if (watcher_) watcher_->Progress(itemBytes, Rate());
        if (Cancelled()) return Attempt::Cancelled;
    }
    if (!SourceUnchanged(job, itemBytes, true, error)) return Attempt::Changed;
    const FileStamp& s = *job.source;
    if (!target->SetTimes(&s.creationTime, &s.lastAccessTime, &s.lastWriteTime) ||
        !target->SetMode(job.sourceNow.mode & kPermissionBits))
        return fail(6, job.targetPath);
    if (Cancelled()) return Attempt::Cancelled;
    if (!target->Close()) return fail(9, job.targetPath);
    if (Cancelled()) return Attempt::Cancelled;
    if (!source->Close()) return fail(10, job.sourcePath);
    if (Cancelled()) return Attempt::Cancelled;
    return Attempt::Ok;
}
