#include "engine/execute/sync_executor.h"
#include "engine/execute/sync_executor_internal.h"
#include "engine/watcher.h"

// The own copy: the read/write loop into a fresh temporary file, then the source's times
// on it, exactly as the source's stat gives them (never the stamp's FILETIME, which is
// coarser and ends in 30828). It keeps the temporary mode; CopyFile gives the placed file
// the source's permission bits.
SyncExecutor::Attempt SyncExecutor::WriteOwnTemporary(CopyJob& job, Failure& failure, ErrorInfo& error) {
    // The steps in the order an attempt passes them (StepPoint's order at a byte count).
    enum : std::uint32_t { kOpen, kCreate, kRead, kWrite, kTimes, kCloseTarget, kCloseSource };
    std::unique_ptr<plat::File> source = fs_->OpenRead(job.sourcePath);
    if (!Stepped(source != nullptr, {0, kOpen}, 4, job.sourcePath, failure)) return Attempt::Failed;
    if (Cancelled()) return Attempt::Cancelled;
    std::unique_ptr<plat::File> target;
    CString temp;
    const bool created = WithWritableParent(job.targetPath, [&] {
        target = fs_->CreateTemporaryBeside(job.targetPath, temp);
        return target != nullptr;
    });
    if (!Stepped(created, {0, kCreate}, 5, job.targetPath, failure)) return Attempt::Failed;
    job.tempPath = temp;
    StartTransferClock();
    if (Cancelled()) return Attempt::Cancelled;
    std::uint64_t itemBytes = 0;
    for (;;) {
        std::size_t got = 0;
        if (!Stepped(source->Read(buffer_.get(), bufferSize_, got), {itemBytes, kRead}, 7, job.sourcePath, failure))
            return Attempt::Failed;
        if (Cancelled()) return Attempt::Cancelled;
        if (got == 0) break;
        if (!Stepped(target->Write(buffer_.get(), got), {itemBytes, kWrite}, 8, job.targetPath, failure))
            return Attempt::Failed;
        itemBytes += got;
        transferBytes_ += got;
        if (watcher_) watcher_->Progress(itemBytes, Rate());
        if (Cancelled()) return Attempt::Cancelled;
    }
    if (!SourceUnchanged(job, itemBytes, true, error)) return Attempt::Changed;
    const bool stamped = target->SetUnixTimes(&job.sourceNow.lastAccessUnix, &job.sourceNow.lastWriteUnix);
    if (!Stepped(stamped, {itemBytes, kTimes}, 6, job.targetPath, failure)) return Attempt::Failed;
    if (Cancelled()) return Attempt::Cancelled;
    if (!Stepped(target->Close(), {itemBytes, kCloseTarget}, 9, job.targetPath, failure)) return Attempt::Failed;
    if (Cancelled()) return Attempt::Cancelled;
    if (!Stepped(source->Close(), {itemBytes, kCloseSource}, 10, job.sourcePath, failure)) return Attempt::Failed;
    if (Cancelled()) return Attempt::Cancelled;
    return Attempt::Ok;
}
