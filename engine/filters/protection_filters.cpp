#include "engine/filters/protection_filters.h"

#include <algorithm>

#include "engine/log/logger.h"
#include "engine/tree/fs_tree.h"
#include "engine/tree/sync_record.h"
#include "resources/checked_format.h"
#include "resources/string_ids.h"

std::uint32_t RecordFilterState::GetProtectionState(std::uint32_t mask) const {
    std::uint32_t state = 0;
    for (const ProtectionRule* rule : rules) {
        if (rule->IsExclusion()) state |= rule->IsActive() ? PROTECTION_ACTIVE_EXCLUSION : PROTECTION_INACTIVE_EXCLUSION;
        else state |= rule->IsActive() ? PROTECTION_ACTIVE_RULE : PROTECTION_INACTIVE_RULE;
    }
    return state & mask;
}

bool IsProtectedNode(const FSTreeNode& node) {
    return node.record.filterState != nullptr && node.record.filterState->IsProtected();
}

void WarnIfNotCompiled(const ProtectionRule& rule, CLogger* logger) {
    if (logger != nullptr && rule.IsUncompiledExpression())
        logger->LogWarningText(FormatStringId(IDS_RULE_NOT_COMPILED, rule.GetPattern()));
}

ProtectionFilters::~ProtectionFilters() { Clear(); }

void ProtectionFilters::ClearMatches() {
    if (tree_ == nullptr) return;
    for (FSTreeNode* node : FSTree::Subtree(tree_)) {
        delete node->record.filterState;
        node->record.filterState = nullptr;
    }
    for (auto& entry : entries_) entry->nodes.clear();
    tree_ = nullptr;
}

void ProtectionFilters::Clear() {
    ClearMatches();
    entries_.clear();
}

bool ProtectionFilters::AddRule(const CString& pattern, std::uint32_t flags) {
    auto entry = std::make_unique<ProtectionFilterEntry>();
    entry->Set(pattern, flags);
    entries_.push_back(std::move(entry));
    return ApplyRule(*entries_.back());
}

bool ProtectionFilters::ModifyRule(ProtectionFilterEntry& entry, const CString& pattern, std::uint32_t flags) {
    const std::uint32_t structural = ProtectionRule::EXCLUSION | ProtectionRule::MATCH_REGEX;
    if (entry.GetPattern() != pattern || ((entry.GetFlags() ^ flags) & structural) != 0) {
        const bool removed = RemoveMatches(entry);
        entry.Set(pattern, flags);
        WarnIfNotCompiled(entry, logger_);
        const bool matched = ApplyRule(entry);
        return removed || matched;
    }
    if (!entry.SetActive((flags & ProtectionRule::ACTIVE) != 0)) return false;
    for (FSTreeNode* node : entry.nodes) {
        if (node->record.filterState) node->record.filterState->marked = 1;
    }
    return true;
}

bool ProtectionFilters::RemoveMatches(ProtectionFilterEntry& entry) {
    const bool any = !entry.nodes.empty();
    ProtectionRule* rule = &entry;
    for (FSTreeNode* node : entry.nodes) {
        RecordFilterState* state = node->record.filterState;
        if (state == nullptr) continue;
        state->rules.remove(rule);
        state->marked = 1;
    }
    entry.nodes.clear();
    return any;
}

ProtectionFilterEntry* ProtectionFilters::FindRule(const CString& pattern, std::uint32_t value,
                                                   std::uint32_t mask) const {
    for (const auto& entry : entries_) {
        if (entry->GetPattern() == pattern && (entry->GetFlags() & mask) == value) return entry.get();
    }
    return nullptr;
}

void ProtectionFilters::Attach(FSTreeNode& node, ProtectionFilterEntry& entry) {
    RecordFilterState*& state = node.record.filterState;
    if (state == nullptr) state = new RecordFilterState();
    state->rules.push_back(&entry);
    state->marked = 1;
    entry.nodes.push_back(&node);
}

// Each node gets the rule once: a protection rule that matches a directory is attached
// to the whole subtree at once and the walk goes on after it (what matches below would
// only attach the same rule again); an exclusion rule climbs from each match only until
// it meets a node that already has it.
bool ProtectionFilters::ApplyRule(ProtectionFilterEntry& entry) {
    if (tree_ == nullptr) return false;
    const bool exclusion = entry.IsExclusion();
    bool matched = false;
    std::uint64_t failures = 0;
    CString firstFailure;

    FSTree::Subtree tree(tree_);
    for (auto it = tree.begin(); it != tree.end();) {
        FSTreeNode& node = **it;
        const CString path = node.record.GetPath();
        ProtectionRule::MatchResult result = entry.MatchChecked(path);
        if (result == ProtectionRule::MatchResult::Failed) {
            if (failures++ == 0) firstFailure = path;
            // A search that could not be carried out must not unprotect the entry: it
            // counts as a match of a protection rule and as no match of an exclusion.
            result = exclusion ? ProtectionRule::MatchResult::NoMatch : ProtectionRule::MatchResult::Match;
        }
        if (result != ProtectionRule::MatchResult::Match) {
            ++it;
            continue;
        }
        matched = true;
        if (exclusion) {
            Attach(node, entry);
            for (FSTreeNode* p = node.parent; p != nullptr && !p->IsRoot(); p = p->parent) {
                const RecordFilterState* state = p->record.filterState;
                if (state && std::find(state->rules.begin(), state->rules.end(), &entry) != state->rules.end()) break;
                Attach(*p, entry);
            }
            ++it;
        } else {
            for (FSTreeNode* n : FSTree::Subtree::Including(&node)) Attach(*n, entry);
            it.SkipChildren();
        }
    }
    if (failures != 0 && logger_ != nullptr) {
        logger_->LogWarningText(FormatStringId(exclusion ? IDS_PROTECTION_EXCLUSION_FAILED : IDS_PROTECTION_RULE_FAILED,
                                               entry.GetPattern(), firstFailure, failures));
    }
    return matched;
}

void ProtectionFilters::Apply(FSTreeNode& root) {
    ClearMatches();
    tree_ = &root;
    for (auto& entry : entries_) ApplyRule(*entry);
}

std::unique_ptr<ProtectionFilterEntry> ProtectionFilters::Detach(ProtectionFilterEntry& entry) {
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->get() != &entry) continue;
        RemoveMatches(entry);
        std::unique_ptr<ProtectionFilterEntry> owned = std::move(*it);
        entries_.erase(it);
        return owned;
    }
    return nullptr;
}

ProtectionFilterEntry& ProtectionFilters::Append(std::unique_ptr<ProtectionFilterEntry> entry) {
    WarnIfNotCompiled(*entry, logger_);
    entries_.push_back(std::move(entry));
    ApplyRule(*entries_.back());
    return *entries_.back();
}

void ProtectionFilters::Reorder(const std::vector<const ProtectionRule*>& order) {
    // Splicing moves the list nodes themselves: every entry stays where it lives in memory,
    // so the states' rule pointers and the rules' node lists need no change.
    EntryList ordered;
    for (const ProtectionRule* rule : order) {
        for (auto it = entries_.begin(); it != entries_.end(); ++it) {
            if (static_cast<const ProtectionRule*>(it->get()) != rule) continue;
            ordered.splice(ordered.end(), entries_, it);
            break;
        }
    }
    ordered.splice(ordered.end(), entries_);
    entries_.swap(ordered);
}
