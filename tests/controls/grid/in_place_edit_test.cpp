#include "controls/grid/in_place_edit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include "controls/grid/grid_ctrl.h"
#include "tests/controls/grid/grid_test_support.h"
#include "tests/support/gui/screenshot.h"

namespace {

// A grid of 6 x 5 cells (one fixed row and column) in a shown, active owner window, with a
// second widget to move the focus to.
struct EditFixture : testing::Test {
    RecordingOwner owner;
    CGridCtrl* grid = new CGridCtrl(6, 5, 1, 1, &owner);
    QLineEdit* elsewhere = new QLineEdit(&owner);

    void SetUp() override {
        owner.setWindowTitle("Grid editing");
        owner.resize(420, 260);
        grid->SetDlgCtrlID(1000);
        grid->setGeometry(0, 0, 420, 220);
        elsewhere->setGeometry(0, 225, 200, 30);
        for (int r = 1; r < 6; ++r)
            for (int c = 1; c < 5; ++c) grid->SetItemText(r, c, u"text");
        grid->SetModified(false);
        owner.show();
        owner.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&owner));
    }

    CInPlaceEdit* Editor() { return grid->findChild<CInPlaceEdit*>(); }
    CInPlaceEdit* Open(int row, int col, std::uint32_t start) {
        grid->OnEditCell(row, col, gui::Point(), start);
        CInPlaceEdit* editor = Editor();
        EXPECT_NE(editor, nullptr);
        return editor;
    }
    // Lets the closed editor delete itself.
    static void Settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
};

