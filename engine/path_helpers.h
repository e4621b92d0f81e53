#pragma once
// Checks and normalisation of the root directories of a profile, and the split of a
// path into its components.
//
// Every call reaches the disk only through the file system it is given. Errors go to
// the caller's ErrorInfo; nothing throws except std::bad_alloc. Thread-safe as far as the
// file system is.
#include <cstddef>
#include <string_view>
#include <vector>

#include "platform/core/cstring.h"
#include "platform/core/file_system.h"

class ErrorInfo;

// Characters of a root with its terminator: a root has at most 259 characters.
constexpr std::size_t kMaxRootLength = 260;

// The bound on a relative path below a root: what a real path can be. A relative path is
// measured in bytes as the file system takes it (each component as UTF-8 with escaped
// bytes kept, one separator byte between components); together with the root and the
// terminating NUL it must fit in plat::kMaxPathBytes. Below the shortest root, "/", that
// leaves kMaxRelativePathBytes, so no path below any root is longer. The crawl keeps an
// entry beyond its root's bound as not synchronisable; the profile reader refuses a node
// beyond kMaxRelativePathBytes, which every path the crawl accepted stays within.
inline constexpr std::size_t kMaxRelativePathBytes = plat::kMaxPathBytes - 2;

// The bytes of the relative path of an entry called name in a directory whose relative
// path has parentBytes bytes (0 for the root itself).
std::size_t RelativePathBytes(std::size_t parentBytes, std::u16string_view name);

// The most bytes a relative path below root may have: root, path and NUL within
// plat::kMaxPathBytes. At most kMaxRelativePathBytes.
std::size_t MaxRelativePathBytes(const CString& root);

// True when path is a directory (a symbolic link is not followed and is no directory);
// error, when given, is then reset. Otherwise false with (1, Win32 code, 0, path) when
// the path cannot be read or (2, 1, 0, path) when it is no directory.
bool IsExistingDirectory(plat::FileSystem& fs, const CString& path, ErrorInfo* error);

// Turns a path into a root: absolute, a symbolic link at the end resolved once, an
// existing directory, '/' appended unless it ends in one (a trailing '\\' belongs to a
// name), at most 259 characters. On failure root is left as it was and error holds
// (2, 3, 0, path) for a path or result too long, the error of IsExistingDirectory, or
// (1, Win32 code, 0, path) when the path cannot be resolved. A Windows-style path
// ("C:\\...", "\\\\server\\share") names no directory here and fails as a missing one.
bool NormaliseRoot(plat::FileSystem& fs, const CString& path, CString& root, ErrorInfo& error);

// True when two roots are the same directory or one lies inside the other, judged on
// the paths with every link resolved and on device and inode numbers, so that links and
// bind mounts do not hide a nesting. The roots are normalised ones.
bool RootsOverlap(plat::FileSystem& fs, const CString& left, const CString& right);

// The components of a path, split at '/' and '\\', empty components left out; with
// foldCase each is upper-cased by the project's locale-independent mapping.
class PathComponents {
public:
    PathComponents(std::u16string_view path, bool foldCase);

    std::size_t size() const { return components_.size(); }
    bool empty() const { return components_.empty(); }
    const CString& operator[](std::size_t i) const { return components_[i]; }
    std::vector<CString>::const_iterator begin() const { return components_.begin(); }
    std::vector<CString>::const_iterator end() const { return components_.end(); }

private:
    std::vector<CString> components_;
};
