#pragma once
// The string table: every user-visible text of the program, addressed by id.
//
// The built-in English table (resources/strings.txt) is compiled into the program and
// read at first use with the other built-in resources (resource_set.h). A language
// file's resources may be installed over them (SetLanguageResources); LoadString then
// gives the language's text where it has one.
// Format strings are taken through the checked formatter (checked_format.h), so a
// translated template whose placeholders differ from the built-in text's is never used.
//
// Threads: every function may be called from any thread; installing a language
// while other threads load strings is safe (they see the old or the new table).
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "platform/core/cstring.h"

// One table of (id, text) pairs. ResourceSet::Parse reads it from the lines of a resource
// text that begin with a digit: `ID<TAB>"text"` with C-style escapes (resource_text.h).
class StringTable {
public:
    // Adds id's text; false (and nothing changes) when the table has id already.
    bool Insert(std::uint32_t id, std::u16string text) { return entries_.emplace(id, std::move(text)).second; }
    // Null when the table has no text for id.
    const std::u16string* Find(std::uint32_t id) const;
    const std::map<std::uint32_t, std::u16string>& Entries() const { return entries_; }

private:
    std::map<std::uint32_t, std::u16string> entries_;
};

// The compiled-in table (empty only if strings.txt were malformed, which a test rules out).
const StringTable& BuiltinStrings();

// The text of id: the language table's when it has one, else the built-in text, else empty.
CString LoadString(std::uint32_t id);
// The built-in text of id, empty when unknown.
CString LoadBuiltinString(std::uint32_t id);

// A text of a resource (a caption, a control's or menu item's text): written out in the
// resource, or written @N and taken from string N of the string table when it is used.
struct ResourceText {
    std::u16string literal;
    std::uint32_t stringId = 0;
    bool fromTable = false;

    // The string's text through LoadString (empty for an id the table does not have), or
    // the literal.
    CString Resolve() const { return fromTable ? LoadString(stringId) : CString(literal); }
    bool operator==(const ResourceText&) const = default;
};
