#include "app/file_logger.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/core/cstring_stream.h"
#include "tests/engine/support/kit.h"
#include "tests/support/temp_dir.h"

namespace {

const char kHeader35[] = "WrapAroundEnd=";
const std::string kTitle = "Wendelkast 8.00 - Log\n";
const std::string kLocal = "Time is expressed in Local Time.\n";
const std::string kUtc = "Time is expressed in Universal Coordinated Time (UTC).\n";

// The text behind the 35-byte header of the file name in dir.
std::string Body(const TempDir& dir, const std::string& name) {
    const std::string bytes = dir.ReadFile(name);
    EXPECT_EQ(bytes.substr(0, 14), kHeader35);
    return bytes.size() >= 35 ? bytes.substr(35) : std::string();
}

ErrorInfo Fixed(std::uint32_t category, std::uint32_t code, std::int32_t kind, const char16_t* text) {
    ErrorInfo e;
    e.Set(category, code, static_cast<std::uint32_t>(kind), text);
    e.time = SystemTime{2026, 3, 4, 5, 7, 8, 9, 12};
    return e;
}

class FileLoggerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetWorstSeverity();
        logger.AddView(&sink);
    }
    void TearDown() override { ResetWorstSeverity(); }
    TempDir dir;
    const std::string path = "app.log";  // in dir
    kit::LogCollector sink;
    CFileLogger logger;
};

TEST_F(FileLoggerTest, OpenWritesTitleAndTimeZoneAndTellsOnlyTheSinks) {
    ASSERT_TRUE(logger.Open(dir.CPath("app.log"), false, 0, false));
    EXPECT_TRUE(logger.IsOpen());
    EXPECT_EQ(logger.GetFileName(), dir.CPath("app.log"));
    EXPECT_EQ(Body(dir, path), kTitle + kLocal);
    ASSERT_EQ(sink.entries.size(), 1u);
    EXPECT_EQ(sink.entries[0].code, 1052u);
    EXPECT_EQ(static_cast<std::int32_t>(sink.entries[0].extra), LOG_KIND_STARTED);
    EXPECT_EQ(CString(sink.entries[0].GetText()), dir.CPath("app.log"));
    EXPECT_FALSE(logger.Open(dir.CPath("other.log"), false, 0, false));   // open already
    EXPECT_EQ(logger.GetFileName(), dir.CPath("app.log"));
}

TEST_F(FileLoggerTest, EntriesBecomeLinesWithMarkers) {
    ASSERT_TRUE(logger.Open(dir.CPath("app.log"), true, 0, false));
    logger.LogRecord(Fixed(0, 1052, LOG_KIND_INFORMATION, u"x"));
    logger.LogRecord(Fixed(0, 1052, LOG_KIND_WARNING, nullptr));
    logger.LogRecord(Fixed(2, 1, 0, u"/r/"));
    EXPECT_EQ(Body(dir, path), kTitle + kUtc +
                              "  2026-03-05 07:08:09.012 [00,01052,-2]: \"x\", Log to file.\n"
                              "! 2026-03-05 07:08:09.012 [00,01052,-3]: Log to file.\n"
                              "E 2026-03-05 07:08:09.012 [02,00001,00]: /r/ -  - Can't find directory.\n");
    // The sinks render through the logger's FormatEntry the same way.
    EXPECT_EQ(sink.Text(sink.entries.size() - 1),
              u"2026-03-05 07:08:09.012 [02,00001,00]: /r/ -  - Can't find directory.");
    EXPECT_EQ(WorstSeverity(), 2);
}

TEST_F(FileLoggerTest, SwitchingUtcWritesTheTimeZoneLineAgain) {
    ASSERT_TRUE(logger.Open(dir.CPath("app.log"), false, 0, false));
    logger.SetUTC(false);   // unchanged: no line
    logger.SetUTC(true);
    logger.SetUTC(true);
    logger.SetUTC(false);
    EXPECT_EQ(Body(dir, path), kTitle + kLocal + kUtc + kLocal);
    EXPECT_EQ(sink.utcCalls, (std::vector<bool>{false, true, true, false}));
}

TEST_F(FileLoggerTest, CloseTellsTheSinksAndReopeningContinues) {
    logger.Close();   // nothing open: nothing happens
    EXPECT_TRUE(sink.entries.empty());
    ASSERT_TRUE(logger.Open(dir.CPath("app.log"), true, 0, false));
    logger.LogRecord(Fixed(0, 0, LOG_KIND_TEXT, u"first run"));
    logger.Close();
    EXPECT_FALSE(logger.IsOpen());
    EXPECT_TRUE(logger.GetFileName().IsEmpty());
    ASSERT_EQ(sink.entries.size(), 3u);   // started, the text, finished
    EXPECT_EQ(sink.entries[2].code, 1052u);
    EXPECT_EQ(static_cast<std::int32_t>(sink.entries[2].extra), LOG_KIND_FINISHED);
    EXPECT_EQ(CString(sink.entries[2].GetText()), dir.CPath("app.log"));
    const std::string firstRun = kTitle + kUtc + "  2026-03-05 07:08:09.012 [00,00000,-5]: first run.\n";
    EXPECT_EQ(Body(dir, path), firstRun);

    ASSERT_TRUE(logger.Open(dir.CPath("app.log"), true, 0, false));
    EXPECT_EQ(Body(dir, path), firstRun + kTitle + kUtc);
    logger.Close();
    ASSERT_TRUE(logger.Open(dir.CPath("app.log"), true, 0, true));   // truncate
    EXPECT_EQ(Body(dir, path), kTitle + kUtc);
}

TEST_F(FileLoggerTest, OpenFailuresWarnWith1412) {
    dir.WriteFile("foreign.txt", "not a log\n");
    CFileLogger holder;
    ASSERT_TRUE(holder.Open(dir.CPath("held.log"), false, 0, false));
    const struct {
        const char* name;
        CString pattern;
        CString reported;
    } cases[] = {
        {"foreign file", dir.CPath("foreign.txt"), dir.CPath("foreign.txt")},
        {"second writer", dir.CPath("held.log"), dir.CPath("held.log")},
        {"missing directory", dir.CPath("none/app.log"), dir.CPath("none/app.log")},
        {"empty pattern", CString(), CString()},
    };
    for (const auto& c : cases) {
        ResetWorstSeverity();
        sink.Clear();
        EXPECT_FALSE(logger.Open(c.pattern, false, 0, false)) << c.name;
        EXPECT_FALSE(logger.IsOpen()) << c.name;
        ASSERT_EQ(sink.entries.size(), 1u) << c.name;
        EXPECT_EQ(sink.entries[0].code, 1412u) << c.name;
        EXPECT_EQ(static_cast<std::int32_t>(sink.entries[0].extra), LOG_KIND_WARNING) << c.name;
        EXPECT_EQ(CString(sink.entries[0].GetText()), c.reported) << c.name;
        EXPECT_EQ(WorstSeverity(), 1) << c.name;
    }
    EXPECT_EQ(dir.ReadFile("foreign.txt"), "not a log\n");
}

TEST_F(FileLoggerTest, ThePatternIsExpandedOverTheLocalDate) {
    ASSERT_TRUE(logger.Open(dir.CPath("log-%Y%%.txt"), false, 0, false));
    const SystemTime now = UtcToLocal(GetSystemTimeUtc());
    const std::string expected = "log-" + std::to_string(now.year) + "%.txt";
    EXPECT_EQ(logger.GetFileName(), dir.CPath(expected));
    EXPECT_EQ(Body(dir, expected), kTitle + kLocal);
}

}  // namespace
