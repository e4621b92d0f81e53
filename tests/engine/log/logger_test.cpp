#include "engine/log/logger.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/engine/support/kit.h"

namespace {

ErrorInfo Entry(std::uint32_t category, std::uint32_t code, std::int32_t kind) {
    ErrorInfo e;
    e.Set(category, code, static_cast<std::uint32_t>(kind), nullptr);
    return e;
}

TEST(LogSeverity, WorstSeverityOfSequences) {
    const ErrorInfo warning = Entry(0, 1052, LOG_KIND_WARNING);
    const ErrorInfo warningText = Entry(0, 0, LOG_KIND_WARNING_TEXT);
    const ErrorInfo error = Entry(0, 1052, LOG_KIND_ERROR);
    const ErrorInfo info = Entry(0, 1052, LOG_KIND_INFORMATION);
    const struct {
        const char* name;
        std::vector<ErrorInfo> entries;
        int worst;
    } cases[] = {
        {"nothing", {}, 0},
        {"plain kinds", {info, Entry(0, 1, LOG_KIND_STARTED), Entry(0, 1, LOG_KIND_FINISHED), Entry(0, 0, LOG_KIND_TEXT)}, 0},
        {"warning", {warning}, 1},
        {"warning text", {warningText}, 1},
        {"warning then error", {warning, error}, 2},
        {"error then warning", {error, warning}, 2},
        {"cancelled run", {Entry(0, 1001, LOG_KIND_CANCELLED)}, 2},
        {"run with errors", {Entry(0, 1001, LOG_KIND_FINISHED_WITH_ERRORS)}, 2},
        {"os error", {Entry(1, 5, 0)}, 2},
        {"cancel record", {Entry(3, 0, 0)}, 2},
        // A warning kind outside category 0 is an error, never a warning.
        {"program error with a warning kind", {Entry(2, 1, LOG_KIND_WARNING)}, 2},
        {"unknown kind", {Entry(0, 1, 7)}, 0},
    };
    for (const auto& c : cases) {
        ResetWorstSeverity();
        CLogger logger;
        for (const ErrorInfo& e : c.entries) logger.LogRecord(e);
        EXPECT_EQ(WorstSeverity(), c.worst) << c.name;
    }
    ResetWorstSeverity();
}

TEST(LogSeverity, EntryClasses) {
    const struct {
        ErrorInfo entry;
        bool error, warning;
    } cases[] = {
        {Entry(0, 1, LOG_KIND_ERROR), true, false},     {Entry(0, 1, LOG_KIND_CANCELLED), true, false},
        {Entry(0, 1, LOG_KIND_FINISHED_WITH_ERRORS), true, false},
        {Entry(0, 1, LOG_KIND_WARNING), false, true},   {Entry(0, 0, LOG_KIND_WARNING_TEXT), false, true},
        {Entry(1, 2, LOG_KIND_WARNING), true, false},   {Entry(0, 1, LOG_KIND_INFORMATION), false, false},
        {Entry(0, 1, LOG_KIND_FINISHED), false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsErrorEntry(c.entry), c.error) << c.entry.category << "," << int(c.entry.extra);
        EXPECT_EQ(IsWarningEntry(c.entry), c.warning) << c.entry.category << "," << int(c.entry.extra);
    }
}

TEST(Logger, EntryPointsBuildCategoryZeroEntries) {
    CLogger logger;
    kit::LogCollector view;
    logger.AddView(&view);
    const SystemTime before = GetSystemTimeUtc();
    logger.LogStart(1, u"a");
    logger.Log(2, LOG_KIND_FINISHED_WITH_ERRORS, u"b");
    logger.LogText(u"c");
    logger.LogInfo(4, u"d");
    logger.LogWarningText(u"e");
    logger.LogWarning(6, u"f");
    logger.LogError(8, u"h");
    logger.LogInfo(9);   // no argument text
    ErrorInfo record;
    record.Set(2, 6, 0, u"g");
    record.time = SystemTime{2001, 2, 0, 3, 4, 5, 6, 7};
    logger.LogRecord(record);

    const struct {
        std::uint32_t code;
        std::int32_t kind;
        const char16_t* text;
    } expected[] = {
        {1, LOG_KIND_STARTED, u"a"}, {2, LOG_KIND_FINISHED_WITH_ERRORS, u"b"}, {0, LOG_KIND_TEXT, u"c"},
        {4, LOG_KIND_INFORMATION, u"d"}, {0, LOG_KIND_WARNING_TEXT, u"e"}, {6, LOG_KIND_WARNING, u"f"},
        {8, LOG_KIND_ERROR, u"h"}, {9, LOG_KIND_INFORMATION, u""},
    };
    ASSERT_EQ(view.entries.size(), std::size(expected) + 1);
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const ErrorInfo& e = view.entries[i];
        EXPECT_EQ(view.senders[i], &logger);
        EXPECT_EQ(e.category, 0u) << i;
        EXPECT_EQ(e.code, expected[i].code) << i;
        EXPECT_EQ(static_cast<std::int32_t>(e.extra), expected[i].kind) << i;
        EXPECT_EQ(CString(e.GetText()), CString(expected[i].text)) << i;
        EXPECT_GE(e.time.year, before.year) << i;
    }
    // The caller's record arrives unchanged, its time included.
    const ErrorInfo& last = view.entries.back();
    EXPECT_EQ(last.category, 2u);
    EXPECT_EQ(last.code, 6u);
    EXPECT_EQ(last.time, record.time);
    ResetWorstSeverity();
}

