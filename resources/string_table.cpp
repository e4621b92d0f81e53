#include "resources/string_table.h"

#include "resources/resource_set.h"

const std::u16string* StringTable::Find(std::uint32_t id) const {
    auto it = entries_.find(id);
    return it == entries_.end() ? nullptr : &it->second;
}

const StringTable& BuiltinStrings() { return BuiltinResources().Strings(); }

CString LoadString(std::uint32_t id) {
    if (auto language = LanguageResources()) {
        if (const std::u16string* text = language->Strings().Find(id)) return CString(*text);
    }
    return LoadBuiltinString(id);
}

CString LoadBuiltinString(std::uint32_t id) {
    const std::u16string* text = BuiltinStrings().Find(id);
    return text ? CString(*text) : CString();
}
