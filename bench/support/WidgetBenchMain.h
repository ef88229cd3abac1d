#pragma once
// Runs the registered benchmarks inside a QApplication (offscreen unless a
// platform is chosen), for benchmarks that need widgets.
#include <QApplication>
#include <benchmark/benchmark.h>

inline int runWidgetBenchmarks(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
