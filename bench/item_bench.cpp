// CBSetStyle and GetTVSNodeStyle on the last item of a section of n check
// boxes: both walk the section up to the item they are asked for.
#include "bench/bench_tree.h"

namespace bench {
namespace {

using Sarn10B::TVSNodeStyle_CheckBoxoff;
using Sarn10B::TVSNodeStyle_CheckBoxOn;

void BM_CBSetStyle_LastItem(benchmark::State& state) {
    const auto keys = itemKeys("CB", state.range(0));
    BoundTree t;
    t.addItems(keys, TVSNodeStyle_CheckBoxoff);
    const std::string& last = keys.back();
    int32_t style = TVSNodeStyle_CheckBoxOn;
    const int64_t reportsBefore = reportCount();
    for (auto _ : state) {
        t.manager->CBSetStyle(Section, last, style);
        style = style == TVSNodeStyle_CheckBoxOn ? TVSNodeStyle_CheckBoxoff : TVSNodeStyle_CheckBoxOn;
    }
    setPerItem(state, state.range(0), reportsBefore);
}
BENCHMARK(BM_CBSetStyle_LastItem)->Arg(1000)->Arg(32767)->Unit(benchmark::kMicrosecond);

void BM_CBSetStyle_LastItem_Direct(benchmark::State& state) {
    const auto keys = itemKeys("CB", state.range(0));
    BoundTree t;
    t.addItems(keys, TVSNodeStyle_CheckBoxoff);
    const std::string& last = keys.back();
    const rt::Variant images[] = {"chkon", "chkoff"};
    size_t which = 0;
    const int64_t reportsBefore = reportCount();
    for (auto _ : state) {
        if (auto item = direct::findItem(*t.tv, Section, last)) item->setImage(images[which]);
        which ^= 1;
    }
    setPerItem(state, state.range(0), reportsBefore);
}
BENCHMARK(BM_CBSetStyle_LastItem_Direct)->Arg(1000)->Arg(32767)->Unit(benchmark::kMicrosecond);

void BM_GetTVSNodeStyle_LastItem(benchmark::State& state) {
    const auto keys = itemKeys("CB", state.range(0));
    BoundTree t;
    t.addItems(keys, TVSNodeStyle_CheckBoxoff);
    const std::string& last = keys.back();
    const int64_t reportsBefore = reportCount();
    for (auto _ : state) benchmark::DoNotOptimize(t.manager->GetTVSNodeStyle(Section, last));
    setPerItem(state, state.range(0), reportsBefore);
    if (t.manager->GetTVSNodeStyle(Section, last) != TVSNodeStyle_CheckBoxoff)
        state.SkipWithError("the last item does not read as off");
}
BENCHMARK(BM_GetTVSNodeStyle_LastItem)->Arg(1000)->Arg(32767)->Unit(benchmark::kMicrosecond);

void BM_GetTVSNodeStyle_LastItem_Direct(benchmark::State& state) {
    const auto keys = itemKeys("CB", state.range(0));
    BoundTree t;
    t.addItems(keys, TVSNodeStyle_CheckBoxoff);
    const std::string& last = keys.back();
    const int64_t reportsBefore = reportCount();
    for (auto _ : state) {
        int32_t style = Sarn10B::TVSNodeStyle_Default;
        if (auto item = direct::findItem(*t.tv, Section, last)) {
            if (direct::imageIs(*item, "chkoff"))
                style = TVSNodeStyle_CheckBoxoff;
            else if (direct::imageIs(*item, "chkon"))
                style = TVSNodeStyle_CheckBoxOn;
        }
        benchmark::DoNotOptimize(style);
    }
    setPerItem(state, state.range(0), reportsBefore);
}
BENCHMARK(BM_GetTVSNodeStyle_LastItem_Direct)->Arg(1000)->Arg(32767)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace bench
