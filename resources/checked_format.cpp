#include "resources/checked_format.h"

namespace {

std::vector<CString> Split(const CString& text) {
    std::vector<CString> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t nl = text.Find(u'\n', start);
        if (nl == CString::npos) {
            lines.push_back(text.Mid(start));
            return lines;
        }
        lines.push_back(text.Mid(start, nl - start));
        start = nl + 1;
    }
}

}  // namespace

bool PlaceholdersMatch(std::u16string_view candidate, std::u16string_view builtin) {
    return ParsePlaceholders(candidate) == ParsePlaceholders(builtin);
}

CString CheckedTemplate(std::u16string_view candidate, std::u16string_view builtin) {
    return PlaceholdersMatch(candidate, builtin) ? CString(candidate) : CString(builtin);
}

CString LoadTemplate(std::uint32_t id) { return CheckedTemplate(LoadString(id), LoadBuiltinString(id)); }

std::vector<CString> LoadTemplateLines(std::uint32_t id) {
    std::vector<CString> builtin = Split(LoadBuiltinString(id));
    std::vector<CString> loaded = Split(LoadString(id));
    if (loaded.size() != builtin.size()) return builtin;
    for (std::size_t i = 0; i < loaded.size(); ++i) loaded[i] = CheckedTemplate(loaded[i], builtin[i]);
    return loaded;
}
