#pragma once
// The filter of a file dialog as the program's texts give it: "desc|patterns|desc|
// patterns||", each patterns field one or more wildcard patterns separated by ';'.
// Pure functions; thread-safe.
#include <vector>

#include "platform/core/cstring.h"

struct FileDialogFilter {
    CString description;
    std::vector<CString> patterns;  // "*" for the Windows form "*.*" (every file, with or without a dot)
};

// The pairs in order, up to the first empty description. Blanks around a pattern are
// dropped; a pair without a pattern is left out; a missing final "||" does no harm.
std::vector<FileDialogFilter> ParseFileDialogFilter(std::u16string_view filter);
// The name filter as the file dialog lists and applies it: "desc (p1 p2)", or desc alone
// when it already ends with exactly those patterns in parentheses.
CString FileDialogNameFilter(const FileDialogFilter& filter);
