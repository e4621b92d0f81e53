#include "engine/execute/sync_executor.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <random>
#include <thread>

#include "engine/execute/sync_executor_internal.h"
#include "engine/log/logger.h"
#include "engine/tree/fs_tree.h"
#include "engine/watcher.h"

// How one entry is carried out, and why it differs from a plain "delete the target, write
// the new file" sequence:
//
// - A file is written to a temporary file beside the target, gets its times and
//   permission bits there, and is renamed over the target only when complete. The old
//   target is never touched before that rename, so a failed or cancelled copy leaves it as
//   it was. A target that did not exist at the scan is placed with a rename that refuses
//   to replace, so a file that appeared since is not lost.
// - Before anything is replaced or deleted, the entry on disk is compared (kind, size,
//   last-write time) with the stamp the scan saw; the source is compared once more after
//   it was read. A plan is only as current as its scan.
// - A retry of a step between opening the target and closing it starts the file again
//   from opening the source with a fresh temporary file: writing or closing the same
//   descriptor twice could duplicate bytes or close a descriptor that was reused.
// - Directories are made with owner write permission, so that a read-only source tree can
//   be copied into; Finish gives them their exact bits at the end, the deepest first.
//
// Step numbers (the extra word of a failure) of the own copy: 1 remove a target of the
// other kind, 3 make the directory, 4 open the source, 5 create the temporary file, 7 read,
// 8 write, 6 set times and permission bits on the temporary file, 9 close it, 10 close the
// source, 11 rename it into place, 12 read the new stamp. The system copy: 101 remove a
// target of the other kind, 104 the kernel copy into the temporary file, 105/106 make the
// directory, 107 rename into place, 108 read the new stamp.
//
// The files of the executor: this one holds the entry loop (one job, the database-only
// path, deletes, the end of a run) and what every job uses; executor_copy.cpp the copy of
// an entry (placing a file, a directory over or into what is there); executor_copy_own.cpp
// and executor_copy_system.cpp the two ways of writing a file; executor_compare.cpp the
// content comparison; executor_directory_modes.cpp the permission bits of directories.

using executor::IsDirectoryEntry;
using executor::SideStamp;

namespace {

std::uint64_t SystemSeconds() { return GetSystemTimeAsFileTime() / kFileTimeUnitsPerSecond; }

}  // namespace

SyncExecutor::SyncExecutor(plat::FileSystem* fs) : fs_(fs ? fs : &plat::PosixFs()), clock_(&SystemSeconds) {
    tempCounter_ = (std::uint64_t(std::random_device{}()) << 32) ^ std::random_device{}();
    minimumSeconds_ = 1;
    transferStart_ = clock_();
    Init(CString(), CString(), nullptr, 0, 0, false);
}

SyncExecutor::~SyncExecutor() = default;

void SyncExecutor::Init(const CString& leftRoot, const CString& rightRoot, Watcher* watcher,
                        std::int64_t bufferSize, std::int64_t retryDelayMs, bool ownCopy) {
    buffer_.reset();
    secondBuffer_.reset();
    leftRoot_ = leftRoot;
    rightRoot_ = rightRoot;
    leftHold_ = plat::RootHold(*fs_, leftRoot);
    rightHold_ = plat::RootHold(*fs_, rightRoot);
    watcher_ = watcher;
    // Both come from settings a user can type (and the scan passes them on as well as the
    // execution), so they are bounded here for every caller.
    bufferSize_ = bufferSize <= 0 ? kDefaultBufferSize
                                  : static_cast<std::uint32_t>(std::min<std::int64_t>(bufferSize, kLargestBufferSize));
    retryDelay_ = static_cast<std::uint32_t>(std::clamp<std::int64_t>(retryDelayMs, 0, UINT32_MAX));
    retryLimit_ = 1;
    retries_ = 0;
    failedAt_ = StepPoint();
    ownCopy_ = ownCopy;
    node_ = nullptr;
    record_ = nullptr;
    itemValue_ = 0;
    directoryModes_.clear();
    counts_ = ExecutionCounts();
    buffer_ = std::make_unique<std::uint8_t[]>(bufferSize_);
}

