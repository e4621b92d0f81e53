#include "engine/filters/protection_rule.h"

#include <boost/regex/icu.hpp>
#include <string>

#include "engine/filters/filter_entry.h"
#include "engine/filters/wildcard.h"
#include "platform/core/text_convert.h"

// The expressions run over UTF-32 through the ICU traits: the UTF-16 interface would
// throw on the lone surrogates that stand for the non-UTF-8 bytes of file names, and
// the wide-character regex types fold case by the process locale, so a run from cron
// and one from the desktop could decide differently. ICU's case folding is the same
// everywhere.
struct ProtectionRule::Compiled {
    boost::u32regex expression;
};

void ProtectionRule::Set(const CString& pattern, std::uint32_t flags) {
    compiled_.reset();
    pattern_ = pattern;
    const std::uint32_t taken = EXCLUSION | ACTIVE | MATCH_ICASE | MATCH_REGEX;
    flags_ = (flags_ & MATCH_FILE) | ((flags | MATCH_ICASE) & taken);
    if ((flags_ & MATCH_REGEX) == 0) return;

    const std::u32string text = ToUtf32KeepSurrogates(pattern_.view());
    boost::regex_constants::syntax_option_type options = boost::regex_constants::perl;
    if (flags_ & MATCH_ICASE) options = options | boost::regex_constants::icase;
    try {
        auto compiled = std::make_shared<Compiled>();
        const auto* first = reinterpret_cast<const UChar32*>(text.data());
        compiled->expression = boost::make_u32regex(first, first + text.size(), options);
        compiled_ = std::move(compiled);
    } catch (const std::exception&) {
        // Not an error: the rule is matched as a wildcard pattern on its text.
    }
}

bool ProtectionRule::SetActive(bool active) {
    const std::uint32_t next = active ? (flags_ | ACTIVE) : (flags_ & ~std::uint32_t(ACTIVE));
    if (next == flags_) return false;
    flags_ = next;
    return true;
}

ProtectionRule::MatchResult ProtectionRule::MatchChecked(const CString& path) const {
    if (!compiled_) {
        return WildcardMatch(pattern_.view(), path.view(), (flags_ & MATCH_ICASE) != 0) ? MatchResult::Match
                                                                                        : MatchResult::NoMatch;
    }
    const std::u32string text = ToUtf32KeepSurrogates(path.view());
    const auto* first = reinterpret_cast<const UChar32*>(text.data());
    try {
        const bool found = boost::u32regex_search(first, first + text.size(), compiled_->expression,
                                                  boost::match_default | boost::match_continuous);
        return found ? MatchResult::Match : MatchResult::NoMatch;
    } catch (const std::exception&) {
        return MatchResult::Failed;
    }
}

CString ProtectionRule::Format() const {
    auto bit = [this](std::uint32_t b) { return char16_t((flags_ & b) ? u'1' : u'0'); };
    return CString::Format(u"EXCLUSION:%c,ACTIVE:%c,MATCH_ICASE:%c,MATCH_FILE:%c,MATCH_REGEX:%c \"%s\"",
                           bit(EXCLUSION), bit(ACTIVE), bit(MATCH_ICASE), bit(MATCH_FILE), bit(MATCH_REGEX),
                           pattern_);
}

FilterEntry InitFilterEntry(ProtectionRule& rule) {
    FilterEntry entry;
    entry.state = FILTER_ENTRY_TAKEN;
    entry.pattern = rule.GetPattern();
    entry.flags = rule.GetFlags();
    entry.rule = &rule;
    return entry;
}

bool IsFilterEntryActive(const FilterEntry& entry) { return entry.rule != nullptr && entry.rule->IsActive(); }
