// The box's contents before it is shown: the standard button sets with their default and
// escape buttons, icons and sounds of the type values, captions of added buttons, and the
// message from the string table or a format.
#include <gtest/gtest.h>

#include <vector>

#include "controls/msgbox/ecx_msg_box.h"

namespace {

std::vector<std::uint32_t> Ids(const CTcxMsgBox& box) {
    std::vector<std::uint32_t> ids;
    for (const BTNDATA& b : box.GetButtons()) ids.push_back(b.id);
    return ids;
}

}  // namespace

TEST(EcxMsgBoxTest, StandardButtonSetsWithTheirDefaultAndEscapeButtons) {
    struct Case {
        std::uint32_t type;
        std::vector<std::uint32_t> ids;
        int defaultId;
        int escapeId;
    } cases[] = {
        {0x0, {1}, 1, 1},
        {0x1, {1, 2}, 1, 2},
        {0x2, {3, 4, 5}, 3, -1},
        {0x3, {6, 7, 2}, 6, 2},
        {0x4, {6, 7}, 6, -1},
        {0x5, {4, 2}, 4, 2},
        {0x6, {1}, 1, 1},  // values without a set of their own are OK
        {0xF, {1}, 1, 1},
        {0x234, {6, 7}, 6, -1},  // icon and default-button bits do not change the set
    };
    for (const Case& c : cases) {
        CEcxMsgBox box(nullptr);
        box.AddButton(4097, true, true, u"a&ll");  // removed by the set
        box.SetMsgButtons(c.type);
        EXPECT_EQ(Ids(box), c.ids) << "type " << c.type;
        EXPECT_EQ(box.GetDefaultButton(), c.defaultId) << "type " << c.type;
        EXPECT_EQ(box.GetEscapeButton(), c.escapeId) << "type " << c.type;
    }
    CEcxMsgBox box(nullptr);
    box.SetMsgButtons(0x3);
    std::vector<std::u16string> captions;
    for (const BTNDATA& b : box.GetButtons()) captions.push_back(b.caption.str());
    EXPECT_EQ(captions, (std::vector<std::u16string>{u"&Yes", u"&No", u"&Cancel"}));
}

TEST(EcxMsgBoxTest, IconBitsChooseTheIconAndTheSound) {
    struct Case {
        std::uint32_t type;
        std::uint32_t icon;
        std::uint32_t sound;
    } cases[] = {
        {0x10, 32513, 0x10}, {0x20, 32514, 0x20}, {0x30, 32515, 0x30}, {0x40, 32516, 0x40},
        {0x50, 191, 0x40},   {0x60, 178, 0x40},   {0x70, 0, 0x70},     {0xF0, 0, 0xF0},
    };
    for (const Case& c : cases) {
        CEcxMsgBox box(nullptr);
        box.SetMsgButtons(c.type | 0x1);
        EXPECT_EQ(box.GetIconId(), c.icon) << "type " << c.type;
        EXPECT_EQ(box.GetBeepSound(), c.sound) << "type " << c.type;
    }
    // Without icon bits the icon and sound stay as they were.
    CEcxMsgBox box(nullptr);
    box.SetMsgButtons(0x30);
    box.SetMsgButtons(0x4);
    EXPECT_EQ(box.GetIconId(), 32515u);
    EXPECT_EQ(box.GetBeepSound(), 0x30u);
}

TEST(EcxMsgBoxTest, AddedButtonsTakeTheirCaptionsFromTheStringTable) {
    CEcxMsgBox box(nullptr);
    box.AddButton(4095, false, false, 1504);
    box.AddButton(1504, true, false);           // the caption of the button's own id
    box.AddButton(4103, false, true, 999999);    // no such string: an empty caption
    box.AddButton(4102, false, false, CString(u"Yes to &all"));
    ASSERT_EQ(box.GetButtons().size(), 4u);
    EXPECT_EQ(box.GetButtons()[0].caption.str(), u"&More...");
    EXPECT_EQ(box.GetButtons()[1].caption.str(), u"&More...");
    EXPECT_TRUE(box.GetButtons()[2].caption.IsEmpty());
    EXPECT_EQ(box.GetButtons()[3].caption.str(), u"Yes to &all");
    EXPECT_EQ(box.GetDefaultButton(), 1504);
    EXPECT_EQ(box.GetEscapeButton(), 4103);
    // A later default overrides the earlier one.
    box.AddButton(1, true, false);
    EXPECT_EQ(box.GetDefaultButton(), 1);
}

TEST(EcxMsgBoxTest, MessageFromAStringOrAFormatWhichSetsTheHelpId) {
    CEcxMsgBox box(nullptr);
    box.SetMsgText(1400);
    EXPECT_EQ(box.GetMsgText().str(), u"Can't find directory.");
    box.SetMsgText(999999);  // a missing string leaves the text
    EXPECT_EQ(box.GetMsgText().str(), u"Can't find directory.");
    EXPECT_EQ(box.GetHelpID(), 0u);

    EXPECT_TRUE(box.FormatMsg(1104, CString(u"a.kem")));
    EXPECT_EQ(box.GetMsgText().str(), u"Save profile changes to a.kem?");
    EXPECT_EQ(box.GetHelpID(), 1104u);
    EXPECT_FALSE(box.FormatMsg(999999, CString(u"x")));  // unchanged
    EXPECT_EQ(box.GetMsgText().str(), u"Save profile changes to a.kem?");
    EXPECT_EQ(box.GetHelpID(), 1104u);
}
