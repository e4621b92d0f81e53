#pragma once
// Paths and files as the application's dialogs, documents and projects use them. Paths
// are native: absolute ones begin with '/', components are separated by '/' and compared
// exactly (two folders whose names differ only in case are two folders here).
//
// Pure functions but for FileExists, GetProgramFolder and NormalizePathByShell, which
// look at the real file system. Thread-safe; nothing throws except std::bad_alloc.
#include <cstddef>
#include <vector>

#include "platform/core/cstring.h"

// The path exists and is not a directory (a symbolic link counts as what it points to).
bool FileExists(const CString& path);
// The folder of the running executable with a trailing '/'; empty when unknown.
CString GetProgramFolder();
// The text before the last '/' ("/a/b.kem" -> "/a"); "/" for a file in the root folder,
// empty for a bare name.
CString ExtractFolder(const CString& path);
// A member path as a project file stores it, made a full path: a stored path that is
// empty or does not begin with '.' is returned as it is; otherwise it is relative to the
// folder of baseFile, read with '\' as a separator too (project files of the Windows
// program), and made absolute and lexically normalised.
CString ResolveMemberPath(const CString& baseFile, const CString& stored);
// The path of to relative to the folder of fromFile, as ResolveMemberPath reads it back:
// "./" and the rest when to lies in that folder or below it, else one "../" per folder
// of fromFile's that is not shared and then the rest. Components are compared exactly,
// after lexical normalisation. A path that is not absolute is returned as it is.
CString MakeRelativePath(const CString& fromFile, const CString& to);
// The file name without folder and extension ("/a/b.tar.gz" -> "b.tar"). A name that
// begins with its only '.' (".profile") has no extension.
CString GetFileBaseName(const CString& path);
// The path made absolute and lexically normalised ("." and ".." resolved, no link
// resolution), copied with a NUL into buffer. Its length, or 0 (buffer untouched) when the
// path does not exist or the result does not fit in size code units.
std::size_t NormalizePathByShell(const CString& path, char16_t* buffer, std::size_t size);
// The result of a file dialog that may return several files: NUL-separated strings
// ending with an empty one. One string is returned as it is; with several, the first is
// the folder and each further one a file name in it, joined with '/'.
std::vector<CString> SplitMultiString(std::u16string_view text);
