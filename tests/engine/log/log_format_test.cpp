#include "engine/log/log_format.h"

#include <gtest/gtest.h>

#include "platform/core/cstring_stream.h"

#include <cstdlib>
#include <ctime>

#include "engine/log/logger.h"

namespace {

const SystemTime kTime{2026, 3, 4, 5, 7, 8, 9, 12};   // 2026-03-05 07:08:09.012 UTC

ErrorInfo Entry(std::uint32_t category, std::uint32_t code, std::int32_t kind, const char16_t* text) {
    ErrorInfo e;
    e.Set(category, code, static_cast<std::uint32_t>(kind), text);
    e.time = kTime;
    return e;
}

TEST(LogFormat, LinesAreByteExact) {
    const struct {
        ErrorInfo entry;
        const char16_t* line;
    } cases[] = {
        {Entry(0, 1052, LOG_KIND_INFORMATION, u"x"), u"  2026-03-05 07:08:09.012 [00,01052,-2]: \"x\", Log to file.\n"},
        {Entry(0, 1052, LOG_KIND_STARTED, u"x"), u"  2026-03-05 07:08:09.012 [00,01052,-1]: \"x\", 'Log to file' started.\n"},
        {Entry(0, 1052, LOG_KIND_FINISHED, u"x"), u"  2026-03-05 07:08:09.012 [00,01052,00]: \"x\", 'Log to file' finished.\n"},
        {Entry(0, 1001, LOG_KIND_CANCELLED, u"p.kem"),
         u"E 2026-03-05 07:08:09.012 [00,01001,01]: \"p.kem\", 'Synchronize' cancelled.\n"},
        {Entry(0, 1001, LOG_KIND_FINISHED_WITH_ERRORS, nullptr),
         u"E 2026-03-05 07:08:09.012 [00,01001,02]: 'Synchronize' finished with errors.\n"},
        {Entry(0, 1052, LOG_KIND_WARNING, nullptr), u"! 2026-03-05 07:08:09.012 [00,01052,-3]: Log to file.\n"},
        {Entry(0, 1052, LOG_KIND_ERROR, u""), u"E 2026-03-05 07:08:09.012 [00,01052,-4]: Log to file.\n"},
        {Entry(0, 0, LOG_KIND_TEXT, u"abc"), u"  2026-03-05 07:08:09.012 [00,00000,-5]: abc.\n"},
        {Entry(0, 0, LOG_KIND_TEXT, u"abc."), u"  2026-03-05 07:08:09.012 [00,00000,-5]: abc.\n"},
        {Entry(0, 0, LOG_KIND_WARNING_TEXT, u"careful"), u"! 2026-03-05 07:08:09.012 [00,00000,-6]: careful.\n"},
        {Entry(0, 0, LOG_KIND_TEXT, nullptr), u"  2026-03-05 07:08:09.012 [00,00000,-5]: \n"},
        {Entry(0, 1052, 7, nullptr), u"  2026-03-05 07:08:09.012 [00,01052,07]: \n"},   // unknown kind
        {Entry(1, 5, 0, u"/a/b"), u"E 2026-03-05 07:08:09.012 [01,00005,00]: /a/b -  - Access is denied.\n"},
        {Entry(2, 1, 0, u"/r/"), u"E 2026-03-05 07:08:09.012 [02,00001,00]: /r/ -  - Can't find directory.\n"},
        {Entry(2, 4, 0, nullptr),
         u"E 2026-03-05 07:08:09.012 [02,00004,00]: Try to extract data failed, the document seems to be corrupted. - "
         u"Possibly it is not an Wendelkast document.\n"},
        {Entry(3, 0, 0, nullptr), u"E 2026-03-05 07:08:09.012 [03,00000,00]: Procedure was cancelled bei user request.\n"},
        {Entry(2, 77, 0, nullptr), u"E 2026-03-05 07:08:09.012 [02,00077,00]: Unknown error (category 2, code 77).\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatLogLine(c.entry, true), CString(c.line));
}

TEST(LogFormat, NamesCannotForgeLines) {
    const struct {
        std::u16string text;
        std::u16string message;
    } cases[] = {
        {u"a\nE 2026-01-01 fake", u"a\u240AE 2026-01-01 fake."},
        {u"tab\there\r", u"tab\u2409here\u240D."},
        {u"soh\u0001esc\u001Bdel\u007F", u"soh\u2401esc\u241Bdel\u2421."},
        {u"c1\u009Bsep\u2028", u"c1\uFFFDsep\uFFFD."},
        {std::u16string(u"bad") + char16_t(0xDC80) + u"byte", u"bad\uFFFDbyte."},
        {std::u16string(u"pair ") + char16_t(0xD83D) + char16_t(0xDE00), std::u16string(u"pair ") + char16_t(0xD83D) + char16_t(0xDE00) + u"."},
        {std::u16string(u"high ") + char16_t(0xD83D), u"high \uFFFD."},
        {u"C:\\dir/name", u"C:\\dir/name."},
    };
    for (const auto& c : cases) {
        ErrorInfo e = Entry(0, 0, LOG_KIND_TEXT, nullptr);
        e.SetText(CString(c.text));
        const CString entry = FormatLogEntry(e, true);
        EXPECT_EQ(entry.Mid(entry.Find(u"]: ") + 3), CString(c.message)) << CString(c.text);
    }
    // An argument text in front of a string's text is made safe too.
    ErrorInfo e = Entry(0, 1052, LOG_KIND_INFORMATION, u"x\ny");
    const CString entry = FormatLogEntry(e, true);
    EXPECT_EQ(entry.Mid(entry.Find(u"]: ") + 3), CString(u"\"x\u240Ay\", Log to file."));
}

// Local time follows the zone's rules of each entry's own date.
TEST(LogFormat, LocalTimeByTheRulesOfEachDate) {
    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    tzset();
    ErrorInfo winter = Entry(0, 0, LOG_KIND_TEXT, u"w");
    winter.time = SystemTime{2026, 1, 4, 15, 12, 0, 0, 5};
    ErrorInfo summer = Entry(0, 0, LOG_KIND_TEXT, u"s");
    summer.time = SystemTime{2026, 7, 3, 15, 12, 0, 0, 5};
    EXPECT_EQ(FormatLogEntry(winter, false), u"2026-01-15 13:00:00.005 [00,00000,-5]: w.");
    EXPECT_EQ(FormatLogEntry(summer, false), u"2026-07-15 14:00:00.005 [00,00000,-5]: s.");
    EXPECT_EQ(FormatLogEntry(summer, true), u"2026-07-15 12:00:00.005 [00,00000,-5]: s.");
    if (old) setenv("TZ", saved.c_str(), 1);
    else unsetenv("TZ");
    tzset();
}

}  // namespace