CString SyncExecutor::SidePath(const FSTreeNode& node, Side side) const {
    // Collect the nodes from the entry up to (not including) the root.
    const FSTreeNode* chain[64];
    std::vector<const FSTreeNode*> deep;
    std::size_t n = 0;
    for (const FSTreeNode* p = &node; p && p->parent; p = p->parent) {
        if (n < 64) chain[n++] = p;
        else deep.push_back(p);
    }
    CString path = side == LEFT ? leftRoot_ : rightRoot_;
    auto append = [&](const FSTreeNode* p) {
        const CSyncRecord& r = p->record;
        const FileStamp* own = SideStamp(r, side);
        const FileStamp* other = SideStamp(r, side == LEFT ? RIGHT : LEFT);
        if (!path.EndsWith(u"/")) path += u'/';
        if (own) path += own->GetName();
        else if (other) path += other->GetName();
        else path += p->GetName();  // neither side has it: only reported, never opened
    };
    for (auto it = deep.rbegin(); it != deep.rend(); ++it) append(*it);
    while (n > 0) append(chain[--n]);
    return path;
}

bool SyncExecutor::Cancelled() { return watcher_ && watcher_->IsCancelled(); }

void SyncExecutor::StartTransferClock() {
    transferStart_ = clock_();
    transferBytes_ = 0;
}

std::uint32_t SyncExecutor::Rate() const {
    const std::uint64_t now = clock_();
    const std::uint64_t seconds = now > transferStart_ ? now - transferStart_ : 0;
    if (seconds == 0 || seconds < static_cast<std::uint64_t>(minimumSeconds_) || transferBytes_ == 0) return 0;
    return static_cast<std::uint32_t>(transferBytes_ / seconds / 1000);
}

SyncExecutor::Answer SyncExecutor::HandleFailure(ErrorInfo& question, ErrorInfo& error, Asking asking) {
    StartTransferClock();
    if (retryDelay_ != 0 && retries_ < retryLimit_) {
        ++retries_;
        std::this_thread::sleep_for(std::chrono::milliseconds(retryDelay_));
        return Answer::Retry;
    }
    retries_ = 0;
    const int answer = watcher_ ? watcher_->Ask(&question) : WATCHER_ANSWER_ABORT;
    if (asking == Asking::Comparison) {
        // The scan's reading: 1 stops the scan; 0, 2 and 4 leave this entry uncompared.
        if (answer == WATCHER_ANSWER_ABORT) { error = question; return Answer::Abort; }
        if (answer == 0 || answer == 2 || answer == WATCHER_ANSWER_IGNORE) { error = question; return Answer::Ignore; }
        return Answer::Retry;
    }
    if (answer >= 0 && answer <= 2) { error = question; return Answer::Abort; }
    if (answer == WATCHER_ANSWER_IGNORE) { error = question; return Answer::Ignore; }
    return Answer::Retry;
}

bool SyncExecutor::Stepped(bool ok, StepPoint at, std::uint32_t step, const CString& path, Failure& failure) {
    if (!ok) {
        failure = {step, GetLastError(), path};
        failedAt_ = at;
    } else if (at >= failedAt_) {
        retries_ = 0;
    }
    return ok;
}

bool SyncExecutor::MatchesStamp(const CString& path, const FileStamp* stamp, ErrorInfo& error) {
    plat::FindData fd;
    bool same = stamp && fs_->GetFindData(path, fd);
    if (same) {
        if (stamp->IsDirectory()) {
            // A directory's own times change with its contents (the run deletes and
            // creates entries in it), so only its kind is compared.
            same = IsDirectoryEntry(fd);
        } else {
            same = fd.kind == plat::EntryKind::File && fd.Size() == stamp->GetSize() &&
                   fd.lastWriteTime == stamp->lastWriteTime;
        }
    }
    if (!same) error.Set(ERROR_CATEGORY_PROGRAM, ERRCODE_CHANGED_SINCE_SCAN, 0, path);
    return same;
}

// ---------------------------------------------------------------------------------------
// One job

void SyncExecutor::StartEntry(FSTreeNode& node, std::uint32_t itemValue) {
    itemValue_ = itemValue;
    node_ = &node;
    record_ = &node.record;
    retries_ = 0;
    failedAt_ = StepPoint();
}

