#pragma once
// Lists directories ahead of a depth-first walk on a few worker threads, so that the
// kernel's per-entry stat calls of many directories overlap with the walk's own work. The
// walk still consumes the listings one by one in its own order, and each listing is
// exactly what ListDirectory would have given: the same entries in the same order, then
// the same end or error code.
//
// Walk order: a directory's place in the walk is its walk key, the positions of it and of
// each of its ancestors among their parent's entries, counted as the walk hands entries
// out ("." and ".." and leftover temporary files, IsTemporaryLeftover, are not counted); the root's key
// is empty. Keys in lexicographic order are the order in which a depth-first walk enters
// the directories. Workers always list the requested directory that comes first in that
// order, and when they have listed one they request its subdirectories themselves, so the
// listings run ahead of the walk by more than one level.
//
// Use: after the walk lists a directory itself (the root, or one it was not handed),
// Request its subdirectories; when the walk enters a directory, Open it (a listing that was
// made ahead is handed over, waiting for it if a worker is still at it; any other path is
// listed on the spot); Forget a directory the walk does not enter (with everything the
// workers requested below it).
//
// Threads: one consumer thread calls Request, Open and Forget; the workers only call the
// file system (which must be safe for concurrent use). The destructor stops and joins the
// workers. Memory: finished listings waiting for the walk hold about maxEntriesAhead
// entries at most (one larger listing alone is allowed); a directory the walk needs sooner
// than a waiting listing displaces the latest one, which is listed again later.
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/core/file_system.h"

namespace plat {

class ListingPrefetcher {
public:
    using WalkKey = std::vector<std::uint32_t>;
    // A subdirectory of a listed directory: its position among that listing's entries as
    // the walk counts them, and its path.
    struct Subdirectory {
        std::uint32_t position;
        CString path;
    };

    ListingPrefetcher(FileSystem& fs, unsigned threads, std::size_t maxEntriesAhead = std::size_t(1) << 16);
    ~ListingPrefetcher();
    ListingPrefetcher(const ListingPrefetcher&) = delete;
    ListingPrefetcher& operator=(const ListingPrefetcher&) = delete;

    // The subdirectories the walk will enter of the directory with walk key parent, in
    // listing order. A path requested already keeps its first request.
    void Request(const WalkKey& parent, std::vector<Subdirectory> subdirectories);
    // The listing of path, as FileSystem::ListDirectory gives it (null and the thread's
    // last error when it cannot be opened). madeAhead (optional) tells whether a worker
    // made it; its subdirectories are then requested already.
    std::unique_ptr<DirectoryLister> Open(const CString& path, bool* madeAhead = nullptr);
    // A requested directory the walk will not enter, and everything requested below it.
    void Forget(const CString& path);

    // One directory's listing as the file system gave it (defined in the .cpp).
    struct Result;

private:
    struct Slot {
        CString path;
        bool started = false;             // a worker took it (listing, or finished)
        std::shared_ptr<Result> result;   // set when finished
        std::size_t entries = 0;          // of the finished listing
    };
    using Slots = std::map<WalkKey, Slot>;
    struct ByKey {
        bool operator()(Slots::iterator a, Slots::iterator b) const { return a->first < b->first; }
    };

    void Work();
    // Queues the subdirectories of the directory with walk key parent (paths moved out);
    // a path or key requested already keeps its first request.
    void AddLocked(const WalkKey& parent, std::vector<Subdirectory>& subdirectories);
    void EraseLocked(Slots::iterator slot);
    bool CanStartLocked() const;
    static std::shared_ptr<Result> ListNow(FileSystem& fs, const CString& path);

    FileSystem& fs_;
    const std::size_t maxEntries_;
    std::mutex mutex_;
    std::condition_variable wake_;      // workers: work queued, room freed, or stop
    std::condition_variable finished_;  // the consumer: a listing is done
    Slots slots_;                       // every requested path not yet handed over
    std::unordered_map<CString, Slots::iterator> byPath_;
    std::set<Slots::iterator, ByKey> queued_;  // not started, first in walk order first
    std::set<Slots::iterator, ByKey> ready_;   // finished, waiting for the walk
    std::size_t readyEntries_ = 0;             // entries held by ready_
    // Set when a worker found no room; workers then wait until the walk has taken a
    // quarter of the room back, so the walk does not wake a worker for every listing.
    bool full_ = false;
    bool consumerWaiting_ = false;             // the walk waits in Open for a listing
    bool stop_ = false;
    std::vector<std::thread> workers_;
};

}  // namespace plat
