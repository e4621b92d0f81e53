#pragma once
// The system's string: UTF-16 code units (char16_t) in memory, as every text of the
// engine and the application is. A thin value class over std::u16string with the
// operations the system's code uses; Qt's QString is used only at the GUI edge.
//
// Contract: a value type, no sharing, no locks; safe to use from any thread as long
// as one object is not written by two threads at once. Nothing here throws except
// std::bad_alloc.
#include <compare>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class CString {
public:
    using size_type = std::size_t;
    static constexpr size_type npos = std::u16string::npos;

    CString() = default;
    CString(const char16_t* s) : s_(s ? s : u"") {}
    CString(const char16_t* s, size_type n) : s_(s, n) {}
    CString(std::u16string_view v) : s_(v) {}
    CString(std::u16string s) : s_(std::move(s)) {}
    CString(size_type n, char16_t c) : s_(n, c) {}

    // Conversions. UTF-8 decoding is lossless for file names: every byte that is not part
    // of valid UTF-8 becomes the lone surrogate U+DC80..U+DCFF and converts back to itself.
    static CString FromUtf8(std::string_view bytes);
    std::string ToUtf8() const;
    // ASCII-only literal helper for tests and fixed texts (bytes above 0x7F become U+FFFD).
    static CString FromAscii(std::string_view ascii);

    // printf-style formatting with the system's conventions ("%s" is a UTF-16 string).
    template <typename... Args>
    static CString Format(std::u16string_view fmt, const Args&... args);
    template <typename... Args>
    void AppendFormat(std::u16string_view fmt, const Args&... args);

    size_type GetLength() const { return s_.size(); }
    bool IsEmpty() const { return s_.empty(); }
    void Empty() { s_.clear(); }
    const char16_t* c_str() const { return s_.c_str(); }
    operator std::u16string_view() const { return s_; }
    std::u16string_view view() const { return s_; }
    const std::u16string& str() const { return s_; }
    std::u16string& str() { return s_; }
    char16_t operator[](size_type i) const { return s_[i]; }
    char16_t GetAt(size_type i) const { return s_[i]; }

    CString& operator+=(std::u16string_view v) { s_.append(v); return *this; }
    CString& operator+=(const CString& o) { s_.append(o.s_); return *this; }
    CString& operator+=(const char16_t* v) { if (v) s_.append(v); return *this; }
    CString& operator+=(char16_t c) { s_.push_back(c); return *this; }
    friend CString operator+(CString a, std::u16string_view b) { a += b; return a; }
    friend CString operator+(CString a, const CString& b) { a += b; return a; }
    friend CString operator+(CString a, const char16_t* b) { a += b; return a; }
    friend CString operator+(CString a, char16_t c) { a += c; return a; }
    friend CString operator+(const char16_t* a, const CString& b) { CString r(a); r += b; return r; }

    // Code-unit comparison (the order the record tree uses).
    friend bool operator==(const CString& a, const CString& b) { return a.s_ == b.s_; }
    friend bool operator==(const CString& a, const char16_t* b) { return a.s_ == (b ? b : u""); }
    friend std::strong_ordering operator<=>(const CString& a, const CString& b) { return a.s_ <=> b.s_; }
    int Compare(std::u16string_view o) const { int c = std::u16string_view(s_).compare(o); return c < 0 ? -1 : c > 0 ? 1 : 0; }

    CString Left(size_type n) const { return CString(s_.substr(0, n)); }
    CString Mid(size_type first) const { return first >= s_.size() ? CString() : CString(s_.substr(first)); }
    CString Mid(size_type first, size_type n) const { return first >= s_.size() ? CString() : CString(s_.substr(first, n)); }
    CString Right(size_type n) const { return n >= s_.size() ? *this : CString(s_.substr(s_.size() - n)); }
    size_type Find(char16_t c, size_type start = 0) const { return s_.find(c, start); }
    size_type Find(std::u16string_view v, size_type start = 0) const { return s_.find(v, start); }
    size_type ReverseFind(char16_t c) const { return s_.rfind(c); }
    bool StartsWith(std::u16string_view v) const { return std::u16string_view(s_).starts_with(v); }
    bool EndsWith(std::u16string_view v) const { return std::u16string_view(s_).ends_with(v); }
    bool EndsWith(char16_t c) const { return !s_.empty() && s_.back() == c; }
    // Replaces every occurrence of from by to; returns the number of replacements.
    size_type Replace(std::u16string_view from, std::u16string_view to);
    size_type Replace(char16_t from, char16_t to);
    void Truncate(size_type n) { if (n < s_.size()) s_.resize(n); }

    // Locale-independent simple upper-case mapping per code point (ICU), the same on
    // every machine and under every process locale. Lone surrogates stay as they are.
    CString& MakeUpper();
    static CString ToUpper(std::u16string_view v);

private:
    std::u16string s_;
};

template <>
struct std::hash<CString> {
    std::size_t operator()(const CString& s) const noexcept { return std::hash<std::u16string>()(s.str()); }
};

#include "platform/core/format.h"

template <typename... Args>
CString CString::Format(std::u16string_view fmt, const Args&... args) {
    const FormatArg list[] = {FormatArg(args)..., FormatArg()};
    return FormatString(fmt, std::span<const FormatArg>(list, sizeof...(Args)));
}

template <typename... Args>
void CString::AppendFormat(std::u16string_view fmt, const Args&... args) {
    *this += Format(fmt, args...);
}
