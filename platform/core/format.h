#pragma once
// printf-style formatting of the system's texts, with the conventions the texts were
// written for: "%s" and "%S" take a UTF-16 string, "%c" a code unit, "%i"/"%d"/"%u"/"%x"/
// "%X"/"%o" integers with the size prefixes h, l, ll, I32 and I64 (sizes are taken from
// the argument itself, so a prefix never misreads memory), "%f"/"%e"/"%g" doubles, flags
// "-", "0", "+", " ", "#", widths and precisions (also "*"), and "%%".
//
// Arguments are typed (FormatArg), so a mismatched argument or a missing one can never
// crash: it is written as "(?)". Thread-safe, no global state.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class CString;

class FormatArg {
public:
    enum class Kind { None, Signed, Unsigned, Double, Text };
    FormatArg() = default;
    FormatArg(bool v) : kind_(Kind::Signed), i_(v ? 1 : 0) {}
    FormatArg(char v) : kind_(Kind::Signed), i_(v) {}
    FormatArg(char16_t v) : kind_(Kind::Unsigned), u_(v) {}
    FormatArg(signed char v) : kind_(Kind::Signed), i_(v) {}
    FormatArg(unsigned char v) : kind_(Kind::Unsigned), u_(v) {}
    FormatArg(short v) : kind_(Kind::Signed), i_(v) {}
    FormatArg(unsigned short v) : kind_(Kind::Unsigned), u_(v) {}
    FormatArg(int v) : kind_(Kind::Signed), i_(v) {}
    FormatArg(unsigned v) : kind_(Kind::Unsigned), u_(v) {}
    FormatArg(long v) : kind_(Kind::Signed), i_(v) {}
    FormatArg(unsigned long v) : kind_(Kind::Unsigned), u_(v) {}
    FormatArg(long long v) : kind_(Kind::Signed), i_(v) {}
    FormatArg(unsigned long long v) : kind_(Kind::Unsigned), u_(v) {}
    FormatArg(double v) : kind_(Kind::Double), d_(v) {}
    FormatArg(const char16_t* v) : kind_(Kind::Text), t_(v ? std::u16string_view(v) : std::u16string_view(u"(null)")) {}
    FormatArg(std::u16string_view v) : kind_(Kind::Text), t_(v) {}
    FormatArg(const std::u16string& v) : kind_(Kind::Text), t_(v) {}
    FormatArg(const CString& v);

    Kind kind() const { return kind_; }
    std::int64_t AsSigned() const { return kind_ == Kind::Unsigned ? static_cast<std::int64_t>(u_) : i_; }
    std::uint64_t AsUnsigned() const { return kind_ == Kind::Signed ? static_cast<std::uint64_t>(i_) : u_; }
    double AsDouble() const { return d_; }
    std::u16string_view AsText() const { return t_; }

private:
    Kind kind_ = Kind::None;
    std::int64_t i_ = 0;
    std::uint64_t u_ = 0;
    double d_ = 0;
    std::u16string_view t_;
};

CString FormatString(std::u16string_view fmt, std::span<const FormatArg> args);

// One conversion of a format text, as the checked formatter compares them: the
// conversion letter and whether it takes a text or a number ("%I64u" -> 'u'; "%%" is
// not a placeholder). A translated template is usable only when its list equals the
// built-in text's list.
struct FormatPlaceholder {
    char16_t conversion;   // 's', 'c', 'd' (for d and i), 'u', 'x', 'o', 'f', ...
    bool star_width;
    bool star_precision;
    friend bool operator==(const FormatPlaceholder&, const FormatPlaceholder&) = default;
};
std::vector<FormatPlaceholder> ParsePlaceholders(std::u16string_view fmt);
