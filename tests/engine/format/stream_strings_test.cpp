#include "engine/format/stream_strings.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/format/binary_stream.h"
#include "platform/core/cstring_stream.h"

namespace {

std::string U32(std::uint32_t v) {
    return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
}

TEST(StreamStrings, WideStringIsUtf16LeWithNulAndLimit) {
    struct Case {
        std::u16string text;
        std::size_t limit;
        std::string bytes;
    } cases[] = {
        {u"", kMaxStreamText, U32(2) + std::string("\0\0", 2)},
        {u"A\u00c4\u20ac", kMaxStreamText, U32(8) + std::string("A\0\xc4\0\xac\x20\0\0", 8)},
        {u"ABC", 4, U32(8) + std::string("A\0B\0C\0\0\0", 8)},   // just fits with NUL
        {u"ABCD", 4, U32(8) + std::string("A\0B\0C\0D\0", 8)},   // full: no NUL
        {u"ABCDE", 4, U32(8) + std::string("A\0B\0C\0D\0", 8)},  // cut
        {std::u16string(u"AB\0CD", 5), kMaxStreamText, U32(6) + std::string("A\0B\0\0\0", 6)},
        {u"\U0001F600", kMaxStreamText, U32(6) + std::string("\x3d\xd8\x00\xde\0\0", 6)},
    };
    for (const auto& c : cases) {
        MemoryWriter w;
        ASSERT_TRUE(WriteWideString(w, c.text, c.limit));
        EXPECT_EQ(w.Bytes(), c.bytes) << CString(c.text);
    }
}

// A stored string, the field it is read into, and what the read gives.
struct ReadCase {
    const char* what;
    std::string bytes;
    std::size_t capacity;
    bool ok;
    std::u16string text;
};

TEST(StreamStrings, WideStringReadsBackIntoBoundedFields) {
    const ReadCase cases[] = {
        {"with NUL", U32(8) + std::string("A\0B\0C\0\0\0", 8), 4, true, u"ABC"},
        {"fills the field", U32(8) + std::string("A\0B\0C\0D\0", 8), 4, true, u"ABC"},
        {"longer than the field", U32(10) + std::string("A\0B\0C\0D\0\0\0", 10), 4, false, u""},
        {"no NUL, room left", U32(4) + std::string("A\0B\0", 4), 4, true, u"AB"},
        {"ends at an inner NUL", U32(8) + std::string("A\0\0\0C\0\0\0", 8), 4, true, u"A"},
        {"empty count", U32(0), 4, true, u""},
        {"odd count", U32(3) + std::string("A\0\0", 3), 4, false, u""},
        {"count beyond the data", U32(0xFFFFFFF0u) + std::string("A\0", 2), kMaxStreamText, false, u""},
        {"cut in the text", U32(6) + std::string("A\0B", 3), kMaxStreamText, false, u""},
        {"non-ASCII", U32(6) + std::string("\xe4\0\xac\x20\0\0", 6), kMaxStreamText, true, u"\u00e4\u20ac"},
    };
    for (const auto& c : cases) {
        MemoryReader r(c.bytes);
        CString s(u"stale");
        EXPECT_EQ(ReadWideString(r, s, c.capacity), c.ok) << c.what;
        EXPECT_EQ(r.good(), c.ok) << c.what;
        if (c.ok) {
            EXPECT_EQ(s, CString(c.text)) << c.what;
        }
    }
}

TEST(StreamStrings, NarrowTextIsWindows1252) {
    const ReadCase cases[] = {
        {"letters", U32(6) + std::string("R\xe9sum\xe9", 6), kMaxStreamText, true, u"R\u00e9sum\u00e9"},
        {"euro and ellipsis", U32(3) + std::string("\x80\x85\x9f", 3), kMaxStreamText, true, u"\u20ac\u2026\u0178"},
        {"fills the field", U32(4) + "ABCD", 4, true, u"ABC"},
        {"longer than the field", U32(5) + "ABCDE", 4, false, u""},
        {"count beyond the data", U32(100) + "AB", kMaxStreamText, false, u""},
    };
    for (const auto& c : cases) {
        MemoryReader r(c.bytes);
        CString s;
        EXPECT_EQ(ReadNarrowString(r, s, c.capacity), c.ok) << c.what;
        if (c.ok) {
            EXPECT_EQ(s, CString(c.text)) << c.what;
        }
    }
}

TEST(StreamStrings, FixedNarrowRecordTakesItsWholeSize) {
    std::string rec(8, '\0');
    rec.replace(0, 3, "C:\xc4");
    const std::string bytes = rec + "next";
    MemoryReader r(bytes);
    CString s;
    ASSERT_TRUE(ReadFixedNarrow(r, s, 8));
    EXPECT_EQ(s, CString(u"C:\u00c4"));
    EXPECT_EQ(r.Tell(), 8u);
    // A full record without NUL keeps all but its last character.
    MemoryReader full(std::string_view("ABCDEFGH"));
    ASSERT_TRUE(ReadFixedNarrow(full, s, 8));
    EXPECT_EQ(s, CString(u"ABCDEFG"));
    MemoryReader cut(std::string_view("ABC"));
    EXPECT_FALSE(ReadFixedNarrow(cut, s, 8));
}

}  // namespace
