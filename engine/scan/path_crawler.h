#pragma once
// PathCrawler: walks a real directory tree through a plat::FileSystem.
//
// Each directory is listed whole when the walk enters it and the listing is kept until
// the walk leaves it, so no directory stays open while the walk is below it (a deep
// tree cannot run out of file descriptors) and a listing failure is met, and put to the
// user, before any entry of that directory is handed out.
//
// What the walk never hands out: "." and "..", and the leftovers of interrupted copies
// (plat::IsTemporaryLeftover: a regular file of the temporary name form and mode), which
// it removes, each logged (as information, or the error of a removal that failed) when a
// logger is set. A directory, link or other entry that merely has such a name is an
// ordinary entry. Symbolic links are handed out as entries (kind Symlink) but never
// followed or descended into. The root is held on the file system from Start until the
// crawler goes or starts again, so a directory replaced by a link while the walk is below
// it is not listed through the link: its listing fails with 3 and it is reported as
// skipped, like a directory that vanished.
//
// Errors: a directory that cannot be listed, or whose listing fails part way, is put to
// the user through Watcher::Ask as ErrorInfo (1, code, 0, directory path). The answers:
// retry (3, a negative answer, 5 and above) repeats the failed call; skip (4) goes on
// without that directory (Next reports it as skipped); abort (0, 1, 2) ends the walk,
// which is then not complete. Without a watcher a failure ends the walk. The answer's
// error record is copied to the caller's ErrorInfo (skip and abort).
//
// Threads: one walk on one thread; the watcher is used from that thread.
#include <cstddef>
#include <vector>

#include "engine/scan/path_crawler_base.h"
#include "platform/core/listing_prefetcher.h"

class CLogger;
class Watcher;

class PathCrawler : public PathCrawlerBase {
public:
    // fs and watcher (null = no questions) must outlive the crawler.
    PathCrawler(plat::FileSystem& fs, Watcher* watcher);
    // Receives a line for every leftover temporary file removed (or not removable); null = none.
    void SetLogger(CLogger* logger) { logger_ = logger; }

    bool IsValid() const override { return valid_; }
    bool IsComplete() const override { return complete_; }
    bool Start(const CString& root, ErrorInfo* error) override;
    bool Next(bool* skipped, ErrorInfo* error) override;
    void SkipChildren() override { skipChildren_ = true; }
    int Depth() const override { return static_cast<int>(depth_); }
    const CString& Name() const override { return Current().name; }
    const plat::FindData& FindData() const override { return Current(); }
    void FullPath(CString& out) const override;
    void SetIgnoreAccessDenied(bool ignore) override { ignoreAccessDenied_ = ignore; }
    bool GetIgnoreAccessDenied() const override { return ignoreAccessDenied_; }

private:
    // One directory on the way from the root to the current entry. Frames and their
    // entry vectors are kept and reused for the next directory at the same depth, so a
    // walk allocates per level, not per directory.
    struct Frame {
        CString path;                         // the directory's path, ending in '/'
        std::vector<plat::FindData> entries;  // the listing; the first count are valid
        std::size_t count = 0;
        std::size_t pos = 0;                  // the current entry
    };
    enum class Listing { Listed, CutShort, Skipped, Missing, EndWalk };
    enum class Answer { Retry, Skip, End };

    const plat::FindData& Current() const { return frames_[depth_].entries[frames_[depth_].pos]; }
    Listing List(Frame& frame, bool isRoot, ErrorInfo* error);
    Answer AskAbout(std::uint32_t code, const CString& path, ErrorInfo* error);
    void EndWalk();
    void RemoveLeftover(const CString& path);

    // Lists the subdirectories of each listed directory ahead of the walk (only where the
    // file system says that pays); null otherwise or while no walk runs.
    void RequestSubdirectories(const Frame& frame);

    plat::FileSystem& fs_;
    // The root of the walk, held from Start on (nothing below it is listed through a
    // link); declared before the listing workers, so that it outlives them.
    plat::RootHold rootHold_;
    std::unique_ptr<plat::ListingPrefetcher> prefetch_;
    Watcher* watcher_;
    CLogger* logger_ = nullptr;
    std::vector<Frame> frames_;
    std::size_t depth_ = 0;    // index of the top frame; meaningful while frames are open
    bool open_ = false;        // frames_[0..depth_] are in use
    bool valid_ = false;
    bool complete_ = false;
    bool ignoreAccessDenied_ = false;
    bool skipChildren_ = false;
};
