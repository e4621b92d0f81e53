#include <cstring>
#include <optional>

#include "engine/execute/sync_executor.h"
#include "engine/execute/sync_executor_internal.h"
#include "engine/tree/fs_tree.h"
#include "engine/watcher.h"

namespace {

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

}  // namespace

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
