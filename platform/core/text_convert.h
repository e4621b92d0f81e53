#pragma once
// Conversions between the system's UTF-16 text and bytes. Pure functions, thread-safe.
#include <string>
#include <string_view>

// UTF-8 to UTF-16, lossless: each byte that is not part of a valid UTF-8 sequence
// (including encoded surrogates and overlong forms) becomes U+DC80..U+DCFF.
std::u16string DecodeUtf8Lossless(std::string_view bytes);
// UTF-16 to UTF-8, the inverse: a lone surrogate U+DC80..U+DCFF becomes its byte again;
// any other lone surrogate is written as U+FFFD.
std::string EncodeUtf8Lossless(std::u16string_view text);
// The number of bytes EncodeUtf8Lossless gives for text (a name's length on disk).
std::size_t Utf8LosslessLength(std::u16string_view text);
// Strict UTF-8 for text files (exports, logs): a lone surrogate is written as U+FFFD.
std::string EncodeUtf8Strict(std::u16string_view text);

// Windows-1252, the 8-bit text of older files (the five unassigned bytes map to C1
// controls as the system's converter does).
std::u16string DecodeWindows1252(std::string_view bytes);

// Locale-independent simple upper-case mapping of each code point (ICU u_toupper);
// surrogate pairs are mapped as one code point, lone surrogates are kept.
std::u16string UpperCase(std::u16string_view text);
char32_t UpperCaseCodePoint(char32_t c);

// UTF-16 to UTF-32 with lone surrogates kept as code points (for the regular
// expressions, which must see escaped bytes too).
std::u32string ToUtf32KeepSurrogates(std::u16string_view text);

// UTF-16LE bytes of text, whatever the host's byte order (no terminator added).
std::string EncodeUtf16Le(std::u16string_view text);
// The code units of UTF-16LE bytes; an odd last byte is ignored.
std::u16string DecodeUtf16Le(std::string_view bytes);
