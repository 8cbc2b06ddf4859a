#pragma once
// The ways a benchmark does a user's job, behind one interface: through the
// style manager (on the Qt model tree view, on the Qt tree widget view, on
// the in-memory tree view) and directly against Qt (a hand-written item
// model with icons or with check states, QStandardItemModel with checkable
// items, QTreeWidget with check states or icons). Every subject holds one
// section "S" and, but for the in-memory one, shows a 360 x 480 widget.

#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "adapters/qt/bench/qt_bench_tree.h"

namespace qt_bench {

class Subject {
public:
    virtual ~Subject() = default;

    // The shown widget, or nothing.
    virtual QWidget* widget() const = 0;
    // Adds the items under the section: check boxes, or option buttons.
    virtual void add(const std::vector<std::string>& keys, bool options) = 0;
    // Called once the items of a job that works on a tree made beforehand
    // are added and shown.
    virtual void ready() {}
    // Empties the tree and adds the section again.
    virtual void reset() = 0;
    virtual void setAll(bool on) = 0;
    virtual void invert() = 0;
    // The option at `row` (whose key is `key`) on, the others off.
    virtual void selectOption(const std::string& key, size_t row) = 0;
    // Collects every item's state, text and key; returns how many states.
    virtual int64_t read() = 0;
    // Drops what read() collected.
    virtual void dropRead() = 0;
    virtual void expandAll(bool open) = 0;
};

std::unique_ptr<Subject> makeSubject(Way way);

// Runs the event loop until a pass of it neither paints the widget nor lays
// it out nor runs one of its timers: the widget has done all the work that
// the last change gave it. Returns the paints it saw.
int drain(QWidget* widget);

// Checks that drain() leaves no work behind: a change through the manager
// on the model tree view is painted within drain(), and nothing is painted
// in a later wait. Prints what it saw; false when it left work behind.
bool drainCatchesDeferredWork();

}  // namespace qt_bench
