#include "platform/core/text_convert.h"

#include <unicode/uchar.h>

namespace {

bool IsCont(unsigned char c) { return (c & 0xC0) == 0x80; }

void AppendCodePoint(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

// Out is a std::string or a ByteCount: anything with push_back(char).
template <class Out>
void AppendUtf8(Out& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Counts the bytes an encoding would write, without writing them.
struct ByteCount {
    std::size_t n = 0;
    void push_back(char) { ++n; }
};

template <bool Lossless, class Out>
void EncodeInto(Out& out, std::u16string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            char32_t cp = 0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00);
            AppendUtf8(out, cp);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            if (Lossless && c >= 0xDC80 && c <= 0xDCFF)
                out.push_back(static_cast<char>(c - 0xDC00));
            else
                AppendUtf8(out, 0xFFFD);
        } else {
            AppendUtf8(out, c);
        }
    }
}

template <bool Lossless>
std::string Encode(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    EncodeInto<Lossless>(out, text);
    return out;
}

}  // namespace

std::size_t Utf8LosslessLength(std::u16string_view text) {
    ByteCount count;
    EncodeInto<true>(count, text);
    return count.n;
}

std::u16string DecodeUtf8Lossless(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    while (i < n) {
        unsigned char c = p[i];
        if (c < 0x80) {
            out.push_back(c);
            ++i;
            continue;
        }
        std::size_t len = 0;
        char32_t cp = 0;
        char32_t min = 0;
        if (c >= 0xC2 && c <= 0xDF) { len = 2; cp = c & 0x1F; min = 0x80; }
        else if (c >= 0xE0 && c <= 0xEF) { len = 3; cp = c & 0x0F; min = 0x800; }
        else if (c >= 0xF0 && c <= 0xF4) { len = 4; cp = c & 0x07; min = 0x10000; }
        bool ok = len != 0 && i + len <= n;
        for (std::size_t k = 1; ok && k < len; ++k) {
            if (!IsCont(p[i + k])) ok = false;
            else cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        // Reject overlong forms, encoded surrogates and values above U+10FFFF so that
        // the reverse conversion gives back exactly the same bytes.
        if (ok && (cp < min || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)) ok = false;
        if (ok) {
            AppendCodePoint(out, cp);
            i += len;
        } else {
            out.push_back(static_cast<char16_t>(0xDC00 + c));
            ++i;
        }
    }
    return out;
}

std::string EncodeUtf8Lossless(std::u16string_view text) { return Encode<true>(text); }
std::string EncodeUtf8Strict(std::u16string_view text) { return Encode<false>(text); }

std::u16string DecodeWindows1252(std::string_view bytes) {
    static const char16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    std::u16string out;
    out.reserve(bytes.size());
    for (unsigned char c : bytes) {
        if (c >= 0x80 && c <= 0x9F) out.push_back(high[c - 0x80]);
        else out.push_back(c);
    }
    return out;
}

char32_t UpperCaseCodePoint(char32_t c) {
    if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - 32 : c;
    if (c >= 0xD800 && c <= 0xDFFF) return c;
    return static_cast<char32_t>(u_toupper(static_cast<UChar32>(c)));
}

std::u16string UpperCase(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c < 0x80) {
            out.push_back((c >= u'a' && c <= u'z') ? char16_t(c - 32) : c);
        } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                   text[i + 1] <= 0xDFFF) {
            char32_t cp = 0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00);
            AppendCodePoint(out, UpperCaseCodePoint(cp));
            ++i;
        } else {
            AppendCodePoint(out, UpperCaseCodePoint(c));
        }
    }
    return out;
}

std::u32string ToUtf32KeepSurrogates(std::u16string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            out.push_back(0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00));
            ++i;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::string EncodeUtf16Le(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (const char16_t c : text) {
        out.push_back(static_cast<char>(c & 0xFF));
        out.push_back(static_cast<char>(c >> 8));
    }
    return out;
}

std::u16string DecodeUtf16Le(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        out.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                            (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    }
    return out;
}
