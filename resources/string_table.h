#pragma once
// The string table: every user-visible text of the program, addressed by id.
//
// The built-in English table (resources/strings.txt) is compiled into the program and
// read at first use. A language table in the same format may be installed over it
// (SetLanguageStrings); LoadString then gives the language's text where it has one.
// Format strings are taken through the checked formatter (checked_format.h), so a
// translated template whose placeholders differ from the built-in text's is never used.
//
// Threads: every function may be called from any thread; installing a language table
// while other threads load strings is safe (they see the old or the new table).
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/core/cstring.h"

// One table of (id, text) pairs.
class StringTable {
public:
    // Reads the text format of strings.txt (UTF-8): one `ID<TAB>"text"` a line, C-style
    // escapes \n \r \t \\ \" \uXXXX inside the quotes, empty lines and lines beginning
    // with '#' ignored. False on the first bad line (invalid UTF-8, a bad id or escape,
    // a missing quote, text after the closing quote, an id given twice), with
    // "line N: reason" in error; out is then left empty.
    static bool Parse(std::string_view utf8, StringTable& out, std::string& error);

    // Null when the table has no text for id.
    const std::u16string* Find(std::uint32_t id) const;
    const std::map<std::uint32_t, std::u16string>& Entries() const { return entries_; }

private:
    std::map<std::uint32_t, std::u16string> entries_;
};

// The compiled-in table (empty only if strings.txt were malformed, which a test rules out).
const StringTable& BuiltinStrings();
// Installs a language table over the built-in one; null goes back to built-in only.
void SetLanguageStrings(std::shared_ptr<const StringTable> table);

// The text of id: the language table's when it has one, else the built-in text, else empty.
CString LoadString(std::uint32_t id);
// The built-in text of id, empty when unknown.
CString LoadBuiltinString(std::uint32_t id);
