// The outline column: tree cells' defaults and geometry, setup, toggling, expanding and
// outlining with the rows' heights, the child query, drawing on the recording canvas, the
// expander under the mouse hooks and the keyboard in a real grid, and a picture.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <string>

#include "controls/grid/grid_ctrl.h"
#include "controls/grid/grid_tree_cell.h"
#include "controls/grid/in_place_edit.h"
#include "controls/grid/tree_column.h"
#include "platform/gui/system_metrics.h"
#include "tests/controls/grid/grid_test_support.h"
#include "tests/support/gui/screenshot.h"

namespace {

using gui::CanvasCall;
using gui::CanvasOp;

constexpr std::uint8_t S = kTreeShown;
// Rows 1-8 under one fixed row: A(1) A1(2) A1a(3) A2(2) B(1) B1(2) loose(0) C(1).
const std::uint8_t kLevels[] = {S | 1, S | 2, S | 3, S | 2, S | 1, S | 2, S | 0, S | 1};
const char16_t* const kNames[] = {u"A", u"A1", u"A1a", u"A2", u"B", u"B1", u"loose", u"C"};

struct TreeFixture : testing::Test {
    FixedMeasure measure;  // margin 7 (one character), default row height 21
    RecordingOwner owner;
    CGridCtrl* grid = new CGridCtrl(9, 2, 1, 0, &owner);
    CTreeColumn tree;
    CTreeColumn linked;
    gui::RecordingCanvas dc{gui::Rect(0, 0, 2000, 2000)};

