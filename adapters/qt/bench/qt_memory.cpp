// Heap in use per item and across add/Refresh cycles, for the manager on
// both tree views beside what a host would hold without the manager: direct
// QTreeWidget items with a text, a key in the user role and a check state,
// and a plain vector of key, text and image key.
//
// Usage: qt_memory [items per tree, default 32767] [cycles, default 1000]
// Runs offscreen unless the caller names another platform.
#include <QApplication>
#include <QTreeWidget>
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "adapters/qt/bench/qt_bench_tree.h"

namespace {

using qt_bench::itemKeys;
using qt_bench::settle;

// Bytes that the program holds on the heap now, large blocks that malloc
// maps on their own included. Freed memory that malloc keeps for reuse does
// not count.
long long heapInUse() {
    settle();
    malloc_trim(0);
    const struct mallinfo2 m = mallinfo2();
    return static_cast<long long>(m.uordblks + m.hblkhd);
}

struct Row {
    std::string key;
    std::string text;
    std::string image;
};

// The heap that a job leaves held, per item.
template <class Job>
double bytesPerItem(long long items, Job job) {
    const long long before = heapInUse();
    auto held = job();
    const long long after = heapInUse();
    return static_cast<double>(after - before) / static_cast<double>(items);
}

void printBytesPerItem(long long n) {
    const auto keys = itemKeys("CB", n);
    std::printf("Heap in use per item, %lld items under one closed section:\n", n);

    const double vectorBytes = bytesPerItem(n, [&] {
        std::vector<Row> rows;
        for (const auto& key : keys) rows.push_back({key, key, "chkoff"});
        return rows;
    });
    const double directBytes = bytesPerItem(n, [&] {
        auto d = std::make_unique<qt_bench::DirectTree>(qt_bench::Way::DirectCheckState);
        d->section->setExpanded(false);
        d->addItems(keys);
        return d;
    });
    auto managed = [&](qt_bench::Way way) {
        // The empty view, its widget and the manager are counted apart.
        auto t = std::make_unique<qt_bench::ManagedTree>(way);
        t->tv->Nodes()->Item(rt::Variant(qt_bench::Section))->setExpanded(rt::False16);
        const long long before = heapInUse();
        t->addItems(keys, Sarn10B::TVSNodeStyle_CheckBoxoff);
        settle();  // the widget takes in the rows that it was told of
        const long long after = heapInUse();
        return static_cast<double>(after - before) / static_cast<double>(n);
    };
    const double onQt = managed(qt_bench::Way::ManagerOnQt);
    const double onQtWidget = managed(qt_bench::Way::ManagerOnQtWidget);
    const double onMemory = managed(qt_bench::Way::ManagerOnMemory);

    std::printf("  %-58s %8.0f bytes\n", "plain vector of key, text and image key", vectorBytes);
    std::printf("  %-58s %8.0f bytes\n", "direct QTreeWidget items (text, key, check state)", directBytes);
    std::printf("  %-58s %8.0f bytes  (%.2f x direct Qt)\n", "manager on the Qt tree view (QTreeView, model)", onQt,
                onQt / directBytes);
    std::printf("  %-58s %8.0f bytes  (%.2f x direct Qt)\n", "manager on the Qt tree view over a QTreeWidget",
                onQtWidget, onQtWidget / directBytes);
    std::printf("  %-58s %8.0f bytes  (%.2f x plain vector)\n", "manager on the in-memory tree view", onMemory,
                onMemory / vectorBytes);
}

// Fills a section of 1,000 items and Refreshes, again and again; prints the
// heap in use after the 10th and after the last cycle.
void printCycles(qt_bench::Way way, const char* name, int cycles) {
    const auto keys = itemKeys("CB", 1000);
    qt_bench::ManagedTree t(way);
    long long afterTenth = 0;
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        t.addItems(keys, Sarn10B::TVSNodeStyle_CheckBoxoff);
        settle();
        t.manager->Refresh();
        t.manager->setTreeViewObject(t.tv);
        t.addSection();
        if (cycle == 10) afterTenth = heapInUse();
    }
    const long long afterLast = heapInUse();
    std::printf("  %-36s after cycle 10: %9lld bytes, after cycle %d: %9lld bytes (%+lld)\n", name, afterTenth,
                cycles, afterLast, afterLast - afterTenth);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const long long items = argc > 1 ? std::atoll(argv[1]) : 32767;
    const int cycles = argc > 2 ? std::atoi(argv[2]) : 1000;
    printBytesPerItem(items);
    std::printf("Heap in use across add/Refresh cycles of 1,000 items on a shown widget:\n");
    printCycles(qt_bench::Way::ManagerOnQt, "manager on the Qt model tree view", cycles);
    printCycles(qt_bench::Way::ManagerOnQtWidget, "manager on the Qt tree widget view", cycles);
    printCycles(qt_bench::Way::ManagerOnMemory, "manager on the in-memory tree view", cycles);
    return 0;
}