TEST(Logger, SinksInOrderDuplicatesAndRemoval) {
    std::vector<std::string> calls;
    struct Named : CLogView {
        Named(std::vector<std::string>& c, std::string n) : calls(c), name(std::move(n)) {}
        void Receive(CLogger*, const ErrorInfo&) override { calls.push_back(name); }
        void SetUTC(bool utc) override { calls.push_back(name + (utc ? "+utc" : "-utc")); }
        std::vector<std::string>& calls;
        std::string name;
    } a(calls, "a"), b(calls, "b");
    CLogger logger;
    logger.AddView(&a);
    logger.AddView(&b);
    logger.AddView(&a);
    logger.AddView(nullptr);
    logger.LogText(u"x");
    logger.SetUTC(true);
    EXPECT_THAT(calls, ::testing::ElementsAre("a", "b", "a", "a+utc", "b+utc", "a+utc"));
    calls.clear();
    logger.RemoveView(&a);   // every occurrence
    logger.LogText(u"y");
    logger.SetUTC(false);
    EXPECT_THAT(calls, ::testing::ElementsAre("b", "b-utc"));
}

TEST(Logger, BaseFormatEntryIsEmpty) {
    CLogger logger;
    EXPECT_TRUE(logger.FormatEntry(Entry(0, 1052, LOG_KIND_INFORMATION), false).IsEmpty());
}

TEST(Logger, SinkMayRemoveItselfAndLogFromReceive) {
    struct SelfRemoving : CLogView {
        void Receive(CLogger* sender, const ErrorInfo& entry) override {
            ++calls;
            if (entry.extra == static_cast<std::uint32_t>(LOG_KIND_TEXT)) {
                sender->RemoveView(this);
                sender->LogInfo(1);   // reaches the other sink only
            }
        }
        void SetUTC(bool) override {}
        int calls = 0;
    } self;
    kit::LogCollector other;
    CLogger logger;
    logger.AddView(&self);
    logger.AddView(&other);
    logger.LogText(u"remove yourself");
    logger.LogText(u"again");
    EXPECT_EQ(self.calls, 1);
    ASSERT_EQ(other.entries.size(), 3u);
    EXPECT_EQ(other.entries[0].extra, static_cast<std::uint32_t>(LOG_KIND_INFORMATION));
}

}  // namespace
