#include "resources/version_block.h"

#include "resources/resource_reader.h"

namespace {

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// "8.0.0.0": exactly four numbers of 0..65535.
bool ReadVersionNumbers(resread::Fields& f, std::array<std::uint16_t, 4>& out, const char* what) {
    std::string text;
    if (!f.Word(text, what)) return false;
    std::size_t pos = 0;
    for (int part = 0; part < 4; ++part) {
        const std::size_t end = part < 3 ? text.find('.', pos) : text.size();
        if (end == std::string::npos) break;
        const std::string_view digits(text.data() + pos, end - pos);
        unsigned value = 0;
        bool ok = !digits.empty() && digits.size() <= 5;
        for (char c : digits) {
            ok = ok && c >= '0' && c <= '9';
            value = value * 10 + unsigned(c - '0');
        }
        if (!ok || value > 65535) break;
        out[std::size_t(part)] = std::uint16_t(value);
        if (part == 3) return f.End();
        pos = end + 1;
    }
    return f.Fail("bad " + std::string(what) + " '" + text + "' (four numbers 0 to 65535 joined by dots)");
}

bool IsLanguageCodePage(std::string_view word) {
    if (word.size() != 8) return false;
    for (char c : word) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) return false;
    }
    return true;
}

bool IsKey(std::string_view word) {
    if (word.empty()) return false;
    for (char c : word) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) return false;
    }
    return true;
}

bool ReadStrings(const resread::Line& opening, resread::Context& context, VersionBlock& out) {
    resread::Fields f(opening, context);
    VersionBlock::Strings block;
    if (!f.Word(block.languageCodePage, "language and code page")) return false;
    if (!IsLanguageCodePage(block.languageCodePage)) {
        return f.Fail("bad language and code page '" + block.languageCodePage + "' (eight hexadecimal digits)");
    }
    if (!f.End()) return false;
    for (char& c : block.languageCodePage) {
        if (c >= 'A' && c <= 'F') c = char(c - 'A' + 'a');
    }
    for (const VersionBlock::Strings& other : out.strings) {
        if (other.languageCodePage == block.languageCodePage) {
            return f.Fail("the strings of " + block.languageCodePage + " are given twice");
        }
    }
    const std::string what = "the strings of " + block.languageCodePage;
    resread::Line line;
    while (resread::NextInBlock(context, opening, what.c_str(), line)) {
        if (resread::IsEnd(line)) {
            out.strings.push_back(std::move(block));
            return true;
        }
        resread::Fields entry(line, context, 0);
        std::string key;
        std::u16string value;
        if (!entry.Word(key, "key")) return false;
        if (!IsKey(key)) return entry.Fail("bad key '" + key + "' (letters and digits)");
        if (!entry.Quoted(value, "text") || !entry.End()) return false;
        for (const auto& [k, v] : block.entries) {
            if (EqualNoCase(k, key)) return entry.Fail("the key " + key + " is given twice in " + what);
        }
        block.entries.emplace_back(std::move(key), std::move(value));
    }
    return false;
}

struct FlagWord {
    std::string_view word;
    std::uint32_t flag;
};
constexpr FlagWord kFlagWords[] = {{"debug", kVerDebug},
                                   {"prerelease", kVerPrerelease},
                                   {"patched", kVerPatched},
                                   {"privatebuild", kVerPrivateBuild},
                                   {"specialbuild", kVerSpecialBuild}};

}  // namespace

const std::u16string* VersionBlock::FindString(std::string_view languageCodePage, std::string_view key) const {
    for (const Strings& block : strings) {
        if (!EqualNoCase(block.languageCodePage, languageCodePage)) continue;
        for (const auto& [k, v] : block.entries) {
            if (EqualNoCase(k, key)) return &v;
        }
    }
    return nullptr;
}

namespace resread {

bool ReadVersionBlock(const Line& opening, Context& context, VersionBlock& out) {
    Fields header(opening, context);
    if (!header.End()) return false;
    bool haveFileVersion = false, haveProductVersion = false, haveFlags = false, haveType = false;
    Line line;
    while (NextInBlock(context, opening, "the version block", line)) {
        const std::string_view keyword = line.Keyword();
        Fields f(line, context);
        auto once = [&](bool& seen) {
            if (seen) return f.Fail("the " + std::string(keyword) + " is given twice");
            seen = true;
            return true;
        };
        if (IsEnd(line)) {
            if (!haveFileVersion) return Fail(context, opening.number, "the version block has no file-version");
            if (!haveProductVersion) return Fail(context, opening.number, "the version block has no product-version");
            return true;
        } else if (keyword == "file-version") {
            if (!once(haveFileVersion) || !ReadVersionNumbers(f, out.fileVersion, "file version")) return false;
        } else if (keyword == "product-version") {
            if (!once(haveProductVersion) || !ReadVersionNumbers(f, out.productVersion, "product version"))
                return false;
        } else if (keyword == "file-flags") {
            if (!once(haveFlags)) return false;
            while (!f.AtEnd()) {
                std::string word;
                if (!f.Word(word, "file flag")) return false;
                const FlagWord* found = nullptr;
                for (const FlagWord& w : kFlagWords) {
                    if (w.word == word) found = &w;
                }
                if (!found) return f.Fail("unknown file flag '" + word + "'");
                out.fileFlags |= found->flag;
            }
        } else if (keyword == "file-type") {
            if (!once(haveType)) return false;
            if (f.Take("application")) {
                out.fileType = kVerTypeApplication;
            } else if (f.Take("library")) {
                out.fileType = kVerTypeLibrary;
            } else {
                std::string word;
                if (!f.Word(word, "file type")) return false;
                return f.Fail("unknown file type '" + word + "' (application or library)");
            }
            if (!f.End()) return false;
        } else if (keyword == "strings") {
            if (!ReadStrings(line, context, out)) return false;
        } else if (keyword == "translation") {
            VersionBlock::Translation t;
            int language = 0, codePage = 0;
            if (!f.Int(language, 0, 65535, "language") || !f.Int(codePage, 0, 65535, "code page") || !f.End()) {
                return false;
            }
            t.language = std::uint16_t(language);
            t.codePage = std::uint16_t(codePage);
            out.translations.push_back(t);
        } else {
            return Fail(context, line.number, "unknown keyword '" + std::string(keyword) + "' in the version block");
        }
    }
    return false;
}

}  // namespace resread
