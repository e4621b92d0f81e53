// What both progress dialogs share: the bars' positions, the batch line and fitting a path into
// its line.
#include "ui/progress_dialog.h"

#include <gtest/gtest.h>

namespace {

TEST(ProgressBarPosition, ScalesTo65535In64BitsAndNeverDividesByZero) {
    constexpr std::uint64_t kGiB = 1ull << 30;
    struct Case {
        std::uint64_t done, total;
        int position;
    };
    for (const Case& c : {
             Case{0, 0, 0},                              // nothing to do
             Case{7, 0, 0},                              // a total of 0 stands at 0
             Case{0, 10, 0},
             Case{5, 10, 32767},
             Case{10, 10, 65535},
             Case{11, 10, 65535},                        // done beyond the total
             Case{kGiB * 5 / 2, kGiB * 5 + 1, 32767},    // half of a 5 GiB item (size plus one)
             Case{kGiB * 5, kGiB * 5 + 1, 65534},
             Case{UINT64_MAX / 2, UINT64_MAX, 32767},    // done x 65535 beyond 64 bits
         }) {
        SCOPED_TRACE(testing::Message() << c.done << " of " << c.total);
        EXPECT_EQ(BarPosition(c.done, c.total), c.position);
    }
}

TEST(ProgressBatchLine, ShowsThePositionFromOneOnlyWithACount) {
    const BatchPosition second{1, 3};
    const BatchPosition none{0, 0};
    EXPECT_EQ(BatchLineText(&second), u"Batch: 2/3");
    EXPECT_EQ(BatchLineText(&none), u"");
    EXPECT_EQ(BatchLineText(nullptr), u"");
}

// Every character 10 pixels wide.
int FixedWidth(std::u16string_view text) { return static_cast<int>(text.size()) * 10; }

TEST(ProgressPathFitting, KeepsWhatFitsElseTheLastComponentsBehindAnEllipsis) {
    struct Case {
        const char16_t* path;
        int room;
        const char16_t* shown;
    };
    for (const Case& c : {
             Case{u"/a/b.txt", 80, u"/a/b.txt"},               // fits exactly
             Case{u"/home/user/docs/file.txt", 200, u"...docs/file.txt"},
             Case{u"/home/user/docs/file.txt", 110, u"...file.txt"},
             Case{u"/home/user/docs/file.txt", 100, u"...e.txt"},  // the last name cut: 8 x 70 / 80 - 2
             Case{u"averyveryverylongname", 100, u"...gname"},  // no separator: 21 x 70 / 210 - 2
             Case{u"averyveryverylongname", 40, u"..."},       // nothing of it left
             Case{u"/a/b.txt", 0, u"..."},
             Case{u"/a/b.txt", -1, u""},                       // room below zero
             Case{u"/evil\nfrom /forged", 400, u"/evil\uFFFDfrom /forged"},  // no line break
         }) {
        SCOPED_TRACE(testing::Message() << CString(c.path).ToUtf8() << " in " << c.room);
        EXPECT_EQ(FitPathToWidth(c.path, c.room, FixedWidth), CString(c.shown));
    }
}

TEST(ProgressPathFitting, NeverCutsASurrogatePairInHalf) {
    // "x" and four emoji (two code units each): 9 units, 90 pixels.
    const CString path(u"x\U0001F600\U0001F600\U0001F600\U0001F600");
    const CString shown = FitPathToWidth(path, 80, FixedWidth);  // keeps 9 x 50 / 90 - 2 = 3 units
    ASSERT_GE(shown.view().size(), 4u);
    EXPECT_EQ(shown.view().substr(0, 3), u"...");
    EXPECT_FALSE(shown.view()[3] >= 0xDC00 && shown.view()[3] <= 0xDFFF);
    EXPECT_EQ(shown, CString(u"...\U0001F600"));
}

}  // namespace
