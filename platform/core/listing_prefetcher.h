#pragma once
// Lists directories ahead of a depth-first walk on a few worker threads, so that the
// kernel's per-entry stat calls of many directories overlap. The walk still consumes the
// listings one by one in its own order, and each listing is exactly what ListDirectory
// would have given: the same entries in the same order, then the same end or error code.
//
// Use: after listing a directory, Request its subdirectories in walk order; when the walk
// enters one, Open it (a listing that was requested is handed over, waiting for it if a
// worker is still at it; any other path is listed on the spot); Forget a requested
// directory the walk does not enter.
//
// Threads: one consumer thread calls Request, Open and Forget; the workers only call the
// file system (which must be safe for concurrent use). The destructor stops and joins the
// workers. Memory: at most maxAhead finished listings wait for the walk; a path the walk
// needs that no worker has started is listed by the walk itself, so it never waits on a
// full queue.
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/core/file_system.h"

namespace plat {

class ListingPrefetcher {
public:
    ListingPrefetcher(FileSystem& fs, unsigned threads, std::size_t maxAhead = 512);
    ~ListingPrefetcher();
    ListingPrefetcher(const ListingPrefetcher&) = delete;
    ListingPrefetcher& operator=(const ListingPrefetcher&) = delete;

    // Directories the walk will enter next, in the order it will enter them. They are
    // listed before anything requested earlier (a depth-first walk enters them first).
    void Request(std::vector<CString> paths);
    // The listing of path, as FileSystem::ListDirectory gives it (null and the thread's
    // last error when it cannot be opened).
    std::unique_ptr<DirectoryLister> Open(const CString& path);
    // A requested directory the walk will not enter.
    void Forget(const CString& path);

    // One directory's listing as the file system gave it (defined in the .cpp).
    struct Result;

private:
    void Work();
    static std::shared_ptr<Result> ListNow(FileSystem& fs, const CString& path);

    FileSystem& fs_;
    const std::size_t maxAhead_;
    std::mutex mutex_;
    std::condition_variable wake_;      // workers: work queued, room freed, or stop
    std::condition_variable finished_;  // the consumer: a listing is done
    std::deque<CString> queue_;         // requested, not started; front first
    // Every requested path not yet handed over: null while queued or being listed.
    std::unordered_map<CString, std::shared_ptr<Result>> results_;
    std::size_t ready_ = 0;             // finished listings waiting for the walk
    bool consumerWaiting_ = false;      // the walk waits in Open for a listing
    bool stop_ = false;
    std::vector<std::thread> workers_;
};

}  // namespace plat
