#pragma once
// The best choice: a proposed code (BC) for every entry, resolving conflicts by the
// newer side, then the larger file, then the attribute word. The scan computes it after
// the action codes are derived; the user applies it with the best-choice command, and a
// first scan (no database yet) applies it to every entry.
//
// Threads: the scan worker, or the user-interface thread while no worker runs. Nothing
// throws.
#include "engine/decision/comparer.h"
#include "engine/tree/action_codes.h"

class CProcessControl;
class FSTreeNode;

// The side holding the newest compare time in the subtree of top (top included): left
// times of entries whose PA is AMBIGUOUS or CP_M, right times of those whose PA is
// AMBIGUOUS or CP_S, the left before the right within an entry; only a strictly newer
// time wins, so a tie goes to the side met first. CP_M (left), CP_S (right) or EQUAL
// when no time was newer than 0.
ActionCode NewestSide(FSTreeNode& top);

// BC for every record below root (the pair comparer decides whether two entries are the
// same). Entries the crawl did not see keep their PA (SKIP), and a directory not listed on
// a side is never proposed for deletion or replacement. The cancel poll is asked before
// every node; false when it reported a cancel.
bool ComputeBestChoice(FSTreeNode& root, const ComparerOptions& pairComparer, CProcessControl* cancel);

// SetActionCode(node, BC); true when AC changed.
bool ApplyBestChoice(FSTreeNode& node);

// The best choice of a first scan: ApplyBestChoice on every node in tree order, except
// that a subtree whose sides differ stays as derived (its conflicts AMBIGUOUS for the
// user) when applying its best choice would delete an entry that is in no database:
// such an entry was never synchronised, and its loss could not be undone. Likewise two
// files in no database whose contents were found different while their times are equal
// stay AMBIGUOUS: the tie rule would overwrite one side's bytes on no ground. The cancel
// poll is asked before every node; false when it reported a cancel.
bool ApplyFirstScanBestChoice(FSTreeNode& root, CProcessControl* cancel);

// Whether applying the best choice could lose an entry that is in no database: node lies
// in a subtree whose sides differ (its top is node's highest ancestor, or node itself,
// whose sides differ) and applying that subtree's best choice would delete such an entry,
// or node is two such files whose contents differ while their times are equal. The
// unattended best choice leaves such entries as they are, like a first scan does.
bool BestChoiceLosesUnrecorded(const FSTreeNode& node);
