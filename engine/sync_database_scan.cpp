// The scan of a profile: both roots walked into the record tree, contents compared on
// request, then the decision passes, the protection filters and a fresh index.
//
// A side that was not seen whole is never taken for an empty or shrunken side: its
// database entries would look deleted and the other side's files would be deleted.
// So a walk that did not complete, and a root that lists nothing although the database
// holds entries (an unmounted disk's empty mount point), end the scan as cancelled with
// an error; a directory that could not be listed is flagged and the decision leaves
// everything below it alone.
#include <algorithm>
#include <memory>
#include <vector>

#include "engine/decision/comparer.h"
#include "engine/execute/sync_executor.h"
#include "engine/log/logger.h"
#include "engine/path_helpers.h"
#include "engine/proxy.h"
#include "engine/scan/path_crawler.h"
#include "engine/scan/path_crawler_dummy.h"
#include "engine/sync_database.h"
#include "engine/watcher.h"
#include "platform/core/win_error.h"
#include "resources/string_ids.h"

namespace {

bool Cancelled(Watcher* watcher) { return watcher && watcher->IsCancelled(); }

void LogCancel(CLogger* logger) {
    if (!logger) return;
    ErrorInfo cancel;
    cancel.Set(ERROR_CATEGORY_CANCELLED, 0, 0, nullptr);
    logger->LogRecord(cancel);
}

// Why an entry cannot be synchronised (the string id of its warning), or 0. twin: the
// node already holds this side's stamp from this walk, so another name of the same
// directory differs from this one only in case. pathTooLong: its relative path is beyond
// the root's bound (MaxRelativePathBytes).
std::uint32_t NotSynchronisableReason(const plat::FindData& data, bool twin, bool pathTooLong) {
    if (data.kind == plat::EntryKind::Symlink) return IDS_SCAN_SKIP_SYMLINK;
    if (data.kind == plat::EntryKind::Special) return IDS_SCAN_SKIP_SPECIAL;
    if (twin) return IDS_SCAN_SKIP_CASE_TWIN;
    if (data.name.Find(u'\\') != CString::npos) return IDS_SCAN_SKIP_BACKSLASH;
    if (data.name.GetLength() > kStampNameMax) return IDS_SCAN_SKIP_NAME_TOO_LONG;
    if (pathTooLong) return IDS_SCAN_SKIP_PATH_TOO_LONG;
    return 0;
}

bool HoldsDatabaseEntries(FSTreeNode* root) {
    FSTree::Subtree all(root);
    for (FSTreeNode* node : all) {
        if (node->record.IsInDatabase()) return true;
    }
    return false;
}

// Scan step 4: each record's path from the node names ("\\" between them). Built while
// walking, one append per node, instead of climbing to the root for every node.
bool StorePaths(FSTreeNode* root, Watcher* watcher) {
    CString path;
    std::vector<std::size_t> ends;  // per depth: the length of the path up to that level
    FSTree::Subtree all(root);
    for (FSTreeNode* node : all) {
        if (Cancelled(watcher)) return false;
        const std::size_t depth = node->depth;
        if (ends.size() <= depth) ends.resize(depth + 1);
        path.Truncate(depth == 0 ? 0 : ends[depth - 1]);
        if (depth > 0) path += u'\\';
        path += node->GetName();
        ends[depth] = path.GetLength();
        // A rescan finds most paths as the last scan left them.
        if (!node->record.path.Equals(path)) node->record.SetPath(path);
    }
    return true;
}

}  // namespace

