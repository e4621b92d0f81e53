#pragma once
// CSyncDataBase: the whole engine-side state of one profile. The record tree (it is an
// FSTree), the two roots, the protection and selection filters, the blob store with the
// profile's opaque settings, the command history, the two comparer option blocks, the
// engine settings, the logger that receives its error records and the file system every
// access of the engine goes through.
//
// Roots are absolute native paths ending in '/', at most 259 characters (260 with the
// terminator), a root that is a symbolic link resolved; empty when not set. Two roots
// never are the same directory or lie inside each other.
//
// Operations are grouped by the file that implements them: the state and roots here
// (sync_database.cpp), the scan, the execution, the profile file, the filters and the
// commands in their own files.
//
// Ownership: owns everything it holds but the preferences, the logger and the file
// system, which must outlive it.
// Threads: one thread at a time: a worker (scan, execution) while it runs, else the
// user-interface thread. Errors go to the caller's ErrorInfo and to the logger; nothing
// throws except std::bad_alloc.
#include <cstddef>
#include <cstdint>
#include <list>

#include "engine/commands/command_history.h"
#include "engine/core_preferences.h"
#include "engine/decision/comparer.h"
#include "engine/error_info.h"
#include "engine/filters/protection_filters.h"
#include "engine/filters/protection_rule.h"
#include "engine/format/blob_store.h"
#include "engine/run_result.h"
#include "engine/tree/action_codes.h"
#include "engine/tree/fs_tree.h"
#include "platform/core/cstring.h"
#include "platform/core/file_system.h"

class CLogger;
struct FilterEntry;
enum ProtectionOperation : std::uint32_t;  // engine/cmd_prot_filters.h
class CProcessControl;
class Proxy;
class Watcher;
struct ExecutionCounts;

// One phase title: the phase index (0 scan, 1 synchronisation, 2 binary comparison) and
// the string id of its title.
struct PhaseTitle {
    std::uint32_t index;
    std::uint32_t id;
};

class CSyncDataBase : public FSTree {
public:
    static constexpr std::size_t kPhaseCount = 3;

    // No preferences (the default object answers), both comparers initial, phase titles 0,
    // the real file system; the logger may be null (nothing is logged then).
    explicit CSyncDataBase(CLogger* logger);
    ~CSyncDataBase() override;

    // --- State and roots (sync_database.cpp) ---

    // Empties the whole state: roots, the three flags, history, blob store, protection and
    // selection filters, every node below the root, both biases; comparers initial.
    void Clear();
    // Drops the scan result, keeps roots and filters: clears the protection matches,
    // deletes every node below the root, clears the Proxy and the history.
    void ClearTree(Proxy& proxy);
    // Clear, then both roots from the paths; 0 on success (roots valid set). 2 on the
    // first failure: the error is logged, the root being written stays empty.
    int Create(const CString& leftPath, const CString& rightPath, ErrorInfo& error);
    // New roots for a profile: 0 when both are usable (the tree, the protection matches,
    // the Proxy and the history are dropped). 2 when one fails: the error is logged and
    // nothing changes at all.
    int ChangeRoots(Proxy& proxy, const CString& leftPath, const CString& rightPath, ErrorInfo& error);

    // Null returns to the default object.
    void SetPreferences(Core::Preferences* preferences);
    // The preferences in use (the default object when none was set).
    const Core::Preferences& GetPreferences() const { return preferences_ ? *preferences_ : defaultPreferences_; }
    // Stores the id of every pair whose index is below kPhaseCount.
    void SetPhaseTitles(const PhaseTitle* titles, std::size_t count);
    std::uint32_t GetPhaseTitle(std::uint32_t index) const { return index < kPhaseCount ? phaseTitles[index] : 0; }

    // A finished scan found a daylight-saving shift on a side (bias POS_BIAS or NEG_BIAS).
    bool IsDstShiftDetected() const;
    // Moves the database times by the detected shift and decides again; both biases
    // become NO_BIAS. True when any record changed.
    bool CompensateDstShift();

    // Before a scan, from the root: drops the current information of every record and
    // deletes the nodes that are neither in the database nor above such an entry. True
    // when node is not in the database and has no children left.
    virtual bool Prune(FSTreeNode* node);

    // --- Profile file (profile_file.cpp) ---