    void SetUp() override {
        owner.resize(300, 260);
        grid->setGeometry(0, 0, 300, 260);
        grid->SetColumnWidth(0, 160);
        for (int i = 0; i < 8; ++i) grid->SetItemText(i + 1, 0, kNames[i]);
        for (int i = 0; i < 8; ++i) grid->SetItemText(i + 1, 1, kNames[i]);
        ASSERT_TRUE(tree.TreeSetup(grid, 0, 8, 1, kLevels, 8, true, false, nullptr, 0, &linked));
        owner.show();
    }
    CGridTreeCellBase* Cell(int row) const { return tree.TreeCell(row); }
    // One character a tree row: its shown bit ('s' or '-') then its height ('h' default, '0').
    std::string Rows(const CTreeColumn& column, bool heights = true) const {
        std::string out;
        for (int r = 1; r <= 8; ++r) {
            out += column.IsTreeRowShown(r) ? 's' : '-';
            if (heights) out += grid->GetRowHeight(r) == 0 ? '0' : 'h';
        }
        return out;
    }
};

TEST(TreeCellWithoutColumn, SharedGettersAnswerTheirDefaultsAndSettersDoNothing) {
    CGridTreeCell cell;
    cell.SetFormat(0x25);
    cell.SetTextClr(gui::RGB(1, 2, 3));
    cell.SetBackClr(gui::RGB(1, 2, 3));
    cell.SetData(7);
    gui::LogFont font;
    cell.SetFont(&font);
    cell.SetMargin(9);
    EXPECT_EQ(cell.GetFormat(), 0u);
    EXPECT_EQ(cell.GetTextClr(), gui::CLR_DEFAULT);
    EXPECT_EQ(cell.GetBackClr(), gui::CLR_DEFAULT);
    EXPECT_EQ(cell.GetData(), 0);
    EXPECT_EQ(cell.GetFont(), nullptr);
    EXPECT_EQ(cell.GetFontObject(), nullptr);
    EXPECT_EQ(cell.GetMargin(), 0u);
    EXPECT_TRUE(cell.IsDefaultFont());
    EXPECT_EQ(cell.GetGrid(), nullptr);
    EXPECT_EQ(cell.GetIndent(), 0);
    EXPECT_TRUE(cell.OnClickDown({12, 10}));
    cell.OnDblClick({12, 10});
    gui::RecordingCanvas dc;
    EXPECT_FALSE(cell.Draw(&dc, 1, 0, gui::Rect(0, 0, 100, 20)));
    EXPECT_TRUE(dc.Calls().empty());
}

TEST(TreeCellReset, ClearsTheTreePartAndTheTextResetLeavesIt) {
    CGridTreeCell cell;
    cell.SetCoords(4, 2);
    cell.SetImage(3);
    cell.SetLevelAndHide(3);
    cell.SetChildState(2);
    cell.SetText(u"x");
    cell.Reset();  // the text cell's reset empties the text only
    EXPECT_STREQ(reinterpret_cast<const char*>(cell.GetText()), "");
    EXPECT_EQ(cell.GetImage(), 3);
    cell.CGridTreeCellBase::Reset();
    EXPECT_EQ(cell.GetRow(), -1);
    EXPECT_EQ(cell.GetCol(), -1);
    EXPECT_EQ(cell.GetImage(), -1);
    EXPECT_EQ(cell.GetLevelAndHide(), kTreeShown);
    EXPECT_EQ(cell.GetChildState(), 0);
}

TEST_F(TreeFixture, SetupTakesTheGridsCountsAndRefusesBadInput) {
    EXPECT_EQ(grid->GetFixedRowCount(), 1);
    EXPECT_EQ(grid->GetRowCount(), 9);
    EXPECT_EQ(tree.GetTreeLevel(3), 3);
    EXPECT_EQ(tree.GetTreeLevel(7), 0);
    EXPECT_EQ(tree.GetTreeLevel(0), 0);  // above the tree: no tree cell
    EXPECT_EQ(std::u16string(grid->GetItemText(3, 0).c_str()), u"A1a");  // the text was copied

    CTreeColumn other;
    // Not a tree cell class: refused, nothing changed.
    EXPECT_FALSE(other.TreeSetup(grid, 1, 8, 1, kLevels, 8, true, false, nullptr, 0, nullptr, CGridCell::kClass));
    EXPECT_FALSE(grid->GetCell(2, 1)->GetRuntimeClass().DerivesFrom(CGridTreeCellBase::kClass));
    EXPECT_EQ(other.GetGrid(), nullptr);
    // Arrays shorter than n: refused, nothing changed.
    EXPECT_FALSE(other.TreeSetup(grid, 1, 8, 1, kLevels, 7));
    const std::uint8_t states[3] = {};
    EXPECT_FALSE(other.TreeSetup(grid, 1, 8, 1, kLevels, 8, true, false, states, 3));
    EXPECT_EQ(other.GetGrid(), nullptr);
    EXPECT_EQ(grid->GetRowCount(), 9);
    // n = 0 (and a negative n) only sets the row counts.
    EXPECT_TRUE(other.TreeSetup(grid, 1, 0, 2, nullptr, 0));
    EXPECT_EQ(grid->GetFixedRowCount(), 2);
    EXPECT_EQ(grid->GetRowCount(), 2);
    EXPECT_TRUE(other.IsTreeReady());
    EXPECT_TRUE(other.TreeSetup(grid, 1, -4, 1, nullptr, 0));
    EXPECT_EQ(grid->GetRowCount(), 1);
}

TEST_F(TreeFixture, TogglesExpansionsAndOutlinesSwitchShownBitsAndHeights) {
    struct Step {
        const char* what;
        char op;  // 't' toggle, 'e' expand one level, 'c' collapse, 'o' outline
        int arg;
        const char* rows;
    };
    const Step steps[] = {
        {"outline 1 shows exactly the top-level rows", 'o', 1, "sh-0-0-0sh-0sh" "sh"},
        {"toggling a collapsed row shows its children", 't', 1, "shsh-0shsh-0shsh"},
        {"toggling an expanded row hides every descendant", 't', 1, "sh-0-0-0sh-0shsh"},
        {"a level-0 row never toggles", 't', 7, "sh-0-0-0sh-0shsh"},
        {"the last tree row does nothing", 't', 8, "sh-0-0-0sh-0shsh"},
        {"all levels shown", 'o', 200, "shshshshshshshsh"},
        {"expanding one level hides grandchildren shown before", 'e', 1, "shsh-0shshshshsh"},
        {"a level-0 row collapses nothing", 'c', 7, "shsh-0shshshshsh"},
        {"collapse hides the deeper rows", 'c', 5, "shsh-0shsh-0shsh"},
        {"outline 2", 'o', 2, "shsh-0shshshshsh"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        if (s.op == 't') tree.TreeToggle(s.arg);
        if (s.op == 'e') {
            tree.TreeExpandOneLevel(s.arg);
            tree.TreeRefreshRows();
        }
        if (s.op == 'c') {
            tree.TreeCollapse(s.arg);
            tree.TreeRefreshRows();
        }
        if (s.op == 'o') tree.TreeDisplayOutline(s.arg);
        EXPECT_EQ(Rows(tree), s.rows);
    }
}

TEST_F(TreeFixture, LinkedColumnTogglesInStep) {
    CTreeColumn second;
    ASSERT_TRUE(second.TreeSetup(grid, 1, 8, 1, kLevels, 8));
    CTreeColumn first;
    ASSERT_TRUE(first.TreeSetup(grid, 0, 8, 1, kLevels, 8, true, false, nullptr, 0, &second));
    first.TreeToggle(1);
    EXPECT_EQ(Rows(first, false), "s---ssss");
    EXPECT_EQ(Rows(second, false), "s---ssss");
    first.TreeToggle(1);
    EXPECT_EQ(Rows(second, false), "ss-sssss");
}

TEST_F(TreeFixture, ChildQueryTellsCollapsedExpandedAndLast) {
    tree.TreeCollapse(5);
    struct Case {
        int row;
        int want;
    } cases[] = {
        {1, kTreeExpanded},                       // A: children shown, B follows
        {2, kTreeExpanded},                       // A1: A2 follows
        {3, kTreeLast},                           // A1a: a leaf, shallower A2 follows
        {4, kTreeLast},                           // A2: a leaf, shallower B follows
        {5, kTreeCollapsed | kTreeLast},          // B: collapsed, the level-0 row follows
        {6, kTreeLast},                           // B1 hidden leaf
        {7, 0},                                   // level 0: never children
        {8, kTreeLast},                           // C: the end of the tree
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        EXPECT_EQ(tree.GetTreeChildState(c.row), c.want);
    }
}

TEST_F(TreeFixture, ChildStateBytesMarkLeavesAndRowsWithChildrenNotInTheGrid) {
    // A is said to be a leaf, C to have children although none follow it.
    const std::uint8_t states[8] = {1, 0, 0, 0, 0, 0, 0, 2};
    CTreeColumn column;
    ASSERT_TRUE(column.TreeSetup(grid, 0, 8, 1, kLevels, 8, true, false, states, 8));
    EXPECT_FALSE(column.HasChildren(1));
    EXPECT_TRUE(column.HasChildren(2));
    EXPECT_EQ(column.GetTreeChildState(8), kTreeCollapsed | kTreeLast);
}

TEST_F(TreeFixture, GeometryFollowsLevelIndentAndLines) {
    // Margin 7, indent width 10.
    struct Case {
        int row;
        bool lines;
        int indent;
        gui::Rect expander;
    } cases[] = {
        {1, true, 24, gui::Rect(9, 7, 17, 15)},  {3, true, 44, gui::Rect(29, 7, 37, 15)},
        {1, false, 14, gui::Rect(9, 7, 17, 15)}, {3, false, 34, gui::Rect(29, 7, 37, 15)},
        {7, true, 0, gui::Rect()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        ASSERT_TRUE(tree.TreeSetup(grid, 0, 8, 1, kLevels, 8, c.lines));
        CGridTreeCellBase* cell = Cell(c.row);
        EXPECT_EQ(cell->GetIndent(), c.indent);
        EXPECT_EQ(cell->GetExpanderRect(), c.expander);
        gui::Rect text(100, 0, 200, 20);
        cell->GetTextRect(&text);
        EXPECT_EQ(text.left, 100 + c.indent);
        CGridCell plain;
        plain.SetGrid(grid);
        plain.SetText(cell->GetText());
        EXPECT_EQ(cell->GetCellExtent(nullptr).cx, plain.GetCellExtent(nullptr).cx + c.indent);
    }
}

TEST_F(TreeFixture, AFontChangeOfOneCellSetsTheIndentOfTheWholeColumn) {
    gui::LogFont font;
    Cell(2)->SetFont(&font);
    // The recording canvas's line is 16 high: 7/10 of it.
    EXPECT_EQ(tree.GetIndentWidth(), 11);
    EXPECT_EQ(Cell(5)->GetIndent(), 11 + 14);
    EXPECT_FALSE(Cell(5)->IsDefaultFont());
}

// The lines and fills of the tree part of a cell drawn on the recording canvas.
struct Drawn {
    std::vector<CanvasCall> lines;
    std::vector<CanvasCall> fills;
};
Drawn TreePart(gui::RecordingCanvas& dc, gui::COLORREF pen) {
    Drawn out;
    for (const CanvasCall& c : dc.Calls()) {
        if (c.op == CanvasOp::Line && c.pen.color == pen) out.lines.push_back(c);
        if (c.op == CanvasOp::FrameRect && c.color == pen) out.fills.push_back(c);
    }
    return out;
}
bool HasVertical(const Drawn& d, int x, int y0, int y1) {
    for (const CanvasCall& c : d.lines)
        if (c.points[0].x == x && c.points[1].x == x && c.points[0].y <= y0 && c.points[1].y >= y1) return true;
    return false;
}

TEST_F(TreeFixture, BoxShowsItsVerticalBarOnlyWhenCollapsed) {
    const gui::COLORREF pen = tree.GetTreeLineColour();
    const gui::Rect rect(0, 0, 159, 20);
    tree.TreeCollapse(1);
    Cell(1)->Draw(&dc, 1, 0, rect);
    Drawn collapsed = TreePart(dc, pen);
    ASSERT_EQ(collapsed.fills.size(), 1u);
    EXPECT_EQ(collapsed.fills[0].rect, gui::Rect(9, 7, 17, 15));  // the box
    EXPECT_TRUE(HasVertical(collapsed, 13, 9, 13));                 // its vertical bar
    for (const CanvasCall& c : dc.Calls())
        if (c.op == CanvasOp::DrawText) {
            EXPECT_EQ(c.rect.left, 24 + 7);  // text past the indent
        }
    dc.Clear();
    tree.TreeExpandOneLevel(1);
    Cell(1)->Draw(&dc, 1, 0, rect);
    Drawn expanded = TreePart(dc, pen);
    ASSERT_EQ(expanded.fills.size(), 1u);
    EXPECT_FALSE(HasVertical(expanded, 13, 9, 13));
    // A leaf draws no box.
    dc.Clear();
    Cell(4)->Draw(&dc, 4, 0, rect);
    EXPECT_TRUE(TreePart(dc, pen).fills.empty());
}

TEST_F(TreeFixture, SiblingAndAncestorLinesPassThroughTheCell) {
    const gui::COLORREF pen = tree.GetTreeLineColour();
    const gui::Rect rect(0, 0, 159, 20);
    // A1a (level 3): A1 has the later sibling A2 (its line at level 2 passes), A has the later
    // sibling B (level 1 passes), A1a itself is the last of its level (no line below it).
    Cell(3)->Draw(&dc, 3, 0, rect);
    Drawn d = TreePart(dc, pen);
    EXPECT_TRUE(HasVertical(d, 13, 0, 21));  // level 1
    EXPECT_TRUE(HasVertical(d, 23, 0, 21));  // level 2
    EXPECT_FALSE(HasVertical(d, 33, 12, 21));
    for (const CanvasCall& c : dc.Calls())
        if (c.op == CanvasOp::Line) {
            EXPECT_EQ(c.clip, gui::Rect(0, 0, 161, 22)) << c.Describe();  // the canvas's area cuts -1
        }
    // A2 (level 2) is the last child of A: level 1 passes (B follows), nothing below its own.
    dc.Clear();
    Cell(4)->Draw(&dc, 4, 0, rect);
    d = TreePart(dc, pen);
    EXPECT_TRUE(HasVertical(d, 13, 0, 21));
    EXPECT_FALSE(HasVertical(d, 23, 12, 21));
}

TEST_F(TreeFixture, SelectedCellsTakeHighlightColoursExceptInPrint) {
    const gui::Rect rect(0, 0, 159, 20);
    grid->SetItemState(1, 0, GVIS_SELECTED);
    Cell(1)->Draw(&dc, 1, 0, rect);
    EXPECT_FALSE(TreePart(dc, gui::GetSysColor(gui::COLOR_HIGHLIGHTTEXT)).lines.empty());
    dc.Clear();
    Cell(1)->PrintCell(&dc, 1, 0, rect);
    EXPECT_TRUE(TreePart(dc, gui::GetSysColor(gui::COLOR_HIGHLIGHTTEXT)).lines.empty());
    EXPECT_FALSE(TreePart(dc, tree.GetTreeLineColour()).lines.empty());
}

TEST_F(TreeFixture, NoLinesBelowAnIndentOfSixAndImageModeShowsTheState) {
    const gui::Rect rect(0, 0, 159, 20);
    tree.SetIndentWidth(5);
    Cell(1)->Draw(&dc, 1, 0, rect);
    EXPECT_TRUE(TreePart(dc, tree.GetTreeLineColour()).lines.empty());

    ASSERT_TRUE(tree.TreeSetup(grid, 0, 8, 1, kLevels, 8, false, true));
    EXPECT_EQ(Cell(1)->GetImage(), 0);  // set up with image 0
    tree.TreeCollapse(5);
    const struct {
        int row;
        int image;
    } cases[] = {{1, 1}, {4, 2}, {5, 0}, {7, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        EXPECT_TRUE(Cell(c.row)->Draw(&dc, c.row, 0, rect));
        EXPECT_EQ(Cell(c.row)->GetImage(), c.image);
    }
    EXPECT_TRUE(TreePart(dc, tree.GetTreeLineColour()).lines.empty());
}

TEST_F(TreeFixture, DrawsNothingUntilSetUpOverTheGridsCounts) {
    const gui::Rect rect(0, 0, 159, 20);
    tree.SetTreeReady(false);
    EXPECT_FALSE(Cell(1)->Draw(&dc, 1, 0, rect));
    tree.SetTreeReady(true);
    grid->SetFixedRowCount(2);
    EXPECT_FALSE(Cell(2)->Draw(&dc, 2, 0, rect));
    grid->SetFixedRowCount(1);
    EXPECT_FALSE(Cell(1)->Draw(&dc, 1, 0, gui::Rect(0, 0, 0, 20)));
    EXPECT_TRUE(dc.Calls().empty());
    EXPECT_TRUE(Cell(1)->Draw(&dc, 1, 0, rect));
}

TEST(TreeLevels, LevelsThatJumpDrawWithoutACrash) {
    FixedMeasure measure;
    CGridCtrl grid(5, 1, 1, 0);
    const std::uint8_t levels[] = {S | 1, S | 3, S | 1, S | 5};
    CTreeColumn tree;
    ASSERT_TRUE(tree.TreeSetup(&grid, 0, 4, 1, levels, 4));
    gui::RecordingCanvas dc;
    for (int r = 1; r <= 4; ++r) EXPECT_TRUE(grid.GetCell(r, 0)->Draw(&dc, r, 0, gui::Rect(0, 0, 120, 20)));
    tree.TreeToggle(1);
    EXPECT_FALSE(tree.IsTreeRowShown(2));
    tree.TreeToggle(1);
    EXPECT_FALSE(tree.IsTreeRowShown(2));  // level 3 under level 1 is no direct child: it stays hidden
    tree.TreeDisplayOutline(128);
    EXPECT_TRUE(tree.IsTreeRowShown(2));
}

TEST_F(TreeFixture, PressOnTheExpanderTogglesAndAsksForNoSelection) {
    // The expander of A: (9,7)-(17,15); of a leaf nothing.
    EXPECT_FALSE(Cell(1)->OnClickDown({12, 10}));
    EXPECT_FALSE(tree.IsTreeRowShown(2));
    EXPECT_TRUE(Cell(1)->OnClickDown({60, 10}));  // on the text: the grid selects
    EXPECT_FALSE(tree.IsTreeRowShown(2));
    EXPECT_TRUE(Cell(4)->OnClickDown({22, 10}));  // a leaf's expander place selects as usual
    // The hit area reaches two pixels right of the box and two above it.
    EXPECT_FALSE(Cell(1)->OnClickDown({19, 5}));
    EXPECT_TRUE(tree.IsTreeRowShown(2));
    EXPECT_TRUE(Cell(1)->OnClickDown({20, 5}));
}

TEST_F(TreeFixture, DoubleClickTogglesOnlyAReadOnlyCellOffTheExpander) {
    Cell(1)->OnDblClick({60, 10});  // editable: the double click edits instead
    EXPECT_TRUE(tree.IsTreeRowShown(2));
    grid->SetItemState(1, 0, GVIS_READONLY);
    Cell(1)->OnDblClick({12, 10});  // on the expander the press toggled already
    EXPECT_TRUE(tree.IsTreeRowShown(2));
    Cell(1)->OnDblClick({60, 10});
    EXPECT_FALSE(tree.IsTreeRowShown(2));
    grid->SetItemState(1, 0, 0);
    grid->SetEditable(false);
    Cell(1)->OnDblClick({60, 10});
    EXPECT_TRUE(tree.IsTreeRowShown(2));
}

// Qt mouse events on the shown grid's viewport, so the grid's own press handling asks the cell.
struct TreeMouseFixture : TreeFixture {
    void SetUp() override {
        TreeFixture::SetUp();
        owner.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&owner));
    }
    QPoint InCell(int row, QPoint offset) const {
        gui::Rect r;
        EXPECT_TRUE(grid->GetCellRect(row, 0, &r));
        return {r.left + offset.x(), r.top + offset.y()};
    }
    void Send(QEvent::Type type, QPoint p) {
        QWidget* port = grid->viewport();
        const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::MouseButtons() : Qt::LeftButton;
        QMouseEvent event(type, QPointF(p), QPointF(port->mapToGlobal(p)), Qt::LeftButton, buttons, {});
        QApplication::sendEvent(port, &event);
    }
    void Click(QPoint p) {
        Send(QEvent::MouseButtonPress, p);
        Send(QEvent::MouseButtonRelease, p);
    }
    void DoubleClick(QPoint p) {
        Click(p);
        Send(QEvent::MouseButtonDblClick, p);
        Send(QEvent::MouseButtonRelease, p);
    }
};

TEST_F(TreeMouseFixture, AClickOnTheExpanderCollapsesWithoutSelectingAndALeafsPlaceSelects) {
    Click(InCell(6, {22, 10}));  // B1 is a leaf: where its expander would be, the click selects
    EXPECT_EQ(std::pair(grid->GetFocusCell().row, grid->GetFocusCell().col), std::pair(6, 0));
    EXPECT_TRUE(grid->IsCellSelected(6, 0));

    Click(InCell(1, {12, 10}));  // the expander of A
    EXPECT_FALSE(tree.IsTreeRowShown(2));
    EXPECT_EQ(grid->GetRowHeight(2), 0);
    EXPECT_EQ(std::pair(grid->GetFocusCell().row, grid->GetFocusCell().col), std::pair(6, 0));
    EXPECT_FALSE(grid->IsCellSelected(1, 0));

    Click(InCell(1, {12, 10}));
    EXPECT_TRUE(tree.IsTreeRowShown(2));
    EXPECT_FALSE(grid->IsCellSelected(1, 0));
}

TEST_F(TreeMouseFixture, ADoubleClickEditsAnEditableCellAndTogglesAReadOnlyOne) {
    DoubleClick(InCell(5, {60, 10}));  // on B's text
    CInPlaceEdit* editor = grid->findChild<CInPlaceEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(std::pair(editor->GetRow(), editor->GetCol()), std::pair(5, 0));
    EXPECT_TRUE(tree.IsTreeRowShown(6));
    grid->EndEditing();

    grid->SetItemState(5, 0, GVIS_READONLY);
    DoubleClick(InCell(5, {60, 10}));
    EXPECT_FALSE(tree.IsTreeRowShown(6));
}

TEST_F(TreeFixture, EditingOpensOneEditorAColumnOverTheText) {
    grid->OnEditCell(2, 0, {}, EditStartKey(VK_RETURN));
    ASSERT_NE(tree.GetTreeEditor(), nullptr);
    EXPECT_TRUE(Cell(2)->IsEditing());
    CInPlaceEdit* first = tree.GetTreeEditor();
    EXPECT_GE(first->geometry().left(), Cell(2)->GetIndent());
    grid->OnEditCell(4, 0, {}, EditStartKey(VK_RETURN));
    EXPECT_FALSE(Cell(2)->IsEditing());  // the first editor was ended
    EXPECT_TRUE(Cell(4)->IsEditing());
    grid->EndEditing();
    EXPECT_EQ(tree.GetTreeEditor(), nullptr);
    EXPECT_FALSE(Cell(4)->IsEditing());
}

TEST(TreeOneColumn, TabAndShiftTabStayOnTheOnlyColumn) {
    FixedMeasure measure;
    RecordingOwner owner;
    owner.resize(200, 200);
    CGridCtrl* grid = new CGridCtrl(4, 1, 1, 0, &owner);
    grid->setGeometry(0, 0, 200, 200);
    grid->SetLastColumnFiller(true);
    const std::uint8_t levels[] = {S | 1, S | 2, S | 1};
    CTreeColumn tree;
    ASSERT_TRUE(tree.TreeSetup(grid, 0, 3, 1, levels, 3));
    owner.show();
    grid->SetFocusCell(2, 0);
    grid->OnKeyDown(VK_TAB, false, true);
    EXPECT_EQ(grid->GetFocusCell().col, 0);
    grid->OnKeyDown(VK_TAB, false, false);
    EXPECT_EQ(grid->GetFocusCell().col, 0);
}

TEST(TreePicture, OutlineExpandedAndPartlyCollapsed) {
    RecordingOwner owner;
    owner.setWindowTitle("Outline");
    owner.resize(320, 260);
    CGridCtrl* grid = new CGridCtrl(12, 2, 1, 0, &owner);
    grid->setGeometry(0, 0, 320, 260);
    grid->SetColumnWidth(0, 200);
    grid->SetColumnWidth(1, 100);
    grid->SetItemText(0, 0, u"Name");
    grid->SetItemText(0, 1, u"Size");
    const std::uint8_t levels[] = {S | 1, S | 2, S | 3, S | 3, S | 2, S | 1, S | 2, S | 2, S | 1, S | 0, S | 1};
    const char16_t* names[] = {u"Documents", u"Letters", u"2025", u"2026",   u"Invoices", u"Pictures",
                               u"Holiday",   u"Family",  u"Music", u"(loose)", u"Videos"};
    for (int i = 0; i < 11; ++i) {
        grid->SetItemText(i + 1, 0, names[i]);
        grid->SetItemTextFmt(i + 1, 1, u"%d", (i + 3) * 17);
    }
    CTreeColumn tree;
    ASSERT_TRUE(tree.TreeSetup(grid, 0, 11, 1, levels, 11));
    grid->SetItemState(3, 0, GVIS_SELECTED);
    owner.show();
    EXPECT_TRUE(SaveScreenshot(owner, "grid_tree_expanded"));
    tree.TreeToggle(2);
    tree.TreeToggle(6);
    EXPECT_TRUE(SaveScreenshot(owner, "grid_tree_partly_collapsed"));
}

}  // namespace
