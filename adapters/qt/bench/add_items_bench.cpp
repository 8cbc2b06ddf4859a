// Adding the items of one section to a shown tree.
#include "adapters/qt/bench/qt_bench_tree.h"

#include <memory>

namespace qt_bench {
namespace {

void AddItems(benchmark::State& state, Way way) {
    const auto keys = itemKeys("CB", state.range(0));
    const int64_t reportsBefore = reportCount();
    if (byManager(way)) {
        ManagedTree t(way);
        for (auto _ : state) {
            t.addItems(keys, Sarn10B::TVSNodeStyle_CheckBoxoff);
            settle();
            state.PauseTiming();
            // Refresh empties the tree and drops the pictures, so that the
            // section can be added again without a duplicate picture key.
            t.manager->Refresh();
            t.manager->setTreeViewObject(t.tv);
            t.addSection();
            settle();
            state.ResumeTiming();
        }
    } else {
        DirectTree d(way);
        for (auto _ : state) {
            d.addItems(keys);
            settle();
            state.PauseTiming();
            d.widget->clear();
            d.addSection();
            settle();
            state.ResumeTiming();
        }
    }
    setPerItem(state, state.range(0), reportsBefore);
}
QT_BENCH_JOB(AddItems, Arg(1000)->Arg(8000)->Arg(32767)->Unit(benchmark::kMillisecond)->UseRealTime());

// Filling a fresh view, made and shown with the timing paused: the first
// fill of a tree, which re-adds into a view that has held as many nodes
// before do not show. 100,000 items, too, since adding has no 16-bit limit.
void FirstFill(benchmark::State& state, Way way) {
    const auto keys = itemKeys("CB", state.range(0));
    const int64_t reportsBefore = reportCount();
    for (auto _ : state) {
        state.PauseTiming();
        if (byManager(way)) {
            auto t = std::make_unique<ManagedTree>(way);
            settle();
            state.ResumeTiming();
            t->addItems(keys, Sarn10B::TVSNodeStyle_CheckBoxoff);
            settle();
            state.PauseTiming();
            t.reset();
        } else {
            auto d = std::make_unique<DirectTree>(way);
            settle();
            state.ResumeTiming();
            d->addItems(keys);
            settle();
            state.PauseTiming();
            d.reset();
        }
        settle();
        state.ResumeTiming();
    }
    setPerItem(state, state.range(0), reportsBefore);
}
QT_BENCH_JOB(FirstFill, Arg(1000)->Arg(32767)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime());

}  // namespace
}  // namespace qt_bench
