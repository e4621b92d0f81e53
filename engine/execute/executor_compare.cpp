#include <cstring>

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
    StartEntry(node, itemValue);
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
    bool same = false;
    const End end = Attempted(error, Asking::Comparison, [&](Failure& failure) {
        // One pass from opening both files; a failed read starts again from the opening,
        // so a retry never continues at an unknown position.
        std::unique_ptr<plat::File> left = fs_->OpenRead(leftPath);
        if (!Stepped(left != nullptr, {0, 0}, 0, leftPath, failure)) return Attempt::Failed;
        if (Cancelled()) return Attempt::Cancelled;
        std::unique_ptr<plat::File> right = fs_->OpenRead(rightPath);
        if (!Stepped(right != nullptr, {0, 1}, 1, rightPath, failure)) return Attempt::Failed;
        StartTransferClock();
        if (Cancelled()) return Attempt::Cancelled;
        std::uint64_t itemBytes = 0;
        for (;;) {
            std::size_t gotLeft = 0, gotRight = 0;
            if (!Stepped(ReadFull(*left, buffer_.get(), bufferSize_, gotLeft), {itemBytes, 2}, 2, leftPath, failure))
                return Attempt::Failed;
            if (Cancelled()) return Attempt::Cancelled;
            if (!Stepped(ReadFull(*right, secondBuffer_.get(), bufferSize_, gotRight), {itemBytes, 3}, 3, rightPath,
                         failure))
                return Attempt::Failed;
            if (gotLeft == 0) {
                same = gotRight == 0;
                return Attempt::Ok;
            }
            if (gotLeft != gotRight || std::memcmp(buffer_.get(), secondBuffer_.get(), gotLeft) != 0) {
                same = false;
                return Attempt::Ok;
            }
            itemBytes += gotLeft;
            transferBytes_ += gotLeft;
            if (watcher_) watcher_->Progress(itemBytes, Rate());
            if (Cancelled()) return Attempt::Cancelled;
        }
    });
    // An abort answer stops the scan; an ignored failure leaves the entry uncompared.
    if (end == End::Done) r.SetContentState(same ? 1 : 2);
    if (end == End::Cancelled) error.Set(ERROR_CATEGORY_CANCELLED, 0, 0, nullptr);
    if (watcher_) {
        watcher_->LeaveTransfer();
        watcher_->ItemDone();
    }
    return end != End::Aborted && end != End::Cancelled;
}
