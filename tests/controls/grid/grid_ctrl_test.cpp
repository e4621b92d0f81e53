#include "controls/grid/grid_ctrl.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include "platform/gui/qpainter_canvas.h"
#include "platform/gui/system_metrics.h"
#include "tests/controls/grid/grid_test_support.h"

namespace {

// The invariants that hold after every operation: counts, sizes, cells and their fixed bits,
// the selection model's size.
void ExpectInvariants(const CGridCtrl& grid) {
    ASSERT_LE(grid.GetFixedRowCount(), grid.GetRowCount());
    ASSERT_LE(grid.GetFixedColumnCount(), grid.GetColumnCount());
    ASSERT_EQ(grid.GetRowHeights().GetCount(), grid.GetRowCount());
    ASSERT_EQ(grid.GetColumnWidths().GetCount(), grid.GetColumnCount());
    ASSERT_EQ(grid.GetSelector().GetRowCount(), grid.GetRowCount());
    ASSERT_EQ(grid.GetSelector().GetColumnCount(), grid.GetColumnCount());
    if (grid.GetVirtualMode()) return;
    for (int r = 0; r < grid.GetRowCount(); ++r) {
        for (int c = 0; c < grid.GetColumnCount(); ++c) {
            const CGridCellBase* cell = grid.GetCell(r, c);
            ASSERT_NE(cell, nullptr) << r << "," << c;
            ASSERT_EQ(cell->IsFixedRow(), r < grid.GetFixedRowCount()) << r << "," << c;
            ASSERT_EQ(cell->IsFixedCol(), c < grid.GetFixedColumnCount()) << r << "," << c;
            ASSERT_EQ(cell->IsFixed(), r < grid.GetFixedRowCount() || c < grid.GetFixedColumnCount());
            ASSERT_EQ(cell->IsSelected(), grid.GetSelector().IsSelected(r, c)) << r << "," << c;
        }
    }
}

struct GridFixture : testing::Test {
    FixedMeasure measure;
    RecordingOwner owner;
    CGridCtrl* grid = new CGridCtrl(6, 5, 1, 1, &owner);
    void SetUp() override {
        grid->SetDlgCtrlID(1000);
        owner.resize(400, 300);
        grid->setGeometry(0, 0, 400, 300);
        owner.show();  // the viewport takes its size when shown
    }
};

TEST_F(GridFixture, CountsKeepCellsSizesAndSelectionInStep) {
    ExpectInvariants(*grid);
    EXPECT_EQ(grid->GetRowHeight(0), 21);
    ASSERT_TRUE(grid->SetFixedRowCount(2));
    ExpectInvariants(*grid);
    ASSERT_TRUE(grid->SetFixedColumnCount(7));  // grows the columns
    EXPECT_EQ(grid->GetColumnCount(), 7);
    ExpectInvariants(*grid);
    ASSERT_TRUE(grid->SetFixedColumnCount(1));
    ASSERT_TRUE(grid->SetRowCount(3));
    ExpectInvariants(*grid);
    ASSERT_TRUE(grid->SetRowCount(1));  // below the fixed rows: they shrink with it
    EXPECT_EQ(grid->GetFixedRowCount(), 1);
    ExpectInvariants(*grid);
    EXPECT_EQ(grid->InsertRow(u"new"), 1);
    EXPECT_EQ(grid->GetItemText(1, 0), u"new");
    EXPECT_EQ(grid->InsertColumn(u"head", 0x1, 3), 3);
    EXPECT_EQ(grid->GetItemText(0, 3), u"head");
    EXPECT_EQ(grid->GetItemFormat(1, 3), 0x1u);
    ExpectInvariants(*grid);
    ASSERT_TRUE(grid->DeleteAllItems());
    EXPECT_EQ(grid->GetRowCount(), 0);
    // A heading needs a place: the first row gets a column.
    EXPECT_EQ(grid->InsertRow(u"only"), 0);
    EXPECT_EQ(grid->GetColumnCount(), 1);
    ExpectInvariants(*grid);
}

TEST_F(GridFixture, InsertingAndDeletingRowsKeepsTheOtherRowsSelected) {
    grid->SetSelectedRange(2, 1, 2, 4);
    grid->GetSelector().SetAddMode(true);
    grid->SetSelectedRange(4, 2, 5, 2);
    grid->GetSelector().SetAddMode(false);
    ASSERT_EQ(grid->GetSelector().GetSelectedCount(), 6);
    ASSERT_TRUE(grid->MergeCells({4, 3, 5, 4}));
    ASSERT_EQ(grid->InsertRow(u"in", 3), 3);
    EXPECT_TRUE(grid->IsCellSelected(2, 1));
    EXPECT_TRUE(grid->IsCellSelected(5, 2));
    EXPECT_TRUE(grid->IsCellSelected(6, 2));
    EXPECT_FALSE(grid->IsCellSelected(3, 1));
    EXPECT_EQ(grid->GetMergedCells().GetRanges(), (std::vector<GridCellRange>{{5, 3, 6, 4}}));
    ExpectInvariants(*grid);
    ASSERT_TRUE(grid->DeleteRow(2));
    EXPECT_EQ(grid->GetSelector().GetSelectedCount(), 2);
    EXPECT_TRUE(grid->IsCellSelected(4, 2));
    EXPECT_TRUE(grid->IsCellSelected(5, 2));
    EXPECT_EQ(grid->GetMergedCells().GetRanges(), (std::vector<GridCellRange>{{4, 3, 5, 4}}));
    ExpectInvariants(*grid);
    ASSERT_TRUE(grid->DeleteRow(0));  // a fixed row: the fixed count follows
    EXPECT_EQ(grid->GetFixedRowCount(), 0);
    ExpectInvariants(*grid);
    ASSERT_TRUE(grid->DeleteNonFixedRows());
    EXPECT_EQ(grid->GetRowCount(), 0);
    EXPECT_TRUE(grid->GetMergedCells().IsEmpty());
    ExpectInvariants(*grid);
}

TEST_F(GridFixture, BadPositionsAreRefusedAndChangeNothing) {
    for (auto [row, col] : {std::pair{-1, 0}, {0, -1}, {6, 0}, {0, 5}, {99, 99}}) {
        SCOPED_TRACE(testing::Message() << row << "," << col);
        EXPECT_FALSE(grid->IsValid(row, col));
        EXPECT_EQ(grid->GetCell(row, col), nullptr);
        EXPECT_FALSE(grid->SetItemText(row, col, u"x"));
        EXPECT_FALSE(grid->SetItemState(row, col, GVIS_SELECTED));
        EXPECT_FALSE(grid->SetItemImage(row, col, 1));
        EXPECT_FALSE(grid->SetCell(row, col, std::make_unique<CGridCell>()));
        EXPECT_FALSE(grid->SetCellType(row, col, CGridCell::kClass));
        EXPECT_EQ(grid->GetItemText(row, col), u"");
        EXPECT_EQ(grid->GetItemData(row, col), 0);
        EXPECT_EQ(grid->GetItemImage(row, col), -1);
        EXPECT_EQ(grid->GetItemState(row, col), 0u);
        EXPECT_EQ(grid->GetRowHeight(row), row >= 0 && row < 6 ? 21 : -1);
        EXPECT_FALSE(grid->IsCellEditable(row, col));
        EXPECT_FALSE(grid->IsCellSelected(row, col));
    }
    EXPECT_EQ(grid->InsertRow(u"x", 0), -1);  // a fixed row
    EXPECT_EQ(grid->InsertRow(u"x", 6), -1);
    EXPECT_EQ(grid->InsertColumn(u"x", 0, 9), -1);
    EXPECT_FALSE(grid->DeleteRow(6));
    EXPECT_FALSE(grid->SetRowCount(-1));
    EXPECT_FALSE(grid->SetFixedColumnCount(-2));
    EXPECT_FALSE(grid->SetRowHeight(0, -3));
    EXPECT_FALSE(grid->GetModified());
    ExpectInvariants(*grid);
}

TEST_F(GridFixture, OnlyCellClassesAreAccepted) {
    static const GridCellClass notACell{"CSomethingElse", nullptr, &CGridCell::Create};
    static const GridCellClass abstractCell{"CAbstract", &CGridCellBase::kClass, nullptr};
    EXPECT_FALSE(grid->SetDefaultCellType(notACell));
    EXPECT_FALSE(grid->SetDefaultCellType(abstractCell));
    EXPECT_FALSE(grid->SetCellType(1, 1, notACell));
    EXPECT_FALSE(grid->SetCellType(1, 1, CGridCellBase::kClass));
    EXPECT_EQ(grid->GetDefaultCellType(), &CGridCell::kClass);
    EXPECT_TRUE(grid->SetDefaultCellType(CGridDefaultCell::kClass));
    ASSERT_TRUE(grid->SetRowCount(7));
    EXPECT_EQ(&grid->GetCell(6, 1)->GetRuntimeClass(), &CGridDefaultCell::kClass);
}

TEST_F(GridFixture, NewCellTypeKeepsEveryProperty) {
    gui::LogFont italic;
    italic.italic = true;
    grid->SetItemText(2, 2, u"text");
    grid->SetItemImage(2, 2, 3);
    grid->SetItemData(2, 2, 77);
    grid->SetItemFormat(2, 2, 0x22);
    grid->SetItemBkColour(2, 2, gui::RGB(1, 2, 3));
    grid->SetItemFgColour(2, 2, gui::RGB(4, 5, 6));
    grid->SetItemFont(2, 2, &italic);
    grid->GetCell(2, 2)->SetMargin(9);
    grid->SetItemState(2, 2, grid->GetItemState(2, 2) | GVIS_SELECTED);
    const GridItemState state = grid->GetItemState(2, 2);
    ASSERT_TRUE(grid->SetCellType(2, 2, CGridDefaultCell::kClass));
    const CGridCellBase& cell = *grid->GetCell(2, 2);
    EXPECT_EQ(&cell.GetRuntimeClass(), &CGridDefaultCell::kClass);
    EXPECT_EQ(CString(cell.GetText()), u"text");
    EXPECT_EQ(cell.GetImage(), 3);
    EXPECT_EQ(cell.GetData(), 77);
    EXPECT_EQ(cell.GetState(), state | GVIS_READONLY);  // a default cell is always read-only
    EXPECT_EQ(cell.GetFormat(), 0x22u);
    EXPECT_EQ(cell.GetBackClr(), gui::RGB(1, 2, 3));
    EXPECT_EQ(cell.GetTextClr(), gui::RGB(4, 5, 6));
    EXPECT_TRUE(cell.GetFont()->italic);
    EXPECT_EQ(cell.GetMargin(), 9u);
}

TEST_F(GridFixture, ModificationMarks) {
    grid->SetSortColumn(3);
    ASSERT_TRUE(grid->SetItemText(0, 2, u"header"));  // row 0: only the grid's flag
    EXPECT_TRUE(grid->GetModified());
    EXPECT_FALSE(grid->GetCell(0, 2)->IsModified());
    EXPECT_EQ(grid->GetSortColumn(), 3);
    ASSERT_TRUE(grid->SetItemText(2, 3, u"body"));  // the sort column: the sort is void
    EXPECT_TRUE(grid->GetCell(2, 3)->IsModified());
    EXPECT_EQ(grid->GetSortColumn(), -1);
    ASSERT_TRUE(grid->SetItemData(4, 4, 5));
    grid->SetModified(false);
    EXPECT_FALSE(grid->GetModified());
    EXPECT_FALSE(grid->GetCell(2, 3)->IsModified());
    EXPECT_FALSE(grid->GetCell(4, 4)->IsModified());
}

TEST_F(GridFixture, ItemStateKeepsTheSelectionModelInStep) {
    grid->SetSelectedRange(1, 1, 2, 2);
    ASSERT_EQ(grid->GetSelector().GetSelectedCount(), 4);
    ASSERT_TRUE(grid->SetItemState(1, 1, grid->GetItemState(1, 1) & ~GVIS_SELECTED));
    EXPECT_EQ(grid->GetSelector().GetSelectedCount(), 3);
    ASSERT_TRUE(grid->SetItemState(5, 4, grid->GetItemState(5, 4) | GVIS_SELECTED));
    EXPECT_EQ(grid->GetSelector().GetSelectedCount(), 4);
    ExpectInvariants(*grid);
    grid->EnableSelection(false);
    EXPECT_FALSE(grid->IsCellSelected(5, 4));
}

TEST_F(GridFixture, DefaultCellsFollowTheSystemColoursTheyStillHad) {
    CGridDefaultCell* normal = grid->GetDefaultCell(false, false);
    CGridDefaultCell* fixed = grid->GetDefaultCell(true, true);
    const gui::COLORREF window = gui::GetSysColor(gui::COLOR_WINDOW);
    const gui::COLORREF face = gui::GetSysColor(gui::COLOR_3DFACE);
    EXPECT_EQ(normal->GetBackClr(), window);
    EXPECT_EQ(fixed->GetBackClr(), face);
    const gui::COLORREF mine = gui::RGB(9, 9, 9);
    fixed->SetTextClr(mine);
    const QPalette before = QApplication::palette();
    QPalette changed = before;
    changed.setColor(QPalette::Base, QColor(10, 20, 30));
    changed.setColor(QPalette::Text, QColor(40, 50, 60));
    QApplication::setPalette(changed);
    QApplication::processEvents();  // the grid hears the change itself
    EXPECT_EQ(normal->GetBackClr(), gui::RGB(10, 20, 30));
    EXPECT_EQ(normal->GetTextClr(), gui::RGB(40, 50, 60));
    EXPECT_EQ(fixed->GetTextClr(), mine);  // a colour of its own stays
    EXPECT_EQ(fixed->GetBackClr(), face);
    QApplication::setPalette(before);
    QApplication::processEvents();
    EXPECT_EQ(normal->GetBackClr(), window);
}

TEST_F(GridFixture, FocusCellIsRaisedIntoTheBodyAndNotifiedBothWays) {
    EXPECT_EQ(grid->SetFocusCell(0, 0), GridCellId());
    EXPECT_EQ(grid->GetFocusCell(), GridCellId(1, 1));
    EXPECT_TRUE(grid->GetCell(1, 1)->IsFocused());
    grid->SetFocusCell(3, 2);
    EXPECT_FALSE(grid->GetCell(1, 1)->IsFocused());
    ASSERT_EQ(owner.heard.size(), 3u);
    EXPECT_EQ(owner.heard[0].code, GVN_SELCHANGED);
    EXPECT_EQ(owner.heard[1].code, GVN_SELCHANGING);
    EXPECT_EQ(owner.heard[1].row, 1);
    EXPECT_EQ(owner.heard[2].code, GVN_SELCHANGED);
    EXPECT_EQ(owner.heard[2].row, 3);
    EXPECT_EQ(owner.heard[2].id, 1000);
    grid->SetLastColumnFiller(true);
    grid->SetFocusCell(2, 4);  // the filler column is never the focus column
    EXPECT_EQ(grid->GetFocusCell(), GridCellId(2, 1));
}

TEST_F(GridFixture, OwnerThatDestroysTheGridInItsHandlerIsSafe) {
    grid->SetFocusCell(2, 2);
    owner.onCode = [&](int code) {
        if (code == GVN_SELCHANGING) {
            delete grid;
            grid = nullptr;
        }
    };
    CGridCtrl* g = grid;
    g->SetFocusCell(3, 3);  // returns after the handler without touching the grid
    EXPECT_EQ(grid, nullptr);
    EXPECT_EQ(owner.Count(GVN_SELCHANGED), 1);
}

TEST_F(GridFixture, MergeCellsMarksTheGridAndRefusesSingleCells) {
    EXPECT_FALSE(grid->MergeCells({2, 2, 2, 2}));
    EXPECT_FALSE(grid->GetModified());
    ASSERT_TRUE(grid->MergeCells({2, 2, 3, 3}));
    EXPECT_TRUE(grid->GetModified());
    gui::Rect whole, cell;
    ASSERT_TRUE(grid->GetCellRect(3, 3, &whole));
    ASSERT_TRUE(grid->GetGeometry().GetCellRect(2, 2, &cell));
    EXPECT_EQ(whole.TopLeft(), cell.TopLeft());
    EXPECT_EQ(whole.right, cell.left + 2 * 98 - 1);
    EXPECT_EQ(whole.bottom, cell.top + 2 * 21 - 1);
    ASSERT_TRUE(grid->SetFixedRowCount(3));  // the block now crosses the fixed rows
    EXPECT_TRUE(grid->GetMergedCells().IsEmpty());
}

// A virtual grid's owner: every cell's text names its grid and position.
void FillWithPosition(GridDispInfo& info) {
    info.item.text = CString::Format(u"%d:%d,%d", static_cast<int>(info.idFrom), info.item.row, info.item.col);
}

TEST_F(GridFixture, VirtualModeSwitchesOffWhatNeedsStoredCells) {
    grid->SetItemText(2, 2, u"stored");
    grid->SetVirtualMode(true);
    EXPECT_TRUE(grid->GetVirtualMode());
    EXPECT_EQ(grid->GetRowCount(), 0);
    EXPECT_EQ(grid->GetColumnCount(), 0);
    EXPECT_FALSE(grid->IsEditable());
    EXPECT_FALSE(grid->GetHeaderSort());
    EXPECT_FALSE(grid->GetFixedRowSelection());
    EXPECT_FALSE(grid->GetFixedColumnSelection());
    EXPECT_FALSE(grid->GetSingleRowSelection());
    EXPECT_EQ(grid->GetAutoSizeStyle(), GVS_HEADER);
    ASSERT_TRUE(grid->SetRowCount(1000000));
    ASSERT_TRUE(grid->SetColumnCount(4));
    ASSERT_TRUE(grid->SetFixedRowCount(1));
    ExpectInvariants(*grid);
    // Nothing is stored in a virtual grid.
    EXPECT_FALSE(grid->SetItemText(5, 1, u"x"));
    EXPECT_FALSE(grid->SetItemData(5, 1, 1));
    EXPECT_FALSE(grid->SetItemState(5, 1, GVIS_SELECTED));
    EXPECT_FALSE(grid->SetItemBkColour(5, 1, 0));
    EXPECT_FALSE(grid->SetCell(5, 1, std::make_unique<CGridCell>()));
    EXPECT_FALSE(grid->SetCellType(5, 1, CGridCell::kClass));
    EXPECT_EQ(grid->GetItemText(5, 1), u"");
    // Switching back empties the grid again.
    grid->SetVirtualMode(false);
    EXPECT_EQ(grid->GetRowCount(), 0);
    ExpectInvariants(*grid);
}

TEST_F(GridFixture, VirtualCellIsOneObjectFilledForTheLastPositionAsked) {
    grid->SetVirtualMode(true);
    grid->SetRowCount(100);
    grid->SetColumnCount(5);
    grid->SetFixedRowCount(1);
    grid->SetFixedColumnCount(1);
    owner.fill = FillWithPosition;
    grid->SetSelectedRange(3, 2, 3, 2);
    grid->SetFocusCell(4, 3);
    struct Case {
        int row, col;
        GridItemState state;
    } const cases[] = {
        {3, 2, GVIS_SELECTED},
        {4, 3, GVIS_FOCUSED},
        {0, 2, GVIS_FIXED_ROW_BITS},
        {2, 0, GVIS_FIXED_COL_BITS},
        {0, 0, GVIS_FIXED_ROW_BITS | GVIS_FIXED_COL_BITS},
        {7, 4, 0},
    };
    CGridCellBase* first = grid->GetCell(1, 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.row << "," << c.col);
        CGridCellBase* cell = grid->GetCell(c.row, c.col);
        ASSERT_EQ(cell, first);
        EXPECT_EQ(cell->GetState(), c.state);
        EXPECT_EQ(CString(cell->GetText()), CString::Format(u"1000:%d,%d", c.row, c.col));
        EXPECT_EQ(cell->GetGrid(), grid);
        EXPECT_EQ(cell->GetFormat(), grid->GetDefaultCell(c.row < 1, c.col < 1)->GetFormat());
        EXPECT_FALSE(cell->IsDefaultFont());  // the cell always holds a copy of the record's font
        EXPECT_EQ(owner.heard.back().code, GVN_GETDISPINFO);
        EXPECT_EQ(std::pair(owner.heard.back().row, owner.heard.back().col), std::pair(c.row, c.col));
        EXPECT_EQ(owner.heard.back().mask, GVIF_ALL);
    }
    EXPECT_TRUE(grid->IsCellSelected(3, 2));
    EXPECT_FALSE(grid->IsCellSelected(4, 3));
}

