#include "engine/error_info.h"

#include <gtest/gtest.h>

namespace {

const SystemTime kOldTime{2001, 2, 3, 4, 5, 6, 7, 8};

TEST(ErrorInfoTest, SetReportsWhetherAnyWordIsNonZero) {
    struct Case {
        std::uint32_t category, code, extra;
        bool set;
    } const cases[] = {
        {0, 0, 0, false}, {1, 0, 0, true}, {0, 2, 0, true}, {0, 0, 0xFFFFFFFE, true}, {3, 0, 0, true},
    };
    for (const Case& c : cases) {
        ErrorInfo e;
        e.SetText(u"/old");
        EXPECT_EQ(e.Set(c.category, c.code, c.extra, nullptr), c.set) << c.category << "," << c.code << "," << c.extra;
        EXPECT_EQ(e.IsSet(), c.set);
        EXPECT_EQ(e.GetText(), nullptr);  // a null text clears the held one
    }
}

TEST(ErrorInfoTest, SetWithAllZeroKeepsTheTextAndReturnsFalse) {
    ErrorInfo e;
    e.Set(1, 5, 0, u"/data/a.txt");
    const char16_t* held = e.GetText();
    EXPECT_FALSE(e.Set(0, 0, 0, held));  // handing back the held text keeps it
    ASSERT_NE(e.GetText(), nullptr);
    EXPECT_EQ(CString(e.GetText()), CString(u"/data/a.txt"));
    EXPECT_FALSE(e.Set(0, 0, 0, u"/kept"));  // a success record still carries its text
    EXPECT_FALSE(e.IsSet());
    EXPECT_EQ(CString(e.GetText()), CString(u"/kept"));
    EXPECT_FALSE(e.SetText(u"/other"));
    EXPECT_EQ(CString(e.GetText()), CString(u"/other"));
}

TEST(ErrorInfoTest, SetStampsTheCurrentTime) {
    ErrorInfo e;
    e.time = kOldTime;
    e.Set(2, 6, 0, u"x");
    EXPECT_NE(e.time, kOldTime);
    EXPECT_GE(e.time.year, 2024);
}

TEST(ErrorInfoTest, CopyKeepsTheSourceTime) {
    ErrorInfo source;
    source.Set(1, 3, -4, u"/missing/dir");
    source.time = kOldTime;

    ErrorInfo assigned;
    assigned.Set(2, 7, 0, u"other");
    assigned = source;
    const ErrorInfo constructed(source);

    for (const ErrorInfo* copy : {static_cast<const ErrorInfo*>(&assigned), &constructed}) {
        EXPECT_EQ(copy->time, kOldTime);
        EXPECT_EQ(copy->category, 1u);
        EXPECT_EQ(copy->code, 3u);
        EXPECT_EQ(copy->extra, std::uint32_t(-4));
        ASSERT_NE(copy->GetText(), nullptr);
        EXPECT_NE(copy->GetText(), source.GetText());  // an own copy of the text
        EXPECT_EQ(CString(copy->GetText()), CString(u"/missing/dir"));
    }
}

TEST(ErrorInfoTest, CopyOfAnEmptyRecordClearsText) {
    ErrorInfo empty;
    ErrorInfo e;
    e.Set(1, 2, 0, u"text");
    e = empty;
    EXPECT_FALSE(e.IsSet());
    EXPECT_EQ(e.GetText(), nullptr);
}

TEST(ErrorInfoTest, SelfAssignmentChangesNothing) {
    ErrorInfo e;
    e.Set(2, 4, 1, u"/profile.kem");
    e.time = kOldTime;
    const char16_t* text = e.GetText();
    ErrorInfo& alias = e;
    e = alias;
    EXPECT_EQ(e.time, kOldTime);
    EXPECT_EQ(e.category, 2u);
    EXPECT_EQ(e.code, 4u);
    EXPECT_EQ(e.extra, 1u);
    EXPECT_EQ(e.GetText(), text);
    EXPECT_EQ(CString(e.GetText()), CString(u"/profile.kem"));
}

}  // namespace
