#include "engine/execute/sync_executor.h"
#include "engine/execute/sync_executor_internal.h"
#include "engine/tree/fs_tree.h"
#include "engine/watcher.h"

// The copy of one entry: the job is built and its new stamp read here; a file is written
// by one of the two copies (executor_copy_own.cpp, executor_copy_system.cpp) into a
// temporary file and placed here, over a file or over an empty directory of the same
// name; a directory is made here, in place of a file when one stands there.

using executor::IsDirectoryEntry;
using executor::SideStamp;

bool SyncExecutor::SourceUnchanged(CopyJob& job, std::uint64_t bytesRead, bool counted, ErrorInfo& error) {
    const bool same = fs_->GetFindData(job.sourcePath, job.sourceNow) &&
                      job.sourceNow.kind == plat::EntryKind::File && job.sourceNow.Size() == job.source->GetSize() &&
                      job.sourceNow.lastWriteTime == job.source->lastWriteTime &&
                      (!counted || bytesRead == job.source->GetSize());
    if (!same) error.Set(ERROR_CATEGORY_PROGRAM, ERRCODE_CHANGED_SINCE_SCAN, 0, job.sourcePath);
    return same;
}

void SyncExecutor::RemoveTemporary(CopyJob& job) {
    if (job.tempPath.GetLength() == 0) return;
    fs_->DeleteFile(job.tempPath);
    job.tempPath = CString();
}

SyncExecutor::End SyncExecutor::CopyDirectory(CopyJob& job, ErrorInfo& error) {
    CSyncRecord& r = *job.record;
    const std::uint32_t base = ownCopy_ ? 0 : 100;
    job.sameKind = job.target && job.target->IsDirectory();
    if (job.target && !job.sameKind) {
        // A file stands where the directory goes: it is deleted first (when it is still
        // the file the scan saw), then the directory is made.
        if (!MatchesStamp(job.targetPath, job.target, error)) return End::Changed;
        const End e = AttemptedCall(base + 1, job.targetPath, error, [&] {
            return WithWritableParent(job.targetPath, [&] { return fs_->DeleteFile(job.targetPath); });
        });
        if (e != End::Done) return e;
        ++counts_.deletions;
        r.DropDatabase();
        job.targetRemoved = true;
        if (Cancelled()) return End::Cancelled;
    }
    if (!job.sameKind) {
        // A source directory that could not be listed gives no template.
        const bool unlisted = (r.FG & (job.from == LEFT ? FG_LEFT_INACCESSIBLE : FG_RIGHT_INACCESSIBLE)) != 0;
        const std::uint32_t step = ownCopy_ ? 3 : (unlisted ? 106 : 105);
        const End e = AttemptedCall(step, job.targetPath, error, [&] {
            return WithWritableParent(job.targetPath, [&] {
                if (!unlisted && fs_->CreateDirectoryFromTemplate(job.targetPath, job.sourcePath)) return true;
                return fs_->CreateDirectory(job.targetPath);
            });
        });
        if (e != End::Done) return e;
        ++counts_.directoryCreations;
        job.placed = true;
        if (Cancelled()) return End::Cancelled;
    }
    // The directory's permission bits are set at the end of the run, once nothing more
    // is put into it.
    NoteDirectoryMode(job.targetPath, job.sourceNow.mode, true);
    return End::Done;
}

