#include "resources/resource_text.h"

#include <charconv>

#include "platform/core/text_convert.h"

namespace restext {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

bool IsEmptyOrComment(std::string_view line) {
    std::size_t first = 0;
    while (first < line.size() && IsBlank(line[first])) ++first;
    return first == line.size() || line[first] == '#';
}

// The lossless decoding turns each byte that is not part of valid UTF-8 into
// U+DC80..U+DCFF, so such a code unit in the result means the line was not valid UTF-8.
bool HasInvalidUtf8(std::string_view line) {
    for (char16_t c : DecodeUtf8Lossless(line)) {
        if (c >= 0xDC80 && c <= 0xDCFF) return true;
    }
    return false;
}

std::string ReadQuoted(std::string_view line, std::size_t& pos, std::u16string& text) {
    std::size_t i = pos + 1;
    std::string bytes;  // UTF-8 between the escapes
    text.clear();
    while (i < line.size()) {
        const char c = line[i++];
        if (c == '"') {
            text += DecodeUtf8Lossless(bytes);
            pos = i;
            return {};
        }
        if (c != '\\') {
            bytes.push_back(c);
            continue;
        }
        if (i >= line.size()) return "an escape at the end of the line";
        const char e = line[i++];
        char16_t unit = 0;
        switch (e) {
            case 'n':
                unit = u'\n';
                break;
            case 'r':
                unit = u'\r';
                break;
            case 't':
                unit = u'\t';
                break;
            case '\\':
                unit = u'\\';
                break;
            case '"':
                unit = u'"';
                break;
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
            default:
                return std::string("unknown escape \\") + e;
        }
        text += DecodeUtf8Lossless(bytes);
        bytes.clear();
        text.push_back(unit);
    }
    return "the text has no closing double quote";
}

std::string ReadStringLine(std::string_view line, std::uint32_t& id, std::u16string& text) {
    std::size_t i = 0;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9') ++i;
    if (i == 0) return "the line does not begin with a decimal id";
    auto [end, ec] = std::from_chars(line.data(), line.data() + i, id);
    if (ec != std::errc() || end != line.data() + i) return "the id is too large";
    if (i >= line.size() || !IsBlank(line[i])) return "the id is not followed by a tab";
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i >= line.size() || line[i] != '"') return "the text does not begin with a double quote";
    std::string reason = ReadQuoted(line, i, text);
    if (!reason.empty()) return reason;
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i != line.size()) return "text after the closing double quote";
    return {};
}

std::string Tokenize(std::string_view line, std::vector<Token>& tokens) {
    tokens.clear();
    std::size_t i = 0;
    for (;;) {
        while (i < line.size() && IsBlank(line[i])) ++i;
        if (i == line.size()) return {};
        Token token;
        if (line[i] == '"') {
            token.quoted = true;
            std::string reason = ReadQuoted(line, i, token.text);
            if (!reason.empty()) return reason;
            if (i < line.size() && !IsBlank(line[i])) return "no blank after the closing double quote";
        } else {
            const std::size_t start = i;
            while (i < line.size() && !IsBlank(line[i]) && line[i] != '"') ++i;
            token.word.assign(line.substr(start, i - start));
        }
        tokens.push_back(std::move(token));
    }
}

}  // namespace restext
