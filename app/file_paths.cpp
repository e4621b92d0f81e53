#include "app/file_paths.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/core/file_system.h"
#include "platform/core/system_info.h"

namespace {

// Components of an absolute, normalised path.
std::vector<std::u16string_view> Components(std::u16string_view path) {
    std::vector<std::u16string_view> parts;
    std::size_t i = 0;
    while (i < path.size()) {
        while (i < path.size() && path[i] == u'/') ++i;
        const std::size_t end = std::min(path.find(u'/', i), path.size());
        if (end > i) parts.push_back(path.substr(i, end - i));
        i = end;
    }
    return parts;
}

}  // namespace

bool FileExists(const CString& path) {
    if (path.IsEmpty()) return false;
    std::error_code error;
    const auto status = std::filesystem::status(path.ToUtf8(), error);
    return !error && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

CString GetProgramFolder() {
    const CString exe = plat::GetExecutablePath();
    const std::size_t slash = exe.ReverseFind(u'/');
    return slash == CString::npos ? CString() : exe.Left(slash + 1);
}

CString ExtractFolder(const CString& path) { return plat::ParentPath(path); }

CString ResolveMemberPath(const CString& baseFile, const CString& stored) {
    if (stored.IsEmpty() || stored[0] != u'.') return stored;
    CString relative = stored;
    relative.Replace(u'\\', u'/');
    const CString folder = ExtractFolder(baseFile);
    CString full;
    if (!plat::PosixFs().GetFullPathName(folder.IsEmpty() ? relative : folder + u"/" + relative, full)) return stored;
    return full;
}

CString MakeRelativePath(const CString& fromFile, const CString& to) {
    if (!fromFile.StartsWith(u"/") || !to.StartsWith(u"/")) return to;
    const CString fromFolder = plat::NormalizePath(ExtractFolder(fromFile));
    const CString target = plat::NormalizePath(to);
    const auto from = Components(fromFolder.view());
    const auto parts = Components(target.view());
    std::size_t common = 0;
    while (common < from.size() && common < parts.size() && from[common] == parts[common]) ++common;
    CString out;
    if (common == from.size()) {
        out = u".";
    } else {
        for (std::size_t i = common; i < from.size(); ++i) out += i == common ? u".." : u"/..";
    }
    for (std::size_t i = common; i < parts.size(); ++i) {
        out += u'/';
        out += parts[i];
    }
    if (target.EndsWith(u'/') && !out.EndsWith(u'/')) out += u'/';
    return out;
}

CString GetFileBaseName(const CString& path) {
    CString name = path.Mid(path.ReverseFind(u'/') == CString::npos ? 0 : path.ReverseFind(u'/') + 1);
    const std::size_t dot = name.ReverseFind(u'.');
    if (dot != CString::npos && dot > 0) name.Truncate(dot);
    return name;
}

std::size_t NormalizePathByShell(const CString& path, char16_t* buffer, std::size_t size) {
    CString full;
    if (path.IsEmpty() || !plat::PosixFs().GetFullPathName(path, full)) return 0;
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(full.ToUtf8(), error)) || error) return 0;
    if (!buffer || full.GetLength() >= size) return 0;
    std::copy(full.view().begin(), full.view().end(), buffer);
    buffer[full.GetLength()] = u'\0';
    return full.GetLength();
}

std::vector<CString> SplitMultiString(std::u16string_view text) {
    std::vector<CString> strings;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t end = std::min(text.find(u'\0', i), text.size());
        if (end == i) break;  // the empty string that ends the list
        strings.emplace_back(text.substr(i, end - i));
        i = end + 1;
    }
    if (strings.size() <= 1) return strings;
    const CString folder = strings.front();
    std::vector<CString> paths;
    for (std::size_t k = 1; k < strings.size(); ++k) {
        paths.push_back(folder.EndsWith(u'/') ? folder + strings[k] : folder + u"/" + strings[k]);
    }
    return paths;
}
