#include "platform/core/cstring.h"

#include "platform/core/text_convert.h"

CString CString::FromUtf8(std::string_view bytes) { return CString(DecodeUtf8Lossless(bytes)); }

std::string CString::ToUtf8() const { return EncodeUtf8Lossless(s_); }

CString CString::FromAscii(std::string_view ascii) {
    std::u16string out;
    out.reserve(ascii.size());
    for (unsigned char c : ascii) out.push_back(c < 0x80 ? char16_t(c) : char16_t(0xFFFD));
    return CString(std::move(out));
}

CString::size_type CString::Replace(std::u16string_view from, std::u16string_view to) {
    if (from.empty()) return 0;
    size_type count = 0;
    std::u16string out;
    size_type pos = 0;
    for (;;) {
        size_type hit = s_.find(from, pos);
        if (hit == npos) break;
        out.append(s_, pos, hit - pos);
        out.append(to);
        pos = hit + from.size();
        ++count;
    }
    if (count) {
        out.append(s_, pos, npos);
        s_ = std::move(out);
    }
    return count;
}

CString::size_type CString::Replace(char16_t from, char16_t to) {
    size_type count = 0;
    for (auto& c : s_)
        if (c == from) { c = to; ++count; }
    return count;
}

CString& CString::MakeUpper() {
    s_ = UpperCase(s_);
    return *this;
}

CString CString::ToUpper(std::u16string_view v) { return CString(UpperCase(v)); }
