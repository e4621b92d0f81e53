#include "engine/format/rule_streams.h"

#include <gtest/gtest.h>

#include "engine/filters/protection_rule.h"
#include "engine/format/binary_stream.h"
#include "platform/core/cstring_stream.h"
#include "tests/engine/support/byte_builder.h"

namespace {

using kit::ByteBuilder;

TEST(RuleStreams, RuleIsPatternThenFlags) {
    const ProtectionRule rule(u"*.TMP", ProtectionRule::ACTIVE | ProtectionRule::EXCLUSION);
    MemoryWriter w;
    ASSERT_TRUE(rule.Write(w));
    EXPECT_EQ(w.Bytes(), ByteBuilder().Wide(u"*.TMP").U32(0x1C).str());
}

TEST(RuleStreams, ReadKeepsEveryStoredFlagAndCompiles) {
    struct Case {
        const char* what;
        std::string bytes;
        std::uint32_t version;
        std::u16string pattern;
        std::uint32_t flags;
        bool compiled;
    } cases[] = {
        {"match file kept", ByteBuilder().Wide(u"A*").U32(0x0E).str(), 3, u"A*", 0x0E, false},
        {"case bit always set", ByteBuilder().Wide(u"B").U32(0x08).str(), 3, u"B", 0x0C, false},
        {"expression compiled", ByteBuilder().Wide(u"^X.*").U32(0x0D).str(), 3, u"^X.*", 0x0D, true},
        {"narrow pattern", ByteBuilder().Narrow("\xc4*").U32(0x0C).str(), 2, u"\u00c4*", 0x0C, false},
        {"narrow pattern, format 1", ByteBuilder().Narrow("\x80").U32(0x1E).str(), 1, u"\u20ac", 0x1E, false},
    };
    for (const auto& c : cases) {
        ProtectionRule rule;
        MemoryReader r(c.bytes);
        ASSERT_TRUE(rule.Read(r, c.version)) << c.what;
        EXPECT_EQ(rule.GetPattern(), CString(c.pattern)) << c.what;
        EXPECT_EQ(rule.GetFlags(), c.flags) << c.what;
        EXPECT_EQ(rule.HasCompiledExpression(), c.compiled) << c.what;
        EXPECT_EQ(r.Remaining(), 0u) << c.what;
    }
}

TEST(RuleStreams, CountBeyondTheRestFails) {
    const std::string bytes = ByteBuilder().U32(3).Wide(u"A").U32(0).str();  // room for two rules at most
    MemoryReader r(bytes);
    std::uint32_t count = 0;
    EXPECT_FALSE(ReadRuleCount(r, count));
    EXPECT_TRUE(r.fail());
    const std::string ok = ByteBuilder().U32(1).Wide(u"A").U32(0).str();
    MemoryReader r2(ok);
    EXPECT_TRUE(ReadRuleCount(r2, count));
    EXPECT_EQ(count, 1u);
}

TEST(RuleStreams, CutRuleFails) {
    const std::string bytes = ByteBuilder().Wide(u"A").U32(0).str();
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        const std::string cut = bytes.substr(0, n);
        ProtectionRule rule;
        MemoryReader r(cut);
        EXPECT_FALSE(rule.Read(r, 3)) << n;
    }
}

}  // namespace