TEST_F(GridFixture, CallbackFillsTheVirtualCellInPlaceOfTheOwner) {
    grid->SetVirtualMode(true);
    grid->SetRowCount(10);
    grid->SetColumnCount(3);
    static std::intptr_t seenParam = 0;
    grid->SetCallbackFunc(
        [](GridDispInfo* info, std::intptr_t param) {
            seenParam = param;
            info->item.text = CString(u"from the callback");
            info->item.backColour = gui::RGB(7, 8, 9);
            return true;
        },
        42);
    EXPECT_EQ(grid->GetItemText(5, 1), u"from the callback");
    EXPECT_EQ(grid->GetItemBkColour(5, 1), gui::RGB(7, 8, 9));
    EXPECT_EQ(seenParam, 42);
    EXPECT_EQ(owner.Count(GVN_GETDISPINFO), 0);
}

TEST(GridVirtualTest, TwoGridsInOneWindowEachKeepTheirOwnCell) {
    FixedMeasure measure;
    RecordingOwner owner;
    owner.fill = FillWithPosition;
    CGridCtrl* left = new CGridCtrl(0, 0, 0, 0, &owner);
    CGridCtrl* right = new CGridCtrl(0, 0, 0, 0, &owner);
    left->SetDlgCtrlID(1);
    right->SetDlgCtrlID(2);
    for (CGridCtrl* g : {left, right}) {
        g->SetVirtualMode(true);
        g->SetRowCount(50);
        g->SetColumnCount(3);
    }
    CGridCellBase* a = left->GetCell(10, 1);
    CGridCellBase* b = right->GetCell(20, 2);
    ASSERT_NE(a, b);
    EXPECT_EQ(CString(a->GetText()), u"1:10,1");  // the right grid's request did not touch it
    EXPECT_EQ(CString(b->GetText()), u"2:20,2");
    EXPECT_EQ(a->GetGrid(), left);
    EXPECT_EQ(b->GetGrid(), right);
    EXPECT_EQ(left->GetItemText(3, 0), u"1:3,0");
    EXPECT_EQ(right->GetItemText(4, 0), u"2:4,0");
}

