// Opening and closing the whole tree, in turns. ExpandAll walks every node of
// the tree by position and reads the node count as 16 bits, so the tree
// holds n nodes in all: the section and n - 1 items. The direct code calls
// the view's own expandAll and collapseAll.
#include "adapters/qt/bench/qt_bench_tree.h"

namespace qt_bench {
namespace {

void ExpandAll(benchmark::State& state, Way way) {
    const auto keys = itemKeys("CB", state.range(0) - 1);
    const int64_t reportsBefore = reportCount();
    bool open = false;
    if (byManager(way)) {
        ManagedTree t(way);
        t.addItems(keys, Sarn10B::TVSNodeStyle_CheckBoxoff);
        settle();
        for (auto _ : state) {
            t.manager->ExpandAll(open ? rt::True16 : rt::False16);
            settle();
            open = !open;
        }
    } else {
        DirectTree d(way);
        d.addItems(keys);
        d.learnRows();
        for (auto _ : state) {
            if (open)
                d.widget->expandAll();
            else
                d.widget->collapseAll();
            settle();
            open = !open;
        }
    }
    setPerItem(state, state.range(0), reportsBefore);
}
QT_BENCH_JOB(ExpandAll, Arg(1000)->Arg(8000)->Arg(32767)->Unit(benchmark::kMillisecond)->UseRealTime());

}  // namespace
}  // namespace qt_bench
