// Adding the items of one section to a shown tree.
#include <memory>

#include "adapters/qt/bench/subjects.h"

namespace qt_bench {
namespace {

#define ITEM_SIZES Arg(1000)->Arg(8000)->Arg(32766)->Unit(benchmark::kMillisecond)->UseRealTime()

// Adding into a view that was emptied with the timing paused.
void AddItems(benchmark::State& state, Way way) {
    const auto keys = itemKeys("CB", state.range(0));
    const int64_t reportsBefore = reportCount();
    auto subject = makeSubject(way);
    drain(subject->widget());
    for (auto _ : state) {
        timed([&] {
            subject->add(keys, false);
            drain(subject->widget());
        });
        state.PauseTiming();
        subject->reset();
        drain(subject->widget());
        state.ResumeTiming();
    }
    setPerItem(state, state.range(0), reportsBefore);
}
QT_BENCH_JOB(AddItems, ITEM_SIZES);

// Filling a fresh view, made and shown with the timing paused: the first
// fill of a tree, which re-adds into a view that has held as many nodes
// before do not show.
void FirstFill(benchmark::State& state, Way way) {
    const auto keys = itemKeys("CB", state.range(0));
    const int64_t reportsBefore = reportCount();
    for (auto _ : state) {
        state.PauseTiming();
        auto subject = makeSubject(way);
        drain(subject->widget());
        state.ResumeTiming();
        timed([&] {
            subject->add(keys, false);
            drain(subject->widget());
        });
        state.PauseTiming();
        subject.reset();
        drain(nullptr);
        state.ResumeTiming();
    }
    setPerItem(state, state.range(0), reportsBefore);
}
QT_BENCH_JOB(FirstFill, ITEM_SIZES);

}  // namespace
}  // namespace qt_bench
