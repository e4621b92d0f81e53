#include "engine/path_helpers.h"

#include <algorithm>

#include "engine/error_info.h"
#include "platform/core/file_system.h"
#include "platform/core/text_convert.h"
#include "platform/core/win_error.h"

namespace {

// "C:", "C:\\dir", "C:/dir", "\\\\server\\share": roots of the Windows design, which
// profiles made there still hold. On Linux they would be taken as relative names.
bool IsWindowsStylePath(std::u16string_view path) {
    if (path.starts_with(u"\\\\")) return true;
    if (path.size() >= 2 && path[1] == u':' &&
        ((path[0] >= u'A' && path[0] <= u'Z') || (path[0] >= u'a' && path[0] <= u'z')))
        return path.size() == 2 || path[2] == u'\\' || path[2] == u'/';
    return false;
}

CString WithoutTrailingSlash(CString path) {
    while (path.GetLength() > 1 && path.EndsWith(u'/')) path.Truncate(path.GetLength() - 1);
    return path;
}

// inner equals outer or lies below it, by components.
bool IsSameOrBelow(const CString& inner, const CString& outer) {
    if (!inner.StartsWith(outer.view())) return false;
    if (inner.GetLength() == outer.GetLength() || outer.EndsWith(u'/')) return true;
    return inner[outer.GetLength()] == u'/';
}

bool SameIdentity(const plat::FindData& a, const plat::FindData& b) {
    return a.inode != 0 && a.device == b.device && a.inode == b.inode;
}

// Whether path or one of its ancestors is the directory outer (by device and inode).
bool HasAncestorIdentity(plat::FileSystem& fs, CString path, const plat::FindData& outer) {
    for (;;) {
        plat::FindData data;
        if (fs.GetFindData(path, data) && SameIdentity(data, outer)) return true;
        if (path == u"/" || path.IsEmpty()) return false;
        path = plat::ParentPath(path);
    }
}

}  // namespace

std::size_t RelativePathBytes(std::size_t parentBytes, std::u16string_view name) {
    return parentBytes + (parentBytes != 0 ? 1 : 0) + Utf8LosslessLength(name);
}

std::size_t MaxRelativePathBytes(const CString& root) {
    const std::size_t rootBytes = std::max<std::size_t>(Utf8LosslessLength(root.view()), 1);
    return rootBytes < plat::kMaxPathBytes ? plat::kMaxPathBytes - 1 - rootBytes : 0;
}

bool IsExistingDirectory(plat::FileSystem& fs, const CString& path, ErrorInfo* error) {
    const std::uint32_t attributes = fs.GetFileAttributes(path);
    if (attributes == plat::INVALID_FILE_ATTRIBUTES) {
        if (error) error->Set(ERROR_CATEGORY_SYSTEM, GetLastError(), 0, path);
        return false;
    }
    if (!(attributes & plat::FILE_ATTRIBUTE_DIRECTORY)) {
        if (error) error->Set(ERROR_CATEGORY_PROGRAM, ERRCODE_NOT_A_DIRECTORY, 0, path);
        return false;
    }
    if (error) error->Reset();
    return true;
}

bool NormaliseRoot(plat::FileSystem& fs, const CString& path, CString& root, ErrorInfo& error) {
    error = ErrorInfo();
    if (path.GetLength() >= kMaxRootLength) {
        error.Set(ERROR_CATEGORY_PROGRAM, ERRCODE_PATH_TOO_LONG, 0, path);
        return false;
    }
    if (path.IsEmpty() || IsWindowsStylePath(path)) {
        error.Set(ERROR_CATEGORY_SYSTEM, win32::ERROR_PATH_NOT_FOUND, 0, path);
        return false;
    }
    CString full;
    if (!fs.GetFullPathName(path, full)) {
        error.Set(ERROR_CATEGORY_SYSTEM, GetLastError(), 0, path);
        return false;
    }
    // A root that is itself a symbolic link is resolved here, once; nothing below a root
    // ever follows a link.
    full = WithoutTrailingSlash(full);
    plat::FindData data;
    if (fs.GetFindData(full, data) && data.kind == plat::EntryKind::Symlink) {
        CString resolved;
        if (!fs.ResolvePath(full, resolved)) {
            error.Set(ERROR_CATEGORY_SYSTEM, GetLastError(), 0, path);
            return false;
        }
        full = resolved;
    }
    if (!IsExistingDirectory(fs, full, &error)) {
        error.SetText(path);  // the user's own text names the root in the message
        return false;
    }
    if (!full.EndsWith(u'/')) full += u'/';
    if (full.GetLength() >= kMaxRootLength) {
        error.Set(ERROR_CATEGORY_PROGRAM, ERRCODE_PATH_TOO_LONG, 0, path);
        return false;
    }
    root = full;
    return true;
}

bool RootsOverlap(plat::FileSystem& fs, const CString& left, const CString& right) {
    CString l = WithoutTrailingSlash(left);
    CString r = WithoutTrailingSlash(right);
    CString resolved;
    if (fs.ResolvePath(l, resolved)) l = WithoutTrailingSlash(resolved);
    if (fs.ResolvePath(r, resolved)) r = WithoutTrailingSlash(resolved);
    if (IsSameOrBelow(l, r) || IsSameOrBelow(r, l)) return true;
    plat::FindData leftData, rightData;
    if (!fs.GetFindData(l, leftData) || !fs.GetFindData(r, rightData)) return false;
    return HasAncestorIdentity(fs, r, leftData) || HasAncestorIdentity(fs, l, rightData);
}

PathComponents::PathComponents(std::u16string_view path, bool foldCase) {
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = start;
        while (end < path.size() && path[end] != u'/' && path[end] != u'\\') ++end;
        if (end > start) {
            CString component(path.substr(start, end - start));
            if (foldCase) component.MakeUpper();
            components_.push_back(std::move(component));
        }
        start = end + 1;
    }
}
