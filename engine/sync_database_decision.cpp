#include "engine/decision/best_choice.h"
#include "engine/decision/decision.h"
#include "engine/decision/set_action_code.h"
#include "engine/log/logger.h"
#include "engine/proxy.h"
#include "engine/sync_database.h"

void CSyncDataBase::DecideRecords() {
    DecideTree(*GetRoot(), entryComparer);
    plat::FileSystem& fs = GetFileSystem();
    leftBias = SideBias(*GetRoot(), true, !leftRoot.IsEmpty() && IsFatVolume(fs, leftRoot));
    rightBias = SideBias(*GetRoot(), false, !rightRoot.IsEmpty() && IsFatVolume(fs, rightRoot));
}

bool CSyncDataBase::DecidePlan(CProcessControl* cancel, bool firstScan) {
    if (!DeriveActionCodes(*GetRoot(), cancel)) return false;
    if (!ComputeBestChoice(*GetRoot(), pairComparer, cancel)) return false;
    if (firstScan) ApplyFirstScanBestChoice(*GetRoot());
    return true;
}

void CSyncDataBase::ApplyProtectionFilters() {
    protectionFilters.Apply(*GetRoot());
    SkipProtectedEntries(*GetRoot());
}

bool CSyncDataBase::ApplySelectionFilters(Proxy& proxy) {
    bool any = false;
    const ProtectionRule* failedRule = nullptr;  // the first rule whose search failed
    CString failedPath;
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
            // A failed search selects nothing.
            const ProtectionRule::MatchResult result = rule.MatchChecked(path);
            if (result == ProtectionRule::MatchResult::Failed && failedRule == nullptr) {
                failedRule = &rule;
                failedPath = path;
            }
            flag = result == ProtectionRule::MatchResult::Match;
            if (excluded) break;
        }
        if (!included || excluded) continue;
        record.FG |= FG_MARKED;
        if (record.filterState) record.filterState->marked = 1;
        any = true;
    }
    if (failedRule != nullptr && GetLogger() != nullptr) {
        GetLogger()->LogWarningText(CString::Format(
            u"The selection rule \"%s\" could not be evaluated for \"%s\"; such entries are not selected.",
            failedRule->GetPattern(), failedPath));
    }
    return any;
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