TEST_F(GridFixture, OwnerSeesEveryCodeWithItsCell) {
    grid->SetFocusCell(2, 2);
    grid->SetFocusCell(3, 4);
    grid->SendCacheHintToParent(GridCellRange(1, 1, 5, 4));
    grid->OnEditCell(3, 4, gui::Point(), 'k');
    grid->EndEditing();
    grid->PostCommandToParent();
    EXPECT_TRUE(owner.commands.empty());  // posted: delivered from the event loop
    QCoreApplication::processEvents();
    grid->SetVirtualMode(true);
    grid->SetRowCount(5);
    grid->SetColumnCount(5);
    grid->GetItemText(4, 1);
    struct Want {
        int code, row, col;
    } const want[] = {
        {GVN_SELCHANGED, 2, 2},     {GVN_SELCHANGING, 2, 2},  {GVN_SELCHANGED, 3, 4},  {GVN_ODCACHEHINT, 1, 1},
        {GVN_BEGINLABELEDIT, 3, 4}, {GVN_ENDLABELEDIT, 3, 4}, {GVN_SELCHANGING, 3, 4}, {GVN_GETDISPINFO, 4, 1},
    };
    ASSERT_EQ(owner.heard.size(), std::size(want));
    for (std::size_t i = 0; i < std::size(want); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(owner.heard[i].id, 1000);
        EXPECT_EQ(owner.heard[i].code, want[i].code);
        EXPECT_EQ(std::pair(owner.heard[i].row, owner.heard[i].col), std::pair(want[i].row, want[i].col));
    }
    EXPECT_EQ(owner.heard[5].text, u"k");
    EXPECT_EQ(owner.commands, std::vector<int>{1000});
}

