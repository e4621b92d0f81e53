#include <gtest/gtest.h>

#include "platform/core/cstring.h"
#include "platform/core/win_time.h"

namespace {

struct FormatCase {
    const char16_t* fmt;
    CString expected;
    CString actual;
};

TEST(Format, TextsOfTheSystem) {
    const FormatCase cases[] = {
        {u"%s", u"abc", CString::Format(u"%s", CString(u"abc"))},
        {u"%9s", u"    EQUAL", CString::Format(u"%9s", u"EQUAL")},
        {u"%-9s|", u"EQUAL    |", CString::Format(u"%-9s|", u"EQUAL")},
        {u"%10s", u"  NUL_BIAS", CString::Format(u"%10s", u"NUL_BIAS")},
        {u"%c", u"x", CString::Format(u"%c", u'x')},
        {u"%i", u"-4", CString::Format(u"%i", -4)},
        {u"%02i", u"-2", CString::Format(u"%02i", std::uint32_t(0xFFFFFFFE))},
        {u"%05i", u"01052", CString::Format(u"%05i", 1052u)},
        {u"%03i", u"007", CString::Format(u"%03i", 7)},
        {u"%04x", u"003c", CString::Format(u"%04x", 0x3c)},
        {u"%08x", u"deadbeef", CString::Format(u"%08x", 0xDEADBEEFu)},
        {u"%016I64x", u"0000000100000002", CString::Format(u"%016I64x", 0x100000002ULL)},
        {u"%I64u", u"18446744073709551615", CString::Format(u"%I64u", ~0ULL)},
        {u"%03I64i", u"042", CString::Format(u"%03I64i", 42LL)},
        {u"%u", u"4294967295", CString::Format(u"%u", -1)},
        {u"100%%", u"100%", CString::Format(u"100%%")},
        {u"%.2f", u"3.14", CString::Format(u"%.2f", 3.14159)},
        {u"%*i", u"   5", CString::Format(u"%*i", 4, 5)},
        {u"%+i", u"+5", CString::Format(u"%+i", 5)},
        {u"%#x", u"0x1f", CString::Format(u"%#x", 31)},
        {u"%.3s", u"abc", CString::Format(u"%.3s", u"abcdef")},
    };
    for (const auto& c : cases) EXPECT_EQ(c.expected.ToUtf8(), c.actual.ToUtf8()) << CString(c.fmt).ToUtf8();
}

TEST(Format, MismatchedOrMissingArgumentsNeverCrash) {
    EXPECT_EQ(u"(?) and (?)", CString::Format(u"%s and %i", 5, u"x").str());
    EXPECT_EQ(u"a(?)", CString::Format(u"a%s").str());
    EXPECT_EQ(u"tail %", CString::Format(u"tail %").str());
    EXPECT_EQ(u"%q", CString::Format(u"%q", 1).str());
}

TEST(Format, StampTimeText) {
    // 2009-07-15 12:34:56.789 UTC plus 123 microseconds and 400 ns.
    SystemTime st{2009, 7, 0, 15, 12, 34, 56, 789};
    FileTime t = 0;
    ASSERT_TRUE(SystemTimeToFileTime(st, t));
    t += 1234;
    SystemTime back;
    ASSERT_TRUE(FileTimeToSystemTime(t, back));
    CString text = CString::Format(u"%02i-%02i-%02i %02i:%02i:%02i.%03i.%03I64i.%03I64i (%016I64x)", back.year,
                                   back.month, back.day, back.hour, back.minute, back.second, back.milliseconds,
                                   (t % 10000) / 10, (t % 10) * 100, t);
    EXPECT_EQ("2009-07-15 12:34:56.789.123.400 (01ca0548a9320122)", text.ToUtf8());
    EXPECT_EQ(3, back.dayOfWeek);  // a Wednesday
}

TEST(Format, PlaceholdersOfTemplates) {
    EXPECT_EQ(ParsePlaceholders(u"Scan '%s' (%i)"), ParsePlaceholders(u"Durchsuche (%d) '%s'").size() == 2
                                                        ? ParsePlaceholders(u"Scan '%s' (%i)")
                                                        : std::vector<FormatPlaceholder>{});
    EXPECT_NE(ParsePlaceholders(u"%s %i"), ParsePlaceholders(u"%i %s"));
    EXPECT_EQ(ParsePlaceholders(u"%I64u of 100%%"), ParsePlaceholders(u"%u von 100%%"));
    EXPECT_TRUE(ParsePlaceholders(u"no placeholders, 5%% only").empty());
}

}  // namespace
