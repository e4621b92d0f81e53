#include "resources/string_table.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "resources/checked_format.h"
#include "resources/resource_set.h"
#include "resources/string_ids.h"

namespace {

// Reads a resource text that holds only strings; the errors of a text without a name
// are "line N: reason".
bool ParseStrings(std::string_view text, StringTable& out, std::string& error) {
    ResourceSet set;
    const bool ok = set.Parse(text, "", nullptr, error);
    out = set.Strings();
    return ok;
}

std::string ReadSourceTable() {
    std::ifstream in(WK_SOURCE_DIR "/resources/strings.txt", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(StringTable, TheSourceTableParsesAndIsTheCompiledOne) {
    const std::string text = ReadSourceTable();
    ASSERT_FALSE(text.empty());
    StringTable parsed;
    std::string error;
    ASSERT_TRUE(ParseStrings(text, parsed, error)) << error;
    EXPECT_EQ(parsed.Entries(), BuiltinStrings().Entries());
}

TEST(StringTable, BuiltinTextsAreExact) {
    const struct {
        std::uint32_t id;
        const char16_t* text;
    } cases[] = {
        {IDS_LOG_TEMPLATES, u"'%s' started\n%s\n'%s' finished\n'%s' cancelled\n'%s' finished with errors"},
        {IDS_LOG_TO_FILE, u"Log to file"},
        {IDS_CANCELLED_BY_USER, u"Procedure was cancelled bei user request."},
        {IDS_ERR_BAD_SIGNATURE,
         u"Try to extract data failed, the document seems to be corrupted.\nPossibly it is not an Wendelkast document."},
        {IDS_OS_MESSAGE_DETAILS, u"%s\n\nOperating System Message (%i):\n%s"},
        {IDS_ERR_NESTED_ROOTS, u"The base directories must not be the same or lie inside each other."},
        {IDS_APP_TITLE, u"Wendelkast 8.00"},
        {12345, u""},  // unknown id
    };
    for (const auto& c : cases) EXPECT_EQ(LoadString(c.id), CString(c.text)) << c.id;
}

TEST(StringTable, ParsesTheFormat) {
    const std::string text =
        "\xEF\xBB\xBF# comment\r\n"
        "\n"
        "   # indented comment\n"
        "1\t\"plain\"\r\n"
        "2\t\t\"esc \\\"q\\\" \\\\ \\n\\r\\t\\u00e4\\uDC80\"  \n"
        "3 \"utf-8 \xC3\xA4 stays\"\n"
        "4\t\"\"";
    StringTable t;
    std::string error;
    ASSERT_TRUE(ParseStrings(text, t, error)) << error;
    ASSERT_EQ(t.Entries().size(), 4u);
    EXPECT_EQ(*t.Find(1), u"plain");
    EXPECT_EQ(*t.Find(2), std::u16string(u"esc \"q\" \\ \n\r\t\u00e4") + char16_t(0xDC80));
    EXPECT_EQ(*t.Find(3), u"utf-8 \u00e4 stays");
    EXPECT_EQ(*t.Find(4), u"");
    EXPECT_EQ(t.Find(5), nullptr);
}

TEST(StringTable, RejectsBadLines) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"x\t\"a\"", "line 1: unknown keyword 'x'"},
        {"99999999999\t\"a\"", "line 1: the id is too large"},
        {"1\"a\"", "line 1: the id is not followed by a tab"},
        {"1\ta", "line 1: the text does not begin with a double quote"},
        {"1\t\"a", "line 1: the text has no closing double quote"},
        {"1\t\"a\" b", "line 1: text after the closing double quote"},
        {"1\t\"a\\q\"", "line 1: unknown escape \\q"},
        {"1\t\"a\\u12\"", "line 1: \\u needs four hexadecimal digits"},
        {"1\t\"a\\", "line 1: an escape at the end of the line"},
        {"# c\n1\t\"\xFF\"", "line 2: the line is not valid UTF-8"},
        {"1\t\"a\"\n1\t\"b\"", "line 2: id 1 is given twice"},
    };
    for (const auto& c : cases) {
        StringTable t;
        std::string error;
        EXPECT_FALSE(ParseStrings(c.text, t, error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
        EXPECT_TRUE(t.Entries().empty());
    }
}

class LanguageTable : public ::testing::Test {
protected:
    void Install(const char* text) {
        auto set = std::make_shared<ResourceSet>();
        std::string error;
        ASSERT_TRUE(set->Parse(text, "", nullptr, error)) << error;
        SetLanguageResources(set);
    }
    void TearDown() override { SetLanguageResources(nullptr); }
};

TEST_F(LanguageTable, ReplacesTextsAndFallsBackToBuiltin) {
    Install("1052\t\"Protokoll in Datei\"");
    EXPECT_EQ(LoadString(IDS_LOG_TO_FILE), u"Protokoll in Datei");
    EXPECT_EQ(LoadBuiltinString(IDS_LOG_TO_FILE), u"Log to file");
    EXPECT_EQ(LoadString(IDS_LOG), u"Log");   // not in the language table
    SetLanguageResources(nullptr);
    EXPECT_EQ(LoadString(IDS_LOG_TO_FILE), u"Log to file");
}

TEST_F(LanguageTable, TemplatesWithOtherPlaceholdersAreNotUsed) {
    const struct {
        const char* language;
        const char16_t* expected;
    } cases[] = {
        {"1104\t\"%s speichern?\"", u"a.kem speichern?"},        // same placeholders
        {"1104\t\"%i speichern?\"", u"Save profile changes to a.kem?"},   // number for a text
        {"1104\t\"%s %s speichern?\"", u"Save profile changes to a.kem?"}, // one too many
        {"1104\t\"speichern?\"", u"Save profile changes to a.kem?"},       // none
        {"1104\t\"%*s speichern?\"", u"Save profile changes to a.kem?"},   // reads a width argument
    };
    for (const auto& c : cases) {
        Install(c.language);
        EXPECT_EQ(FormatStringId(IDS_SAVE_PROFILE_CHANGES, u"a.kem"), CString(c.expected)) << c.language;
    }
}

TEST_F(LanguageTable, LinesAreCheckedOneByOne) {
    Install("160\t\"'%s' gestartet\\n%s\\n'%s' beendet\\n%i\\n'%s' mit Fehlern\"");
    std::vector<CString> lines = LoadTemplateLines(IDS_LOG_TEMPLATES);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], u"'%s' gestartet");
    EXPECT_EQ(lines[3], u"'%s' cancelled");   // "%i" where a text goes: built-in line
    EXPECT_EQ(lines[4], u"'%s' mit Fehlern");

    Install("160\t\"'%s' gestartet\\n%s\"");   // too few lines: all built-in
    lines = LoadTemplateLines(IDS_LOG_TEMPLATES);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], u"'%s' started");
}

}  // namespace
