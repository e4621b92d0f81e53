#include "app/file_dialog_filter.h"

namespace {

std::u16string_view Trim(std::u16string_view s) {
    while (!s.empty() && (s.front() == u' ' || s.front() == u'\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == u' ' || s.back() == u'\t')) s.remove_suffix(1);
    return s;
}

// The next '|'-separated field; rest moves past it.
std::u16string_view NextField(std::u16string_view& rest) {
    const std::size_t bar = rest.find(u'|');
    const std::u16string_view field = rest.substr(0, bar);
    rest = bar == std::u16string_view::npos ? std::u16string_view() : rest.substr(bar + 1);
    return field;
}

}  // namespace

std::vector<FileDialogFilter> ParseFileDialogFilter(std::u16string_view filter) {
    std::vector<FileDialogFilter> out;
    std::u16string_view rest = filter;
    while (!rest.empty()) {
        const std::u16string_view description = NextField(rest);
        if (description.empty()) break;
        std::u16string_view patterns = NextField(rest);
        FileDialogFilter f;
        f.description = CString(description);
        while (!patterns.empty()) {
            const std::size_t semi = patterns.find(u';');
            const std::u16string_view pattern = Trim(patterns.substr(0, semi));
            patterns = semi == std::u16string_view::npos ? std::u16string_view() : patterns.substr(semi + 1);
            if (pattern.empty()) continue;
            f.patterns.emplace_back(pattern == u"*.*" ? std::u16string_view(u"*") : pattern);
        }
        if (!f.patterns.empty()) out.push_back(std::move(f));
    }
    return out;
}

CString FileDialogNameFilter(const FileDialogFilter& filter) {
    CString joined;
    for (const CString& p : filter.patterns) {
        if (!joined.IsEmpty()) joined += u' ';
        joined += p;
    }
    const CString suffix = u"(" + joined + u")";
    if (filter.description.EndsWith(suffix.view())) return filter.description;
    return filter.description + u" " + suffix;
}
