#include "engine/commands/command.h"

#include "engine/decision/set_action_code.h"
#include "engine/proxy.h"
#include "engine/sync_database.h"
#include "engine/tree/fs_tree.h"

void Command::Snapshot(const Proxy& proxy) {
    savedCodes.assign(proxy.GetCount(), 0);
    for (std::uint32_t i = 0; i < proxy.GetCount(); ++i) {
        const ProxyEntry& entry = proxy[i];
        std::uint8_t saved = entry.node ? std::uint8_t(entry.node->record.AC & kSavedCodeMask) : 0;
        if (entry.marked) saved |= kSavedMarked;
        savedCodes[i] = saved;
    }
}

bool Command::Restore(Proxy& proxy) {
    // A snapshot of another index would hand codes to the wrong entries.
    if (savedCodes.size() != proxy.GetCount()) return false;
    bool changed = false;
    for (std::uint32_t i = 0; i < proxy.GetCount(); ++i) {
        FSTreeNode* node = proxy[i].node;
        if (node == nullptr) continue;
        const auto code = ActionCode(savedCodes[i] & kSavedCodeMask);
        if (node->record.AC == code) continue;
        node->record.AC = code;
        changed = true;
    }
    return changed;
}

bool Command::DiffersFromSnapshot(const Proxy& proxy) const {
    if (savedCodes.size() != proxy.GetCount()) return false;
    for (std::uint32_t i = 0; i < proxy.GetCount(); ++i) {
        const FSTreeNode* node = proxy[i].node;
        if (node && node->record.AC != (savedCodes[i] & kSavedCodeMask)) return true;
    }
    return false;
}

void Command::EnforceProtection() {
    if (database == nullptr || database->GetRoot() == nullptr) return;
    SkipProtectedEntries(*database->GetRoot());
}
