// Adding check-box items to a section: AddNode against Nodes()->Add, into an
// empty tree and into a tree that already holds few or many nodes.
#include <optional>

#include "bench/bench_tree.h"

namespace bench {
namespace {

using Keys = std::vector<std::string>;

void addByManager(BoundTree& t, const Keys& keys) {
    for (const auto& key : keys)
        t.manager->AddNode({.sRelative = Section, .sRelationship = tree::tvwChild, .sKey = key, .sText = key});
}

void addDirectly(BoundTree& t, const Keys& keys) {
    auto nodes = t.tv->Nodes();
    const rt::Variant relative(Section);
    const rt::Variant child(static_cast<int32_t>(tree::tvwChild));
    const rt::Variant image("chkoff");
    for (const auto& key : keys) nodes->Add(relative, child, key, key, image);
}

// Times add(tree, keys) on a fresh tree per iteration that holds the section
// and `filled` more nodes in a second section.
template <class Add>
void addToFreshTree(benchmark::State& state, int64_t filled, const Keys& keys, Add add) {
    const auto filler = itemKeys("CB", filled, static_cast<int64_t>(keys.size()) + 1);
    const int64_t reportsBefore = reportCount();
    std::optional<BoundTree> t;
    for (auto _ : state) {
        state.PauseTiming();
        t.reset();
        t.emplace();
        if (filled > 0) {
            auto nodes = t->tv->Nodes();
            nodes->Add(rt::Missing{}, rt::Missing{}, "F", "Filler", rt::Variant());
            for (const auto& key : filler)
                nodes->Add(rt::Variant("F"), static_cast<int32_t>(tree::tvwChild), key, key, "chkoff");
        }
        state.ResumeTiming();
        add(*t, keys);
    }
    t.reset();
    setPerItem(state, static_cast<int64_t>(keys.size()), reportsBefore);
}

// n items into a tree that holds only the section.
void BM_AddNode(benchmark::State& state) { addToFreshTree(state, 0, itemKeys("CB", state.range(0)), addByManager); }
BENCHMARK(BM_AddNode)->Arg(1000)->Arg(32767)->Unit(benchmark::kMicrosecond);

void BM_AddNode_Direct(benchmark::State& state) {
    addToFreshTree(state, 0, itemKeys("CB", state.range(0)), addDirectly);
}
BENCHMARK(BM_AddNode_Direct)->Arg(1000)->Arg(32767)->Unit(benchmark::kMicrosecond);

// Keys and texts too long to sit inside a string: each one allocates when it
// is copied.
Keys longKeys(int64_t n) {
    Keys keys = itemKeys("CB", n);
    for (auto& key : keys) key += " - an item key longer than a short text";
    return keys;
}

void BM_AddNode_LongTexts(benchmark::State& state) { addToFreshTree(state, 0, longKeys(state.range(0)), addByManager); }
BENCHMARK(BM_AddNode_LongTexts)->Arg(1000)->Unit(benchmark::kMicrosecond);

void BM_AddNode_LongTexts_Direct(benchmark::State& state) {
    addToFreshTree(state, 0, longKeys(state.range(0)), addDirectly);
}
BENCHMARK(BM_AddNode_LongTexts_Direct)->Arg(1000)->Unit(benchmark::kMicrosecond);

// A batch of 1,000 items into a tree that already holds `filled` nodes. The
// iteration count is fixed: rebuilding 100,000 nodes takes far longer than
// the batch itself.
constexpr int64_t Batch = 1000;

void BM_AddNode_BatchIntoFilledTree(benchmark::State& state) {
    addToFreshTree(state, state.range(0), itemKeys("CB", Batch), addByManager);
}
BENCHMARK(BM_AddNode_BatchIntoFilledTree)
    ->ArgName("filled")
    ->Arg(10)
    ->Arg(100000)
    ->Iterations(60)
    ->Unit(benchmark::kMicrosecond);

void BM_AddNode_BatchIntoFilledTree_Direct(benchmark::State& state) {
    addToFreshTree(state, state.range(0), itemKeys("CB", Batch), addDirectly);
}
BENCHMARK(BM_AddNode_BatchIntoFilledTree_Direct)
    ->ArgName("filled")
    ->Arg(10)
    ->Arg(100000)
    ->Iterations(60)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace bench
