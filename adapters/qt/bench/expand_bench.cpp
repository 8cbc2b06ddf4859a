// Opening and closing the whole tree, in turns. ExpandAll walks every node of
// the tree by position and reads the node count as 16 bits, so the tree
// holds n nodes in all: the section and n - 1 items. The direct code calls
// the view's own expandAll and collapseAll.
#include "adapters/qt/bench/subjects.h"

namespace qt_bench {
namespace {

void ExpandAll(benchmark::State& state, Way way) {
    const auto keys = itemKeys("CB", state.range(0) - 1);
    const int64_t reportsBefore = reportCount();
    auto subject = makeSubject(way);
    subject->add(keys, false);
    drain(subject->widget());
    subject->ready();
    // Once untimed, opening what is open already: the steady state.
    subject->expandAll(true);
    drain(subject->widget());
    bool open = false;
    for (auto _ : state) {
        timed([&] {
            subject->expandAll(open);
            drain(subject->widget());
        });
        open = !open;
    }
    setPerItem(state, state.range(0), reportsBefore);
}
QT_BENCH_JOB(ExpandAll, Arg(1000)->Arg(8000)->Arg(32766)->Unit(benchmark::kMillisecond)->UseRealTime());

}  // namespace
}  // namespace qt_bench
