// The benchmarks need one application object; they run offscreen unless the
// caller names another platform. Before timing anything they check that an
// iteration's end leaves no work of the widget behind.
#include <QApplication>
#include <benchmark/benchmark.h>

#include "adapters/qt/bench/subjects.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    if (!qt_bench::drainCatchesDeferredWork()) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
