#include "engine/commands/cmd_prot_filters.h"

#include <algorithm>
#include <iterator>
#include <string_view>
#include <utility>

#include "engine/filters/protection_filters.h"
#include "engine/proxy.h"
#include "engine/sync_database.h"
#include "engine/tree/fs_tree.h"

CString PathPattern(const CString& path) {
    // The characters that carry a meaning in the expression syntax, '\\' included. Names
    // on Windows cannot hold '*', '?' or '|', but names on Linux can, and an unescaped one
    // would make the rule match other entries (or nothing at all).
    static constexpr std::u16string_view kSpecial = u"\\()[]{}+-.~^$*?|#";
    CString pattern;
    for (char16_t c : path.view()) {
        if (kSpecial.find(c) != std::u16string_view::npos) pattern += u'\\';
        pattern += c;
    }
    pattern += u"(\\\\.+)?$";
    return pattern;
}

// --- CmdModifyProtFilters ---

CmdModifyProtFilters::CmdModifyProtFilters(CSyncDataBase* database, Proxy* selection,
                                           const std::list<FilterEntry>& entries)
    : Command(database, selection), entries(entries) {
    updateHint = HINT_PROTECTION;
    Snapshot(*selection);
}

CmdModifyProtFilters::~CmdModifyProtFilters() = default;

ProtectionFilterEntry* CmdModifyProtFilters::FindLive(const ProtectionRule* rule) const {
    if (rule == nullptr) return nullptr;
    for (const auto& entry : database->protectionFilters.Entries())
        if (static_cast<const ProtectionRule*>(entry.get()) == rule) return entry.get();
    return nullptr;
}

std::unique_ptr<ProtectionFilterEntry> CmdModifyProtFilters::TakeHeld(const ProtectionRule* rule) {
    for (auto it = held_.begin(); it != held_.end(); ++it) {
        if (static_cast<const ProtectionRule*>(it->get()) != rule) continue;
        std::unique_ptr<ProtectionFilterEntry> owned = std::move(*it);
        held_.erase(it);
        return owned;
    }
    return nullptr;
}

std::uint32_t CmdModifyProtFilters::Do() {
    ProtectionFilters& set = database->protectionFilters;
    // The inverse list is kept in the order the set has now, so that the next Do puts
    // the rules back in this order whatever order the entries gave them.
    std::vector<const ProtectionRule*> before;
    for (const auto& rule : set.Entries()) before.push_back(rule.get());
    std::map<const ProtectionRule*, FilterEntry> inverseOf;
    std::list<FilterEntry> inverseOfAdded;
    std::vector<const ProtectionRule*> order;
    bool edited = false;
    bool rulesChanged = false;

    for (const FilterEntry& entry : entries) {
        switch (entry.state) {
            case FILTER_ENTRY_TAKEN: {
                ProtectionFilterEntry* live = FindLive(entry.rule);
                if (live == nullptr) break;
                order.push_back(live);
                inverseOf[live] = entry;
                break;
            }
            case FILTER_ENTRY_CHANGED: {
                ProtectionFilterEntry* live = FindLive(entry.rule);
                if (live == nullptr) break;
                // The old text and flags, so that the next Do changes them back.
                inverseOf[live] = {FILTER_ENTRY_CHANGED, live->GetPattern(), live->GetFlags(), live};
                if (set.ModifyRule(*live, entry.pattern, entry.flags)) rulesChanged = true;
                order.push_back(live);
                edited = true;
                break;
            }
            case FILTER_ENTRY_ADDED: {
                if (ProtectionFilterEntry* live = FindLive(entry.rule)) {
                    // Already in the set: there is nothing to add.
                    order.push_back(live);
                    inverseOf[live] = InitFilterEntry(*live);
                    break;
                }
                std::unique_ptr<ProtectionFilterEntry> rule = TakeHeld(entry.rule);
                if (!rule) {
                    rule = std::make_unique<ProtectionFilterEntry>();
                    rule->Set(entry.pattern, entry.flags);
                }
                ProtectionFilterEntry& live = set.Append(std::move(rule));
                inverseOfAdded.push_back({FILTER_ENTRY_REMOVED, live.GetPattern(), live.GetFlags(), &live});
                order.push_back(&live);
                edited = true;
                rulesChanged = true;
                break;
            }
            case FILTER_ENTRY_REMOVED: {
                ProtectionFilterEntry* live = FindLive(entry.rule);
                if (live == nullptr) break;
                inverseOf[live] = {FILTER_ENTRY_ADDED, live->GetPattern(), live->GetFlags(), live};
                // Detach takes the rule out of every state it is attached to; the rule
                // lives on here until this command is deleted or puts it back.
                held_.push_back(set.Detach(*live));
                edited = true;
                rulesChanged = true;
                break;
            }
            default:
                break;
        }
    }
    set.Reorder(order);
    if (rulesChanged) EnforceProtection();

    std::list<FilterEntry> inverse;
    for (const ProtectionRule* rule : before) {
        auto it = inverseOf.find(rule);
        if (it != inverseOf.end()) {
            inverse.push_back(it->second);
        } else if (ProtectionFilterEntry* live = FindLive(rule)) {
            // A rule no entry named stays where it was.
            inverse.push_back(InitFilterEntry(*live));
        }
    }
    inverse.splice(inverse.end(), inverseOfAdded);
    entries = std::move(inverse);
    executed = true;
    return edited ? updateHint : 0;
}

