#include "engine/log/error_text.h"

#include <gtest/gtest.h>

#include "platform/core/cstring_stream.h"

#include "engine/log/captions.h"
#include "engine/log/message_type.h"

namespace {

ErrorInfo Record(std::uint32_t category, std::uint32_t code, const char16_t* text = nullptr) {
    ErrorInfo e;
    e.Set(category, code, 0, text);
    return e;
}

TEST(ErrorText, EveryCategoryAndCode) {
    const struct {
        std::uint32_t category, code;
        const char16_t* text;
        const char16_t* expected;
        std::uint32_t id;
    } cases[] = {
        {0, 0, nullptr, u"Successful finished.", 1201},
        {0, 1052, u"p", u"p\n\nSuccessful finished.", 1201},
        {1, 2, nullptr, u"The system cannot find the file specified.", 0},
        {1, 5, u"/a/f", u"/a/f\n\nAccess is denied.", 0},
        {1, 99999, nullptr, u"Unknown system error 99999.", 0},
        {2, 1, u"/r/", u"/r/\n\nCan't find directory.", 1400},
        {2, 2, nullptr, u"Directory is not empty.", 1401},
        {2, 3, nullptr, u"Path name contains to many characters.", 1402},
        {2, 4, nullptr,
         u"Try to extract data failed, the document seems to be corrupted.\nPossibly it is not an Wendelkast document.", 1403},
        {2, 5, nullptr, u"The document has a data format of an unsupported, higher program version.", 1404},
        {2, 6, nullptr, u"Failure on read/write operation.", 1406},
        {2, 7, nullptr, u"The document has a bad format.", 1405},
        {2, 8, nullptr, u"Pre-/post- processing routine finished with a bad exit code.", 1414},
        {2, 9, nullptr, u"The base directories must not be the same or lie inside each other.", 1415},
        {2, 0, nullptr, u"Unknown error (category 2, code 0).", 1416},
        {2, 10, u"/r/f", u"/r/f\n\nThe entry was changed after the scan and was left as it is. Please scan again.", 1417},
        {2, 11, u"x", u"x\n\nUnknown error (category 2, code 11).", 1416},
        {3, 0, nullptr, u"Procedure was cancelled bei user request.", 1200},
        {3, 0, u"", u"Procedure was cancelled bei user request.", 1200},   // an empty text is none
        {4, 1, nullptr, u"Unknown error (category 4, code 1).", 1416},
    };
    for (const auto& c : cases) {
        std::uint32_t id = 12345;
        EXPECT_EQ(FormatErrorText(Record(c.category, c.code, c.text), &id), CString(c.expected))
            << c.category << "/" << c.code;
        EXPECT_EQ(id, c.id) << c.category << "/" << c.code;
    }
    EXPECT_EQ(FormatErrorText(Record(2, 2)), u"Directory is not empty.");   // no id wanted
}

// The details carry the record's whole text (its path and message), not the path alone.
TEST(ErrorText, SystemErrorDetails) {
    EXPECT_EQ(FormatSystemErrorDetails(Record(1, 5, u"/a/f")),
              u"/a/f\n\nAccess is denied.\n\nOperating System Message (5):\nAccess is denied.");
    EXPECT_EQ(FormatSystemErrorDetails(Record(1, 112)),
              u"There is not enough space on the disk.\n\nOperating System Message (112):\n"
              u"There is not enough space on the disk.");
}

TEST(Captions, JoinedWithTheApplicationTitle) {
    const struct {
        CString got;
        const char16_t* expected;
    } cases[] = {
        {JoinCaption(u"", u""), u"Wendelkast 8.00"},
        {JoinCaption(u"A", u""), u"A"},
        {JoinCaption(u"", u"B"), u"B"},
        {JoinCaption(u"A", u"B"), u"A - B"},
        {JoinCaptionIds(1001, 1042), u"Synchronize - Log"},
        {JoinCaptionIds(57344, 12345), u"Wendelkast 8.00"},   // unknown id: empty
        {JoinCaptionIdText(1000, u"p.kem"), u"Scan directories - p.kem"},
        {CaptionFromId(0), u"Wendelkast 8.00"},
        {CaptionFromId(1042), u"Wendelkast 8.00 - Log"},
        {CaptionFromText(nullptr), u"Wendelkast 8.00"},
        {CaptionFromText(u"Doc"), u"Wendelkast 8.00 - Doc"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, CString(c.expected));
}

TEST(MessageType, ForAllButtonsByTypeWord) {
    auto ids = [](std::uint32_t type) {
        std::vector<std::pair<std::uint32_t, std::uint32_t>> r;
        for (const ForAllButton& b : ForAllButtons(type)) r.emplace_back(b.id, b.textId);
        return r;
    };
    using V = std::vector<std::pair<std::uint32_t, std::uint32_t>>;
    EXPECT_EQ(ids(0x00000004), V{});
    EXPECT_EQ(ids(0x01000000), (V{{4097, 1508}}));
    EXPECT_EQ(ids(0x02000004), (V{{4102, 1502}}));
    EXPECT_EQ(ids(0x03C00004), (V{{4102, 1502}, {4103, 1503}}));
    EXPECT_EQ(ids(0x04000003), (V{{4102, 1500}, {4103, 1501}}));
    EXPECT_EQ(ids(0x05000002), (V{{4101, 1507}}));
    EXPECT_EQ(ids(0x06000000), V{});
    EXPECT_EQ(RememberKey(0x00400004, 1109), 1109u);
    EXPECT_EQ(RememberKey(0x00800004, 1109), 0u);
}

}  // namespace
