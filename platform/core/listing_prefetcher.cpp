#include "platform/core/listing_prefetcher.h"

#include <algorithm>

#include "platform/core/win_error.h"

namespace plat {

// One directory's listing as the file system gave it: opened or not (with the code), the
// entries in order, and the code that ended it (18 at the normal end).
struct ListingPrefetcher::Result {
    bool opened = false;
    std::uint32_t endCode = 0;
    std::vector<FindData> entries;
};

namespace {

// Hands a finished listing to the walk entry by entry.
class ReplayLister : public DirectoryLister {
public:
    explicit ReplayLister(std::shared_ptr<ListingPrefetcher::Result> r) : r_(std::move(r)) {}
    bool Next(FindData& out) override;

private:
    std::shared_ptr<ListingPrefetcher::Result> r_;
    std::size_t next_ = 0;
};

}  // namespace

bool ReplayLister::Next(FindData& out) {
    if (next_ < r_->entries.size()) {
        out = std::move(r_->entries[next_++]);
        return true;
    }
    SetLastError(r_->endCode);
    return false;
}

ListingPrefetcher::ListingPrefetcher(FileSystem& fs, unsigned threads, std::size_t maxEntriesAhead)
    : fs_(fs), maxEntries_(maxEntriesAhead ? maxEntriesAhead : 1) {
    for (unsigned i = 0; i < threads; ++i) workers_.emplace_back([this] { Work(); });
}

ListingPrefetcher::~ListingPrefetcher() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : workers_) t.join();
}

std::shared_ptr<ListingPrefetcher::Result> ListingPrefetcher::ListNow(FileSystem& fs, const CString& path) {
    auto r = std::make_shared<Result>();
    std::unique_ptr<DirectoryLister> lister = fs.ListDirectory(path);
    if (!lister) {
        r->endCode = GetLastError();
        return r;
    }
    r->opened = true;
    for (;;) {
        FindData fd;
        if (!lister->Next(fd)) break;
        r->entries.push_back(std::move(fd));
    }
    r->endCode = GetLastError();
    return r;
}

void ListingPrefetcher::AddLocked(const WalkKey& parent, std::vector<Subdirectory>& subdirectories) {
    for (Subdirectory& sub : subdirectories) {
        if (byPath_.count(sub.path)) continue;
        WalkKey key = parent;
        key.push_back(sub.position);
        auto [slot, inserted] = slots_.try_emplace(std::move(key));
        if (!inserted) continue;  // a key given twice (a listing retried by the walk): first one kept
        slot->second.path = sub.path;
        byPath_.emplace(std::move(sub.path), slot);
        queued_.insert(slot);
    }
}

void ListingPrefetcher::EraseLocked(Slots::iterator slot) {
    if (slot->second.result) {
        ready_.erase(slot);
        readyEntries_ -= slot->second.entries;
    } else if (!slot->second.started) {
        queued_.erase(slot);
    }
    // A slot being listed just goes: its worker finds the path gone and drops the listing.
    byPath_.erase(slot->second.path);
    slots_.erase(slot);
}

// A worker may start the first queued directory while the finished listings leave room,
// or when the walk needs it before the latest finished listing (which it then displaces).
bool ListingPrefetcher::CanStartLocked() const {
    if (queued_.empty()) return false;
    if (readyEntries_ < (full_ ? maxEntries_ - maxEntries_ / 4 : maxEntries_)) return true;
    return !ready_.empty() && (*queued_.begin())->first < (*ready_.rbegin())->first;
}

void ListingPrefetcher::Request(const WalkKey& parent, std::vector<Subdirectory> subdirectories) {
    if (subdirectories.empty()) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        AddLocked(parent, subdirectories);
    }
    if (subdirectories.size() == 1) wake_.notify_one();
    else wake_.notify_all();
}

void ListingPrefetcher::Forget(const CString& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = byPath_.find(path);
    if (found == byPath_.end()) return;
    // The directory and what the workers requested below it: a range of keys.
    const WalkKey prefix = found->second->first;
    auto it = found->second;
    while (it != slots_.end() && it->first.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), it->first.begin()))
        EraseLocked(it++);
    full_ = false;
    wake_.notify_all();  // room may have been freed
}

std::unique_ptr<DirectoryLister> ListingPrefetcher::Open(const CString& path, bool* madeAhead) {
    if (madeAhead) *madeAhead = false;
    std::shared_ptr<Result> r;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        auto found = byPath_.find(path);
        if (found != byPath_.end()) {
            Slots::iterator slot = found->second;
            // Everything before this directory in walk order was passed by the walk
            // (entered or forgotten); what is left of it is of no use any more.
            while (slots_.begin() != slot) EraseLocked(slots_.begin());
            if (!slot->second.started) {
                EraseLocked(slot);  // no worker has it: the walk lists it itself
            } else {
                consumerWaiting_ = true;
                finished_.wait(lock, [&] {
                    auto f = byPath_.find(path);
                    return f == byPath_.end() || f->second->second.result != nullptr;
                });
                consumerWaiting_ = false;
                auto f = byPath_.find(path);
                if (f != byPath_.end()) {
                    r = f->second->second.result;
                    EraseLocked(f->second);
                }
            }
            if (full_ && CanStartLocked()) {
                full_ = false;
                wake_.notify_all();
            }
        }
    }
    if (!r) return fs_.ListDirectory(path);
    if (madeAhead) *madeAhead = true;
    if (!r->opened) {
        SetLastError(r->endCode);
        return nullptr;
    }
    return std::make_unique<ReplayLister>(std::move(r));
}

void ListingPrefetcher::Work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] {
            if (stop_ || CanStartLocked()) return true;
            if (!queued_.empty()) full_ = true;
            return false;
        });
        if (stop_) return;
        if (readyEntries_ >= maxEntries_) {
            // Displace the finished listing the walk needs last; it is listed again later.
            Slots::iterator last = *ready_.rbegin();
            ready_.erase(last);
            readyEntries_ -= last->second.entries;
            last->second.result.reset();
            last->second.entries = 0;
            last->second.started = false;
            queued_.insert(last);
        }
        Slots::iterator slot = *queued_.begin();
        queued_.erase(queued_.begin());
        slot->second.started = true;
        const CString path = slot->second.path;
        lock.unlock();
        std::shared_ptr<Result> r = ListNow(fs_, path);
        // The subdirectories as the walk will count and enter them.
        std::vector<Subdirectory> subdirectories;
        std::uint32_t position = 0;
        for (const FindData& fd : r->entries) {
            if (IsDotName(fd.name.view()) || IsTemporaryLeftover(fd)) continue;
            if (fd.kind == EntryKind::Directory) {
                CString child = path;
                if (!child.EndsWith(u'/')) child += u'/';
                child += fd.name;
                subdirectories.push_back({position, std::move(child)});
            }
            ++position;
        }
        lock.lock();
        // Forgotten or handed over while it was listed (the walk listed it itself), or
        // requested again since and not yet started: this listing is dropped.
        auto found = byPath_.find(path);
        if (found == byPath_.end() || !found->second->second.started || found->second->second.result) continue;
        slot = found->second;
        slot->second.entries = r->entries.size();
        slot->second.result = std::move(r);
        ready_.insert(slot);
        readyEntries_ += slot->second.entries;
        if (!subdirectories.empty()) {
            AddLocked(slot->first, subdirectories);
            wake_.notify_all();
        }
        // Only the walk waits here, and only for the one listing it needs.
        if (consumerWaiting_) finished_.notify_one();
    }
}

}  // namespace plat