SyncExecutor::End SyncExecutor::CopyFile(CopyJob& job, ErrorInfo& error) {
    CSyncRecord& r = *job.record;
    const std::uint32_t base = ownCopy_ ? 0 : 100;
    job.sameKind = job.target && !job.target->IsDirectory();
    if (!ownCopy_ && (!job.target || job.sameKind)) return KernelCopyInPlace(job, error);
    const End written = Attempted(error, Asking::Step, [&](Failure& failure) {
        const Attempt a = ownCopy_ ? WriteOwnTemporary(job, failure, error) : WriteSystemTemporary(job, failure, error);
        if (a != Attempt::Ok) RemoveTemporary(job);
        return a;
    });
    if (written != End::Done) return written;
    // The new file is complete beside the target and nothing of the old target has been
    // touched. It must still be what the scan saw; a target that was not there at the
    // scan is placed with a rename that does not replace.
    End e = End::Done;
    if (job.target && !MatchesStamp(job.targetPath, job.target, error)) e = End::Changed;
    if (e == End::Done && job.target && !job.sameKind) {
        e = AttemptedCall(base + 1, job.targetPath, error, [&] {
            return WithWritableParent(job.targetPath, [&] { return fs_->RemoveDirectory(job.targetPath); });
        });
        if (e == End::Done) {
            directoryModes_.erase(job.targetPath);
            ++counts_.deletions;
            r.DropDatabase();
            job.targetRemoved = true;
        }
    }
    if (e == End::Done) {
        const bool replace = job.target && job.sameKind;
        e = AttemptedCall(ownCopy_ ? 11 : 107, job.targetPath, error, [&] {
            return WithWritableParent(job.targetPath,
                                      [&] { return fs_->MoveFile(job.tempPath, job.targetPath, replace); });
        });
        if (e == End::Done) {
            ++counts_.copies;
            job.tempPath = CString();
            job.placed = true;
        }
    }
    // The permission bits once the file has left its temporary name, which it keeps the
    // temporary mode under (a copy cut short leaves only what the crawl takes for a
    // leftover).
    if (e == End::Done) {
        e = AttemptedCall(ownCopy_ ? 13 : 109, job.targetPath, error, [&] {
            return fs_->SetPermissions(job.targetPath, job.sourceNow.mode & executor::kPermissionBits);
        });
    }
    RemoveTemporary(job);
    return e;
}

bool SyncExecutor::Copy(FSTreeNode& node, Side from, ErrorInfo& error) {
    CSyncRecord& r = node.record;
    CopyJob job;
    job.record = &r;
    job.from = from;
    job.to = from == LEFT ? RIGHT : LEFT;
    job.source = SideStamp(r, job.from);
    job.target = SideStamp(r, job.to);
    job.sourcePath = SidePath(node, job.from);
    job.targetPath = SidePath(node, job.to);
    const bool directory = job.source && job.source->IsDirectory();
    if (watcher_) {
        watcher_->ItemStart(itemValue_, WATCHER_ITEM_COPY, job.targetPath.c_str(), job.sourcePath.c_str(),
                            job.source && !directory ? job.source->GetSize() : 0);
        watcher_->EnterTransfer();
    }
    // The target's directory is reached once for the calls of a file's copy (temporary,
    // rename, mode, the new stamp) and let go when the entry is done: nothing kept from
    // one entry to the next.
    std::unique_ptr<plat::DirectoryScope> targetDirectory;
    End end;
    if (!job.source) {
        error.Set(ERROR_CATEGORY_PROGRAM, ERRCODE_CHANGED_SINCE_SCAN, 0, job.sourcePath);
        end = End::Changed;
    } else if (directory) {
        // One look at the source: it must still be a directory, and its permission bits
        // are what the copy ends with.
        if (!fs_->GetFindData(job.sourcePath, job.sourceNow) || !IsDirectoryEntry(job.sourceNow)) {
            error.Set(ERROR_CATEGORY_PROGRAM, ERRCODE_CHANGED_SINCE_SCAN, 0, job.sourcePath);
            end = End::Changed;
        } else {
            end = CopyDirectory(job, error);
        }
    } else {
        targetDirectory = fs_->EnterDirectory(plat::ParentPath(job.targetPath));
        end = CopyFile(job, error);
    }

    bool go = true;
    if (end == End::Done) {
        // The new stamp comes from the final path. A failure here drops the pair (the
        // next scan sees the entry as new) but never touches the completed target.
        plat::FindData now;
        const End read = AttemptedCall(
            ownCopy_ ? 12 : 108, job.targetPath, error, [&] { return fs_->GetFindData(job.targetPath, now); },
            Asking::Uninterrupted);
        if (read == End::Done) {
            const FileStamp placed(now);
            if (job.to == RIGHT) r.SetDatabaseStamps(*job.source, placed);
            else r.SetDatabaseStamps(placed, *job.source);
            r.ST = DONE;
        } else {
            r.DropDatabase();
            r.ST = FAILED;
            go = read != End::Aborted;
        }
        targetDirectory.reset();
    } else {
        // The database pair stays as it was unless the old target is gone or the new
        // entry is in place (a directory made before the failure stays).
        if (job.targetRemoved || job.placed) r.DropDatabase();
        if (end == End::Cancelled) {
            error.Set(ERROR_CATEGORY_CANCELLED, 0, 0, nullptr);
            r.ST = CANCELLED;
            go = false;
        } else {
            r.ST = FAILED;
            go = end != End::Aborted;
        }
    }
    if (watcher_) {
        watcher_->LeaveTransfer();
        watcher_->ItemDone();
    }
    return go;
}