std::uint32_t CmdModifyProtFilters::Undo() {
    const std::uint32_t hint = Do();
    executed = false;
    return Restore(*selection) ? updateHint : hint;
}

// --- CmdModifyProtStates ---

namespace {

constexpr std::uint32_t kActive = ProtectionRule::ACTIVE;
constexpr std::uint32_t kExclusion = ProtectionRule::EXCLUSION;
constexpr std::uint32_t kRegex = ProtectionRule::MATCH_REGEX;

bool IsExclusion(const FilterEntry& e) { return (e.flags & kExclusion) != 0; }
bool IsActive(const FilterEntry& e) { return (e.flags & kActive) != 0; }

// A working entry switched on or off: its ACTIVE flag, and state "changed" when it was
// taken unchanged from its rule.
bool SwitchActive(FilterEntry& e, bool on) {
    if (IsActive(e) == on) return false;
    e.flags = on ? (e.flags | kActive) : (e.flags & ~kActive);
    if (e.state == FILTER_ENTRY_TAKEN) e.state = FILTER_ENTRY_CHANGED;
    return true;
}

// The protection-state bits of an entry by the working flags of the rules that match it.
std::uint32_t StateOf(const std::vector<FilterEntry*>& matching) {
    std::uint32_t state = 0;
    for (const FilterEntry* e : matching) {
        if (IsExclusion(*e))
            state |= IsActive(*e) ? PROTECTION_ACTIVE_EXCLUSION : PROTECTION_INACTIVE_EXCLUSION;
        else
            state |= IsActive(*e) ? PROTECTION_ACTIVE_RULE : PROTECTION_INACTIVE_RULE;
    }
    return state;
}

// Of the rules of one kind matching an entry, when none is active, the lowest-ordered one
// is switched on. The order of a rule is its position in the protection list, which keeps
// the user's order; matching lists are in that order, so it is the first of its kind.
bool ActivateKind(const std::vector<FilterEntry*>& matching, bool exclusion) {
    FilterEntry* first = nullptr;
    for (FilterEntry* e : matching) {
        if (IsExclusion(*e) != exclusion) continue;
        if (IsActive(*e)) return false;
        if (first == nullptr) first = e;
    }
    return first != nullptr && SwitchActive(*first, true);
}

bool DeactivateKind(const std::vector<FilterEntry*>& matching, bool exclusion) {
    bool changed = false;
    for (FilterEntry* e : matching)
        if (IsExclusion(*e) == exclusion && SwitchActive(*e, false)) changed = true;
    return changed;
}

// The alter table: which kinds of rules to switch on, by the combined protection state of
// the marked entries. Each kind not switched on is switched off.
struct AlterRow {
    bool protection;
    bool exclusion;
};
constexpr AlterRow kAlterTable[] = {
    {false, false},  // 0 no rule matches
    {true, false},   // 1 inactive protection rules only: protect
    {false, false},  // 2 protected: unprotect
    {false, false},  // 3 active and inactive protection rules: unprotect
    {false, true},   // 4 inactive exclusion rules only: exclude
    {true, false},   // 5 inactive exclusion and protection rules: protect
};
constexpr std::uint32_t kAllStateBits = 0xF;

}  // namespace

