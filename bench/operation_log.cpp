// AddLog of 100,000 entries, the full save of them, and the memory the log
// holds them in.
#include "app/OperationLog.h"

#include <QApplication>
#include <QTreeView>
#include <QTemporaryDir>
#include "support/WidgetBenchMain.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

namespace {

constexpr int kEntries = 100000;

size_t heapInUse()
{
    const struct mallinfo2 mi = mallinfo2();
    return mi.uordblks + mi.hblkhd;
}

void fill(TOperationLog &log)
{
    for (int i = 0; i < kEntries; ++i)
        log.AddLog(i % 7, i, QStringLiteral("Element Type \"BC%1\" added, case SOT-23, maker NXP;").arg(i));
}

void BM_AddLog100k(benchmark::State &state)
{
    for (auto _ : state) {
        TOperationLog log;
        const size_t before = heapInUse();
        fill(log);
        state.PauseTiming();
        state.counters["heap_MB"] = double(heapInUse() - before) / (1024.0 * 1024.0);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_AddLog100k)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same with the log page's view attached, as in the program.
void BM_AddLog100kShown(benchmark::State &state)
{
    for (auto _ : state) {
        TOperationLog log;
        QTreeView view;
        view.setUniformRowHeights(true);
        view.setRootIsDecorated(false);
        view.setModel(&log);
        view.resize(800, 600);
        view.show();
        fill(log);
        QApplication::processEvents();
    }
}
BENCHMARK(BM_AddLog100kShown)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SaveFullLog100k(benchmark::State &state)
{
    TOperationLog log;
    fill(log);
    QTemporaryDir dir;
    const QString path = dir.filePath("full.log");
    for (auto _ : state) {
        QStringList lines;
        log.SaveLogToFile(true, &lines);
        QString error;
        if (!TOperationLog::writeLines(path, lines, &error))
            state.SkipWithError(qPrintable(error));
    }
}
BENCHMARK(BM_SaveFullLog100k)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv) { return runWidgetBenchmarks(argc, argv); }
