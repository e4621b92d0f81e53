#pragma once
// The decision passes of a scan over the record tree, in the order the scan runs them:
//   DecideTree         the primary decision (PA) of every record, honouring the crawl marks;
//   SideBias           the daylight-saving shift class of a whole side;
//   DeriveActionCodes  AC from PA, resolving the subtrees whose two sides differ.
// The best choice and the user's edits are in best_choice.h and set_action_code.h.
//
// Crawl marks: everything the crawl could not see is left alone. Below a directory
// whose listing failed on a side (FG_LEFT_INACCESSIBLE / FG_RIGHT_INACCESSIBLE), and at
// and below an entry marked FG_NOT_SYNCHRONISABLE, every entry is SKIP: its absence on
// that side says nothing, so it must not be deleted or copied over. Such an entry is
// "locked": its only allowed action is SKIP.
//
// Threads: the passes run on the scan worker (or the user-interface thread while no
// worker runs); one thread at a time per tree. Nothing throws (except std::bad_alloc).
#include <cstdint>

#include "engine/decision/comparer.h"
#include "engine/tree/action_codes.h"
#include "platform/core/cstring.h"

class CProcessControl;
class CSyncRecord;
class FSTreeNode;
namespace plat {
class FileSystem;
}

// True when the crawl did not see this entry as a whole: it is marked not synchronisable,
// or an ancestor is marked so or flagged as not listed on a side.
bool IsLockedByCrawl(const FSTreeNode& node);
// True when the node is a directory flagged as not listed on a side (its own stamp was
// seen, its contents on that side were not).
bool IsUnlistedDirectory(const FSTreeNode& node);
// Codes that would remove or replace what the crawl could not see on a not-listed
// directory: deleting it on either side, or copying a non-directory over it.
bool IsUnsafeForUnlistedDirectory(const FSTreeNode& node, ActionCode code);

// True when a directory with code directoryCode would keep the entry below (a deletion
// on a side where the entry exists): a directory is removed only when empty, so such a
// directory cannot carry out its code while the entry keeps another.
bool DeletionKeeps(ActionCode directoryCode, const CSyncRecord& below);

// Decide for every record below root with the entry comparer, then the crawl marks: a
// locked entry gets PA = AC = SKIP and no bias, and a directory above it that was to be
// deleted on a side where the locked entry (or the not-listed directory) exists is
// SKIP as well, since it cannot be emptied.
void DecideTree(FSTreeNode& root, const ComparerOptions& entryComparer);
// The crawl-mark part of DecideTree alone, for records decided again one by one (after
// the database times were shifted).
void ApplyCrawlMarks(FSTreeNode& root);

// The bias of a whole side from the records' BL (left) or BR (right): on a FAT volume
// the one value among NUL_BIAS, POS_BIAS and NEG_BIAS that occurs, NO_BIAS when two or
// more of them occur or none does; on any other volume NO_BIAS.
Bias SideBias(const FSTreeNode& root, bool leftSide, bool fatVolume);
// True when the file-system name of the file system holding root contains "FAT" (vfat,
// msdos and exFAT volumes); false when the name cannot be read.
bool IsFatVolume(plat::FileSystem& fileSystem, const CString& root);

// AC := PA for every record, then each subtree whose top has differing sides: mixed
// directions make its copies AMBIGUOUS, and a directory to be deleted on a side where an
// AMBIGUOUS entry below it exists becomes AMBIGUOUS too, up the tree as far as that holds;
// a one-directional subtree copies, and each copy lifts that code to its ancestors up to
// the first one that exists as a directory on the target side (the root is never
// changed). Changed records are marked (FG_MARKED). The cancel poll is asked before every
// node; false when it reported a cancel.
bool DeriveActionCodes(FSTreeNode& root, CProcessControl* cancel);
