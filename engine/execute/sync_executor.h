#pragma once
// SyncExecutor: carries out one entry of the plan (copy, delete or database-only update)
// and compares the two sides' contents for the scan.
//
// One object lives for one CSyncDataBase::Execute or one content-comparison pass and is
// used by one thread (the worker); the only object it shares with another thread is the
// Watcher. It reaches the disk only through the plat::FileSystem it is given.
//
// Paths on disk: each side's path is its root followed by one component per tree level,
// each component the real name of that side's stamp at that level, else the source side's
// name (the name the entry is created with). Nothing is ever lower- or upper-cased.
//
// Errors: Run and CompareContents fill the caller's ErrorInfo (category 1 with the Win32
// code, extra = the step that failed, text = the path; category 3 on a cancel; category 2
// ERRCODE_CHANGED_SINCE_SCAN when the disk no longer matches the scan) and return false
// only when the whole run or scan must stop. Nothing throws.
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "engine/error_info.h"
#include "engine/execute/execution_counts.h"
#include "platform/core/cstring.h"
#include "platform/core/file_system.h"

class CLogger;
class CSyncRecord;
class FileStamp;
class FSTreeNode;
class Watcher;

class SyncExecutor {
public:
    // The buffer of a size of 0 or less, and the largest buffer: a size beyond it is
    // taken as a mistyped setting, not as a wish to allocate gigabytes per run.
    static constexpr std::uint32_t kDefaultBufferSize = 262144;
    static constexpr std::uint32_t kLargestBufferSize = 64u << 20;
    // Seconds since 1970; tests replace it to control the transfer rate.
    using Clock = std::uint64_t (*)();

    // fs null = the process-wide real file system. Calls Init with all zero.
    explicit SyncExecutor(plat::FileSystem* fs = nullptr);
    ~SyncExecutor();
    SyncExecutor(const SyncExecutor&) = delete;
    SyncExecutor& operator=(const SyncExecutor&) = delete;

    // Frees both buffers and allocates the buffer anew; the counts start at 0. Takes any setting as it stands
    // and bounds it: a bufferSize of 0 or less gives kDefaultBufferSize, one above
    // kLargestBufferSize that size; a negative retryDelayMs is 0 (no automatic retry).
    // The roots are absolute and end in '/'; both are held on the file system until the
    // next Init or the executor's end, so no call below them goes through a link (a
    // directory replaced by one since the scan fails the entry with 3). ownCopy true:
    // files are copied by the read/write loop; false: by the platform's kernel copy.
    // Forgets the directories noted for Finish.
    void Init(const CString& leftRoot, const CString& rightRoot, Watcher* watcher, std::int64_t bufferSize,
              std::int64_t retryDelayMs, bool ownCopy);

    // One job of the plan: the entry of node, whose index in the Proxy is itemValue. Sets
    // the record's ST and keeps its database pair in step with the disk. false: the run
    // must stop (cancel or an abort answer).
    bool Run(FSTreeNode& node, std::uint32_t itemValue, ErrorInfo& error);

    // Compares the bytes of both sides (both present). Sets FG 0x04 (same) or 0x08
    // (different). false: the scan must stop (cancel or an abort answer).
    bool CompareContents(FSTreeNode& node, std::uint32_t itemValue, ErrorInfo& error);

    // The end of a run: every directory the run created, copied onto, or made writable
    // for an operation gets its final permission bits, the deepest first; then the file
    // systems of both roots are flushed (syncfs). Each failure is logged to logger (when
    // given); false when any failed.
    bool Finish(CLogger* logger);

    // Thousands of bytes per second of the current transfer; 0 before a whole second.
    std::uint32_t Rate() const;

    void SetClock(Clock clock) { clock_ = clock; }
    // The operations done on the disk since Init, by kind.
    const ExecutionCounts& Counts() const { return counts_; }
    // What Init made of its buffer size and retry delay.
    std::uint32_t BufferSize() const { return bufferSize_; }
    std::uint32_t RetryDelay() const { return retryDelay_; }
    bool OwnCopy() const { return ownCopy_; }

    // The side a path is built for.
    enum Side { LEFT = 0, RIGHT = 1 };
    // The path on disk of node's entry on that side: root plus real names (see above).
    CString SidePath(const FSTreeNode& node, Side side) const;

private:
    struct CopyJob;
    enum class Answer { Retry, Ignore, Abort };
    // How a copy ended: Changed = the disk no longer matches the scan (nothing touched).
    enum class End { Done, Cancelled, Aborted, Ignored, Changed };
    // One attempt at a step: Failed is asked about; Cancelled and Changed end the step
    // without a question.
    enum class Attempt { Ok, Failed, Cancelled, Changed };
    // How Attempted reads the answers, and whether a retry answer is followed by a look
    // at the cancel: Step polls it; Uninterrupted (a delete, the new stamp of a copy) does
    // not; Comparison polls it and reads the answers as the scan does.
    enum class Asking { Step, Uninterrupted, Comparison };
    struct Failure {
        std::uint32_t step = 0;
        std::uint32_t code = 0;
        CString path;
    };
    // Where a step lies in an attempt that starts again from its first step when it is
    // retried (the own copy, the comparison): the item's bytes done before it, then its
    // place among the steps at that count.
    struct StepPoint {
        std::uint64_t bytes = 0;
        std::uint32_t order = 0;
        auto operator<=>(const StepPoint&) const = default;
    };

