#pragma once
// The wildcard patterns of filter rules: only '*' is special and stands for any run of
// characters (path separators included, the empty run too); there is no single-character
// wildcard. The whole pattern must match the whole text.
//
// Pure function, thread-safe, never throws (except std::bad_alloc).
#include <string_view>

// True when pattern matches text. With ignoreCase both are compared after the
// locale-independent simple upper-case mapping of each code point (the same mapping the
// record tree gives node names), so the result never depends on the process locale.
// Time is O(pattern x text) in the worst case, linear for the usual patterns.
bool WildcardMatch(std::u16string_view pattern, std::u16string_view text, bool ignoreCase);
