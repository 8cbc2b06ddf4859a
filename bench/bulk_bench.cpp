// Operations over every item of a section (select all, invert, the section
// query) and over every node of the tree (ExpandAll).
#include "bench/bench_tree.h"
#include "runtime/collection.h"
#include "runtime/text.h"

namespace bench {
namespace {

using Sarn10B::TVSNodeStyle_CheckBoxoff;

void BM_CBSelectAll_Set(benchmark::State& state) {
    const auto keys = itemKeys("CB", state.range(0));
    BoundTree t;
    t.addItems(keys, TVSNodeStyle_CheckBoxoff);
    int16_t selectAll = rt::True16;
    const int64_t reportsBefore = reportCount();
    for (auto _ : state) {
        t.manager->CBSelectAll(Section, selectAll, rt::False16);
        selectAll = selectAll == rt::True16 ? rt::False16 : rt::True16;
    }
    setPerItem(state, state.range(0), reportsBefore);
}
BENCHMARK(BM_CBSelectAll_Set)->Arg(1000)->Arg(32767)->Unit(benchmark::kMicrosecond);

void BM_CBSelectAll_Set_Direct(benchmark::State& state) {
    const auto keys = itemKeys("CB", state.range(0));
    BoundTree t;
    t.addItems(keys, TVSNodeStyle_CheckBoxoff);
    const rt::Variant images[] = {"chkon", "chkoff"};
    size_t which = 0;
    const int64_t reportsBefore = reportCount();
    for (auto _ : state) {
        for (auto item = t.tv->Nodes()->Item(rt::Variant(Section))->Child(); item; item = item->Next())
            item->setImage(images[which]);
        which ^= 1;
    }
    setPerItem(state, state.range(0), reportsBefore);
}
BENCHMARK(BM_CBSelectAll_Set_Direct)->Arg(1000)->Arg(32767)->Unit(benchmark::kMicrosecond);

void BM_CBSelectAll_Invert(benchmark::State& state) {
    const auto keys = itemKeys("CB", state.range(0));
    BoundTree t;
    t.addItems(keys, TVSNodeStyle_CheckBoxoff);
    const int64_t reportsBefore = reportCount();
    for (auto _ : state) t.manager->CBSelectAll(Section, rt::False16, rt::True16);
    setPerItem(state, state.range(0), reportsBefore);
}
BENCHMARK(BM_CBSelectAll_Invert)->Arg(1000)->Arg(32767)->Unit(benchmark::kMicrosecond);

void BM_CBSelectAll_Invert_Direct(benchmark::State& state) {
    const auto keys = itemKeys("CB", state.range(0));
    BoundTree t;
    t.addItems(keys, TVSNodeStyle_CheckBoxoff);
    const rt::Variant on("chkon");
    const rt::Variant off("chkoff");
    const int64_t reportsBefore = reportCount();
    for (auto _ : state) {
        for (auto item = t.tv->Nodes()->Item(rt::Variant(Section))->Child(); item; item = item->Next()) {
            if (direct::imageIs(*item, "chkon"))
                item->setImage(off);
            else if (direct::imageIs(*item, "chkoff"))
                item->setImage(on);
        }
    }
    setPerItem(state, state.range(0), reportsBefore);
}
BENCHMARK(BM_CBSelectAll_Invert_Direct)->Arg(1000)->Arg(32767)->Unit(benchmark::kMicrosecond);

// The query appends to the manager's text and key collections on every call;
// they are emptied between iterations with the timing paused, as is the
// dropping of the returned collection.
void BM_QueryNodeCollection(benchmark::State& state) {
    const auto keys = itemKeys("CB", state.range(0));
    BoundTree t;
    t.addItems(keys, TVSNodeStyle_CheckBoxoff);
    const int64_t reportsBefore = reportCount();
    rt::Ref<rt::Collection> states;
    for (auto _ : state) {
        states = t.manager->QueryNodeCollection(Section);
        state.PauseTiming();
        states = nullptr;
        t.manager->setQueryNodeTextCollection(nullptr);
        t.manager->setQueryNodeKeysCollection(nullptr);
        state.ResumeTiming();
    }
    setPerItem(state, state.range(0), reportsBefore);
    states = t.manager->QueryNodeCollection(Section);
    if (states->Count() != state.range(0) || t.manager->QueryNodeKeysCollection()->Count() != state.range(0))
        state.SkipWithError("the query did not collect every item");
}
BENCHMARK(BM_QueryNodeCollection)->Arg(1000)->Arg(32767)->Unit(benchmark::kMicrosecond);

void BM_QueryNodeCollection_Direct(benchmark::State& state) {
    const auto keys = itemKeys("CB", state.range(0));
    BoundTree t;
    t.addItems(keys, TVSNodeStyle_CheckBoxoff);
    const int64_t reportsBefore = reportCount();
    rt::Ref<rt::Collection> states, texts, itemKeys;
    for (auto _ : state) {
        states = rt::make<rt::Collection>();
        texts = rt::make<rt::Collection>();
        itemKeys = rt::make<rt::Collection>();
        for (auto item = t.tv->Nodes()->Item(rt::Variant(Section))->Child(); item; item = item->Next()) {
            if (direct::imageIs(*item, "chkon"))
                states->Add(std::string("True"));
            else if (direct::imageIs(*item, "chkoff"))
                states->Add(std::string("False"));
            texts->Add(item->Text());
            itemKeys->Add(item->Key());
        }
        state.PauseTiming();
        states = texts = itemKeys = nullptr;
        state.ResumeTiming();
    }
    setPerItem(state, state.range(0), reportsBefore);
}
BENCHMARK(BM_QueryNodeCollection_Direct)->Arg(1000)->Arg(32767)->Unit(benchmark::kMicrosecond);

// ExpandAll walks the tree by position, 1 to the node count, which it reads
// as 16 bits: the tree holds n nodes in all (the section and n - 1 items), so
// that 32,767 is the most it walks. A tree of one more node is not walked at
// all (the count overflows and the walk has no bound).
void BM_ExpandAll(benchmark::State& state) {
    const auto keys = itemKeys("CB", state.range(0) - 1);
    BoundTree t;
    t.addItems(keys, TVSNodeStyle_CheckBoxoff);
    int16_t expand = rt::True16;
    const int64_t reportsBefore = reportCount();
    for (auto _ : state) {
        t.manager->ExpandAll(expand);
        expand = expand == rt::True16 ? rt::False16 : rt::True16;
    }
    setPerItem(state, state.range(0), reportsBefore);
    if (t.tv->Nodes()->Item(rt::Variant(keys.back()))->Expanded() == 0 && state.iterations() % 2 == 1)
        state.SkipWithError("ExpandAll did not reach the last node");
}
BENCHMARK(BM_ExpandAll)->Arg(1000)->Arg(32767)->Unit(benchmark::kMicrosecond);

void BM_ExpandAll_Direct(benchmark::State& state) {
    const auto keys = itemKeys("CB", state.range(0) - 1);
    BoundTree t;
    t.addItems(keys, TVSNodeStyle_CheckBoxoff);
    int16_t expand = rt::True16;
    const int64_t reportsBefore = reportCount();
    for (auto _ : state) {
        auto nodes = t.tv->Nodes();
        const int32_t count = nodes->Count();
        for (int32_t i = 1; i <= count; ++i) nodes->Item(rt::Variant(i))->setExpanded(expand);
        expand = expand == rt::True16 ? rt::False16 : rt::True16;
    }
    setPerItem(state, state.range(0), reportsBefore);
}
BENCHMARK(BM_ExpandAll_Direct)->Arg(1000)->Arg(32767)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace bench