TEST_F(EditFixture, WhatStartsTheEditorDecidesItsText) {
    struct Case {
        const char* what;
        std::uint32_t start;
        const char* text;      // the editor's text once open
        const char* selected;  // its selected part
        int caret;
    } const cases[] = {
        {"a letter replaces the text", 'a', "a", "", 1},
        {"a parenthesis replaces the text", '(', "(", "", 1},
        {"a blank replaces the text", ' ', " ", "", 1},
        {"Backspace drops the last character", VK_BACK, "tex", "", 3},
        {"a click keeps the text, caret at the end", VK_LBUTTON, "text", "", 4},
        {"Return keeps the text, caret at the end", VK_RETURN, "text", "", 4},
        {"an arrow key selects the text", EditStartKey(VK_DOWN), "text", "text", 4},
        {"Tab selects the text", EditStartKey(VK_TAB), "text", "text", 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CInPlaceEdit* editor = Open(2, 2, c.start);
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(editor->text().toStdString(), c.text);
        EXPECT_EQ(editor->selectedText().toStdString(), c.selected);
        EXPECT_EQ(editor->cursorPosition(), c.caret);
        EXPECT_TRUE(editor->hasFocus());
        QTest::keyClick(editor, Qt::Key_Escape);
        Settle();
        EXPECT_EQ(Editor(), nullptr);
    }
    EXPECT_EQ(grid->GetItemText(2, 2), u"text");
    EXPECT_FALSE(grid->GetModified());
}

TEST_F(EditFixture, ArrowsMoveTheCaretAfterAClickAndEndTheEditorOtherwise) {
    CInPlaceEdit* editor = Open(2, 2, VK_LBUTTON);
    QTest::keyClick(editor, Qt::Key_Left);
    QTest::keyClick(editor, Qt::Key_Left);
    EXPECT_EQ(editor->cursorPosition(), 2);
    QTest::keyClick(editor, Qt::Key_X);
    EXPECT_EQ(editor->text(), "texxt");
    ASSERT_EQ(owner.Count(GVN_ENDLABELEDIT), 0);
    QTest::keyClick(editor, Qt::Key_Left, Qt::ControlModifier);
    ASSERT_EQ(owner.Count(GVN_ENDLABELEDIT), 1);
    EXPECT_EQ(owner.heard.back().data, static_cast<std::intptr_t>(VK_LEFT));
    EXPECT_EQ(grid->GetItemText(2, 2), u"texxt");
    Settle();

    // Opened by typing, the first arrow ends it.
    struct Case {
        Qt::Key key;
        std::uint32_t vk;
    } const keys[] = {{Qt::Key_Down, VK_DOWN},     {Qt::Key_Up, VK_UP},        {Qt::Key_Right, VK_RIGHT},
                      {Qt::Key_PageDown, VK_NEXT}, {Qt::Key_PageUp, VK_PRIOR}, {Qt::Key_Tab, VK_TAB},
                      {Qt::Key_Return, VK_RETURN}};
    for (const Case& k : keys) {
        SCOPED_TRACE(k.vk);
        editor = Open(3, 3, 'q');
        QTest::keyClick(editor, k.key);
        EXPECT_EQ(owner.heard.back().code, GVN_ENDLABELEDIT);
        EXPECT_EQ(owner.heard.back().data, static_cast<std::intptr_t>(k.vk));
        Settle();
        EXPECT_EQ(Editor(), nullptr);
    }
}

TEST_F(EditFixture, EndRecordCarriesTheCellTextAndKeyAndTheTextIsStored) {
    CInPlaceEdit* editor = Open(4, 2, 'n');
    QTest::keyClicks(editor, "ew");
    QTest::keyClick(editor, Qt::Key_Return);
    ASSERT_GE(owner.heard.size(), 2u);
    const Heard& begin = owner.heard[owner.heard.size() - 2];
    EXPECT_EQ(begin.code, GVN_BEGINLABELEDIT);
    EXPECT_EQ(std::pair(begin.row, begin.col), std::pair(4, 2));
    const Heard& end = owner.heard.back();
    EXPECT_EQ(end.code, GVN_ENDLABELEDIT);
    EXPECT_EQ(end.id, 1000);
    EXPECT_EQ(end.mask, GVIF_TEXT | GVIF_PARAM);
    EXPECT_EQ(std::pair(end.row, end.col), std::pair(4, 2));
    EXPECT_EQ(end.text, u"new");
    EXPECT_EQ(end.data, static_cast<std::intptr_t>(VK_RETURN));
    EXPECT_EQ(grid->GetItemText(4, 2), u"new");
    EXPECT_TRUE(grid->GetModified());
    EXPECT_TRUE(grid->GetCell(4, 2)->IsModified());
    EXPECT_FALSE(grid->GetCell(4, 2)->IsEditing());
}

TEST_F(EditFixture, EscapeRestoresTheTextAndStoresNothing) {
    CInPlaceEdit* editor = Open(2, 3, 'z');
    QTest::keyClicks(editor, "zz");
    QTest::keyClick(editor, Qt::Key_Escape);
    ASSERT_EQ(owner.heard.back().code, GVN_ENDLABELEDIT);
    EXPECT_EQ(owner.heard.back().text, u"text");
    EXPECT_EQ(owner.heard.back().data, static_cast<std::intptr_t>(VK_ESCAPE));
    EXPECT_EQ(grid->GetItemText(2, 3), u"text");
    EXPECT_FALSE(grid->GetModified());
    EXPECT_FALSE(grid->GetCell(2, 3)->IsModified());
}

TEST_F(EditFixture, ReadOnlyCellsAndADisabledGridOpenNoEditor) {
    grid->SetItemState(2, 2, grid->GetItemState(2, 2) | GVIS_READONLY);
    grid->OnEditCell(2, 2, gui::Point(), 'a');
    grid->OnEditCell(9, 9, gui::Point(), 'a');
    grid->SetEditable(false);
    grid->OnEditCell(3, 3, gui::Point(), 'a');
    EXPECT_EQ(Editor(), nullptr);
    EXPECT_EQ(owner.Count(GVN_BEGINLABELEDIT), 0);
}

TEST_F(EditFixture, TypingWidensTheEditorUpToTheGridsEdge) {
    CInPlaceEdit* editor = Open(2, 3, 'w');
    const int start = editor->width();
    QTest::keyClicks(editor, "ide");
    const int afterFew = editor->width();
    EXPECT_GE(afterFew, start);
    QTest::keyClicks(editor, "r and wider and wider and wider and wider and wider");
    EXPECT_GT(editor->width(), afterFew);
    EXPECT_EQ(editor->geometry().right() + 1, grid->viewport()->width());
    EXPECT_TRUE(SaveScreenshot(owner, "grid_editor_open"));
    QTest::keyClick(editor, Qt::Key_Return);
}

TEST_F(EditFixture, AltCharacterIsSwallowed) {
    CInPlaceEdit* editor = Open(2, 2, VK_LBUTTON);
    QTest::keyClick(editor, Qt::Key_F, Qt::AltModifier);
    EXPECT_EQ(editor->text(), "text");
    QTest::keyClick(editor, Qt::Key_Return);
}

TEST_F(EditFixture, LosingTheFocusEndsTheEditorOnce) {
    CInPlaceEdit* editor = Open(3, 2, 'f');
    elsewhere->setFocus();
    EXPECT_FALSE(editor->hasFocus());
    EXPECT_EQ(owner.Count(GVN_ENDLABELEDIT), 1);
    EXPECT_EQ(grid->GetItemText(3, 2), u"f");
    editor->EndEdit();
    grid->EndEditing();
    Settle();
    EXPECT_EQ(Editor(), nullptr);
    grid->EndEditing();
    EXPECT_EQ(owner.Count(GVN_ENDLABELEDIT), 1);
}

TEST_F(EditFixture, OwnerThatDestroysTheGridWhenEditingEndsIsSafe) {
    CInPlaceEdit* editor = Open(3, 2, 'd');
    owner.onCode = [&](int code) {
        if (code == GVN_ENDLABELEDIT) {
            delete grid;
            grid = nullptr;
        }
    };
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(grid, nullptr);
    Settle();
    EXPECT_EQ(owner.findChild<CInPlaceEdit*>(), nullptr);
}

TEST_F(EditFixture, GridGoingAwayWithAnOpenEditorReportsNothing) {
    Open(3, 2, 'g');
    const std::size_t before = owner.heard.size();
    delete grid;
    grid = nullptr;
    Settle();
    EXPECT_EQ(owner.heard.size(), before);
}

}  // namespace
