#pragma once
// The protection filters of a profile: an ordered list of rules bound to the record tree.
// Each rule remembers the nodes it matched, and each matched record gets a
// RecordFilterState listing the rules that match it. A protected entry (an active
// protection rule matches it and no active exclusion rule does) can only be skipped; the
// set only says which entries are protected, the decision component makes them SKIP.
//
// Ownership: the set owns its entries and every RecordFilterState it creates (the
// record only points to its state); ClearMatches frees the states and nulls the
// records' pointers. While bound, the tree must outlive the binding: delete nodes only
// after ClearMatches (CSyncDataBase clears the matches before it deletes nodes).
//
// Threads: one thread at a time (the scan worker during a scan, else the user-interface
// thread). Nothing throws (except std::bad_alloc).
#include <cstdint>
#include <list>
#include <memory>
#include <vector>

#include "engine/filters/protection_rule.h"
#include "platform/core/cstring.h"

class BinaryReader;
class BinaryWriter;
class CLogger;
class FSTreeNode;

// Protection-state bits of an entry, the OR over the rules that match it.
enum ProtectionStateBits : std::uint32_t {
    PROTECTION_ACTIVE_EXCLUSION = 8,
    PROTECTION_INACTIVE_EXCLUSION = 4,
    PROTECTION_ACTIVE_RULE = 2,
    PROTECTION_INACTIVE_RULE = 1,
    // The mask and value that mean "protected".
    PROTECTION_MASK = PROTECTION_ACTIVE_EXCLUSION | PROTECTION_ACTIVE_RULE,
    PROTECTION_PROTECTED = PROTECTION_ACTIVE_RULE,
};

// The protection rules that match one record, and the byte that tells the views to
// refresh or select it. Created on a record's first match.
struct RecordFilterState {
    std::list<ProtectionRule*> rules;
    std::uint8_t marked = 0;

    // The OR of the state bits of the matching rules, ANDed with mask.
    std::uint32_t GetProtectionState(std::uint32_t mask = 0xF) const;
    bool IsProtected() const { return GetProtectionState(PROTECTION_MASK) == PROTECTION_PROTECTED; }
};

// True when the node's record is protected (a null state is never protected).
bool IsProtectedNode(const FSTreeNode& node);

// Logs one warning naming the rule (string 1484) when it is a regular-expression rule
// whose pattern did not compile, so that a rule silently matching as a wildcard pattern
// is seen. Called where a rule is loaded or edited, never per match. Nothing without a
// logger or for a rule that compiled.
void WarnIfNotCompiled(const ProtectionRule& rule, CLogger* logger);

// A rule of the set and the nodes it matched (each node once).
class ProtectionFilterEntry : public ProtectionRule {
public:
    using ProtectionRule::ProtectionRule;
    std::list<FSTreeNode*> nodes;
};

class ProtectionFilters {
public:
    using EntryList = std::list<std::unique_ptr<ProtectionFilterEntry>>;

    ProtectionFilters() = default;
    ProtectionFilters(const ProtectionFilters&) = delete;
    ProtectionFilters& operator=(const ProtectionFilters&) = delete;
    // Clears the matches (the bound tree must still exist) and deletes the entries.
    ~ProtectionFilters();

    // The logger that receives the warnings of a rule whose search fails or whose
    // expression does not compile (may be null).
    void SetLogger(CLogger* logger) { logger_ = logger; }

    // When bound: frees every record's state (pointer set null), empties every rule's node
    // list, unbinds.
    void ClearMatches();
    // ClearMatches, then deletes every entry.
    void Clear();
    // Appends a new rule, Set(pattern, flags), ApplyRule; true when it matched anything.
    // The profile's load adds its rules through it and warns of an expression that does
    // not compile once it has read them all; the edits (ModifyRule with a new pattern,
    // Append) warn of it themselves (WarnIfNotCompiled).
    bool AddRule(const CString& pattern, std::uint32_t flags);
    // When the pattern, EXCLUSION or MATCH_REGEX differ: RemoveMatches, Set, ApplyRule,
    // true when anything was removed or matched. Otherwise only ACTIVE is applied; when it
    // changed, every node the rule matches is marked; true when it changed.
    bool ModifyRule(ProtectionFilterEntry& entry, const CString& pattern, std::uint32_t flags);
    // Takes the rule out of every matched node's state (marking the node) and empties its
    // node list; true when there was any.
    bool RemoveMatches(ProtectionFilterEntry& entry);
    // The first rule whose pattern equals the text and whose flags under mask equal value.
    ProtectionFilterEntry* FindRule(const CString& pattern, std::uint32_t value, std::uint32_t mask) const;
    // When bound: attaches the rule to the nodes it matches (a protection rule to each
    // matched node and everything below it, an exclusion rule to each matched node and
    // its ancestors); each node gets the rule once. True when any node matched. A search
    // that fails at run time is taken as a match for a protection rule and as no match for
    // an exclusion rule (so the entry stays protected), with one warning logged.
    bool ApplyRule(ProtectionFilterEntry& entry);
    // ClearMatches; binds to the tree under root; ApplyRule for each entry in order. Only
    // matches: the codes are the decision's (SkipProtectedEntries, set_action_code.h).
    void Apply(FSTreeNode& root);

    // Stream form in profile files: u32 count, then each rule in order. Read adds each
    // rule as it is read through AddRule (MATCH_FILE kept); a count that the rest of the
    // stream cannot hold fails it. False when the stream failed (rule_streams.cpp).
    bool Write(BinaryWriter& stream) const;
    bool Read(BinaryReader& stream, std::uint32_t version);

    // The bound tree's root, null when not applied.
    FSTreeNode* GetTree() const { return tree_; }
    // The entries in the user's order (for the profile file, the commands and dialogs).
    const EntryList& Entries() const { return entries_; }
    std::size_t Count() const { return entries_.size(); }
    // Takes an entry out of the list (after RemoveMatches) and hands it to the caller;
    // null when it is not in the list.
    std::unique_ptr<ProtectionFilterEntry> Detach(ProtectionFilterEntry& entry);
    // Appends an entry (a new one or one detached before) and applies it; returns it.
    ProtectionFilterEntry& Append(std::unique_ptr<ProtectionFilterEntry> entry);
    // Puts the entries in the order given (pointers to entries of this set; others and
    // repeats are passed over); entries not named follow in their old order. Matches and
    // states are kept (protection_filters_order.cpp).
    void Reorder(const std::vector<const ProtectionRule*>& order);

private:
    void Attach(FSTreeNode& node, ProtectionFilterEntry& entry);

    FSTreeNode* tree_ = nullptr;  // the root of the bound tree
    EntryList entries_;
    CLogger* logger_ = nullptr;
};
