#pragma once
// PathCrawlerBase: walks one root directory entry by entry, depth first, a directory
// before its contents. The crawl driver (CSyncDataBase::CrawlSide) enters every entry it
// is given into the record tree as that side's current stamp.
//
// Implementations: PathCrawler (the real file system, path_crawler.h) and
// PathCrawlerDummy (a generated test tree, path_crawler_dummy.h).
//
// Contract: one crawler serves one walk on one thread. "." and ".." never become
// entries. Errors are reported through the ErrorInfo the caller passes (which may be
// null); nothing throws. The references returned by Name and FindData stay valid until
// the next Start or Next.
#include "engine/error_info.h"
#include "platform/core/cstring.h"
#include "platform/core/file_system.h"

class PathCrawlerBase {
public:
    virtual ~PathCrawlerBase() = default;

    // A current entry exists.
    virtual bool IsValid() const = 0;
    // The walk ran to its end: every directory was listed, or, where a directory could
    // not be listed, Next reported it as skipped. False after the walk was abandoned
    // (an error answered with "end the walk", a root that could not be listed).
    virtual bool IsComplete() const = 0;

    // Begins the walk at root (an absolute path ending in '/') and positions on the
    // first entry. False when there is no entry (an empty root, or a failure, which then
    // fills error).
    virtual bool Start(const CString& root, ErrorInfo* error) = 0;
    // Advances to the next entry, first descending into the current entry when it is a
    // directory. skipped is set when that directory's listing was skipped or cut short
    // (its contents are then missing, wholly or in part, and the caller flags it). A
    // failure that was put to the user fills error. False when no entry is left.
    virtual bool Next(bool* skipped, ErrorInfo* error) = 0;
    // The current entry's contents are not walked: the next Next goes on with its next
    // sibling. Used for entries the program cannot synchronise.
    virtual void SkipChildren() = 0;

    // Depth of the current entry below the root (0 = directly in the root).
    virtual int Depth() const = 0;
    // The current entry's own name (its last component).
    virtual const CString& Name() const = 0;
    virtual const plat::FindData& FindData() const = 0;
    // The current entry's path: its directory path, '/', and its name.
    virtual void FullPath(CString& out) const = 0;

    // A directory that cannot be listed for lack of access is skipped without asking.
    virtual void SetIgnoreAccessDenied(bool ignore) = 0;
    virtual bool GetIgnoreAccessDenied() const = 0;
};