int CSyncDataBase::CrawlSide(ScanSide side, Watcher* watcher) {
    const bool left = side == SCAN_LEFT;
    const CString& root = left ? leftRoot : rightRoot;
    const std::uint8_t inaccessible = left ? FG_LEFT_INACCESSIBLE : FG_RIGHT_INACCESSIBLE;
    const Core::Preferences& preferences = GetPreferences();
    CLogger* logger = GetLogger();
    if (watcher) watcher->ItemStart(side, 0, root.c_str(), nullptr, 0);

    std::unique_ptr<PathCrawlerBase> crawler;
    if (const int count = preferences.GetTestPatternCount(); count > 0) {
        crawler = std::make_unique<PathCrawlerDummy>(static_cast<std::uint32_t>(count));
    } else {
        auto real = std::make_unique<PathCrawler>(GetFileSystem(), watcher);
        real->SetLogger(logger);
        crawler = std::move(real);
    }
    crawler->SetIgnoreAccessDenied(preferences.GetIgnoreInaccessibleDirs());

    int result = 0;
    ErrorInfo error;
    auto report = [&] {
        if (!error.IsSet()) return;
        if (logger) logger->LogRecord(error);
        result = 2;
    };
    crawler->Start(root, &error);
    report();

    FSTreeNode* cursor = GetRoot();
    bool sawEntry = false;
    CString path;
    // Per depth, the current entry's relative path in bytes: as on disk (its real names)
    // and as the tree and the profile hold it (the upper-cased node names, which can be
    // longer). Both must stay within the bound, so that the entry can be reached and the
    // profile that stores it loads again.
    const std::size_t maxPathBytes = MaxRelativePathBytes(root);
    std::vector<std::size_t> diskBytes, treeBytes;
    while (crawler->IsValid()) {
        if (Cancelled(watcher)) {
            LogCancel(logger);
            result = 1;
            break;
        }
        const int depth = crawler->Depth();
        while (!cursor->IsRoot() && static_cast<int>(cursor->depth) >= depth) cursor = cursor->parent;
        FSTreeNode* child = FindOrInsertChild(cursor, crawler->Name());
        CSyncRecord& record = child->record;
        const plat::FindData& data = crawler->FindData();
        const bool twin = (left ? record.left : record.right) != nullptr;
        const std::size_t level = static_cast<std::size_t>(depth);
        if (diskBytes.size() <= level) {
            diskBytes.resize(level + 1);
            treeBytes.resize(level + 1);
        }
        diskBytes[level] = RelativePathBytes(level == 0 ? 0 : diskBytes[level - 1], data.name.view());
        treeBytes[level] = RelativePathBytes(level == 0 ? 0 : treeBytes[level - 1], child->GetName());
        const bool pathTooLong = std::max(diskBytes[level], treeBytes[level]) > maxPathBytes;
        if (const std::uint32_t reason = NotSynchronisableReason(data, twin, pathTooLong)) {
            // Kept and marked, never left out: a missing entry would look deleted.
            record.FG |= FG_NOT_SYNCHRONISABLE;
            crawler->SkipChildren();
            if (logger) {
                crawler->FullPath(path);
                logger->LogWarning(reason, path);
            }
        }
        if (!twin) {
            if (left)
                record.SetLeftStamp(data);
            else
                record.SetRightStamp(data);
        }
        sawEntry = true;
        cursor = child;

        bool skipped = false;
        error.Reset();
        crawler->Next(&skipped, &error);
        if (skipped) record.FG |= inaccessible;
        report();
    }

    if (result != 1) {
        std::uint32_t unseen = 0;
        if (!crawler->IsComplete())
            unseen = IDS_SCAN_WALK_INCOMPLETE;
        else if (!sawEntry && HoldsDatabaseEntries(GetRoot()))
            unseen = IDS_SCAN_ROOT_LISTS_NOTHING;
        if (unseen) {
            if (logger) logger->LogError(unseen, root);
            result = 1;
        }
    }
    crawler.reset();
    if (watcher) watcher->ItemDone();
    return result;
}

int CSyncDataBase::CompareAllContents(Watcher* watcher) {
    CLogger* logger = GetLogger();
    if (logger && GetPhaseTitle(2) != 0) logger->LogInfo(GetPhaseTitle(2));
    const Core::Preferences& preferences = GetPreferences();
    SyncExecutor executor(&GetFileSystem());
    executor.Init(leftRoot, rightRoot, watcher, preferences.GetCopyBufferSize(), preferences.GetAutoRetryDelayOnError(),
                  preferences.GetCopyTraditional());

    // Entries marked as not synchronisable (links, special files ...) are never opened.
    // Returns false on a cancel.
    auto forEachPair = [&](auto&& visit) {
        FSTree::Subtree all(GetRoot());
        for (auto it = all.begin(); it != all.end();) {
            if (Cancelled(watcher)) return false;
            FSTreeNode* node = *it;
            if (node->record.FG & FG_NOT_SYNCHRONISABLE) {
                it.SkipChildren();
                continue;
            }
            if (IsSameKindAndSize(node->record) && !visit(*node)) break;
            ++it;
        }
        return true;
    };

    std::uint64_t total = 0;
    bool work = false;
    if (!forEachPair([&](FSTreeNode& node) {
            total += node.record.left->GetSize();
            work = true;
            return true;
        })) {
        LogCancel(logger);
        return 1;
    }
    if (!work) return 0;

    contentsCompared = 1;
    if (watcher) watcher->Begin(total);
    int result = 0;
    bool cancelled = false;
    const bool walked = forEachPair([&](FSTreeNode& node) {
        ErrorInfo error;
        const bool go = executor.CompareContents(node, 0, error);
        if (error.category == ERROR_CATEGORY_CANCELLED) {
            cancelled = true;
            return false;
        }
        if (error.IsSet()) {
            if (logger) logger->LogRecord(error);
            result = 2;
        }
        // An abort answer stops the scan like a cancel; its error is logged above.
        if (!go) {
            result = 1;
            return false;
        }
        return true;
    });
    if (watcher) watcher->End();
    if (!walked || cancelled) {
        LogCancel(logger);
        return 1;
    }
    return result;
}