    bool Delete(FSTreeNode& node, Side side, ErrorInfo& error);
    bool Copy(FSTreeNode& node, Side from, ErrorInfo& error);
    bool DatabaseOnly(FSTreeNode& node);
    End CopyDirectory(CopyJob& job, ErrorInfo& error);
    End CopyFile(CopyJob& job, ErrorInfo& error);
    End KernelCopyInPlace(CopyJob& job, ErrorInfo& error);
    Attempt WriteOwnTemporary(CopyJob& job, Failure& failure, ErrorInfo& error);
    Attempt WriteSystemTemporary(CopyJob& job, Failure& failure, ErrorInfo& error);
    // The source as it is now still matches its stamp (and, when counted, the bytes read).
    bool SourceUnchanged(CopyJob& job, std::uint64_t bytesRead, bool counted, ErrorInfo& error);
    void RemoveTemporary(CopyJob& job);
    std::uint32_t NextTemporaryNumber();
    // The one loop of asking and retrying: runs attempt (Attempt(Failure&), which fills
    // the Failure when it returns Failed) until it is Ok (Done), ends without a question
    // (Cancelled, Changed), or its failure is answered with abort (Aborted) or ignore
    // (Ignored); the answer's question is then in error.
    template <typename Op>
    End Attempted(ErrorInfo& error, Asking asking, const Op& attempt);
    // Attempted over one call: op() true is success; a failure is asked about with step,
    // the last error and shownPath.
    template <typename Op>
    End AttemptedCall(std::uint32_t step, const CString& shownPath, ErrorInfo& error, const Op& op,
                      Asking asking = Asking::Step);

    // After a failed step (for Attempted only): one silent retry after the delay when
    // allowed, else the question; the question is copied into error when the answer ends
    // the item.
    Answer HandleFailure(ErrorInfo& question, ErrorInfo& error, Asking asking);
    // A step's outcome in an attempt that starts again from its first step. A success at
    // or beyond the point of the entry's last failure is progress and restarts the count
    // of automatic retries; one before it only replays what an earlier attempt did. A
    // failure fills failure (step, the last error, path) and becomes that point. Returns ok.
    bool Stepped(bool ok, StepPoint at, std::uint32_t step, const CString& path, Failure& failure);
    // The start of an entry: no automatic retry made, no failure point.
    void StartEntry(FSTreeNode& node, std::uint32_t itemValue);
    // Does the entry on disk at path still match the stamp the scan saw? false sets error
    // (category 2, ERRCODE_CHANGED_SINCE_SCAN, text = path).
    bool MatchesStamp(const CString& path, const FileStamp* stamp, ErrorInfo& error);
    // Runs op; when it fails for lack of permission and the parent directory of path has
    // no owner write permission, gives it owner write (restored by Finish) and runs op
    // once more.
    template <typename Op>
    bool WithWritableParent(const CString& path, const Op& op);
    // After a failure with the last error set: true when it was a refusal and the parent of
    // path lacked owner write and now has it (noted for Finish); else false with the last
    // error access denied (or the failure's own when it was no refusal).
    bool MakeParentWritable(const CString& path);
    // Finish's directories noted for their final bits.
    void NoteDirectoryMode(const CString& path, std::uint32_t mode, bool overrideExisting);
    // Every noted directory gets its bits, the deepest first; the list is emptied. false
    // when any failed (each logged to logger when given).
    bool SetFinalDirectoryModes(CLogger* logger);
    // Logs the last error with path to logger (when given); always false.
    static bool LogFailure(CLogger* logger, const CString& path);
    void StartTransferClock();
    bool Cancelled();

    plat::FileSystem* fs_;
    plat::RootHold leftHold_;
    plat::RootHold rightHold_;
    FSTreeNode* node_ = nullptr;
    CSyncRecord* record_ = nullptr;
    CString leftRoot_;
    CString rightRoot_;
    Watcher* watcher_ = nullptr;
    std::uint32_t itemValue_ = 0;
    std::uint32_t retryDelay_ = 0;
    std::uint32_t retryLimit_ = 1;
    std::uint32_t retries_ = 0;  // automatic retries since the last success or question
    StepPoint failedAt_;         // the entry's last failure in an attempt that starts over
    std::unique_ptr<std::uint8_t[]> buffer_;
    std::unique_ptr<std::uint8_t[]> secondBuffer_;
    std::uint32_t bufferSize_ = 0;
    bool ownCopy_ = false;
    std::uint64_t transferStart_ = 0;
    std::int32_t minimumSeconds_ = 1;
    std::uint64_t transferBytes_ = 0;
    Clock clock_;
    std::uint64_t tempCounter_ = 0;  // names of the system copy's temporary files
    // Directories whose permission bits Finish sets: path -> (depth, mode).
    std::map<CString, std::pair<std::uint32_t, std::uint32_t>> directoryModes_;
    ExecutionCounts counts_;
};
