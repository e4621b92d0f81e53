#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <functional>
#include <memory>
#include <vector>

#include "controls/tree/bar_tree_ctrl.h"
#include "platform/gui/qt_convert.h"
#include "platform/gui/system_metrics.h"
#include "tests/support/gui/screenshot.h"

namespace tree {
namespace {

// The owner of the tree: records every notification it is sent.
class Owner : public gui::Window {
public:
    struct Notice {
        int code = 0;
        HTREEITEM oldItem = nullptr;
        HTREEITEM newItem = nullptr;
        unsigned action = 0;
        unsigned key = 0;
        std::uint32_t newState = 0;
    };
    std::vector<Notice> notices;
    // Called with each notification's code and new item (an owner that edits the tree).
    std::function<void(int code, HTREEITEM item)> react;

    std::vector<int> Codes() const {
        std::vector<int> codes;
        for (const Notice& n : notices) codes.push_back(n.code);
        return codes;
    }

protected:
    bool OnNotify(int, gui::NMHDR& header, gui::LRESULT&) override {
        Notice n;
        n.code = header.code;
        if (header.code == TVN_KEYDOWN) {
            n.key = reinterpret_cast<NMTVKEYDOWN&>(header).wVKey;
        } else {
            auto& record = reinterpret_cast<NMTREEVIEW&>(header);
            n.oldItem = record.itemOld.hItem;
            n.newItem = record.itemNew.hItem;
            n.action = record.action;
            n.newState = record.itemNew.state;
        }
        notices.push_back(n);
        if (react) react(n.code, n.newItem);
        return true;
    }
};

// Three top-level items with two children each, all expanded:
//   a (a1, a2), b (b1, b2), c (c1, c2)
class TreeTest : public testing::Test {
protected:
    void SetUp() override {
        owner.resize(240, 320);
        Build();
        owner.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    }

    void Build() {
        delete tree;
        tops.clear();
        children.clear();
        tree = new CBarTreeCtrl(&owner, TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT);
        tree->setGeometry(0, 0, 240, 320);
        const char16_t* names[] = {u"a", u"b", u"c"};
        for (int i = 0; i < 3; ++i) {
            HTREEITEM top = tree->InsertItem(names[i]);
            tree->SetItemData(top, 100 + i);
            tops.push_back(top);
            for (int j = 1; j <= 2; ++j) {
                CString name = CString(names[i]) + (j == 1 ? u"1" : u"2");
                HTREEITEM child = tree->InsertItem(name, top);
                tree->SetItemData(child, 100 + 10 * (i + 1) + j);
                children.push_back(child);
            }
            tree->Expand(top, TVE_EXPAND);
        }
        tree->show();
    }

    // Visible order: a a1 a2 b b1 b2 c c1 c2.
    HTREEITEM Visible(int n) const {
        HTREEITEM item = tree->GetNextItem(nullptr, TVGN_ROOT);
        while (item && n-- > 0) item = tree->GetNextItem(item, TVGN_NEXTVISIBLE);
        return item;
    }

    QPoint LabelPoint(HTREEITEM item) const {
        gui::Rect r = tree->GetLabelRect(item);
        return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }

    void Press(HTREEITEM item, Qt::KeyboardModifiers mods = {}) {
        QTest::mousePress(tree->View()->viewport(), Qt::LeftButton, mods, LabelPoint(item));
    }
    void Release(HTREEITEM item, Qt::KeyboardModifiers mods = {}) {
        QTest::mouseRelease(tree->View()->viewport(), Qt::LeftButton, mods, LabelPoint(item));
    }
    void Click(HTREEITEM item, Qt::KeyboardModifiers mods = {}) {
        Press(item, mods);
        Release(item, mods);
    }
    void MoveWithButton(QPoint to) {
        QMouseEvent move(QEvent::MouseMove, to, tree->View()->viewport()->mapToGlobal(to), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(tree->View()->viewport(), &move);
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = {}) { QTest::keyClick(tree->View(), key, mods); }

    std::vector<HTREEITEM> Selected() const {
        std::vector<HTREEITEM> items;
        for (HTREEITEM i = tree->GetFirstSelectedItem(); i; i = tree->GetNextSelectedItem(i)) items.push_back(i);
        return items;
    }

    Owner owner;
    CBarTreeCtrl* tree = nullptr;
    std::vector<HTREEITEM> tops;
    std::vector<HTREEITEM> children;
};

TEST_F(TreeTest, ClicksSelectLikeAList) {
    struct Case {
        const char* what;
        std::vector<std::pair<int, Qt::KeyboardModifiers>> clicks;  // visible positions
        std::vector<int> selected;
        int caret;
    };
    const Case cases[] = {
        {"a plain click selects only the item", {{1, {}}, {4, {}}}, {4}, 4},
        {"Ctrl+click adds an item", {{1, {}}, {4, Qt::ControlModifier}}, {1, 4}, 4},
        {"Ctrl+click on a selected item deselects only it and keeps the caret",
         {{1, {}}, {4, Qt::ControlModifier}, {6, Qt::ControlModifier}, {4, Qt::ControlModifier}},
         {1, 6},
         6},
        {"Shift+click selects the visible range from the anchor", {{2, {}}, {5, Qt::ShiftModifier}}, {2, 3, 4, 5}, 5},
        {"Shift+click upward from the anchor", {{5, {}}, {1, Qt::ShiftModifier}}, {1, 2, 3, 4, 5}, 1},
        {"a second Shift+click keeps the anchor",
         {{3, {}}, {7, Qt::ShiftModifier}, {2, Qt::ShiftModifier}},
         {2, 3},
         2},
        {"Ctrl+click sets the anchor of a later Shift+click only when there is none",
         {{4, Qt::ControlModifier}, {6, Qt::ShiftModifier}},
         {4, 5, 6},
         6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Build();
        for (auto [at, mods] : c.clicks) Click(Visible(at), mods);
        std::vector<HTREEITEM> expected;
        for (int at : c.selected) expected.push_back(Visible(at));
        EXPECT_EQ(Selected(), expected);
        EXPECT_EQ(tree->GetSelectedCount(), static_cast<int>(expected.size()));
        EXPECT_EQ(tree->GetCaretItem(), Visible(c.caret));
    }
}

TEST_F(TreeTest, ShiftClickSelectsOnlyTheVisibleItemsOfTheRange) {
    Click(Visible(0));
    tree->Expand(tops[1], TVE_COLLAPSE);  // b1 and b2 are hidden now: a a1 a2 b c c1 c2
    Click(Visible(5), Qt::ShiftModifier);  // c1
    EXPECT_EQ(tree->GetSelectedCount(), 6);
    EXPECT_FALSE(tree->GetItemState(children[2], TVIS_SELECTED));
    EXPECT_FALSE(tree->GetItemState(children[3], TVIS_SELECTED));
}

TEST_F(TreeTest, ClicksNotifyTheOwner) {
    Click(Visible(1));
    owner.notices.clear();
    Click(Visible(4));
    ASSERT_EQ(owner.Codes(), (std::vector<int>{TVN_SELCHANGED}));
    EXPECT_EQ(owner.notices[0].oldItem, Visible(1));
    EXPECT_EQ(owner.notices[0].newItem, Visible(4));
    EXPECT_EQ(owner.notices[0].action, TVC_BYMOUSE);

    owner.notices.clear();
    Click(Visible(6), Qt::ControlModifier);
    ASSERT_EQ(owner.Codes(), (std::vector<int>{TVN_SELCHANGING, TVN_SELCHANGED}));
    EXPECT_EQ(owner.notices[0].newItem, Visible(6));
    EXPECT_EQ(owner.notices[0].newState & TVIS_SELECTED, 0u);  // sent before the change
}

TEST_F(TreeTest, DraggingOneOfSeveralSelectedItemsStartsOneDragAndKeepsTheSelection) {
    Click(Visible(1));
    Click(Visible(2), Qt::ControlModifier);
    Click(Visible(4), Qt::ControlModifier);
    owner.notices.clear();

    Press(Visible(2));
    EXPECT_EQ(tree->GetSelectedCount(), 3) << "a press on a selected item changes nothing yet";
    QPoint from = LabelPoint(Visible(2));
    MoveWithButton(from + QPoint(1, 1));  // within the drag distance
    EXPECT_TRUE(owner.notices.empty());
    MoveWithButton(from + QPoint(gui::GetSystemMetrics(gui::SM_CXDRAG) + 3, 0));
    MoveWithButton(from + QPoint(40, 20));
    Release(Visible(2));

    ASSERT_EQ(owner.Codes(), (std::vector<int>{TVN_BEGINDRAG}));
    EXPECT_EQ(owner.notices[0].newItem, Visible(2));
    EXPECT_EQ(owner.notices[0].newState & TVIS_SELECTED, TVIS_SELECTED);
    EXPECT_EQ(Selected(), (std::vector<HTREEITEM>{Visible(1), Visible(2), Visible(4)}));
}

TEST_F(TreeTest, ReleasingASelectedItemWithoutMovingSelectsOnlyIt) {
    Click(Visible(1));
    Click(Visible(3), Qt::ShiftModifier);
    Click(Visible(2));
    EXPECT_EQ(Selected(), (std::vector<HTREEITEM>{Visible(2)}));
}

TEST_F(TreeTest, DragStartIsRefusedWithDisabledDragDrop) {
    tree->SetStyle(tree->GetStyle() | TVS_DISABLEDRAGDROP);
    Click(Visible(1));
    owner.notices.clear();
    Press(Visible(1));
    MoveWithButton(LabelPoint(Visible(1)) + QPoint(40, 20));
    Release(Visible(1));
    EXPECT_TRUE(owner.notices.empty());
}

TEST_F(TreeTest, ASlowSecondClickOnTheCaretEditsTheLabelAndADoubleClickDoesNot) {
    QApplication::setDoubleClickInterval(40);
    tree->SetStyle(tree->GetStyle() | TVS_EDITLABELS);
    HTREEITEM item = Visible(4);
    Click(item);
    Click(item);
    EXPECT_FALSE(tree->IsEditingLabel()) << "no editing before the double-click time";
    QTest::qWait(120);
    QLineEdit* editor = tree->View()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(tree->IsEditingLabel());
    EXPECT_EQ(editor->text(), "b1");
    QTest::keyClick(editor, Qt::Key_Escape);
    ASSERT_FALSE(tree->IsEditingLabel());

    // Qt delivers a double click as press, release, press, double click, release.
    HTREEITEM other = Visible(7);
    Click(other);
    Click(other);
    QTest::mouseDClick(tree->View()->viewport(), Qt::LeftButton, {}, LabelPoint(other));
    QTest::qWait(120);
    EXPECT_FALSE(tree->IsEditingLabel()) << "a double click cancels the pending edit";
    QApplication::setDoubleClickInterval(400);
}

TEST_F(TreeTest, CollapsingABranchDeselectsItsHiddenItems) {
    Click(Visible(1));
    Click(Visible(3), Qt::ShiftModifier);  // a1 a2 b
    Click(Visible(4), Qt::ControlModifier);
    tree->Expand(tops[0], TVE_COLLAPSE);
    tree->Expand(tops[0], TVE_EXPAND);
    EXPECT_EQ(Selected(), (std::vector<HTREEITEM>{tops[1], children[2]}));
    // A click on the branch's button collapses it the same way.
    Click(children[3], Qt::ControlModifier);
    gui::Rect label = tree->GetLabelRect(tops[1]);
    QPoint button(label.left - tree->View()->indentation() / 2 - 3, (label.top + label.bottom) / 2);
    unsigned flags = 0;
    EXPECT_EQ(tree->HitTest(gui::FromQPoint(button), &flags), tops[1]);
    EXPECT_EQ(flags, TVHT_ONITEMBUTTON);
    QTest::mouseClick(tree->View()->viewport(), Qt::LeftButton, {}, button);
    EXPECT_FALSE(tree->GetItemState(tops[1], TVIS_EXPANDED));
    EXPECT_EQ(Selected(), (std::vector<HTREEITEM>{tops[1]}));
}

TEST_F(TreeTest, ShiftArrowsKeepTheSelectionExactlyTheRangeFromTheAnchor) {
    Click(Visible(1));
    for (int i = 0; i < 3; ++i) Key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(tree->GetSelectedCount(), 4);
    Key(Qt::Key_Up, Qt::ShiftModifier);
    Key(Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(Selected(), (std::vector<HTREEITEM>{Visible(1), Visible(2)}));
    EXPECT_EQ(tree->GetCaretItem(), Visible(2));
    // Past the anchor the range turns round.
    Key(Qt::Key_Up, Qt::ShiftModifier);
    Key(Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(Selected(), (std::vector<HTREEITEM>{Visible(0), Visible(1)}));
}

TEST_F(TreeTest, ArrowKeysMoveASingleSelectionAndShiftArrowsNotify) {
    Click(Visible(1));
    Click(Visible(3), Qt::ShiftModifier);
    Key(Qt::Key_Down);
    EXPECT_EQ(Selected(), (std::vector<HTREEITEM>{Visible(4)}));
    EXPECT_EQ(tree->GetAnchorItem(), Visible(4));
    owner.notices.clear();
    Key(Qt::Key_Down, Qt::ShiftModifier);
    ASSERT_EQ(owner.Codes(), (std::vector<int>{TVN_SELCHANGED, TVN_KEYDOWN}));
    EXPECT_EQ(owner.notices[0].newItem, Visible(5));
    EXPECT_EQ(owner.notices[1].key, VK_DOWN);
    Key(Qt::Key_PageDown, Qt::ShiftModifier);
    EXPECT_EQ(Selected().front(), Visible(4));
    EXPECT_EQ(Selected().back(), Visible(8));
}

TEST_F(TreeTest, RightClickMovesTheCaretOnlyWithFewerThanTwoSelected) {
    Click(Visible(1));
    QTest::mouseClick(tree->View()->viewport(), Qt::RightButton, {}, LabelPoint(Visible(5)));
    EXPECT_EQ(tree->GetCaretItem(), Visible(5));
    EXPECT_EQ(Selected(), (std::vector<HTREEITEM>{Visible(5)}));
    Click(Visible(6), Qt::ControlModifier);
    QTest::mouseClick(tree->View()->viewport(), Qt::RightButton, {}, LabelPoint(Visible(0)));
    EXPECT_EQ(tree->GetCaretItem(), Visible(6));
    EXPECT_EQ(tree->GetSelectedCount(), 2);
}

TEST_F(TreeTest, AClickBesideEveryItemClearsTheSelection) {
    Click(Visible(1));
    Click(Visible(2), Qt::ControlModifier);
    QTest::mouseClick(tree->View()->viewport(), Qt::LeftButton, {}, QPoint(200, 300));
    EXPECT_EQ(tree->GetSelectedCount(), 0);
}

// A deleted anchor used to be dereferenced by the next Shift+click; it is forgotten instead.
TEST_F(TreeTest, ADeletedAnchorIsForgottenBeforeTheNextShiftClick) {
    Click(children[0]);  // a1 is the anchor
    EXPECT_EQ(tree->GetAnchorItem(), children[0]);
    tree->DeleteItem(tops[0]);  // a with a1 and a2
    EXPECT_EQ(tree->GetAnchorItem(), nullptr);
    Click(children[4], Qt::ShiftModifier);  // c1: no anchor, no caret -> only c1
    EXPECT_EQ(Selected(), (std::vector<HTREEITEM>{children[4]}));

    // The item pressed and then deleted before the button comes up is forgotten too.
    Click(children[2], Qt::ControlModifier);
    Press(children[2]);
    tree->DeleteItem(children[2]);
    QTest::mouseRelease(tree->View()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    MoveWithButton(QPoint(100, 100));
    EXPECT_EQ(Selected(), (std::vector<HTREEITEM>{children[4]}));
}

// Colours kept by item handle used to outlive a deleted parent and reappear on a new item that
// got the same handle; they live in the item now.
TEST_F(TreeTest, ColoursAndFontsGoWithTheirItems) {
    gui::LogFont font;
    font.faceName = u"DejaVu Sans";
    font.italic = true;
    tree->SetItemColor(children[1], gui::RGB(200, 0, 0));
    tree->SetItemFont(children[1], font);
    tree->SetItemBold(children[1], true);
    EXPECT_EQ(tree->GetItemColor(children[1]), gui::RGB(200, 0, 0));
    gui::LogFont read;
    EXPECT_TRUE(tree->GetItemFont(children[1], &read));
    EXPECT_EQ(read, font);
    EXPECT_TRUE(tree->IsItemBold(children[1]));

    tree->DeleteItem(tops[0]);
    for (int i = 0; i < 200; ++i) {
        HTREEITEM fresh = tree->InsertItem(u"new", i % 2 ? tops[1] : TVI_ROOT);
        ASSERT_EQ(tree->GetItemColor(fresh), CTreeCtrlColorEx::kNoColor);
        ASSERT_FALSE(tree->GetItemFont(fresh, nullptr));
        ASSERT_FALSE(tree->IsItemBold(fresh));
    }

    // A colour alone is no font, and a font without a face name is none.
    tree->SetItemColor(tops[1], gui::RGB(0, 0, 255));
    EXPECT_FALSE(tree->GetItemFont(tops[1], nullptr));
    tree->SetItemFont(tops[2], gui::LogFont{});
    EXPECT_FALSE(tree->GetItemFont(tops[2], nullptr));
    EXPECT_EQ(tree->GetItemColor(tops[2]), CTreeCtrlColorEx::kNoColor);

    EXPECT_TRUE(tree->DeleteItem(TVI_ROOT));
    EXPECT_EQ(tree->GetNextItem(nullptr, TVGN_ROOT), nullptr);
    HTREEITEM fresh = tree->InsertItem(u"x");
    EXPECT_EQ(tree->GetItemColor(fresh), CTreeCtrlColorEx::kNoColor);
}

TEST_F(TreeTest, AnOwnerThatDeletesItemsOnAChangeNoticeEndsTheClick) {
    Click(Visible(1));  // a1 is the caret
    owner.react = [this](int code, HTREEITEM) {
        if (code == TVN_SELCHANGING) tree->DeleteItem(tops[0]);  // the caret and the clicked item's parent
    };
    Click(children[1], Qt::ControlModifier);  // a2
    owner.react = nullptr;
    EXPECT_EQ(owner.Codes().back(), TVN_SELCHANGING) << "nothing more about deleted items";
    EXPECT_EQ(tree->GetSelectedCount(), 0);
    Click(children[2], Qt::ShiftModifier);
    EXPECT_EQ(Selected(), (std::vector<HTREEITEM>{children[2]}));
}

TEST_F(TreeTest, WalksAndSearchesCoverTheWholeTree) {
    std::vector<CString> order;
    for (HTREEITEM i = tree->GetNextItem(nullptr, TVGN_ROOT); i; i = tree->GetNextItem(i, TreeNextDepthFirst))
        order.push_back(tree->GetItemText(i));
    EXPECT_EQ(order, (std::vector<CString>{u"a", u"a1", u"a2", u"b", u"b1", u"b2", u"c", u"c1", u"c2"}));
    // Collapsed branches are walked too; only the visible walk skips them.
    tree->Expand(tops[1], TVE_COLLAPSE);
    EXPECT_EQ(tree->FindItemByData(122), children[3]);
    EXPECT_EQ(tree->FindItemByData(122, tops[2]), nullptr);
    EXPECT_EQ(tree->FindItemByData(999), nullptr);
    EXPECT_EQ(tree->GetNextItem(tops[0], TVGN_NEXTVISIBLE), children[0]);
    EXPECT_EQ(tree->GetNextItem(tops[1], TVGN_NEXTVISIBLE), tops[2]);
    EXPECT_EQ(tree->GetNextItem(children[1], TreeNextDepthFirst), tops[1]);
    EXPECT_EQ(tree->GetNextItem(children[5], TreeNextDepthFirst), nullptr);
    EXPECT_FALSE(tree->SelectItems(nullptr, children[2])) << "neither end is visible";
}

TEST_F(TreeTest, TheDropLineIsABandOnTheItemsBottomEdgeInTheInverseOfTheBackground) {
    HTREEITEM item = Visible(3);
    EXPECT_TRUE(tree->SetDropLineItem(item));
    EXPECT_FALSE(tree->SetDropLineItem(item));
    gui::Rect row = tree->GetItemRect(item);
    gui::Rect band = tree->DropBandRect(item);
    EXPECT_EQ(band.Height(), 9);
    EXPECT_EQ(band.top, row.bottom - 4);
    EXPECT_EQ(band.left, row.left);
    EXPECT_EQ(band.right, row.right);

    QImage image = tree->View()->viewport()->grab().toImage();
    QColor ink = gui::ToQColor(~tree->BackgroundColor() & 0xFFFFFFu);
    QColor background = tree->View()->palette().color(QPalette::Base);
    int middle = band.top + 4;
    EXPECT_EQ(image.pixelColor(band.left + band.Width() / 2, middle), ink) << "the line across the middle";
    EXPECT_EQ(image.pixelColor(band.left, band.top), ink) << "the triangles' tips";
    EXPECT_EQ(image.pixelColor(band.left + 3, middle - 1), ink);
    EXPECT_EQ(image.pixelColor(band.right - 5, middle), ink);
    EXPECT_EQ(image.pixelColor(band.left + 4, middle - 1), background) << "the rest of the band is left as it is";
    EXPECT_EQ(image.pixelColor(band.right - 6, middle + 1), background);

    // Deleting the item removes the line.
    tree->DeleteItem(item);
    EXPECT_EQ(tree->GetDropLineItem(), nullptr);
    EXPECT_TRUE(tree->SetDropLineItem(nullptr) == false);
}

TEST_F(TreeTest, ScreenshotColouredAndBoldItemsWithADropLine) {
    tree->SetItemColor(children[0], gui::RGB(200, 0, 0));
    tree->SetItemColor(tops[1], gui::RGB(0, 120, 0));
    tree->SetItemBold(tops[1], true);
    gui::LogFont italic;
    italic.faceName = u"DejaVu Sans";
    italic.italic = true;
    tree->SetItemFont(children[3], italic);
    tree->SetItemColor(children[3], gui::RGB(0, 0, 200));
    Click(children[4]);
    tree->SetDropLineItem(children[2]);
    QApplication::processEvents();

    QImage image = tree->View()->viewport()->grab().toImage();
    gui::Rect label = tree->GetLabelRect(children[0]);
    bool red = false;
    for (int y = label.top; y < label.bottom && !red; ++y)
        for (int x = label.left; x < label.right && !red; ++x) red = image.pixelColor(x, y) == QColor(200, 0, 0);
    EXPECT_TRUE(red) << "the coloured item paints its text in its colour";
    HTREEITEM longer = tree->InsertItem(u"a longer label in bold");
    int plainWidth = tree->GetLabelRect(longer).Width();
    tree->SetItemBold(longer, true);
    EXPECT_GT(tree->GetLabelRect(longer).Width(), plainWidth) << "a bold label is measured in the bold font";
    EXPECT_TRUE(SaveScreenshot(owner, "tree_colours_bold_drop_line"));
}

}  // namespace
}  // namespace tree
