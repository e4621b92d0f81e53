#pragma once
// The lexical pieces that every resource text shares: lines, quoted texts with their
// escapes, and the string-table line. Used by the string table and the resource reader,
// so both read exactly the same texts.
//
// Pure functions; thread-safe.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace restext {

// Splits text into lines: "\n" or "\r\n" ends a line, a UTF-8 byte-order mark before the
// first line is dropped. Calls visit(lineNumber, line) for each line, numbered from 1,
// and stops at the first call that returns false (the result is then false).
template <typename Visit>
bool ForEachLine(std::string_view text, Visit&& visit) {
    std::size_t lineNo = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t nl = text.find('\n', pos);
        if (nl == std::string_view::npos) nl = text.size();
        std::string_view line = text.substr(pos, nl - pos);
        pos = nl + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (lineNo == 1 && line.starts_with("\xEF\xBB\xBF")) line.remove_prefix(3);
        if (!visit(lineNo, line)) return false;
    }
    return true;
}

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// True for a line that holds nothing but blanks, or whose first non-blank is '#'.
bool IsEmptyOrComment(std::string_view line);
// True when the line is not valid UTF-8.
bool HasInvalidUtf8(std::string_view line);

// Reads a quoted text that begins at line[pos] (which must be '"'): the escapes \n \r \t
// \\ \" \uXXXX, everything else UTF-8 as it stands. On success pos is just after the
// closing quote and the result is empty; otherwise the result is the reason.
std::string ReadQuoted(std::string_view line, std::size_t& pos, std::u16string& text);

// Reads a string-table line: decimal id, blanks (at least one tab or space) and a quoted
// text, nothing after it but blanks. Empty on success, else the reason.
std::string ReadStringLine(std::string_view line, std::uint32_t& id, std::u16string& text);

// One piece of a resource line: a quoted text or a bare word (a run of characters up to
// the next blank or double quote).
struct Token {
    bool quoted = false;
    std::string word;     // a bare word as written
    std::u16string text;  // a quoted text, escapes decoded
};

// Splits a line into tokens. Empty on success, else the reason.
std::string Tokenize(std::string_view line, std::vector<Token>& tokens);

}  // namespace restext
