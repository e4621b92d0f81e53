// The grid over a virtual plan of 1,000,001 rows x 14 columns with a cheap callback, offscreen:
// one page painted, every second row hidden (drawing off, then on), a thumb jump to the
// middle and to the end, and setting the row count.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <cstdlib>

#include "controls/grid/grid_ctrl.h"
#include "platform/gui/qpainter_canvas.h"

namespace {

constexpr int kRows = 1000001;
constexpr int kCols = 14;

bool FillCell(GridDispInfo* info, std::intptr_t) {
    info->item.text = CString::Format(u"%d.%d", info->item.row, info->item.col);
    return true;
}

// A shown virtual grid of 1000 x 700 pixels.
struct PlanGrid {
    CGridCtrl grid;
    PlanGrid() {
        grid.resize(1000, 700);
        grid.SetVirtualMode(true);
        grid.SetCallbackFunc(&FillCell, 0);
        grid.SetRowCount(kRows);
        grid.SetColumnCount(kCols);
        grid.SetFixedRowCount(1);
        grid.SetFixedColumnCount(2);
        grid.SetGridLines(GVL_HORZ);
        grid.SetListMode(true);
        grid.SetLastColumnFiller(true);
        grid.show();
        QApplication::processEvents();
    }
    void Paint() {
        QImage image(grid.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&image);
        gui::QPainterCanvas canvas(painter);
        canvas.IntersectClipRect(gui::Rect(0, 0, image.width(), image.height()));
        grid.OnDraw(canvas);
    }
};

PlanGrid& Plan() {
    static PlanGrid* plan = new PlanGrid;
    return *plan;
}

void BM_PaintOnePage(benchmark::State& state) {
    PlanGrid& plan = Plan();
    plan.grid.OnVScroll(SB_THUMBPOSITION, plan.grid.verticalScrollBar()->maximum() / 2);
    for (auto _ : state) plan.Paint();
}
BENCHMARK(BM_PaintOnePage)->Unit(benchmark::kMillisecond);

void BM_HideEverySecondRow(benchmark::State& state) {
    PlanGrid& plan = Plan();
    const int height = plan.grid.GetRowHeight(1);
    for (auto _ : state) {
        plan.grid.SetRedraw(false);
        for (int r = 2; r < kRows; r += 2) plan.grid.SetRowHeight(r, 0);
        plan.grid.SetRedraw(true, true);
        state.PauseTiming();
        plan.grid.SetRedraw(false);
        for (int r = 2; r < kRows; r += 2) plan.grid.SetRowHeight(r, height);
        plan.grid.SetRedraw(true, true);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_HideEverySecondRow)->Unit(benchmark::kMillisecond);

void BM_ThumbJumpToTheMiddle(benchmark::State& state) {
    PlanGrid& plan = Plan();
    const int middle = plan.grid.verticalScrollBar()->maximum() / 2;
    for (auto _ : state) {
        plan.grid.OnVScroll(SB_THUMBPOSITION, middle);
        benchmark::DoNotOptimize(plan.grid.GetVisibleNonFixedCellRange());
        state.PauseTiming();
        plan.grid.OnVScroll(SB_TOP);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ThumbJumpToTheMiddle)->Unit(benchmark::kMillisecond);

void BM_LineAndPageStepsAtTheEnd(benchmark::State& state) {
    PlanGrid& plan = Plan();
    for (auto _ : state) {
        plan.grid.OnVScroll(SB_BOTTOM);
        plan.grid.OnVScroll(SB_PAGEUP);
        plan.grid.OnVScroll(SB_LINEDOWN);
        benchmark::DoNotOptimize(plan.grid.GetVisibleNonFixedCellRange());
    }
}
BENCHMARK(BM_LineAndPageStepsAtTheEnd)->Unit(benchmark::kMillisecond);

void BM_SetRowCount(benchmark::State& state) {
    CGridCtrl grid;
    grid.resize(1000, 700);
    grid.SetVirtualMode(true);
    grid.SetColumnCount(kCols);
    for (auto _ : state) {
        grid.SetRowCount(kRows);
        state.PauseTiming();
        grid.SetRowCount(0);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SetRowCount)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