std::uint32_t CSyncDataBase::Scan(Proxy* proxy, Watcher* watcher, bool compareContents) {
    CLogger* logger = GetLogger();
    const Core::Preferences& preferences = GetPreferences();
    entryComparer.SetIgnoreArchive(preferences.GetIgnoreArchiveBit());
    pairComparer.SetIgnoreArchive(preferences.GetIgnoreArchiveBit());
    entryComparer.SetToleranceMs(preferences.GetPrecisionTimeStampComp());
    pairComparer.SetToleranceMs(preferences.GetPrecisionEntryPairComp());

    // The end of a cancelled scan: the database entries survive, everything the scan
    // found or decided is gone, and the views see an empty index.
    auto cancel = [&](bool logIt) -> std::uint32_t {
        if (logIt) LogCancel(logger);
        protectionFilters.ClearMatches();
        Prune(GetRoot());
        commandHistory.Clear();
        leftBias = NO_BIAS;
        rightBias = NO_BIAS;
        if (proxy) proxy->Reset(&leftRoot, &rightRoot, &blobStore);
        scanValid = 0;
        if (watcher) watcher->End();
        return 1;
    };
    auto crawl = [&](ScanSide side) {
        if (watcher) watcher->Begin(0);
        const int result = CrawlSide(side, watcher);
        if (watcher) watcher->End();
        return result;
    };

    // A profile loaded with an empty root names no directory: reported as the missing
    // directory it is, before the overlap check (to which "" lies above every path).
    for (const CString* root : {&leftRoot, &rightRoot}) {
        if (!root->IsEmpty()) continue;
        ErrorInfo error;
        error.Set(ERROR_CATEGORY_SYSTEM, win32::ERROR_PATH_NOT_FOUND, 0, *root);
        if (logger) logger->LogRecord(error);
        return cancel(false);
    }
    // A profile loaded with nested or identical roots would copy a side into itself.
    if (RootsOverlap(GetFileSystem(), leftRoot, rightRoot)) {
        ErrorInfo error;
        error.Set(ERROR_CATEGORY_PROGRAM, ERRCODE_NESTED_ROOTS, 0, rightRoot);
        if (logger) logger->LogRecord(error);
        return cancel(false);
    }

    // Step 0: only the database entries remain, with no current information.
    contentsCompared = 0;
    testPatternScan = preferences.GetTestPatternCount() > 0 ? 1 : 0;
    protectionFilters.ClearMatches();
    Prune(GetRoot());
    if (proxy) proxy->Clear();
    commandHistory.Clear();
    if (Cancelled(watcher)) return cancel(true);

    // Step 1: no database yet means the first scan of this profile.
    const bool firstScan = GetRoot()->children.empty();
    if (Cancelled(watcher)) return cancel(true);

    // Steps 2 and 3: the left root, then the right root.
    for (ScanSide side : {SCAN_LEFT, SCAN_RIGHT}) {
        if (crawl(side) == 1) return cancel(false);
        if (Cancelled(watcher)) return cancel(true);
    }

    // Step 4.
    if (!StorePaths(GetRoot(), watcher)) return cancel(true);
    if (Cancelled(watcher)) return cancel(true);

    // Step 5.
    if (compareContents) {
        if (CompareAllContents(watcher) == 1) return cancel(false);
        if (Cancelled(watcher)) return cancel(true);
    }

    // Step 6: the primary decision and the bias of each side.
    DecideRecords();
    if (Cancelled(watcher)) return cancel(true);

    // Steps 7 to 9: derived action codes, best choice, and on a first scan the best
    // choice applied.
    if (!DecidePlan(watcher, firstScan)) return cancel(true);
    if (Cancelled(watcher)) return cancel(true);

    // Step 10.
    ApplyProtectionFilters();
    if (Cancelled(watcher)) return cancel(true);

    // Step 11.
    if (proxy) proxy->Build(*this, &leftRoot, &rightRoot, &blobStore);
    if (Cancelled(watcher)) return cancel(true);

    scanValid = 1;
    if (watcher) watcher->End();
    return 0;
}