    // Writes the profile in format 3: the header (word 1 is always 3, words 2 to 4 as
    // given), both roots, the database part of the tree, the protection and selection
    // filters, the blob store. The stream is flushed at the end. A stream that is not good
    // before or after gives (2, 6), logged, and false.
    bool Save(BinaryWriter& stream, std::uint32_t w1, std::uint32_t w2, std::uint32_t w3, std::uint32_t w4,
              ErrorInfo& error);
    // Reads a profile of format 1, 2 or 3 (the signature is the caller's to check first)
    // and hands the four version words to the pointers that are not null. Clears the
    // database first; true with roots valid set on success. Errors, logged: a stream that
    // is not good or fails while reading (2, 6); a foreign magic (2, 7) and a format above
    // 3 (2, 5), both before anything else is read. After any failure the database is
    // cleared and roots valid is 0.
    bool Load(BinaryReader& stream, std::uint32_t* w1, std::uint32_t* w2, std::uint32_t* w3, std::uint32_t* w4,
              ErrorInfo& error);
    // Only database entries and the directories above them are written.
    bool WriteSubtree(BinaryWriter& stream, FSTreeNode* node, std::uint32_t flags) override;
    // FSTree's reader; a name stored twice under one parent is logged as a warning.
    bool ReadSubtree(BinaryReader& stream, FSTreeNode* node, std::uint32_t version) override;

    // The file system every access of the engine goes through (default: the real one).
    void SetFileSystem(plat::FileSystem* fileSystem) { fileSystem_ = fileSystem ? fileSystem : &plat::PosixFs(); }
    plat::FileSystem& GetFileSystem() const { return *fileSystem_; }
    // Null when none was given.
    CLogger* GetLogger() const { return logger_; }

    // --- Scan (sync_database_scan.cpp) ---

    // The side a crawl walks; also the item value of the crawl's Watcher item.
    enum ScanSide : std::uint32_t { SCAN_LEFT = 0, SCAN_RIGHT = 1 };

    // Rebuilds the plan: keeps the database entries, walks both roots, optionally
    // compares contents, decides, applies the protection filters and builds proxy (may be
    // null). 0 finished, 1 cancelled; scan valid is set exactly when the result is 0. A
    // side the walk could not see whole also ends the scan as cancelled, with an error
    // logged, so that nothing is decided from entries that were not seen. A cancelled
    // scan leaves the database entries, no current information, and an empty proxy.
    // watcher may be null (no progress, never cancelled).
    std::uint32_t Scan(Proxy* proxy, Watcher* watcher, bool compareContents);
    // Enters every entry of one root into the tree as that side's current stamp (the
    // tree must be pruned, as Scan step 0 leaves it). Entries that cannot be synchronised
    // are marked FG_NOT_SYNCHRONISABLE with a warning naming the path; a directory whose
    // listing was skipped or cut short gets FG_LEFT_INACCESSIBLE / FG_RIGHT_INACCESSIBLE.
    // 0 done, 2 finished with errors (logged), 1 cancelled or the side not seen whole (a
    // walk that did not complete, or a root that lists nothing while the database holds
    // entries): then an error naming the root is logged.
    int CrawlSide(ScanSide side, Watcher* watcher);
    // The binary content comparison of every entry whose sides are of the same kind and
    // size. 0 finished, 1 cancelled (or stopped by an abort answer), 2 finished with
    // errors (logged).
    int CompareAllContents(Watcher* watcher);

    // --- Execution (sync_database_execute.cpp) ---

    // Carries out the plan of every entry of selection (marked or not): the deletions
    // first, contents before their directories, then the rest, directories before their
    // contents; entries already DONE or SKIPPED are passed over. Clears the command
    // history, reports through watcher, logs every entry's error, unmarks the entries and
    // flushes both roots' file systems before it returns. counts (when given) gets the
    // operations the run did on the disk, by kind. A plan of a generated test tree
    // (IsTestPatternPlan) is refused: an error is logged, nothing is touched, and the
    // result is RUN_FINISHED_WITH_ERRORS.
    RunResult Execute(Proxy& selection, Watcher& watcher, ExecutionCounts* counts = nullptr);
    // The last scan crawled a generated test tree instead of the roots: its plan names
    // entries that are not on the disk.
    bool IsTestPatternPlan() const { return testPatternScan != 0; }

    // --- Decision and filters (sync_database_decision.cpp) ---

