#include "engine/scan/path_crawler.h"

#include <algorithm>
#include <thread>

#include "engine/log/logger.h"
#include "engine/watcher.h"
#include "platform/core/win_error.h"
#include "resources/string_ids.h"

namespace {

// The path as the file system takes it: without the trailing '/' of a directory path,
// except for "/" itself.
CString WithoutTrailingSlash(const CString& path) {
    if (path.GetLength() > 1 && path.EndsWith(u'/')) return CString(path.view().substr(0, path.GetLength() - 1));
    return path;
}

}  // namespace

PathCrawler::PathCrawler(plat::FileSystem& fs, Watcher* watcher) : fs_(fs), watcher_(watcher) {}

void PathCrawler::FullPath(CString& out) const {
    const Frame& top = frames_[depth_];
    out = top.path;
    out += top.entries[top.pos].name;
}

void PathCrawler::RequestSubdirectories(const Frame& frame) {
    if (!prefetch_) return;
    // The directory's walk key: the position of the current entry of each frame above it.
    const std::size_t level = static_cast<std::size_t>(&frame - frames_.data());
    plat::ListingPrefetcher::WalkKey key;
    key.reserve(level);
    for (std::size_t d = 0; d < level; ++d) key.push_back(static_cast<std::uint32_t>(frames_[d].pos));
    std::vector<plat::ListingPrefetcher::Subdirectory> subdirectories;
    for (std::size_t i = 0; i < frame.count; ++i)
        if (frame.entries[i].kind == plat::EntryKind::Directory)
            subdirectories.push_back({static_cast<std::uint32_t>(i), frame.path + frame.entries[i].name});
    prefetch_->Request(key, std::move(subdirectories));
}

void PathCrawler::EndWalk() {
    prefetch_.reset();
    open_ = false;
    valid_ = false;
    complete_ = false;
}

// A leftover that cannot be removed stays out of the walk all the same (it is no entry of
// the user's); its failure is logged, so that it is not left without a word either.
void PathCrawler::RemoveLeftover(const CString& path) {
    if (fs_.DeleteFile(path)) {
        if (logger_) logger_->LogInfo(IDS_SCAN_TEMPORARY_REMOVED, path);
        return;
    }
    if (!logger_) return;
    ErrorInfo failure;
    failure.Set(ERROR_CATEGORY_SYSTEM, GetLastError(), 0, path);
    logger_->LogRecord(failure);
}

PathCrawler::Answer PathCrawler::AskAbout(std::uint32_t code, const CString& path, ErrorInfo* error) {
    ErrorInfo question;
    question.Set(ERROR_CATEGORY_SYSTEM, code, 0, path);
    if (watcher_) {
        const int answer = watcher_->Ask(&question);
        if (answer < 0 || answer == 3 || answer >= 5) return Answer::Retry;
        if (error) *error = question;
        return answer == 4 ? Answer::Skip : Answer::End;
    }
    if (error) *error = question;
    return Answer::End;
}

// Reads the whole listing of frame.path into frame.entries, asking about failures.
PathCrawler::Listing PathCrawler::List(Frame& frame, bool isRoot, ErrorInfo* error) {
    frame.count = 0;
    frame.pos = 0;
    const CString fsPath = WithoutTrailingSlash(frame.path);
    // The first attempt takes the listing made ahead, if any; a retry lists afresh.
    bool first = true;
    for (;;) {
        // A listing made ahead by a worker has its subdirectories requested already.
        bool madeAhead = false;
        std::unique_ptr<plat::DirectoryLister> lister =
            first && prefetch_ ? prefetch_->Open(fsPath, &madeAhead) : fs_.ListDirectory(fsPath);
        first = false;
        if (!lister) {
            const std::uint32_t code = GetLastError();
            if (code == win32::ERROR_FILE_NOT_FOUND || code == win32::ERROR_PATH_NOT_FOUND) {
                if (!isRoot) return Listing::Missing;
                // An existing root that reports nothing to list is empty.
                const std::uint32_t attributes = fs_.GetFileAttributes(fsPath);
                if (attributes != plat::INVALID_FILE_ATTRIBUTES && (attributes & plat::FILE_ATTRIBUTE_DIRECTORY))
                    return Listing::Listed;
            }
            if (code == win32::ERROR_ACCESS_DENIED && ignoreAccessDenied_ && !isRoot) return Listing::Skipped;
            switch (AskAbout(code, frame.path, error)) {
                case Answer::Retry: continue;
                case Answer::Skip: return Listing::Skipped;
                case Answer::End: return Listing::EndWalk;
            }
        }
        for (;;) {
            if (frame.entries.size() <= frame.count) frame.entries.emplace_back();
            plat::FindData& entry = frame.entries[frame.count];
            if (lister->Next(entry)) {
                if (plat::IsDotName(entry.name.view())) continue;
                if (plat::IsTemporaryLeftover(entry)) {
                    // A copy's temporary file left by an interrupted run: removed, one line
                    // each. Whatever else carries such a name is an ordinary entry.
                    RemoveLeftover(frame.path + entry.name);
                    continue;
                }
                ++frame.count;
                continue;
            }
            const std::uint32_t code = GetLastError();
            if (code == win32::ERROR_NO_MORE_FILES) {
                if (!madeAhead) RequestSubdirectories(frame);
                return Listing::Listed;
            }
            const Answer answer = AskAbout(code, frame.path, error);
            if (answer == Answer::Skip) {
                if (!madeAhead) RequestSubdirectories(frame);
                return Listing::CutShort;
            }
            if (answer == Answer::End) return Listing::EndWalk;
            // Retry: the directory is listed again from its start. A listing that failed on
            // one entry may already have moved past it, so going on would lose that entry
            // silently, and a lost entry looks deleted.
            break;
        }
        frame.count = 0;
    }
}

