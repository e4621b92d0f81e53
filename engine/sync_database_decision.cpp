#include <algorithm>
#include <vector>

#include "engine/decision/best_choice.h"
#include "engine/decision/decision.h"
#include "engine/decision/set_action_code.h"
#include "engine/log/logger.h"
#include "engine/proxy.h"
#include "engine/sync_database.h"
#include "resources/checked_format.h"
#include "resources/string_ids.h"

void CSyncDataBase::DecideRecords() {
    DecideTree(*GetRoot(), entryComparer);
    plat::FileSystem& fs = GetFileSystem();
    leftBias = SideBias(*GetRoot(), true, !leftRoot.IsEmpty() && IsFatVolume(fs, leftRoot));
    rightBias = SideBias(*GetRoot(), false, !rightRoot.IsEmpty() && IsFatVolume(fs, rightRoot));
}

bool CSyncDataBase::DecidePlan(CProcessControl* cancel, bool firstScan) {
    if (!DeriveActionCodes(*GetRoot(), cancel)) return false;
    if (!ComputeBestChoice(*GetRoot(), pairComparer, cancel)) return false;
    return !firstScan || ApplyFirstScanBestChoice(*GetRoot(), cancel);
}

void CSyncDataBase::ApplyProtectionFilters() {
    protectionFilters.Apply(*GetRoot());
    SkipProtectedEntries(*GetRoot());
}

bool CSyncDataBase::ApplySelectionFilters(Proxy& proxy) {
    bool any = false;
    // Each rule whose search failed, once, with the first path it failed on.
    struct Failure {
        const ProtectionRule* rule;
        CString path;
    };
    std::vector<Failure> failures;
    for (ProxyEntry& entry : proxy.Entries()) {
        if (entry.node == nullptr) continue;
        CSyncRecord& record = entry.node->record;
        const CString path = record.GetPath();
        bool included = false;
        bool excluded = false;
        for (const ProtectionRule& rule : selectionFilters) {
            if (!rule.IsActive()) continue;
            bool& flag = rule.IsExclusion() ? excluded : included;
            if (flag) continue;  // order does not matter: one match of each kind decides
            // A failed search counts as no match: a selection rule does not select the
            // entry, an exclusion does not exclude it.
            const ProtectionRule::MatchResult result = rule.MatchChecked(path);
            if (result == ProtectionRule::MatchResult::Failed &&
                std::none_of(failures.begin(), failures.end(), [&](const Failure& f) { return f.rule == &rule; }))
                failures.push_back({&rule, path});
            flag = result == ProtectionRule::MatchResult::Match;
            if (excluded) break;
        }
        if (!included || excluded) continue;
        record.FG |= FG_MARKED;
        if (record.filterState) record.filterState->marked = 1;
        any = true;
    }
    if (CLogger* logger = GetLogger()) {
        for (const Failure& f : failures) {
            const std::uint32_t id = f.rule->IsExclusion() ? IDS_SELECTION_EXCLUSION_FAILED : IDS_SELECTION_RULE_FAILED;
            logger->LogWarningText(FormatStringId(id, f.rule->GetPattern(), f.path));
        }
    }
    return any;
}

void CSyncDataBase::WarnOfUncompiledRules() const {
    for (const auto& entry : protectionFilters.Entries()) WarnIfNotCompiled(*entry, GetLogger());
    for (const ProtectionRule& rule : selectionFilters) WarnIfNotCompiled(rule, GetLogger());
}

std::size_t CSyncDataBase::GetProtectionFilters(std::list<ProtectionRule>& out) const {
    out.clear();
    for (const auto& entry : protectionFilters.Entries()) out.push_back(*entry);
    return out.size();
}

std::size_t CSyncDataBase::GetProtectionFilterPtrs(std::list<ProtectionRule*>& out) {
    out.clear();
    for (const auto& entry : protectionFilters.Entries()) out.push_back(entry.get());
    return out.size();
}
