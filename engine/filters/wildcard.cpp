#include "engine/filters/wildcard.h"

#include <string>

#include "platform/core/text_convert.h"

namespace {

std::u32string Prepare(std::u16string_view s, bool ignoreCase) {
    std::u32string out = ToUtf32KeepSurrogates(s);
    if (ignoreCase) {
        for (char32_t& c : out) c = UpperCaseCodePoint(c);
    }
    return out;
}

}  // namespace

// The matcher walks text and pattern once, remembering only the last '*' met. When a
// literal fails, the last '*' takes one more character and matching resumes behind it.
// Going back to an earlier '*' is never needed: whatever an earlier star could still
// absorb, the last one can absorb as well, since '*' matches every run. So this gives
// exactly the results of trying every split recursively, without its exponential cost.
bool WildcardMatch(std::u16string_view pattern16, std::u16string_view text16, bool ignoreCase) {
    const std::u32string pattern = Prepare(pattern16, ignoreCase);
    const std::u32string text = Prepare(text16, ignoreCase);

    std::size_t p = 0;
    std::size_t t = 0;
    std::size_t starPattern = std::u32string::npos;  // position after the last '*'
    std::size_t starText = 0;                         // text position that star resumes from
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == U'*') {
            starPattern = ++p;
            starText = t;
        } else if (p < pattern.size() && pattern[p] == text[t]) {
            ++p;
            ++t;
        } else if (starPattern != std::u32string::npos) {
            p = starPattern;
            t = ++starText;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == U'*') ++p;
    return p == pattern.size();
}