bool PathCrawler::Start(const CString& root, ErrorInfo* error) {
    valid_ = false;
    complete_ = false;
    open_ = false;
    skipChildren_ = false;
    depth_ = 0;
    if (root.IsEmpty()) {
        // No root set: never the file system's root.
        if (error) error->Set(ERROR_CATEGORY_SYSTEM, win32::ERROR_PATH_NOT_FOUND, 0, root);
        return false;
    }
    prefetch_.reset();
    rootHold_ = plat::RootHold(fs_, root);
    if (fs_.ListsInParallel()) {
        const unsigned cores = std::thread::hardware_concurrency();
        prefetch_ = std::make_unique<plat::ListingPrefetcher>(fs_, cores > 2 ? std::min(cores - 1, 6u) : 1u);
    }
    if (frames_.empty()) frames_.emplace_back();
    Frame& frame = frames_[0];
    frame.path = root;
    if (!frame.path.EndsWith(u'/')) frame.path += u'/';
    // A root whose listing was skipped or cut short cannot be flagged like a directory
    // below it: the walk of that side is then not complete.
    if (List(frame, true, error) != Listing::Listed) {
        prefetch_.reset();
        return false;
    }
    if (frame.count == 0) {
        prefetch_.reset();
        complete_ = true;
        return false;
    }
    open_ = true;
    valid_ = true;
    return true;
}

bool PathCrawler::Next(bool* skipped, ErrorInfo* error) {
    if (skipped) *skipped = false;
    if (!open_) {
        valid_ = false;
        return false;
    }
    valid_ = false;
    const bool directory = Current().kind == plat::EntryKind::Directory;
    const bool descend = !skipChildren_ && directory;
    if (directory && skipChildren_ && prefetch_) prefetch_->Forget(frames_[depth_].path + Current().name);
    skipChildren_ = false;
    if (descend) {
        CString path = frames_[depth_].path;
        path += Current().name;
        path += u'/';
        if (frames_.size() <= depth_ + 1) frames_.emplace_back();
        Frame& frame = frames_[depth_ + 1];
        frame.path = std::move(path);
        switch (List(frame, false, error)) {
            case Listing::CutShort:
                if (skipped) *skipped = true;
                [[fallthrough]];
            case Listing::Listed:
                if (frame.count > 0) {
                    ++depth_;
                    valid_ = true;
                    return true;
                }
                break;
            case Listing::Skipped:
            case Listing::Missing:
                // A directory that vanished or was replaced since its parent was listed
                // is reported like one that could not be listed: its contents were not
                // seen, so nothing below it may be taken as deleted.
                if (skipped) *skipped = true;
                break;
            case Listing::EndWalk:
                EndWalk();
                return false;
        }
    }
    for (;;) {
        Frame& top = frames_[depth_];
        if (top.pos + 1 < top.count) {
            ++top.pos;
            valid_ = true;
            return true;
        }
        if (depth_ == 0) {
            prefetch_.reset();
            open_ = false;
            complete_ = true;
            return false;
        }
        --depth_;
    }
}
