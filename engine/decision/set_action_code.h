#pragma once
// The user-facing edit of the plan: setting one entry's action code and keeping its
// parents and descendants consistent, the set of codes an entry allows, and the check
// that a whole side can dominate the marked entries.
//
// Threads: the user-interface thread while no worker runs (and the scan worker for the
// best choice of a first scan and the protection pass). Nothing throws.
#include <cstdint>

#include "engine/tree/action_codes.h"

class FSTreeNode;
class Proxy;

// Sets the node's AC when PermittedActions allows the code and AC differs; true when AC
// changed. Then, by code:
//   DEL_M, DEL_S  every node of the subtree gets DEL_M where it has a left side, else DEL_S;
//   CP_M          a left side that is not a directory replaces the right one: everything
//                 below gets DEL_S; a parent absent or not a directory on the right is
//                 set to CP_M in turn;
//   CP_S          the mirror image;
//   SKIP, UPDATE_D copies below into a side where this node is no directory become SKIP,
//                 and the parent becomes SKIP where its own code could no longer be
//                 carried out (a deletion of a directory that keeps this entry, a copy
//                 of a file over a directory, or a kind conflict).
// Descendants change without a permission check, except that an entry the crawl did not
// see (IsLockedByCrawl) always stays SKIP; such an entry takes no other code itself, and
// a directory not listed on a side takes no code that would delete or replace it.
bool SetActionCode(FSTreeNode& node, ActionCode code);

// Protected entries are SKIP: every protected entry (IsProtectedNode) of the tree below
// root whose AC is not SKIP gets SetActionCode(node, SKIP), with its propagation (where
// PermittedActions has no SKIP, as for an entry gone from both sides, it keeps its code).
// The filter set only matches; this pass runs after the matching of a scan and after
// every command that changes codes or rules.
void SkipProtectedEntries(FSTreeNode& root);

// Bit n set = code n may be chosen for the node. A protected entry, or one the crawl did
// not see, allows SKIP only (0x008). Otherwise PermittedActions, without DEL_M and DEL_S
// when anything below is protected or unseen, without CP_M when the left side is a file
// (and CP_S when the right is) in that case, and without the codes that would delete or
// replace a directory not listed on a side.
std::uint32_t AllowedActions(const FSTreeNode& node);

// Whether letting a side dominate (code CP_M or CP_S) can reach every marked entry of
// the index: false when none is marked, when a marked entry is protected, or when the
// dominating side would replace a directory of the other side whose subtree holds a
// protected entry. Entries the crawl did not see count as protected.
bool IsDominationComplete(const Proxy& proxy, ActionCode code);
