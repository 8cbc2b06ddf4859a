#include "adapters/qt/qt_accessible_events.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "adapters/qt/qt_accessibility.h"
#include "adapters/qt/qt_accessible_cell.h"
#include "adapters/qt/qt_accessible_tree.h"
#include "adapters/qt/qt_atspi_signal.h"

namespace qt_tree {
namespace {

AccessibilityUpdate listener = nullptr;  // a test's, while one listens
QAccessible::UpdateHandler handlerBefore = nullptr;  // installed before ours
bool filtering = false;

QAccessible::Id focused = 0;
// Set when a window of the program is activated or deactivated, until the
// next focus event: the keyboard may have been in another program since the
// focus was told last, and the reader has heard of another focus meanwhile.
bool focusMaybeElsewhere = false;
// Rows kept for the platform's last word on their focus: those kept since
// the last focus event, and those kept since the one before.
std::vector<QAccessible::Id> keptNow;
std::vector<QAccessible::Id> keptBefore;

void dropGhost(QAccessible::Id id) {
    auto* cell = dynamic_cast<AccessibleCell*>(QAccessible::accessibleInterface(id));
    if (cell && cell->ghost) QAccessible::deleteAccessibleInterface(id);
}

void focusMoved(QAccessibleEvent* event) {
    QAccessibleInterface* to = event->accessibleInterface();
    const QAccessible::Id id = to ? QAccessible::uniqueId(to) : 0;
    for (QAccessible::Id ghost : std::exchange(keptBefore, {}))
        if (ghost != id) dropGhost(ghost);
    keptBefore = std::exchange(keptNow, {});
    focused = id;
    focusMaybeElsewhere = false;
}

void filter(QAccessibleEvent* event) { events::fromQt(event); }

}  // namespace

AccessibilityUpdate setAccessibilityUpdate(AccessibilityUpdate update) { return std::exchange(listener, update); }

namespace events {

void fromQt(QAccessibleEvent* event) {
    // Nothing listens while accessibility is off, unless a test does: what
    // Qt sends then is not for us to tell.
    if (!QAccessible::isActive() && !listener) {
        if (handlerBefore) handlerBefore(event);
        return;
    }
    if (QObject* object = event->object())
        if (AccessibleTree* tree = describedTree(object)) {
            tree->takeQtEvent(event);
            return;
        }
    deliver(event);
}

void deliver(QAccessibleEvent* event) {
    if (event->type() == QAccessible::Focus) focusMoved(event);
    if (event->type() == QAccessible::StateChanged && static_cast<QAccessibleStateChangeEvent*>(event)->changedStates().active)
        focusMaybeElsewhere = true;
    if (listener) {
        listener(event);
    } else {
        toPlatform(event);
    }
}

void toPlatform(QAccessibleEvent* event) {
    QAccessible::UpdateHandler current = QAccessible::installUpdateHandler(nullptr);
    if (current && current != &filter) {
        // A handler installed after ours takes everything, ours included.
        QAccessible::installUpdateHandler(current);
        current(event);
        return;
    }
    if (handlerBefore) {
        QAccessible::installUpdateHandler(current);
        handlerBefore(event);
        return;
    }
    // Qt has told the tables of their model's change before it called the
    // filter; the platform takes no notice of it.
    if (event->type() != QAccessible::TableModelChanged) QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(current);
    // Only our rows: what Qt's own widgets say is theirs.
    if (event->type() == QAccessible::StateChanged && QAccessible::isActive() &&
        static_cast<QAccessibleStateChangeEvent*>(event)->changedStates().expanded)
        if (auto* row = dynamic_cast<AccessibleCell*>(event->accessibleInterface()))
            atspi::tellStateChange(row, "expanded", row->state().expanded);
}

void startFiltering() {
    if (std::exchange(filtering, true)) return;
    handlerBefore = QAccessible::installUpdateHandler(&filter);
}

QAccessible::Id lastFocus() { return focused; }

bool readerHasFocusOn(QAccessible::Id id) { return id == focused && !focusMaybeElsewhere; }

void keepUntilFocusMovesOn(QAccessible::Id row) { keptNow.push_back(row); }

void forget(QAccessible::Id row) {
    std::erase(keptNow, row);
    std::erase(keptBefore, row);
}

}  // namespace events
}  // namespace qt_tree