CmdModifyProtStates::CmdModifyProtStates(CSyncDataBase* database, Proxy* selection, ProtectionOperation operation)
    : Command(database, selection), operation(operation) {
    updateHint = HINT_PROTECTION;
    for (const auto& rule : database->protectionFilters.Entries()) {
        working_.push_back(InitFilterEntry(*rule));
        ruleEntries[rule.get()] = &working_.back();
    }
    bool changed = false;
    switch (operation) {
        case PROTECTION_ACTIVATE: changed = Activate(); break;
        case PROTECTION_EXCLUDE: changed = Exclude(); break;
        case PROTECTION_ALTER: changed = Alter(); break;
        case PROTECTION_REMOVE: changed = Remove(); break;
        default: break;
    }
    if (!changed) return;
    std::list<FilterEntry> all = working_;
    all.insert(all.end(), newEntries.begin(), newEntries.end());
    inner = std::make_unique<CmdModifyProtFilters>(database, selection, all);
}

std::uint32_t CmdModifyProtStates::Do() { return inner ? inner->Do() : 0; }

std::uint32_t CmdModifyProtStates::Undo() { return inner ? inner->Undo() : 0; }

std::vector<FilterEntry*> CmdModifyProtStates::Matching(const FSTreeNode& node) {
    std::vector<FilterEntry*> matching;
    const RecordFilterState* state = node.record.filterState;
    if (state == nullptr) return matching;
    for (const ProtectionRule* rule : state->rules) {
        auto it = ruleEntries.find(rule);
        if (it != ruleEntries.end() && std::find(matching.begin(), matching.end(), it->second) == matching.end())
            matching.push_back(it->second);
    }
    // In the order of the protection list (working_ is in that order).
    std::vector<FilterEntry*> ordered;
    ordered.reserve(matching.size());
    for (FilterEntry& entry : working_)
        if (std::find(matching.begin(), matching.end(), &entry) != matching.end()) ordered.push_back(&entry);
    return ordered;
}

std::vector<std::uint32_t> CmdModifyProtStates::MarkedIndices() const {
    std::vector<std::uint32_t> marked;
    for (std::uint32_t i = 0; i < selection->GetCount(); ++i)
        if ((*selection)[i].marked && (*selection)[i].node != nullptr) marked.push_back(i);
    return marked;
}

std::vector<std::uint32_t> CmdModifyProtStates::TopmostOf(const std::vector<std::uint32_t>& marked) const {
    // In Proxy order a directory's contents follow it with a greater depth: the subtree of
    // the current topmost entry ends at the first entry that is not deeper.
    std::vector<std::uint32_t> topmost;
    std::size_t next = 0;  // the next marked index to meet
    bool inside = false;
    std::uint32_t topDepth = 0;
    for (std::uint32_t j = 0; j < selection->GetCount() && next < marked.size(); ++j) {
        const std::uint32_t depth = (*selection)[j].node ? (*selection)[j].node->depth : 0;
        if (inside && depth <= topDepth) inside = false;
        if (j != marked[next]) continue;
        ++next;
        if (inside) continue;
        topmost.push_back(j);
        inside = true;
        topDepth = depth;
    }
    return topmost;
}

void CmdModifyProtStates::ClearMarks(const std::vector<std::uint32_t>& marked) {
    for (std::uint32_t i : marked) (*selection)[i].marked = 0;
}

