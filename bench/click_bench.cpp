// A click on an option button of a section of n option buttons: the manager
// switches every "OB" sibling off and the clicked one on.
#include "bench/bench_tree.h"
#include "runtime/text.h"

namespace bench {
namespace {

// The clicked item is the middle one; which one does not change the walk.
std::string clickedKey(const std::vector<std::string>& keys) { return keys[keys.size() / 2]; }

void BM_ClickOptionButton(benchmark::State& state) {
    const auto keys = itemKeys("OB", state.range(0));
    BoundTree t;
    t.addItems(keys, Sarn10B::TVSNodeStyle_OptionButtonOff);
    auto node = t.node(clickedKey(keys));
    const int64_t reportsBefore = reportCount();
    for (auto _ : state) t.tv->clickNode(node);
    setPerItem(state, state.range(0), reportsBefore);
    if (!direct::imageIs(*node, "opton")) state.SkipWithError("the clicked item is not on");
}
BENCHMARK(BM_ClickOptionButton)->Arg(1000)->Arg(32767)->Unit(benchmark::kMicrosecond);

// Baseline: the sibling walk written against the tree view.
void BM_ClickOptionButton_Direct(benchmark::State& state) {
    const auto keys = itemKeys("OB", state.range(0));
    BoundTree t;
    t.addItems(keys, Sarn10B::TVSNodeStyle_OptionButtonOff);
    auto node = t.node(clickedKey(keys));
    const rt::Variant off("optoff");
    const rt::Variant on("opton");
    const int64_t reportsBefore = reportCount();
    for (auto _ : state) {
        for (auto item = node->Parent()->Child(); item; item = item->Next())
            if (rt::textEquals(std::string_view(item->Key()).substr(0, 2), "OB")) item->setImage(off);
        node->setImage(on);
    }
    setPerItem(state, state.range(0), reportsBefore);
}
BENCHMARK(BM_ClickOptionButton_Direct)->Arg(1000)->Arg(32767)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace bench
