#include "engine/sync_database.h"

#include <utility>
#include <vector>

#include "engine/decision/best_choice.h"
#include "engine/decision/decision.h"
#include "engine/log/logger.h"
#include "engine/path_helpers.h"
#include "engine/proxy.h"

CSyncDataBase::CSyncDataBase(CLogger* logger) : logger_(logger), fileSystem_(&plat::PosixFs()) {
    protectionFilters.SetLogger(logger);
    Clear();
}

// Members go in reverse order of declaration: the history (its commands point into the
// filters and the tree), the protection filters (they unbind from the tree, which still
// exists), the blob store and the selection filters, then the tree itself.
CSyncDataBase::~CSyncDataBase() = default;

void CSyncDataBase::Clear() {
    leftRoot.Empty();
    rightRoot.Empty();
    rootsValid = 0;
    scanValid = 0;
    contentsCompared = 0;
    testPatternScan = 0;
    commandHistory.Clear();
    blobStore.Clear();
    protectionFilters.Clear();  // before the nodes: it unbinds from the records
    selectionFilters.clear();
    DeleteAllNodes();
    leftBias = NO_BIAS;
    rightBias = NO_BIAS;
    entryComparer.Reset();
    pairComparer.Reset();
}

void CSyncDataBase::ClearTree(Proxy& proxy) {
    testPatternScan = 0;
    protectionFilters.ClearMatches();
    DeleteAllNodes();
    proxy.Clear();
    commandHistory.Clear();
}

int CSyncDataBase::Fail(const ErrorInfo& error) {
    if (logger_) logger_->LogRecord(error);
    return 2;
}

int CSyncDataBase::Create(const CString& leftPath, const CString& rightPath, ErrorInfo& error) {
    Clear();
    plat::FileSystem& fs = GetFileSystem();
    if (!NormaliseRoot(fs, leftPath, leftRoot, error)) return Fail(error);
    if (!NormaliseRoot(fs, rightPath, rightRoot, error)) return Fail(error);
    // Nested or identical roots would copy a side into itself, one level deeper each run.
    if (RootsOverlap(fs, leftRoot, rightRoot)) {
        error.Set(ERROR_CATEGORY_PROGRAM, ERRCODE_NESTED_ROOTS, 0, rightPath);
        rightRoot.Empty();
        return Fail(error);
    }
    rootsValid = 1;
    return 0;
}

int CSyncDataBase::ChangeRoots(Proxy& proxy, const CString& leftPath, const CString& rightPath, ErrorInfo& error) {
    // Both roots are checked before anything changes: a failure keeps the old roots, the
    // tree and the history, so the next scan does not crawl an emptied root.
    plat::FileSystem& fs = GetFileSystem();
    CString left, right;
    if (!NormaliseRoot(fs, leftPath, left, error)) return Fail(error);
    if (!NormaliseRoot(fs, rightPath, right, error)) return Fail(error);
    if (RootsOverlap(fs, left, right)) {
        error.Set(ERROR_CATEGORY_PROGRAM, ERRCODE_NESTED_ROOTS, 0, rightPath);
        return Fail(error);
    }
    leftRoot = std::move(left);
    rightRoot = std::move(right);
    protectionFilters.ClearMatches();
    DeleteAllNodes();
    proxy.Clear();
    commandHistory.Clear();
    return 0;
}

void CSyncDataBase::SetPreferences(Core::Preferences* preferences) { preferences_ = preferences; }

void CSyncDataBase::SetPhaseTitles(const PhaseTitle* titles, std::size_t count) {
    if (!titles) return;
    for (std::size_t i = 0; i < count; ++i)
        if (titles[i].index < kPhaseCount) phaseTitles[titles[i].index] = titles[i].id;
}

namespace {
bool IsHourShift(Bias bias) { return bias == POS_BIAS || bias == NEG_BIAS; }
}  // namespace

bool CSyncDataBase::IsDstShiftDetected() const {
    return scanValid && (IsHourShift(leftBias) || IsHourShift(rightBias));
}

bool CSyncDataBase::CompensateDstShift() {
    if (!IsDstShiftDetected()) return false;
    bool changed = false;
    FSTree::Subtree walk(GetRoot());
    for (auto it = walk.begin(); it != walk.end(); ++it)
        if ((*it)->record.ShiftDatabaseTimes(leftBias, rightBias, entryComparer)) changed = true;
    if (changed) {
        commandHistory.Clear();
        protectionFilters.ClearMatches();
        // The records were decided again one by one: the marks of the crawl hold again
        // for what lies below a marked entry, then the tree passes, without cancel checks.
        ApplyCrawlMarks(*GetRoot());
        DeriveActionCodes(*GetRoot(), nullptr);
        ComputeBestChoice(*GetRoot(), pairComparer, nullptr);
        ApplyProtectionFilters();
    }
    leftBias = NO_BIAS;
    rightBias = NO_BIAS;
    return changed;
}

bool CSyncDataBase::Prune(FSTreeNode* node) {
    if (!node) return false;
    // Nodes are deleted below: no filter state may point into them.
    if (protectionFilters.GetTree()) protectionFilters.ClearMatches();

    // Depth first without recursion, so that a deep tree cannot exhaust the stack: a
    // frame's children are pruned one after the other, each deleted when it is left
    // without database entries.
    struct Frame {
        FSTreeNode* node;
        FSTreeChildren::iterator next;
    };
    node->record.ResetCurrent();
    std::vector<Frame> stack{{node, node->children.begin()}};
    bool childResult = false;
    bool returning = false;
    for (;;) {
        Frame& top = stack.back();
        if (returning) {
            // The child at top.next has just been pruned.
            if (childResult)
                top.next = DeleteChild(top.node, top.next);
            else
                ++top.next;
            returning = false;
        }
        if (top.next != top.node->children.end()) {
            FSTreeNode* child = *top.next;
            child->record.ResetCurrent();
            stack.push_back({child, child->children.begin()});
            continue;
        }
        const bool result = !top.node->record.IsInDatabase() && top.node->children.empty();
        stack.pop_back();
        if (stack.empty()) return result;
        childResult = result;
        returning = true;
    }
}
