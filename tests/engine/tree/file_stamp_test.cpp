#include "engine/tree/file_stamp.h"

#include <gtest/gtest.h>

namespace {

// 2024-03-15 12:34:56.789 UTC plus 123 microseconds and 400 nanoseconds.
constexpr FileTime kT = 133549796967891234ULL;

plat::FindData MakeData(std::uint32_t attributes, std::u16string_view name) {
    plat::FindData d;
    d.attributes = attributes;
    d.creationTime = 1000;
    d.lastAccessTime = 2000;
    d.lastWriteTime = 3000;
    d.SetSize(0x123456789ULL);
    d.reserved0 = 7;
    d.reserved1 = 8;
    d.name = CString(name);
    return d;
}

TEST(FileStampTest, CompareTimeAndKindFollowTheDirectoryBit) {
    struct Case {
        std::uint32_t attributes;
        std::u16string_view name;
        bool directory, dotEntry;
        FileTime compareTime;
    } const cases[] = {
        {0x10, u"dir", true, false, 1000},
        {0x11, u"ro-dir", true, false, 1000},
        {0x20, u"file", false, false, 3000},
        {0x80, u".", false, false, 3000},     // a file named "." is no dot entry
        {0x10, u".", true, true, 1000},
        {0x10, u"..", true, true, 1000},
        {0x10, u"...", true, false, 1000},
        {0x12, u".hidden", true, false, 1000},
    };
    for (const Case& c : cases) {
        const FileStamp s(MakeData(c.attributes, c.name));
        SCOPED_TRACE(CString(c.name).ToUtf8());
        EXPECT_EQ(s.IsDirectory(), c.directory);
        EXPECT_EQ(s.IsDotEntry(), c.dotEntry);
        EXPECT_EQ(s.GetCompareTime(), c.compareTime);
    }
}

TEST(FileStampTest, AssignCopiesEveryFieldAndBack) {
    plat::FindData d = MakeData(0x21, u"Report.TXT");
    d.shortName = CString(u"REPORT~1.TXT");
    const FileStamp s(d);
    EXPECT_EQ(s.attributes, 0x21u);
    EXPECT_EQ(s.creationTime, 1000u);
    EXPECT_EQ(s.lastAccessTime, 2000u);
    EXPECT_EQ(s.lastWriteTime, 3000u);
    EXPECT_EQ(s.sizeHigh, 1u);
    EXPECT_EQ(s.sizeLow, 0x23456789u);
    EXPECT_EQ(s.GetSize(), 0x123456789ULL);
    EXPECT_EQ(s.reserved0, 7u);
    EXPECT_EQ(s.reserved1, 8u);
    EXPECT_EQ(s.GetName(), u"Report.TXT");
    EXPECT_EQ(s.GetShortName(), u"REPORT~1.TXT");

    const plat::FindData back = s.ToFindData();
    EXPECT_EQ(FileStamp(back), s);
    EXPECT_EQ(FileStamp().GetName(), u"");
    EXPECT_EQ(CString(FileStamp().GetNameCStr()), CString(u""));
}

TEST(FileStampTest, NamesAreCutToTheFieldSize) {
    const std::u16string n259(259, u'a');
    const std::u16string n260(260, u'b');
    const std::u16string n300(300, u'c');
    struct Case {
        std::u16string name;
        std::size_t kept;
    } const cases[] = {{n259, 259}, {n260, 259}, {n300, 259}, {u"", 0}};
    for (const Case& c : cases) {
        const FileStamp s(MakeData(0, c.name));
        EXPECT_EQ(s.GetName(), std::u16string_view(c.name).substr(0, c.kept));
        FileStamp set;
        set.SetName(c.name);
        EXPECT_EQ(set.GetName().size(), c.kept);
        const FileStamp copy = s;  // a copy keeps the cut name
        EXPECT_EQ(copy.GetName().size(), c.kept);
    }
    FileStamp shortName;
    shortName.SetNames(u"x", u"ABCDEFGH.TXTXY");  // 14 characters: the field keeps 13
    EXPECT_EQ(shortName.GetShortName(), u"ABCDEFGH.TXTX");
}

TEST(FileStampTest, EqualNamesShareOneBlock) {
    FileStamp a(MakeData(0, u"same.txt"));
    FileStamp b(MakeData(0, u"same.txt"));
    FileStamp c(MakeData(0, u"SAME.txt"));
    EXPECT_FALSE(a.SharesNameWith(b));
    EXPECT_TRUE(b.ShareNameWith(a));
    EXPECT_TRUE(a.SharesNameWith(b));
    EXPECT_FALSE(c.ShareNameWith(a));  // case matters
    EXPECT_EQ(c.GetName(), u"SAME.txt");

    // Assigning the same listing again keeps the shared block; a new name gets its own.
    b.Assign(MakeData(0x20, u"same.txt"));
    EXPECT_TRUE(a.SharesNameWith(b));
    b.Assign(MakeData(0x20, u"renamed.txt"));
    EXPECT_FALSE(a.SharesNameWith(b));
    EXPECT_EQ(a.GetName(), u"same.txt");
    EXPECT_EQ(b.GetName(), u"renamed.txt");

    // A fresh stamp takes the block of the first donor with the same texts (after the
    // cut); donors with other texts and null ones are passed over.
    const std::u16string longName(300, u'n');
    const FileStamp longDonor(MakeData(0, longName));
    FileStamp fresh, freshLong;
    fresh.Assign(MakeData(0x20, u"same.txt"), {nullptr, &c, &a});
    EXPECT_TRUE(fresh.SharesNameWith(a));
    freshLong.Assign(MakeData(0x20, longName), {&a, &longDonor});
    EXPECT_TRUE(freshLong.SharesNameWith(longDonor));
    fresh.Assign(MakeData(0x20, u"other.txt"), {&a, &c});
    EXPECT_FALSE(fresh.SharesNameWith(a));
    EXPECT_EQ(fresh.GetName(), u"other.txt");
    EXPECT_EQ(a.GetName(), u"same.txt");
}

TEST(FileStampTest, TimeShiftClasses) {
    struct Case {
        FileTime a, b;
        Bias bias;
    } const cases[] = {
        {kT, kT, NUL_BIAS},
        {kT, kT + kOneHour, POS_BIAS},
        {kT + kOneHour, kT, NEG_BIAS},
        {kT, kT + kOneHour + 1, NO_BIAS},
        {kT + kOneHour + 1, kT, NO_BIAS},
        {kT, kT + kOneHour - 1, NO_BIAS},
        {kT, kT + 2 * kOneHour, NO_BIAS},
        {0, kOneHour, POS_BIAS},
        {0, ~FileTime(0), NO_BIAS},
    };
    for (const Case& c : cases) EXPECT_EQ(FileStampTimeShift(c.a, c.b), c.bias) << c.a << " " << c.b;
}

TEST(FileStampTest, ShiftTimesMovesAllThreeTimes) {
    struct Case {
        Bias bias;
        std::int64_t delta;
    } const cases[] = {
        {NO_BIAS, 0}, {NUL_BIAS, 0}, {POS_BIAS, std::int64_t(kOneHour)}, {NEG_BIAS, -std::int64_t(kOneHour)},
        {FENCE_BIAS, 0},
    };
    for (const Case& c : cases) {
        FileStamp s;
        s.creationTime = kT;
        s.lastAccessTime = kT + 10;
        s.lastWriteTime = kT + 20;
        s.ShiftTimes(c.bias);
        EXPECT_EQ(s.creationTime, kT + c.delta) << int(c.bias);
        EXPECT_EQ(s.lastAccessTime, kT + 10 + c.delta);
        EXPECT_EQ(s.lastWriteTime, kT + 20 + c.delta);
    }
    FileStamp s;
    s.SetCreationTime(kT);
    EXPECT_EQ(s.creationTime, kT);
}

TEST(FileStampTest, DumpTextByteForByte) {
    FileStamp s;
    s.attributes = 0x21;
    s.creationTime = kT;
    s.lastAccessTime = 0;
    s.lastWriteTime = kT + kOneHour;
    s.SetSize(0x1234567890ULL);
    const CString text = s.DumpText();
    EXPECT_EQ(text.ToUtf8(),
              "FA:00000021,"
              "CT:2024-03-15 12:34:56.789.123.400 (01da76d53018c122),"
              "AT:1601-01-01 00:00:00.000.000.000 (0000000000000000),"
              "WT:2024-03-15 13:34:56.789.123.400 (01da76dd91dd2922),"
              "SZ:0000001234567890");
    EXPECT_EQ(text.GetLength(), 193u);
    // A time beyond the calendar prints zero fields and its raw value.
    EXPECT_EQ(FileTimeDumpText(0xFFFFFFFFFFFFFFFFULL).ToUtf8(), "00-00-00 00:00:00.000.161.500 (ffffffffffffffff)");
}

}  // namespace