bool SyncExecutor::Run(FSTreeNode& node, std::uint32_t itemValue, ErrorInfo& error) {
    StartEntry(node, itemValue);
    if (Cancelled()) {
        error.Set(ERROR_CATEGORY_CANCELLED, 0, 0, nullptr);
        return false;
    }
    CSyncRecord& r = node.record;
    if (r.ST == DONE || r.ST == SKIPPED) return true;
    bool go = true;
    switch (r.AC) {
        case DEL_M: go = Delete(node, LEFT, error); break;
        case DEL_S: go = Delete(node, RIGHT, error); break;
        case CP_M: go = Copy(node, LEFT, error); break;
        case CP_S: go = Copy(node, RIGHT, error); break;
        default: go = DatabaseOnly(node); break;
    }
    std::this_thread::yield();
    return go;
}

bool SyncExecutor::DatabaseOnly(FSTreeNode& node) {
    CSyncRecord& r = node.record;
    const CString shown = SidePath(node, r.left || !r.right ? LEFT : RIGHT);
    const bool update = r.AC == DEL_D || r.AC == UPDATE_D;
    if (watcher_) {
        watcher_->ItemStart(itemValue_, update ? WATCHER_ITEM_UPDATE_DATABASE : WATCHER_ITEM_NOTHING_TO_DO,
                            shown.c_str(), nullptr, 0);
    }
    if (r.AC == DEL_D) {
        r.DropDatabase();
        r.ST = DONE;
    } else if (r.AC == UPDATE_D) {
        if (r.left && r.right) {
            r.SetDatabaseStamps(*r.left, *r.right);
        } else {
            // Only one side is there: no pair can describe it; forget the old one.
            r.DropDatabase();
        }
        r.ST = DONE;
    } else {
        if (r.db) {
            if (r.left) r.db->left.creationTime = r.left->creationTime;
            if (r.right) r.db->right.creationTime = r.right->creationTime;
        }
        r.ST = SKIPPED;
    }
    if (watcher_) watcher_->ItemDone();
    return true;
}

bool SyncExecutor::Delete(FSTreeNode& node, Side side, ErrorInfo& error) {
    CSyncRecord& r = node.record;
    const FileStamp* stamp = SideStamp(r, side);
    const CString path = SidePath(node, side);
    if (watcher_) watcher_->ItemStart(itemValue_, WATCHER_ITEM_DELETE, path.c_str(), nullptr, 0);
    bool go = true;
    if (!MatchesStamp(path, stamp, error)) {
        r.ST = FAILED;
    } else {
        const bool directory = stamp->IsDirectory();
        const End end = Attempted(error, Asking::Uninterrupted, [&](Failure& failure) {
            if (watcher_) watcher_->EnterTransfer();
            const bool ok = WithWritableParent(path, [&] {
                return directory ? fs_->RemoveDirectory(path) : fs_->DeleteFile(path);
            });
            failure = {0, GetLastError(), path};
            if (watcher_) watcher_->LeaveTransfer();
            if (ok) return Attempt::Ok;
            r.ST = FAILED;
            return Attempt::Failed;
        });
        if (end == End::Done) {
            // A directory made writable for its contents' removal is gone now.
            if (directory) directoryModes_.erase(path);
            ++counts_.deletions;
            r.DropDatabase();
            r.ST = DONE;
        }
        go = end != End::Aborted;
    }
    if (watcher_) watcher_->ItemDone();
    return go;
}

// ---------------------------------------------------------------------------------------
// End of a run

bool SyncExecutor::Finish(CLogger* logger) {
    bool ok = SetFinalDirectoryModes(logger);
    if (leftRoot_.GetLength() > 0 && !fs_->SyncFileSystem(leftRoot_)) ok = LogFailure(logger, leftRoot_);
    if (rightRoot_.GetLength() > 0 && !fs_->SyncFileSystem(rightRoot_)) ok = LogFailure(logger, rightRoot_);
    return ok;
}

bool SyncExecutor::LogFailure(CLogger* logger, const CString& path) {
    if (!logger) return false;
    ErrorInfo e;
    e.Set(ERROR_CATEGORY_SYSTEM, GetLastError(), 0, path);
    logger->LogRecord(e);
    return false;
}
