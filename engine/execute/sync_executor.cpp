#include "engine/execute/sync_executor.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <optional>
#include <random>
#include <thread>

#include "engine/log/logger.h"
#include "engine/tree/fs_tree.h"
#include "engine/tree/sync_record.h"
#include "engine/watcher.h"
#include "platform/core/win_error.h"

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

namespace {

constexpr std::uint32_t kOwnerWrite = 0200;
constexpr std::uint32_t kPermissionBits = 07777;

std::uint64_t SystemSeconds() { return GetSystemTimeAsFileTime() / kFileTimeUnitsPerSecond; }

const FileStamp* SideStamp(const CSyncRecord& record, int side) {
    return side == SyncExecutor::LEFT ? record.left.get() : record.right.get();
}

bool IsDirectoryEntry(const plat::FindData& fd) { return fd.kind == plat::EntryKind::Directory; }

// Reads up to n bytes, fewer only at the end of the file.
bool ReadFull(plat::File& file, std::uint8_t* buffer, std::size_t n, std::size_t& got) {
    got = 0;
    while (got < n) {
        std::size_t part = 0;
        if (!file.Read(buffer + got, n - got, part)) return false;
        if (part == 0) break;
        got += part;
    }
    return true;
}

std::size_t CountSeparators(const CString& path) {
    return static_cast<std::size_t>(std::count(path.view().begin(), path.view().end(), u'/'));
}

}  // namespace

struct SyncExecutor::CopyJob {
    CSyncRecord* record = nullptr;
    Side from = LEFT;
    Side to = RIGHT;
    const FileStamp* source = nullptr;
    const FileStamp* target = nullptr;  // null: nothing there at the scan
    bool sameKind = false;
    CString sourcePath;
    CString targetPath;
    CString tempPath;          // the temporary file while it exists
    plat::FindData sourceNow;  // the source as read after the copy
    bool targetRemoved = false;  // the old target (of the other kind) is gone
    bool placed = false;         // the new entry is at the target path
};

SyncExecutor::SyncExecutor(plat::FileSystem* fs) : fs_(fs ? fs : &plat::PosixFs()), clock_(&SystemSeconds) {
    tempCounter_ = (std::uint64_t(std::random_device{}()) << 32) ^ std::random_device{}();
    minimumSeconds_ = 1;
    transferStart_ = clock_();
    Init(CString(), CString(), nullptr, 0, 0, false);
}

SyncExecutor::~SyncExecutor() = default;

