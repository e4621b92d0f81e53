#include "engine/best_choice.h"
#include "engine/decision.h"
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

bool CSyncDataBase::ApplySelectionFilters(Proxy& proxy) {
    bool any = false;
    for (ProxyEntry& entry : proxy.Entries()) {
        if (entry.node == nullptr) continue;
        CSyncRecord& record = entry.node->record;
        const CString path = record.GetPath();
        bool included = false;
        bool excluded = false;
        for (const ProtectionRule& rule : selectionFilters) {
            if (!rule.IsActive()) continue;
            bool& flag = rule.IsExclusion() ? excluded : included;
            // Order does not matter: one active exclusion that matches decides.
            if (!flag && rule.Match(path)) flag = true;
            if (excluded) break;
        }
        if (!included || excluded) continue;
        record.FG |= FG_MARKED;
        if (record.filterState) record.filterState->marked = 1;
        any = true;
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
