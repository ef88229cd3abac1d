// Scrolling the grid through a page of 20,000 rows x 20 columns of mixed
// text and numbers: the time to show one screen after a page-down step, set
// against the same grid over an empty page (grid lines and headers only), and
// the time to lay a freshly loaded workbook out.
#include "sheet/SheetGridView.h"
#include "sheet/Workbook.h"

#include <QApplication>
#include <QScrollBar>
#include "support/WidgetBenchMain.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int kRows = 20000;
constexpr int kCols = 20;

void fill(Workbook &book)
{
    Page &p = book.page(0);
    CellStyle head;
    head.bold = true;
    head.fillColor = QColor(0xDD, 0xEB, 0xF7);
    for (int c = 0; c < kCols; ++c) {
        p.setCellText(c, 0, QStringLiteral("Param %1|V").arg(c));
        p.setCellStyle(c, 0, head);
    }
    for (int r = 1; r < kRows; ++r)
        for (int c = 0; c < kCols; ++c) {
            if (c % 2)
                p.setCellNumber(c, r, r * 0.25 + c, QString::number(r * 0.25 + c));
            else
                p.setCellText(c, r, QStringLiteral("BC%1-%2 SOT-23").arg(r).arg(c));
        }
}

void scrollPages(benchmark::State &state, bool filled)
{
    Workbook book;
    if (filled)
        fill(book);
    SheetGridView view(&book);
    view.resize(952, 700);
    view.show();
    QApplication::processEvents();
    QScrollBar *sb = view.verticalScrollBar();
    int v = 0;
    for (auto _ : state) {
        v += sb->pageStep();
        if (v > kRows)
            v = 0;
        sb->setValue(v);
        view.viewport()->repaint();
    }
    state.SetLabel(filled ? "20,000 x 20 filled" : "empty page");
}

void BM_ScrollPageFilled(benchmark::State &state) { scrollPages(state, true); }
void BM_ScrollPageEmpty(benchmark::State &state) { scrollPages(state, false); }

void BM_ShowLoadedWorkbook(benchmark::State &state)
{
    Workbook book, source;
    fill(book);
    fill(source);
    book.page(0).setActiveCell(3, kRows / 2); // the grid scrolls to it
    source.page(0).setActiveCell(3, kRows / 2);
    SheetGridView view(&book);
    view.resize(952, 700);
    view.show();
    QApplication::processEvents();
    for (auto _ : state) {
        book.replaceWith(source); // swaps two full workbooks
        view.viewport()->repaint();
    }
}

} // namespace

BENCHMARK(BM_ScrollPageFilled)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScrollPageEmpty)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShowLoadedWorkbook)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv) { return runWidgetBenchmarks(argc, argv); }
