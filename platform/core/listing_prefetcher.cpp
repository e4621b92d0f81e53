#include "platform/core/listing_prefetcher.h"

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

ListingPrefetcher::ListingPrefetcher(FileSystem& fs, unsigned threads, std::size_t maxAhead)
    : fs_(fs), maxAhead_(maxAhead ? maxAhead : 1) {
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

void ListingPrefetcher::Request(std::vector<CString> paths) {
    if (paths.empty()) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto it = paths.rbegin(); it != paths.rend(); ++it) {
            if (results_.emplace(*it, nullptr).second) queue_.push_front(std::move(*it));
        }
    }
    if (paths.size() == 1) wake_.notify_one();
    else wake_.notify_all();
}

void ListingPrefetcher::Forget(const CString& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = results_.find(path);
    if (it == results_.end()) return;
    if (it->second) {
        if (ready_-- == maxAhead_) wake_.notify_one();
        results_.erase(it);
        return;
    }
    // Still queued: take it out. Being listed: the worker drops it when it finds the
    // entry gone.
    for (auto q = queue_.begin(); q != queue_.end(); ++q) {
        if (*q == path) {
            queue_.erase(q);
            break;
        }
    }
    results_.erase(it);
}

std::unique_ptr<DirectoryLister> ListingPrefetcher::Open(const CString& path) {
    std::shared_ptr<Result> r;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        auto it = results_.find(path);
        if (it != results_.end()) {
            bool queued = false;
            for (auto q = queue_.begin(); q != queue_.end(); ++q) {
                if (*q == path) {
                    queue_.erase(q);
                    queued = true;
                    break;
                }
            }
            if (queued) {
                results_.erase(it);  // no worker has it: the walk lists it itself
            } else {
                consumerWaiting_ = true;
                finished_.wait(lock, [&] {
                    auto f = results_.find(path);
                    return f == results_.end() || f->second != nullptr;
                });
                consumerWaiting_ = false;
                auto f = results_.find(path);
                if (f != results_.end()) {
                    r = std::move(f->second);
                    results_.erase(f);
                    if (ready_-- == maxAhead_) wake_.notify_one();
                }
            }
        }
    }
    if (!r) return fs_.ListDirectory(path);
    if (!r->opened) {
        SetLastError(r->endCode);
        return nullptr;
    }
    return std::make_unique<ReplayLister>(std::move(r));
}

void ListingPrefetcher::Work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return stop_ || (!queue_.empty() && ready_ < maxAhead_); });
        if (stop_) return;
        CString path = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        std::shared_ptr<Result> r = ListNow(fs_, path);
        lock.lock();
        auto it = results_.find(path);
        if (it != results_.end() && !it->second) {
            it->second = std::move(r);
            ++ready_;
            // Only the walk waits here, and only for the one listing it needs.
            if (consumerWaiting_) finished_.notify_one();
        }
    }
}

}  // namespace plat
