// Setting, inverting and reading the states of every item of a section on a
// shown tree.
#include "adapters/qt/bench/subjects.h"

namespace qt_bench {
namespace {

#define ITEM_SIZES Arg(1000)->Arg(8000)->Arg(32766)->Unit(benchmark::kMillisecond)->UseRealTime()

// A subject holding the section's items, shown and settled. Each job then
// runs once untimed, so that every iteration meets the steady state (the
// node objects made, the icons drawn once).
std::unique_ptr<Subject> madeTree(Way way, const std::vector<std::string>& keys, bool options) {
    auto subject = makeSubject(way);
    subject->add(keys, options);
    drain(subject->widget());
    subject->ready();
    drain(subject->widget());
    return subject;
}

// Every item on, then every item off, and so on.
void SelectAll(benchmark::State& state, Way way) {
    const auto keys = itemKeys("CB", state.range(0));
    const int64_t reportsBefore = reportCount();
    auto subject = madeTree(way, keys, false);
    subject->setAll(false);
    drain(subject->widget());
    bool on = true;
    for (auto _ : state) {
        timed([&] {
            subject->setAll(on);
            drain(subject->widget());
        });
        on = !on;
    }
    setPerItem(state, state.range(0), reportsBefore);
}
QT_BENCH_JOB(SelectAll, ITEM_SIZES);

// Every item flips; the direct code reads each state to flip it.
void Invert(benchmark::State& state, Way way) {
    const auto keys = itemKeys("CB", state.range(0));
    const int64_t reportsBefore = reportCount();
    auto subject = madeTree(way, keys, false);
    subject->invert();
    drain(subject->widget());
    for (auto _ : state) {
        timed([&] {
            subject->invert();
            drain(subject->widget());
        });
    }
    setPerItem(state, state.range(0), reportsBefore);
}
QT_BENCH_JOB(Invert, ITEM_SIZES);

// One option on, every other one off: the first and the last take turns.
void SelectOption(benchmark::State& state, Way way) {
    const auto keys = itemKeys("OB", state.range(0));
    const int64_t reportsBefore = reportCount();
    auto subject = madeTree(way, keys, true);
    subject->selectOption(keys.back(), keys.size() - 1);
    drain(subject->widget());
    size_t which = 0;
    for (auto _ : state) {
        timed([&] {
            subject->selectOption(keys[which], which);
            drain(subject->widget());
        });
        which = which == 0 ? keys.size() - 1 : 0;
    }
    setPerItem(state, state.range(0), reportsBefore);
}
QT_BENCH_JOB(SelectOption, ITEM_SIZES);

// Every state read back, with the texts and keys. What was collected is
// dropped with the timing paused.
void ReadStates(benchmark::State& state, Way way) {
    const auto keys = itemKeys("CB", state.range(0));
    const int64_t reportsBefore = reportCount();
    auto subject = madeTree(way, keys, false);
    subject->read();
    subject->dropRead();
    for (auto _ : state) {
        int64_t states = 0;
        timed([&] {
            states = subject->read();
            drain(subject->widget());
        });
        state.PauseTiming();
        if (states != state.range(0)) state.SkipWithError("the read did not collect every item");
        subject->dropRead();
        state.ResumeTiming();
    }
    setPerItem(state, state.range(0), reportsBefore);
}
QT_BENCH_JOB(ReadStates, ITEM_SIZES);

}  // namespace
}  // namespace qt_bench
