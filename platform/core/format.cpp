#include "platform/core/format.h"

#include <cstdio>

#include "platform/core/cstring.h"

FormatArg::FormatArg(const CString& v) : kind_(Kind::Text), t_(v.view()) {}

namespace {

struct Conversion {
    bool left = false, plus = false, space = false, zero = false, alt = false;
    int width = -1;
    int precision = -1;
    int bits = 32;   // size of the integer as the prefix says: 8, 16, 32 or 64
    char16_t conv = 0;
};

void Pad(std::u16string& out, std::u16string_view body, const Conversion& s, bool numeric, std::size_t signLen) {
    const std::size_t len = body.size();
    if (s.width < 0 || len >= std::size_t(s.width)) {
        out.append(body);
        return;
    }
    const std::size_t fill = std::size_t(s.width) - len;
    if (s.left) {
        out.append(body);
        out.append(fill, u' ');
    } else if (s.zero && numeric) {
        out.append(body.substr(0, signLen));
        out.append(fill, u'0');
        out.append(body.substr(signLen));
    } else {
        out.append(fill, u' ');
        out.append(body);
    }
}

std::u16string Digits(std::uint64_t v, unsigned base, bool upper) {
    const char* d = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::u16string r;
    do {
        r.insert(r.begin(), char16_t(d[v % base]));
        v /= base;
    } while (v);
    return r;
}

std::uint64_t Truncate(std::uint64_t v, int bits) {
    if (bits >= 64) return v;
    return v & ((std::uint64_t(1) << bits) - 1);
}

std::int64_t SignedTruncate(std::int64_t v, int bits) {
    switch (bits) {
        case 8: return static_cast<std::int8_t>(v);
        case 16: return static_cast<std::int16_t>(v);
        case 32: return static_cast<std::int32_t>(v);
        default: return v;
    }
}

void FormatInteger(std::u16string& out, const FormatArg& a, Conversion s) {
    if (a.kind() == FormatArg::Kind::Text || a.kind() == FormatArg::Kind::None) {
        out.append(u"(?)");
        return;
    }
    std::u16string sign;
    std::u16string digits;
    if (s.conv == u'd' || s.conv == u'i') {
        std::int64_t v = a.kind() == FormatArg::Kind::Double ? std::int64_t(a.AsDouble()) : SignedTruncate(a.AsSigned(), s.bits);
        std::uint64_t mag = v < 0 ? std::uint64_t(0) - std::uint64_t(v) : std::uint64_t(v);
        if (v < 0) sign = u"-";
        else if (s.plus) sign = u"+";
        else if (s.space) sign = u" ";
        digits = Digits(mag, 10, false);
    } else {
        std::uint64_t v = a.kind() == FormatArg::Kind::Double ? std::uint64_t(a.AsDouble()) : Truncate(a.AsUnsigned(), s.bits);
        unsigned base = (s.conv == u'x' || s.conv == u'X' || s.conv == u'p') ? 16 : s.conv == u'o' ? 8 : 10;
        digits = Digits(v, base, s.conv == u'X' || s.conv == u'p');
        if (s.conv == u'p') {
            while (digits.size() < 16) digits.insert(digits.begin(), u'0');
        }
        if (s.alt && v != 0) {
            if (s.conv == u'x') sign = u"0x";
            else if (s.conv == u'X') sign = u"0X";
            else if (s.conv == u'o') sign = u"0";
        }
    }
    if (s.precision >= 0) {
        if (s.precision == 0 && digits == u"0") digits.clear();
        while (digits.size() < std::size_t(s.precision)) digits.insert(digits.begin(), u'0');
        s.zero = false;
    }
    Pad(out, sign + digits, s, true, sign.size());
}

void FormatDouble(std::u16string& out, const FormatArg& a, const Conversion& s) {
    if (a.kind() == FormatArg::Kind::Text || a.kind() == FormatArg::Kind::None) {
        out.append(u"(?)");
        return;
    }
    double v = a.kind() == FormatArg::Kind::Double ? a.AsDouble()
               : a.kind() == FormatArg::Kind::Signed ? double(a.AsSigned()) : double(a.AsUnsigned());
    char fmt[32];
    int n = 0;
    fmt[n++] = '%';
    if (s.left) fmt[n++] = '-';
    if (s.plus) fmt[n++] = '+';
    if (s.space) fmt[n++] = ' ';
    if (s.zero) fmt[n++] = '0';
    if (s.alt) fmt[n++] = '#';
    fmt[n] = 0;
    char printfFormat[64];
    if (s.width >= 0 && s.precision >= 0) std::snprintf(printfFormat, sizeof printfFormat, "%s%d.%d%c", fmt, s.width, s.precision, char(s.conv));
    else if (s.width >= 0) std::snprintf(printfFormat, sizeof printfFormat, "%s%d%c", fmt, s.width, char(s.conv));
    else if (s.precision >= 0) std::snprintf(printfFormat, sizeof printfFormat, "%s.%d%c", fmt, s.precision, char(s.conv));
    else std::snprintf(printfFormat, sizeof printfFormat, "%s%c", fmt, char(s.conv));
    char buf[512];
    std::snprintf(buf, sizeof buf, printfFormat, v);
    for (const char* p = buf; *p; ++p) out.push_back(char16_t(static_cast<unsigned char>(*p)));
}

// Parses one conversion starting after the '%'; i is advanced past it. Returns false
// for an incomplete conversion at the end of the text.
bool ParseConversion(std::u16string_view f, std::size_t& i, Conversion& s, bool& starW, bool& starP) {
    starW = starP = false;
    for (; i < f.size(); ++i) {
        char16_t c = f[i];
        if (c == u'-') s.left = true;
        else if (c == u'+') s.plus = true;
        else if (c == u' ') s.space = true;
        else if (c == u'0') s.zero = true;
        else if (c == u'#') s.alt = true;
        else break;
    }
    if (i < f.size() && f[i] == u'*') {
        starW = true;
        ++i;
    } else {
        while (i < f.size() && f[i] >= u'0' && f[i] <= u'9') {
            s.width = (s.width < 0 ? 0 : s.width) * 10 + (f[i] - u'0');
            if (s.width > 4096) s.width = 4096;
            ++i;
        }
    }
    if (i < f.size() && f[i] == u'.') {
        ++i;
        s.precision = 0;
        if (i < f.size() && f[i] == u'*') {
            starP = true;
            ++i;
        } else {
            while (i < f.size() && f[i] >= u'0' && f[i] <= u'9') {
                s.precision = s.precision * 10 + (f[i] - u'0');
                if (s.precision > 4096) s.precision = 4096;
                ++i;
            }
        }
    }
    // Size prefixes.
    if (f.substr(i).starts_with(u"I64")) { s.bits = 64; i += 3; }
    else if (f.substr(i).starts_with(u"I32")) { s.bits = 32; i += 3; }
    else if (f.substr(i).starts_with(u"ll")) { s.bits = 64; i += 2; }
    else if (f.substr(i).starts_with(u"hh")) { s.bits = 8; i += 2; }
    else if (i < f.size() && f[i] == u'h') { s.bits = 16; ++i; }
    else if (i < f.size() && (f[i] == u'l' || f[i] == u'w')) { s.bits = 32; ++i; }
    else if (i < f.size() && (f[i] == u'I' || f[i] == u'z' || f[i] == u'j' || f[i] == u't' || f[i] == u'L')) { s.bits = 64; ++i; }
    if (i >= f.size()) return false;
    s.conv = f[i++];
    return true;
}

}  // namespace

