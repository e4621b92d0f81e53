#pragma once
// The checked formatter: a template taken from the string table (which a language
// table may have replaced) is used only when its placeholders equal those of the
// built-in text (ParsePlaceholders); otherwise the built-in text is used. So a bad
// translation can never misformat or take the wrong argument for a text.
//
// Pure functions over the string table; thread-safe.
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/core/cstring.h"
#include "resources/string_table.h"

// True when both texts have the same placeholders in the same order.
bool PlaceholdersMatch(std::u16string_view candidate, std::u16string_view builtin);
// candidate when its placeholders match builtin's, else builtin.
CString CheckedTemplate(std::u16string_view candidate, std::u16string_view builtin);
// The template of string id to format with: LoadString(id) checked against the built-in text.
CString LoadTemplate(std::uint32_t id);
// String id split at each "\n", each line checked against the built-in line; when the
// numbers of lines differ, the built-in lines.
std::vector<CString> LoadTemplateLines(std::uint32_t id);

// Formats string id with the arguments through its checked template.
template <typename... Args>
CString FormatStringId(std::uint32_t id, const Args&... args) {
    return CString::Format(LoadTemplate(id).view(), args...);
}