void SyncExecutor::Init(const CString& leftRoot, const CString& rightRoot, Watcher* watcher,
                        std::uint32_t bufferSize, std::uint32_t retryDelayMs, bool ownCopy) {
    buffer_.reset();
    secondBuffer_.reset();
    leftRoot_ = leftRoot;
    rightRoot_ = rightRoot;
    watcher_ = watcher;
    bufferSize_ = bufferSize == 0 ? kDefaultBufferSize : bufferSize;
    retryDelay_ = retryDelayMs;
    retryLimit_ = 1;
    retries_ = 0;
    ownCopy_ = ownCopy;
    node_ = nullptr;
    record_ = nullptr;
    itemValue_ = 0;
    directoryModes_.clear();
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

SyncExecutor::Answer SyncExecutor::HandleFailure(ErrorInfo& question, ErrorInfo& error, bool comparison) {
    StartTransferClock();
    if (retryDelay_ != 0 && retries_ < retryLimit_) {
        ++retries_;
        std::this_thread::sleep_for(std::chrono::milliseconds(retryDelay_));
        return Answer::Retry;
    }
    retries_ = 0;
    const int answer = watcher_ ? watcher_->Ask(&question) : WATCHER_ANSWER_ABORT;
    if (comparison) {
        // The scan's reading: 1 stops the scan; 0, 2 and 4 leave this entry uncompared.
        if (answer == WATCHER_ANSWER_ABORT) { error = question; return Answer::Abort; }
        if (answer == 0 || answer == 2 || answer == WATCHER_ANSWER_IGNORE) { error = question; return Answer::Ignore; }
        return Answer::Retry;
    }
    if (answer >= 0 && answer <= 2) { error = question; return Answer::Abort; }
    if (answer == WATCHER_ANSWER_IGNORE) { error = question; return Answer::Ignore; }
    return Answer::Retry;
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

void SyncExecutor::NoteDirectoryMode(const CString& path, std::uint32_t mode, bool overrideExisting) {
    auto it = directoryModes_.find(path);
    if (it == directoryModes_.end()) {
        directoryModes_.emplace(path, std::make_pair(static_cast<std::uint32_t>(CountSeparators(path)),
                                                     mode & kPermissionBits));
    } else if (overrideExisting) {
        it->second.second = mode & kPermissionBits;
    }
}

template <typename Op>
bool SyncExecutor::WithWritableParent(const CString& path, const Op& op) {
    if (op()) return true;
    if (GetLastError() != win32::ERROR_ACCESS_DENIED) return false;
    const CString parent = plat::ParentPath(path);
    plat::FindData fd;
    if (parent.IsEmpty() || !fs_->GetFindData(parent, fd) || !IsDirectoryEntry(fd) || (fd.mode & kOwnerWrite)) {
        SetLastError(win32::ERROR_ACCESS_DENIED);
        return false;
    }
    if (!fs_->SetPermissions(parent, (fd.mode | kOwnerWrite) & kPermissionBits)) {
        SetLastError(win32::ERROR_ACCESS_DENIED);
        return false;
    }
    NoteDirectoryMode(parent, fd.mode, false);
    return op();
}

// ---------------------------------------------------------------------------------------
// One job

bool SyncExecutor::Run(FSTreeNode& node, std::uint32_t itemValue, ErrorInfo& error) {
    itemValue_ = itemValue;
    node_ = &node;
    record_ = &node.record;
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
        for (;;) {
            if (watcher_) watcher_->EnterTransfer();
            const bool ok = WithWritableParent(path, [&] {
                return directory ? fs_->RemoveDirectory(path) : fs_->DeleteFile(path);
            });
            const std::uint32_t code = GetLastError();
            if (watcher_) watcher_->LeaveTransfer();
            if (ok) {
                retries_ = 0;
                // A directory made writable for its contents' removal is gone now.
                if (directory) directoryModes_.erase(path);
                r.DropDatabase();
                r.ST = DONE;
                break;
            }
            r.ST = FAILED;
            ErrorInfo question;
            question.Set(ERROR_CATEGORY_SYSTEM, code, 0, path);
            const Answer answer = HandleFailure(question, error, false);
            if (answer == Answer::Abort) { go = false; break; }
            if (answer == Answer::Ignore) break;
        }
    }
    if (watcher_) watcher_->ItemDone();
    return go;
}

// ---------------------------------------------------------------------------------------
// Copies

bool SyncExecutor::SourceUnchanged(CopyJob& job, std::uint64_t bytesRead, bool counted, ErrorInfo& error) {
    const bool same = fs_->GetFindData(job.sourcePath, job.sourceNow) &&
                      job.sourceNow.kind == plat::EntryKind::File && job.sourceNow.Size() == job.source->GetSize() &&
                      job.sourceNow.lastWriteTime == job.source->lastWriteTime &&
                      (!counted || bytesRead == job.source->GetSize());
    if (!same) error.Set(ERROR_CATEGORY_PROGRAM, ERRCODE_CHANGED_SINCE_SCAN, 0, job.sourcePath);
    return same;
}

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

void SyncExecutor::RemoveTemporary(CopyJob& job) {
    if (job.tempPath.GetLength() == 0) return;
    fs_->DeleteFile(job.tempPath);
    job.tempPath = CString();
}

// Runs op until it succeeds, or the failure is answered with abort or ignore, or the run
// is cancelled.
template <typename Op>
SyncExecutor::End SyncExecutor::Attempted(std::uint32_t step, const CString& shownPath, ErrorInfo& error,
                                          const Op& op) {
    for (;;) {
        if (op()) {
            retries_ = 0;
            return End::Done;
        }
        ErrorInfo question;
        question.Set(ERROR_CATEGORY_SYSTEM, GetLastError(), step, shownPath);
        const Answer answer = HandleFailure(question, error, false);
        if (answer == Answer::Abort) return End::Aborted;
        if (answer == Answer::Ignore) return End::Ignored;
        if (Cancelled()) return End::Cancelled;
    }
}

SyncExecutor::End SyncExecutor::CopyDirectory(CopyJob& job, ErrorInfo& error) {
    CSyncRecord& r = *job.record;
    const std::uint32_t base = ownCopy_ ? 0 : 100;
    job.sameKind = job.target && job.target->IsDirectory();
    if (job.target && !job.sameKind) {
        // A file stands where the directory goes: it is deleted first (when it is still
        // the file the scan saw), then the directory is made.
        if (!MatchesStamp(job.targetPath, job.target, error)) return End::Changed;
        const End e = Attempted(base + 1, job.targetPath, error, [&] {
            return WithWritableParent(job.targetPath, [&] { return fs_->DeleteFile(job.targetPath); });
        });
        if (e != End::Done) return e;
        r.DropDatabase();
        job.targetRemoved = true;
        if (Cancelled()) return End::Cancelled;
    }
    if (!job.sameKind) {
        // A source directory that could not be listed gives no template.
        const bool unlisted = (r.FG & (job.from == LEFT ? FG_LEFT_INACCESSIBLE : FG_RIGHT_INACCESSIBLE)) != 0;
        const std::uint32_t step = ownCopy_ ? 3 : (unlisted ? 106 : 105);
        const End e = Attempted(step, job.targetPath, error, [&] {
            return WithWritableParent(job.targetPath, [&] {
                if (!unlisted && fs_->CreateDirectoryFromTemplate(job.targetPath, job.sourcePath)) return true;
                return fs_->CreateDirectory(job.targetPath);
            });
        });
        if (e != End::Done) return e;
        job.placed = true;
        if (Cancelled()) return End::Cancelled;
    }
    // The directory's permission bits are set at the end of the run, once nothing more
    // is put into it.
    NoteDirectoryMode(job.targetPath, job.sourceNow.mode, true);
    return End::Done;
}

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
    for (;;) {
        StartTransferClock();
        if (WithWritableParent(job.targetPath,
                               [&] { return fs_->CopyFile(job.sourcePath, job.targetPath, progress, options); })) {
            retries_ = 0;
            job.placed = true;
            return End::Done;
        }
        const std::uint32_t code = GetLastError();
        if (changed) return End::Changed;
        if (Cancelled()) return End::Cancelled;
        ErrorInfo question;
        question.Set(ERROR_CATEGORY_SYSTEM, code, 104, job.sourcePath + u" >> " + job.targetPath);
        const Answer answer = HandleFailure(question, error, false);
        if (answer == Answer::Abort) return End::Aborted;
        if (answer == Answer::Ignore) return End::Ignored;
        if (Cancelled()) return End::Cancelled;
    }
}

