#include "engine/filters/protection_rule.h"

#include <gtest/gtest.h>

#include <clocale>
#include <random>
#include <string>

#include "engine/filters/wildcard.h"

namespace {

CString U(const char* utf8) { return CString::FromUtf8(utf8); }

// The matcher as it is defined: after a '*', the rest of the pattern is tried at every
// following position. Exponential, but the reference for the fast matcher.
bool RecursiveMatch(std::u16string_view p, std::u16string_view t) {
    if (p.empty()) return t.empty();
    if (p[0] == u'*') {
        for (std::size_t i = 0; i <= t.size(); ++i)
            if (RecursiveMatch(p.substr(1), t.substr(i))) return true;
        return false;
    }
    return !t.empty() && p[0] == t[0] && RecursiveMatch(p.substr(1), t.substr(1));
}

struct MatchCase {
    const char* pattern;
    std::uint32_t flags;
    const char* path;
    bool expected;
};

TEST(ProtectionRuleTest, MatchesWildcardsAndExpressions) {
    const std::uint32_t RX = ProtectionRule::MATCH_REGEX;
    const MatchCase cases[] = {
        // Wildcards: whole path, '*' spans separators, case folded.
        {"*.tmp", 0, "A\\B.TMP", true},
        {"*.tmp", 0, "A\\B.TMP.BAK", false},
        {"A*", 0, "ABC", true},
        {"A*", 0, "A\\X\\Y", true},
        {"AB", 0, "ABC", false},
        {"", 0, "", true},
        {"", 0, "A", false},
        {"*", 0, "", true},
        {"**", 0, "X", true},
        {"A*B*C", 0, "AXBYC", true},
        {"A*B", 0, "AB", true},
        {"A*B", 0, "ABA", false},
        {"?", 0, "X", false},  // no single-character wildcard
        {"\xc3\xa9t\xc3\xa9", 0, "\xc3\x89T\xc3\x89", true},
        // Expressions: the match begins at the first character, need not reach the end.
        {"B", RX, "B\\C", true},
        {"B", RX, "A\\B", false},
        {"B$", RX, "B\\C", false},
        {"a\\\\.*\\.txt", RX, "A\\SUB\\X.TXT", true},
        {"\xc3\xa9", RX, "\xc3\x89", true},
        // Patterns that do not compile are matched as wildcard patterns.
        {"*.TMP", RX, "X.TMP", true},
        {"*.TMP", RX, "X.TMPX", false},
        {"A[", RX, "A[", true},
        {"A[", RX, "A[X", false},
        // A name with a byte that is not UTF-8 (kept as U+DCFF).
        {"A.\\.TXT", RX, "A\xff.TXT", true},
        {"A\\x{DCFF}", RX, "A\xff.TXT", true},
        {"*\xff*", 0, "A\xff.TXT", true},
    };
    for (const MatchCase& c : cases) {
        ProtectionRule rule(U(c.pattern), c.flags);
        EXPECT_EQ(rule.Match(U(c.path)), c.expected) << c.pattern << " on " << c.path;
    }
}

TEST(ProtectionRuleTest, CompileFailureLeavesNoExpression) {
    EXPECT_TRUE(ProtectionRule(u"A+", ProtectionRule::MATCH_REGEX).HasCompiledExpression());
    EXPECT_FALSE(ProtectionRule(u"A[", ProtectionRule::MATCH_REGEX).HasCompiledExpression());
    EXPECT_FALSE(ProtectionRule(u"A+", 0).HasCompiledExpression());
    // A copy shares the expression and matches the same.
    ProtectionRule rule(u"X+Y", ProtectionRule::MATCH_REGEX);
    ProtectionRule copy(rule);
    EXPECT_TRUE(copy.Match(u"XXY\\Z"));
    EXPECT_EQ(copy.GetFlags(), rule.GetFlags());
}

TEST(ProtectionRuleTest, SearchFailureIsReported) {
    // Nested repetition on a long subject exceeds the matcher's complexity bound.
    ProtectionRule rule(u"(A+A+)+B", ProtectionRule::MATCH_REGEX);
    ASSERT_TRUE(rule.HasCompiledExpression());
    const CString path(std::u16string(60, u'A'));
    EXPECT_EQ(rule.MatchChecked(path), ProtectionRule::MatchResult::Failed);
    EXPECT_FALSE(rule.Match(path));
}

TEST(ProtectionRuleTest, SetKeepsMatchFileAndAlwaysFoldsCase) {
    ProtectionRule rule;
    rule.Set(u"X", ProtectionRule::MATCH_FILE | ProtectionRule::ACTIVE);
    EXPECT_EQ(rule.GetFlags(), ProtectionRule::ACTIVE | ProtectionRule::MATCH_ICASE);  // MATCH_FILE not taken
    rule.SetFlagsRaw(ProtectionRule::MATCH_FILE);
    rule.Set(u"Y", ProtectionRule::EXCLUSION | ProtectionRule::MATCH_REGEX);
    EXPECT_EQ(rule.GetFlags(), ProtectionRule::MATCH_FILE | ProtectionRule::EXCLUSION | ProtectionRule::MATCH_ICASE |
                                   ProtectionRule::MATCH_REGEX);
    EXPECT_TRUE(rule.SetActive(true));
    EXPECT_FALSE(rule.SetActive(true));
    EXPECT_TRUE(rule.SetActive(false));
    EXPECT_FALSE(rule.IsActive());
}

TEST(ProtectionRuleTest, Format) {
    ProtectionRule rule(u"*.TMP", ProtectionRule::ACTIVE | ProtectionRule::EXCLUSION);
    EXPECT_EQ(rule.Format(), CString(u"EXCLUSION:1,ACTIVE:1,MATCH_ICASE:1,MATCH_FILE:0,MATCH_REGEX:0 \"*.TMP\""));
    ProtectionRule regex(u"A\\\\B", ProtectionRule::MATCH_REGEX);
    EXPECT_EQ(regex.Format(), CString(u"EXCLUSION:0,ACTIVE:0,MATCH_ICASE:1,MATCH_FILE:0,MATCH_REGEX:1 \"A\\\\B\""));
}

TEST(ProtectionRuleTest, CaseFoldingDoesNotDependOnTheLocale) {
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    const CString path = U("\xc3\x89T\xc3\x89\\\xc3\x84.TXT");  // upper-cased as the tree stores it
    bool results[2][2];
    const char* locales[] = {"C", "C.UTF-8"};
    for (int i = 0; i < 2; ++i) {
        ASSERT_NE(std::setlocale(LC_ALL, locales[i]), nullptr);
        results[i][0] = ProtectionRule(U("\xc3\xa9t\xc3\xa9\\*"), 0).Match(path);
        results[i][1] = ProtectionRule(U("\xc3\xa9t\xc3\xa9\\\\\xc3\xa4"), ProtectionRule::MATCH_REGEX).Match(path);
    }
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_TRUE(results[0][0] && results[0][1]);
    EXPECT_TRUE(results[1][0] && results[1][1]);
}

TEST(WildcardTest, SameResultsAsTheRecursiveDefinition) {
    std::mt19937 random(7);
    const char16_t alphabet[] = {u'A', u'B', u'*'};
    for (int n = 0; n < 20000; ++n) {
        std::u16string pattern, text;
        const int pl = random() % 7, tl = random() % 8;
        for (int i = 0; i < pl; ++i) pattern += alphabet[random() % 3];
        for (int i = 0; i < tl; ++i) text += alphabet[random() % 2];
        ASSERT_EQ(WildcardMatch(pattern, text, false), RecursiveMatch(pattern, text))
            << "pattern \"" << CString(pattern).ToUtf8() << "\" text \"" << CString(text).ToUtf8() << "\"";
    }
}

TEST(WildcardTest, ManyStarsOnALongTextFinish) {
    // Exponential in the recursive form; must come back at once here.
    const std::u16string text(20000, u'A');
    EXPECT_FALSE(WildcardMatch(u"*A*A*A*A*A*A*B", text, true));
    EXPECT_TRUE(WildcardMatch(u"*A*A*A*A*A*A*", text, true));
}

}  // namespace