TEST_F(GridFixture, OwnerThatDestroysTheGridWhileFillingACellIsSafe) {
    grid->SetVirtualMode(true);
    grid->SetRowCount(5);
    grid->SetColumnCount(5);
    owner.fill = [&](GridDispInfo&) {
        delete grid;
        grid = nullptr;
    };
    CGridCtrl* g = grid;
    EXPECT_EQ(g->GetItemText(2, 2), u"");
    EXPECT_EQ(grid, nullptr);
}

TEST_F(GridFixture, OddAnswersOfTheOwnerStillDraw) {
    grid->SetVirtualMode(true);
    grid->SetRowCount(8);
    grid->SetColumnCount(4);
    grid->SetFixedRowCount(1);
    const CString huge(std::u16string(100000, u'W'));
    owner.fill = [&](GridDispInfo& info) {
        GridItemInfo& item = info.item;
        switch ((item.row + item.col) % 4) {
            case 0:
                item.image = -12345;
                item.text = huge;
                break;
            case 1:
                item.format = 0xFFFFFFFFu & ~gui::DT_CALCRECT;  // every bit, known or not
                item.text = huge;
                break;
            case 2:
                item.font.escapement = 900;
                item.text = huge;
                break;
            default:
                item.margin = 100000;
                item.state = 0xFFFFFFFFu;
                item.textColour = gui::CLR_NONE;
                item.text = CString(u"odd");
        }
    };
    QImage image(400, 300, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    gui::QPainterCanvas canvas(painter);
    canvas.IntersectClipRect(gui::Rect(0, 0, 400, 300));
    grid->OnDraw(canvas);
    painter.end();
    EXPECT_GT(owner.Count(GVN_GETDISPINFO), 8);
}

TEST(GridCreateTest, CreatePlacesTheGridAndFillsTheSizesWithTheDefaults) {
    FixedMeasure measure;
    RecordingOwner parent;
    CGridCtrl* grid = new CGridCtrl(3, 2);
    grid->SetRowHeight(1, 50);
    ASSERT_TRUE(grid->Create(gui::Rect(10, 20, 210, 120), &parent, 77));
    EXPECT_EQ(grid->parentWidget(), &parent);
    EXPECT_EQ(grid->geometry(), QRect(10, 20, 200, 100));
    EXPECT_EQ(grid->GetDlgCtrlID(), 77);
    EXPECT_EQ(grid->GetOwner(), &parent);
    EXPECT_EQ(grid->GetRowHeight(1), 21);
    EXPECT_EQ(grid->GetColumnWidth(1), 98);
}

}  // namespace