SyncExecutor::End SyncExecutor::CopyFile(CopyJob& job, ErrorInfo& error) {
    CSyncRecord& r = *job.record;
    const std::uint32_t base = ownCopy_ ? 0 : 100;
    job.sameKind = job.target && !job.target->IsDirectory();
    if (!ownCopy_ && (!job.target || job.sameKind)) return KernelCopyInPlace(job, error);
    for (;;) {
        Failure failure;
        const Attempt a = ownCopy_ ? WriteOwnTemporary(job, failure, error) : WriteSystemTemporary(job, failure, error);
        if (a == Attempt::Ok) {
            retries_ = 0;
            break;
        }
        RemoveTemporary(job);
        if (a == Attempt::Cancelled) return End::Cancelled;
        if (a == Attempt::Changed) return End::Changed;
        ErrorInfo question;
        question.Set(ERROR_CATEGORY_SYSTEM, failure.code, failure.step, failure.path);
        const Answer answer = HandleFailure(question, error, false);
        if (answer == Answer::Abort) return End::Aborted;
        if (answer == Answer::Ignore) return End::Ignored;
        if (Cancelled()) return End::Cancelled;
    }
    // The new file is complete beside the target and nothing of the old target has been
    // touched. It must still be what the scan saw; a target that was not there at the
    // scan is placed with a rename that does not replace.
    End e = End::Done;
    if (job.target && !MatchesStamp(job.targetPath, job.target, error)) e = End::Changed;
    if (e == End::Done && job.target && !job.sameKind) {
        e = Attempted(base + 1, job.targetPath, error, [&] {
            return WithWritableParent(job.targetPath, [&] { return fs_->RemoveDirectory(job.targetPath); });
        });
        if (e == End::Done) {
            directoryModes_.erase(job.targetPath);
            r.DropDatabase();
            job.targetRemoved = true;
        }
    }
    if (e == End::Done) {
        const bool replace = job.target && job.sameKind;
        e = Attempted(ownCopy_ ? 11 : 107, job.targetPath, error, [&] {
            return WithWritableParent(job.targetPath,
                                      [&] { return fs_->MoveFile(job.tempPath, job.targetPath, replace); });
        });
        if (e == End::Done) {
            job.tempPath = CString();
            job.placed = true;
        }
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
        end = CopyFile(job, error);
    }

    bool go = true;
    if (end == End::Done) {
        // The new stamp comes from the final path. A failure here drops the pair (the
        // next scan sees the entry as new) but never touches the completed target.
        for (;;) {
            plat::FindData now;
            if (fs_->GetFindData(job.targetPath, now)) {
                retries_ = 0;
                const FileStamp placed(now);
                if (job.to == RIGHT) r.SetDatabaseStamps(*job.source, placed);
                else r.SetDatabaseStamps(placed, *job.source);
                r.ST = DONE;
                break;
            }
            ErrorInfo question;
            question.Set(ERROR_CATEGORY_SYSTEM, GetLastError(), ownCopy_ ? 12 : 108, job.targetPath);
            const Answer answer = HandleFailure(question, error, false);
            if (answer != Answer::Retry) {
                r.DropDatabase();
                r.ST = FAILED;
                go = answer != Answer::Abort;
                break;
            }
        }
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

// ---------------------------------------------------------------------------------------
// Content comparison

bool SyncExecutor::CompareContents(FSTreeNode& node, std::uint32_t itemValue, ErrorInfo& error) {
    itemValue_ = itemValue;
    node_ = &node;
    record_ = &node.record;
    CSyncRecord& r = node.record;
    if (!r.left || !r.right) return true;
    if (r.left->IsDirectory() && r.right->IsDirectory()) {
        r.SetContentState(1);
        return true;
    }
    if (r.left->IsDirectory() != r.right->IsDirectory()) {
        r.SetContentState(2);
        return true;
    }
    if (!secondBuffer_) secondBuffer_ = std::make_unique<std::uint8_t[]>(bufferSize_);
    const CString leftPath = SidePath(node, LEFT);
    const CString rightPath = SidePath(node, RIGHT);
    if (watcher_) {
        // Kind 0: a comparison reports as a database item.
        watcher_->ItemStart(itemValue_, 0, leftPath.c_str(), rightPath.c_str(),
                            r.left->GetSize());
        watcher_->EnterTransfer();
    }
    enum class Outcome { Same, Different, Uncompared, Stop, Cancelled } outcome = Outcome::Uncompared;
    for (;;) {
        // One pass from opening both files; a failed read starts again from the opening,
        // so a retry never continues at an unknown position.
        std::uint32_t step = 0;
        const CString* failedPath = &leftPath;
        std::optional<Outcome> result;
        std::unique_ptr<plat::File> left = fs_->OpenRead(leftPath);
        std::unique_ptr<plat::File> right;
        if (left) {
            if (Cancelled()) result = Outcome::Cancelled;
            else {
                step = 1;
                failedPath = &rightPath;
                right = fs_->OpenRead(rightPath);
            }
        }
        if (right && !result) {
            StartTransferClock();
            if (Cancelled()) result = Outcome::Cancelled;
            std::uint64_t itemBytes = 0;
            while (!result) {
                std::size_t gotLeft = 0, gotRight = 0;
                step = 2;
                failedPath = &leftPath;
                if (!ReadFull(*left, buffer_.get(), bufferSize_, gotLeft)) break;
                if (Cancelled()) { result = Outcome::Cancelled; break; }
                step = 3;
                failedPath = &rightPath;
                if (!ReadFull(*right, secondBuffer_.get(), bufferSize_, gotRight)) break;
                if (gotLeft == 0) {
                    result = gotRight == 0 ? Outcome::Same : Outcome::Different;
                    break;
                }
                if (gotLeft != gotRight || std::memcmp(buffer_.get(), secondBuffer_.get(), gotLeft) != 0) {
                    result = Outcome::Different;
                    break;
                }
                itemBytes += gotLeft;
                transferBytes_ += gotLeft;
                if (watcher_) watcher_->Progress(itemBytes, Rate());
                if (Cancelled()) result = Outcome::Cancelled;
            }
        }
        if (result) {
            if (*result != Outcome::Cancelled) retries_ = 0;
            outcome = *result;
            break;
        }
        ErrorInfo question;
        question.Set(ERROR_CATEGORY_SYSTEM, GetLastError(), step, *failedPath);
        left.reset();
        right.reset();
        const Answer answer = HandleFailure(question, error, true);
        if (answer == Answer::Abort) { outcome = Outcome::Stop; break; }
        if (answer == Answer::Ignore) { outcome = Outcome::Uncompared; break; }
        if (Cancelled()) { outcome = Outcome::Cancelled; break; }
    }
    if (outcome == Outcome::Same) r.SetContentState(1);
    if (outcome == Outcome::Different) r.SetContentState(2);
    if (outcome == Outcome::Cancelled) error.Set(ERROR_CATEGORY_CANCELLED, 0, 0, nullptr);
    if (watcher_) {
        watcher_->LeaveTransfer();
        watcher_->ItemDone();
    }
    return outcome != Outcome::Stop && outcome != Outcome::Cancelled;
}

// ---------------------------------------------------------------------------------------
// End of a run

bool SyncExecutor::Finish(CLogger* logger) {
    bool ok = true;
    auto report = [&](const CString& path) {
        ok = false;
        if (!logger) return;
        ErrorInfo e;
        e.Set(ERROR_CATEGORY_SYSTEM, GetLastError(), 0, path);
        logger->LogRecord(e);
    };
    std::vector<std::pair<std::uint32_t, const CString*>> order;
    order.reserve(directoryModes_.size());
    for (const auto& [path, depthMode] : directoryModes_) order.emplace_back(depthMode.first, &path);
    std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (const auto& [depth, path] : order) {
        if (!fs_->SetPermissions(*path, directoryModes_.at(*path).second)) report(*path);
    }
    directoryModes_.clear();
    if (leftRoot_.GetLength() > 0 && !fs_->SyncFileSystem(leftRoot_)) report(leftRoot_);
    if (rightRoot_.GetLength() > 0 && !fs_->SyncFileSystem(rightRoot_)) report(rightRoot_);
    return ok;
}
