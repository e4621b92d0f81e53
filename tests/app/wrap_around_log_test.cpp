#include "app/wrap_around_log.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include "platform/core/win_error.h"
#include "tests/support/temp_dir.h"

namespace {

std::string Header(std::uint64_t end) {
    char h[64];
    std::snprintf(h, sizeof h, "WrapAroundEnd=%020llu\n", static_cast<unsigned long long>(end));
    return h;
}

// A line of exactly 100 bytes: 99 copies of a letter and a line feed.
std::string Line(int n) { return std::string(99, char('A' + n % 26)) + "\n"; }
std::u16string Text(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

class WrapAroundLogTest : public ::testing::Test {
protected:
    TempDir dir;
    const std::string path = "app.log";  // in dir
    CString cpath = dir.CPath("app.log");
    WrapAroundLog log;
};

TEST_F(WrapAroundLogTest, NewFileStartsWithTheHeaderAndKeepsItCurrent) {
    ASSERT_TRUE(log.Open(cpath, 0, false));
    EXPECT_EQ(dir.ReadFile(path), "WrapAroundEnd=00000000000000000035\n");
    ASSERT_TRUE(log.Write(u"abc\n"));
    // Current after every write, not only at Close.
    EXPECT_EQ(dir.ReadFile(path), Header(39) + "abc\n");
    ASSERT_TRUE(log.Write(u"\u00e4\U0001F600\n"));
    EXPECT_EQ(dir.ReadFile(path), Header(46) + "abc\n\xC3\xA4\xF0\x9F\x98\x80\n");
    EXPECT_FALSE(log.Write(u""));
    EXPECT_TRUE(log.Close());
    EXPECT_FALSE(log.Write(u"closed"));
    EXPECT_EQ(dir.ReadFile(path), Header(46) + "abc\n\xC3\xA4\xF0\x9F\x98\x80\n");
}

TEST_F(WrapAroundLogTest, LoneSurrogatesBecomeReplacementCharacters) {
    ASSERT_TRUE(log.Open(cpath, 0, false));
    ASSERT_TRUE(log.Write(std::u16string(u"a") + char16_t(0xDC80) + u"b"));
    EXPECT_EQ(dir.ReadFile(path).substr(35), "a\xEF\xBF\xBD" "b");
}

// Limit 1000, lines of 100 bytes: nine lines fill 35..935; the tenth wraps, the file is
// cut behind the ninth line, and writing goes on at offset 35 over the oldest line.
TEST_F(WrapAroundLogTest, WrapsAtTheLimit) {
    ASSERT_TRUE(log.Open(cpath, 1000, false));
    const struct {
        std::uint64_t end, size;
    } after[] = {
        {135, 135}, {235, 235}, {335, 335}, {435, 435}, {535, 535}, {635, 635}, {735, 735}, {835, 835},
        {935, 935},   // line 9: 935 + 100 would pass 1000
        {135, 935},   // line 10 at 35
        {235, 935}, {335, 935}, {435, 935}, {535, 935}, {635, 935}, {735, 935}, {835, 935}, {935, 935},
        {135, 935},   // line 19 wraps again; nothing behind 935 to cut
    };
    for (int i = 0; i < int(std::size(after)); ++i) {
        ASSERT_TRUE(log.Write(Text(Line(i + 1))));
        const std::string bytes = dir.ReadFile(path);
        EXPECT_EQ(bytes.substr(0, 35), Header(after[i].end)) << "line " << i + 1;
        EXPECT_EQ(bytes.size(), after[i].size) << "line " << i + 1;
    }
    // Newest first behind the header (line 19), then the older pass (lines 11-18).
    std::string expected = Header(135) + Line(19);
    for (int n = 11; n <= 18; ++n) expected += Line(n);
    EXPECT_EQ(dir.ReadFile(path), expected);
}

TEST_F(WrapAroundLogTest, ALineThatCanNeverFitIsCutWithAMarker) {
    const struct {
        std::u16string text;
        std::uint32_t limit;
        std::string stored;   // behind the header
    } cases[] = {
        {Text(std::string(200, 'x') + "\n"), 100, std::string(59, 'x') + "[...]\n"},
        {Text(std::string(200, 'x')), 100, std::string(60, 'x') + "[...]"},
        // Never inside a UTF-8 sequence: 40 two-byte letters, 59 bytes of room.
        {std::u16string(40, u'\u00e4') + u"\n", 100, [] {
             std::string s;
             for (int i = 0; i < 29; ++i) s += "\xC3\xA4";
             return s + "[...]\n";
         }()},
        {Text(std::string(65, 'y')), 100, std::string(65, 'y')},   // fits exactly
        {Text("no room at all"), 41, ""},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(log.Open(cpath, c.limit, true));
        ASSERT_TRUE(log.Write(c.text));
        const std::string bytes = dir.ReadFile(path);
        EXPECT_EQ(bytes.substr(35), c.stored) << c.limit;
        EXPECT_LE(bytes.size(), c.limit) << c.limit;
        EXPECT_EQ(bytes.substr(0, 35), Header(35 + c.stored.size()));
    }
}

TEST_F(WrapAroundLogTest, ReopeningContinuesAtTheHeadersEnd) {
    const std::string old = std::string(465, 'n') + std::string(300, 'o');   // header names 500 of 800
    dir.WriteFile(path, Header(500) + old);
    ASSERT_TRUE(log.Open(cpath, 0, false));
    EXPECT_EQ(log.GetWritePosition(), 500u);
    ASSERT_TRUE(log.Write(u"XY"));
    EXPECT_EQ(dir.ReadFile(path), Header(502) + std::string(465, 'n') + "XY" + std::string(298, 'o'));
}

TEST_F(WrapAroundLogTest, HeaderVariants) {
    const struct {
        const char* name;
        std::string content;
        std::uint64_t position;      // where writing continues
        std::string headerAfter;     // the first bytes after Open
    } cases[] = {
        {"empty file", "", 35, Header(35)},
        {"short header with blanks and CR LF", "WrapAroundEnd=  40\r\n" + std::string(30, 't'), 40,
         "WrapAroundEnd=  40\r\n"},
        {"end equal to the size", Header(40) + "01234", 40, Header(40)},
        {"end beyond the size", Header(41) + "01234", 40, Header(40)},
        {"end inside the header", Header(10) + "01234", 40, Header(40)},
        {"number too large for 64 bits", "WrapAroundEnd=99999999999999999999\n" + std::string(10, 't'), 45, Header(45)},
    };
    for (const auto& c : cases) {
        dir.WriteFile(path, c.content);
        ASSERT_TRUE(log.Open(cpath, 0, false)) << c.name;
        EXPECT_EQ(log.GetWritePosition(), c.position) << c.name;
        EXPECT_EQ(dir.ReadFile(path).substr(0, c.headerAfter.size()), c.headerAfter) << c.name;
        log.Close();
    }
}

TEST_F(WrapAroundLogTest, TruncateEmptiesAFileWithAHeader) {
    dir.WriteFile(path, Header(60) + std::string(25, 'z'));
    ASSERT_TRUE(log.Open(cpath, 0, true));
    EXPECT_EQ(dir.ReadFile(path), Header(35));
    ASSERT_TRUE(log.Write(u"new\n"));
    EXPECT_EQ(dir.ReadFile(path), Header(39) + "new\n");
}

TEST_F(WrapAroundLogTest, AForeignFileIsNeverAdoptedOrOverwritten) {
    const std::string foreign = "my notes, not a log\n";
    for (bool truncate : {false, true}) {
        dir.WriteFile(path, foreign);
        EXPECT_FALSE(log.Open(cpath, 0, truncate));
        EXPECT_EQ(GetLastError(), win32::ERROR_INVALID_DATA);
        EXPECT_FALSE(log.IsOpen());
        EXPECT_EQ(dir.ReadFile(path), foreign);
    }
}

TEST_F(WrapAroundLogTest, OpenFailures) {
    WrapAroundLog second;
    ASSERT_TRUE(log.Open(cpath, 0, false));
    EXPECT_FALSE(second.Open(cpath, 0, false));   // another writer holds it
    EXPECT_EQ(GetLastError(), win32::ERROR_SHARING_VIOLATION);
    log.Close();
    EXPECT_TRUE(second.Open(cpath, 0, false));    // free again after Close

    WrapAroundLog other;
    EXPECT_FALSE(other.Open(dir.CPath(""), 0, false));   // a directory
    EXPECT_FALSE(other.Open(dir.CPath("missing/app.log"), 0, false));
    EXPECT_EQ(GetLastError(), win32::ERROR_PATH_NOT_FOUND);
}

// Lowering the limit below the newest text keeps that text: the ring wraps at the write
// position, and only the older text behind it goes.
TEST_F(WrapAroundLogTest, ALoweredLimitWrapsAtTheWritePosition) {
    ASSERT_TRUE(log.Open(cpath, 0, false));
    for (int n = 1; n <= 10; ++n) ASSERT_TRUE(log.Write(Text(Line(n))));
    ASSERT_TRUE(log.Close());
    ASSERT_TRUE(log.Open(cpath, 500, false));
    ASSERT_TRUE(log.Write(Text(Line(11))));
    std::string expected = Header(135) + Line(11);
    for (int n = 2; n <= 10; ++n) expected += Line(n);
    EXPECT_EQ(dir.ReadFile(path), expected);
    for (int n = 12; n <= 15; ++n) ASSERT_TRUE(log.Write(Text(Line(n))));
    // Line 15 wrapped: the file was cut behind line 14 and is within the limit again.
    expected = Header(135) + Line(15) + Line(12) + Line(13) + Line(14);
    EXPECT_EQ(dir.ReadFile(path), expected);
}

// A run killed without Close (no destructor, no flush) leaves a header that names its
// newest text, so the next run appends behind it instead of overwriting it.
TEST_F(WrapAroundLogTest, ARunKilledWithoutCloseKeepsItsText) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        WrapAroundLog dying;
        const bool ok = dying.Open(cpath, 0, false) && dying.Write(Text(Line(1))) && dying.Write(Text(Line(2)));
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    ASSERT_TRUE(log.Open(cpath, 0, false));
    ASSERT_TRUE(log.Write(Text(Line(3))));
    ASSERT_TRUE(log.Close());
    EXPECT_EQ(dir.ReadFile(path), Header(335) + Line(1) + Line(2) + Line(3));
}

}  // namespace