bool CmdModifyProtStates::Remove() {
    const std::vector<std::uint32_t> marked = MarkedIndices();
    bool changed = false;
    for (std::uint32_t i : marked) {
        for (FilterEntry* e : Matching(*(*selection)[i].node)) {
            if (e->state == FILTER_ENTRY_REMOVED) continue;
            e->state = FILTER_ENTRY_REMOVED;
            changed = true;
        }
    }
    ClearMarks(marked);
    return changed;
}

bool CmdModifyProtStates::Activate() {
    const std::vector<std::uint32_t> marked = MarkedIndices();
    bool changed = false;
    for (std::uint32_t i : marked) {
        const std::vector<FilterEntry*> matching = Matching(*(*selection)[i].node);
        if ((StateOf(matching) & PROTECTION_MASK) == PROTECTION_PROTECTED) continue;
        if (DeactivateKind(matching, true)) changed = true;
        if (ActivateKind(matching, false)) changed = true;
    }
    for (std::uint32_t i : TopmostOf(marked)) {
        const FSTreeNode& node = *(*selection)[i].node;
        const std::vector<FilterEntry*> matching = Matching(node);
        if (std::any_of(matching.begin(), matching.end(), [](const FilterEntry* e) { return !IsExclusion(*e); }))
            continue;
        const CString path = node.record.GetPath();
        // A wildcard pattern has no escape for '*': a name holding one (possible on Linux)
        // is protected by the exact expression instead, so the rule matches no other entry.
        if (path.Find(u'*') != CString::npos)
            newEntries.push_back({FILTER_ENTRY_ADDED, PathPattern(path), kActive | kRegex, nullptr});
        else
            newEntries.push_back({FILTER_ENTRY_ADDED, path, kActive, nullptr});
        changed = true;
    }
    ClearMarks(marked);
    return changed;
}

bool CmdModifyProtStates::Exclude() {
    const std::vector<std::uint32_t> marked = MarkedIndices();
    bool changed = false;
    for (std::uint32_t i : TopmostOf(marked)) {
        const CString pattern = PathPattern((*selection)[i].node->record.GetPath());
        // An exclusion made for this entry before is switched on again rather than added
        // twice.
        FilterEntry* existing = nullptr;
        for (FilterEntry& e : working_) {
            if (e.state != FILTER_ENTRY_REMOVED && e.pattern == pattern &&
                (e.flags & (kExclusion | kRegex)) == (kExclusion | kRegex)) {
                existing = &e;
                break;
            }
        }
        if (existing) {
            if (SwitchActive(*existing, true)) changed = true;
            continue;
        }
        newEntries.push_back({FILTER_ENTRY_ADDED, pattern, kExclusion | kActive | kRegex, nullptr});
        changed = true;
    }
    ClearMarks(marked);
    return changed;
}

bool CmdModifyProtStates::Alter() {
    const std::vector<std::uint32_t> marked = MarkedIndices();
    std::uint32_t index = 0;
    for (std::uint32_t i : marked) {
        const RecordFilterState* state = (*selection)[i].node->record.filterState;
        if (state) index |= state->GetProtectionState(kAllStateBits);
        if ((index & kAllStateBits) == kAllStateBits) break;
    }
    // The table has rows for 0 to 5 only; a state with an active exclusion (8 and up) or
    // an active protection rule beside an inactive exclusion (6, 7) changes nothing.
    if (index >= std::size(kAlterTable)) return false;
    const AlterRow row = kAlterTable[index];
    bool changed = false;
    for (std::uint32_t i : marked) {
        const std::vector<FilterEntry*> matching = Matching(*(*selection)[i].node);
        if (!row.protection && DeactivateKind(matching, false)) changed = true;
        if (!row.exclusion && DeactivateKind(matching, true)) changed = true;
        if (row.protection && ActivateKind(matching, false)) changed = true;
        if (row.exclusion && ActivateKind(matching, true)) changed = true;
    }
    ClearMarks(marked);
    return changed;
}
