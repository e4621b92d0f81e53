#include <algorithm>
#include <vector>

#include "engine/execute/sync_executor.h"
#include "engine/execute/sync_executor_internal.h"

// Directories are made with owner write permission, so that a read-only source tree can
// be copied into them, and a parent without owner write is given it for an operation it
// refuses; every such directory gets its final bits at the end of the run, the deepest
// first, once nothing more is put into it.

using executor::IsDirectoryEntry;
using executor::kOwnerWrite;
using executor::kPermissionBits;

namespace {

std::size_t CountSeparators(const CString& path) {
    return static_cast<std::size_t>(std::count(path.view().begin(), path.view().end(), u'/'));
}

}  // namespace

void SyncExecutor::NoteDirectoryMode(const CString& path, std::uint32_t mode, bool overrideExisting) {
    auto it = directoryModes_.find(path);
    if (it == directoryModes_.end()) {
        directoryModes_.emplace(path, std::make_pair(static_cast<std::uint32_t>(CountSeparators(path)),
                                                     mode & kPermissionBits));
    } else if (overrideExisting) {
        it->second.second = mode & kPermissionBits;
    }
}

bool SyncExecutor::MakeParentWritable(const CString& path) {
    if (GetLastError() != win32::ERROR_ACCESS_DENIED) return false;
    const CString parent = plat::ParentPath(path);
    plat::FindData fd;
    if (parent.IsEmpty() || !fs_->GetFindData(parent, fd) || !IsDirectoryEntry(fd) || (fd.mode & kOwnerWrite)) {
        SetLastError(win32::ERROR_ACCESS_DENIED);
        return false;
    }
    if (!fs_->SetPermissions(parent, (fd.mode | kOwnerWrite) & kPermissionBits)) {
        SetLastError(win32::ERROR_ACCESS_DENIED);
        return false;
    }
    ++counts_.modeSets;
    NoteDirectoryMode(parent, fd.mode, false);
    return true;
}

bool SyncExecutor::SetFinalDirectoryModes(CLogger* logger) {
    bool ok = true;
    std::vector<std::pair<std::uint32_t, const CString*>> order;
    order.reserve(directoryModes_.size());
    for (const auto& [path, depthMode] : directoryModes_) order.emplace_back(depthMode.first, &path);
    std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (const auto& [depth, path] : order) {
        if (!fs_->SetPermissions(*path, directoryModes_.at(*path).second)) {
            ok = LogFailure(logger, *path);
            continue;
        }
        ++counts_.modeSets;
    }
    directoryModes_.clear();
    return ok;
}
