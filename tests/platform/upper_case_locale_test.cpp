// Upper-casing must not depend on the process locale: a profile written by a cron job
// under LANG=C and read by a desktop session under tr_TR.UTF-8 must match the same names.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "platform/core/cstring.h"
#include "platform/core/text_convert.h"

namespace {

TEST(UpperCase, IsTheSameUnderEveryLocale) {
    // i and dotless i, dotted capital I, sharp s (no simple mapping), a title-case digraph,
    // Greek final sigma, a character beyond the BMP and a lone surrogate (an escaped byte).
    const std::u16string in = u"istanbul \u0131\u0130 stra\u00DFe \u01C6 \u03C2 \U00010428 \xDCE9";
    const std::u16string expected = u"ISTANBUL I\u0130 STRA\u00DFE \u01C4 \u03A3 \U00010400 \xDCE9";
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    for (const char* locale : {"C", "C.UTF-8", "tr_TR.UTF-8"}) {
        SCOPED_TRACE(locale);
        // A missing locale fails: the install script generates every one of them.
        ASSERT_NE(nullptr, std::setlocale(LC_ALL, locale)) << "locale " << locale << " is not installed";
        EXPECT_EQ(expected, UpperCase(in));
        EXPECT_EQ(expected, CString::ToUpper(in).str());
    }
    std::setlocale(LC_ALL, saved.c_str());
}

}  // namespace
