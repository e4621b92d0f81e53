#pragma once
// What the files of SyncExecutor share and nothing else includes: the copy job, the
// constants of permission bits, and the two templates that wrap a step (Attempted, the
// one loop of asking and retrying; WithWritableParent).
#include <cstdint>

#include "engine/execute/sync_executor.h"
#include "engine/tree/file_stamp.h"
#include "engine/tree/sync_record.h"
#include "platform/core/win_error.h"

namespace executor {

constexpr std::uint32_t kOwnerWrite = 0200;
constexpr std::uint32_t kPermissionBits = 07777;

inline const FileStamp* SideStamp(const CSyncRecord& record, int side) {
    return side == SyncExecutor::LEFT ? record.left.get() : record.right.get();
}

inline bool IsDirectoryEntry(const plat::FindData& fd) { return fd.kind == plat::EntryKind::Directory; }

}  // namespace executor

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

template <typename Op>
SyncExecutor::End SyncExecutor::Attempted(ErrorInfo& error, Asking asking, const Op& attempt) {
    for (;;) {
        Failure failure;
        switch (attempt(failure)) {
            case Attempt::Ok: retries_ = 0; return End::Done;
            case Attempt::Cancelled: return End::Cancelled;
            case Attempt::Changed: return End::Changed;
            case Attempt::Failed: break;
        }
        ErrorInfo question;
        question.Set(ERROR_CATEGORY_SYSTEM, failure.code, failure.step, failure.path);
        const Answer answer = HandleFailure(question, error, asking);
        if (answer == Answer::Abort) return End::Aborted;
        if (answer == Answer::Ignore) return End::Ignored;
        if (asking != Asking::Uninterrupted && Cancelled()) return End::Cancelled;
    }
}

template <typename Op>
SyncExecutor::End SyncExecutor::AttemptedCall(std::uint32_t step, const CString& shownPath, ErrorInfo& error,
                                              const Op& op, Asking asking) {
    return Attempted(error, asking, [&](Failure& failure) {
        if (op()) return Attempt::Ok;
        failure = {step, GetLastError(), shownPath};
        return Attempt::Failed;
    });
}

template <typename Op>
bool SyncExecutor::WithWritableParent(const CString& path, const Op& op) {
    if (op()) return true;
    if (!MakeParentWritable(path)) return false;
    return op();
}