    // Scan step 6: Decide every record with the entry comparer, honouring the crawl marks,
    // then the bias of each whole side (only a FAT volume can have one).
    void DecideRecords();
    // Scan steps 7 to 9: the action codes derived, the best choice with the pair comparer
    // and, on a first scan (the tree held no database), the best choice applied where
    // that deletes nothing never synchronised. False when the cancel poll (may be null)
    // reported a cancel.
    bool DecidePlan(CProcessControl* cancel, bool firstScan);
    // Scan step 10: the protection filters matched against the tree, then every protected
    // entry set to SKIP (SkipProtectedEntries).
    void ApplyProtectionFilters();
    // Marks every index entry whose path at least one active selection rule matches and no
    // active exclusion rule does: FG_MARKED and its filter state's marked byte. Unselected
    // entries are left as they are. True when any entry was selected. A rule whose search
    // fails counts as no match (an exclusion then excludes nothing); one warning per such
    // rule says what that means for the entries.
    bool ApplySelectionFilters(Proxy& proxy);
    // One warning for every protection and selection rule whose regular expression does
    // not compile (it matches as a wildcard pattern); a successful Load calls it.
    void WarnOfUncompiledRules() const;
    // Empties out and appends a copy of every protection rule in order; the count.
    std::size_t GetProtectionFilters(std::list<ProtectionRule>& out) const;
    // Empties out and appends a pointer to every live protection rule in order; the count.
    std::size_t GetProtectionFilterPtrs(std::list<ProtectionRule*>& out);

    // --- Commands (sync_database_commands.cpp) ---

    // Each builds its command over the marked entries of selection, runs it through the
    // command history and returns its update hint (2 action codes, 4 protection rules,
    // 7 sides switched, 9 selection filters applied, 0 nothing changed).
    // The code of each marked entry that allows it, with propagation.
    std::uint32_t ChangeActionCode(Proxy& selection, ActionCode code);
    // Every unmarked entry skipped; the marked ones keep what they were to do.
    std::uint32_t SkipInverse(Proxy& selection);
    // side DOMINATE_LEFT (8) or DOMINATE_RIGHT (9) dominates the marked entries.
    std::uint32_t ChangeDominate(Proxy& selection, std::uint32_t side);
    // Each marked entry takes its best choice. keepUnrecorded is the unattended form: an
    // entry whose subtree's best choice would delete an entry in no database, or two files
    // in no database whose contents differ at equal times, is left as it is (its
    // conflicts stay AMBIGUOUS).
    std::uint32_t BestChoice(Proxy& selection, bool keepUnrecorded = false);
    // Left and right exchanged (nothing when the profile holds no roots).
    std::uint32_t SwitchSides();
    // The protection filter set edited by the rows of the filter dialog.
    std::uint32_t ModifyProtFilters(Proxy& selection, const std::list<FilterEntry>& entries);
    // One protection operation on the marked entries.
    std::uint32_t ModifyProtStates(Proxy& selection, ProtectionOperation operation);
    // A new selection-filter list, applied to selection when it is not null.
    std::uint32_t SetSelFilters(Proxy* selection, const std::list<ProtectionRule>& filters);

    // --- Members ---

    std::list<ProtectionRule> selectionFilters;
    BlobStore blobStore;
    std::uint8_t rootsValid = 0;         // set by Create and a successful Load
    std::uint8_t scanValid = 0;          // the tree holds the result of a finished scan
    std::uint8_t contentsCompared = 0;   // the last scan compared contents
    std::uint8_t testPatternScan = 0;    // the last scan crawled a generated test tree
    ProtectionFilters protectionFilters;
    CommandHistory commandHistory;
    CString leftRoot;                    // empty when not set
    CString rightRoot;
    Bias leftBias = NO_BIAS;             // daylight-saving shift the last scan found
    Bias rightBias = NO_BIAS;
    ComparerOptions entryComparer;       // current against database: the primary decision
    ComparerOptions pairComparer;        // left against right: the best choice
    std::uint32_t phaseTitles[kPhaseCount] = {};

private:
    // Logs the error (when there is a logger) and returns 2.
    int Fail(const ErrorInfo& error);
    // Load's reading; 0 or the program error code.
    std::uint32_t LoadBody(BinaryReader& stream, std::uint32_t* w1, std::uint32_t* w2, std::uint32_t* w3,
                           std::uint32_t* w4);

    Core::Preferences* preferences_ = nullptr;  // null: defaultPreferences_
    Core::Preferences defaultPreferences_;
    CLogger* logger_;
    plat::FileSystem* fileSystem_;
};
