#include "resources/string_table.h"

#include <charconv>
#include <mutex>

#include "platform/core/text_convert.h"

extern const char kBuiltinStringTableText[];
extern const std::size_t kBuiltinStringTableTextSize;

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Parses one line that is neither empty nor a comment. Returns an empty reason on success.
std::string ParseLine(std::string_view line, std::uint32_t& id, std::u16string& text) {
    std::size_t i = 0;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9') ++i;
    if (i == 0) return "the line does not begin with a decimal id";
    auto [end, ec] = std::from_chars(line.data(), line.data() + i, id);
    if (ec != std::errc() || end != line.data() + i) return "the id is too large";
    if (i >= line.size() || !IsBlank(line[i])) return "the id is not followed by a tab";
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i >= line.size() || line[i] != '"') return "the text does not begin with a double quote";
    ++i;
    std::string bytes;   // UTF-8 between the escapes
    text.clear();
    bool closed = false;
    while (i < line.size()) {
        const char c = line[i++];
        if (c == '"') {
            closed = true;
            break;
        }
        if (c != '\\') {
            bytes.push_back(c);
            continue;
        }
        if (i >= line.size()) return "an escape at the end of the line";
        const char e = line[i++];
        char16_t unit = 0;
        switch (e) {
            case 'n': unit = u'\n'; break;
            case 'r': unit = u'\r'; break;
            case 't': unit = u'\t'; break;
            case '\\': unit = u'\\'; break;
            case '"': unit = u'"'; break;
            case 'u': {
                if (i + 4 > line.size()) return "\\u needs four hexadecimal digits";
                unsigned v = 0;
                for (int k = 0; k < 4; ++k) {
                    const int h = HexValue(line[i + k]);
                    if (h < 0) return "\\u needs four hexadecimal digits";
                    v = v * 16 + unsigned(h);
                }
                i += 4;
                unit = char16_t(v);
                break;
            }
            default: return std::string("unknown escape \\") + e;
        }
        const std::u16string decoded = DecodeUtf8Lossless(bytes);
        text += decoded;
        bytes.clear();
        text.push_back(unit);
    }
    if (!closed) return "the text has no closing double quote";
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i != line.size()) return "text after the closing double quote";
    text += DecodeUtf8Lossless(bytes);
    return {};
}

// True when the UTF-8 decoding produced an escaped byte (U+DC80..U+DCFF), that is,
// the line was not valid UTF-8.
bool HasEscapedBytes(std::string_view line) {
    for (char16_t c : DecodeUtf8Lossless(line)) {
        if (c >= 0xDC80 && c <= 0xDCFF) return true;
    }
    return false;
}

std::mutex g_languageMutex;
std::shared_ptr<const StringTable> g_language;

std::shared_ptr<const StringTable> Language() {
    std::lock_guard lock(g_languageMutex);
    return g_language;
}

}  // namespace

bool StringTable::Parse(std::string_view utf8, StringTable& out, std::string& error) {
    out.entries_.clear();
    std::map<std::uint32_t, std::u16string> entries;
    std::size_t lineNo = 0;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        std::size_t nl = utf8.find('\n', pos);
        if (nl == std::string_view::npos) nl = utf8.size();
        std::string_view line = utf8.substr(pos, nl - pos);
        pos = nl + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (lineNo == 1 && line.starts_with("\xEF\xBB\xBF")) line.remove_prefix(3);
        std::size_t first = 0;
        while (first < line.size() && IsBlank(line[first])) ++first;
        if (first == line.size() || line[first] == '#') continue;
        auto fail = [&](const std::string& reason) {
            error = "line " + std::to_string(lineNo) + ": " + reason;
            return false;
        };
        if (HasEscapedBytes(line)) return fail("the line is not valid UTF-8");
        std::uint32_t id = 0;
        std::u16string text;
        const std::string reason = ParseLine(line, id, text);
        if (!reason.empty()) return fail(reason);
        if (!entries.emplace(id, std::move(text)).second) return fail("id " + std::to_string(id) + " is given twice");
    }
    out.entries_ = std::move(entries);
    error.clear();
    return true;
}

const std::u16string* StringTable::Find(std::uint32_t id) const {
    auto it = entries_.find(id);
    return it == entries_.end() ? nullptr : &it->second;
}

const StringTable& BuiltinStrings() {
    static const StringTable table = [] {
        StringTable t;
        std::string error;
        StringTable::Parse(std::string_view(kBuiltinStringTableText, kBuiltinStringTableTextSize), t, error);
        return t;
    }();
    return table;
}

void SetLanguageStrings(std::shared_ptr<const StringTable> table) {
    std::lock_guard lock(g_languageMutex);
    g_language = std::move(table);
}

CString LoadString(std::uint32_t id) {
    if (auto language = Language()) {
        if (const std::u16string* text = language->Find(id)) return CString(*text);
    }
    return LoadBuiltinString(id);
}

CString LoadBuiltinString(std::uint32_t id) {
    const std::u16string* text = BuiltinStrings().Find(id);
    return text ? CString(*text) : CString();
}