CString FormatString(std::u16string_view f, std::span<const FormatArg> args) {
    std::u16string out;
    out.reserve(f.size() + 16 * args.size());
    std::size_t next = 0;
    static const FormatArg none;
    auto take = [&]() -> const FormatArg& { return next < args.size() ? args[next++] : none; };
    for (std::size_t i = 0; i < f.size();) {
        char16_t c = f[i];
        if (c != u'%') {
            out.push_back(c);
            ++i;
            continue;
        }
        std::size_t start = i++;
        if (i < f.size() && f[i] == u'%') {
            out.push_back(u'%');
            ++i;
            continue;
        }
        Conversion s;
        bool starW, starP;
        if (!ParseConversion(f, i, s, starW, starP)) {
            out.append(f.substr(start));
            break;
        }
        if (starW) {
            std::int64_t w = take().AsSigned();
            if (w < 0) { s.left = true; w = -w; }
            s.width = int(w > 4096 ? 4096 : w);
        }
        if (starP) {
            std::int64_t p = take().AsSigned();
            s.precision = p < 0 ? -1 : int(p > 4096 ? 4096 : p);
        }
        switch (s.conv) {
            case u'd': case u'i': case u'u': case u'x': case u'X': case u'o': case u'p':
                FormatInteger(out, take(), s);
                break;
            case u'f': case u'F': case u'e': case u'E': case u'g': case u'G':
                FormatDouble(out, take(), s);
                break;
            case u'c': case u'C': {
                const FormatArg& a = take();
                std::u16string body;
                if (a.kind() == FormatArg::Kind::Text) body = std::u16string(a.AsText().substr(0, 1));
                else if (a.kind() == FormatArg::Kind::None) body = u"(?)";
                else body.push_back(char16_t(a.AsUnsigned()));
                Pad(out, body, s, false, 0);
                break;
            }
            case u's': case u'S': {
                const FormatArg& a = take();
                if (a.kind() != FormatArg::Kind::Text) {
                    Pad(out, u"(?)", s, false, 0);
                    break;
                }
                std::u16string_view t = a.AsText();
                if (s.precision >= 0 && t.size() > std::size_t(s.precision)) t = t.substr(0, std::size_t(s.precision));
                Pad(out, t, s, false, 0);
                break;
            }
            default:
                // Unknown conversion: written as it stands.
                out.append(f.substr(start, i - start));
                break;
        }
    }
    return CString(std::move(out));
}

std::vector<FormatPlaceholder> ParsePlaceholders(std::u16string_view f) {
    std::vector<FormatPlaceholder> list;
    for (std::size_t i = 0; i < f.size();) {
        if (f[i] != u'%') { ++i; continue; }
        ++i;
        if (i < f.size() && f[i] == u'%') { ++i; continue; }
        Conversion s;
        bool starW, starP;
        if (!ParseConversion(f, i, s, starW, starP)) {
            list.push_back({u'?', false, false});
            break;
        }
        char16_t kind = s.conv;
        if (kind == u'i') kind = u'd';
        if (kind == u'S') kind = u's';
        if (kind == u'C') kind = u'c';
        if (kind == u'X') kind = u'x';
        if (kind == u'F' || kind == u'e' || kind == u'E' || kind == u'g' || kind == u'G') kind = u'f';
        list.push_back({kind, starW, starP});
    }
    return list;
}
