#pragma once
// What assistive technology hears of a tree: each row as a screen reader
// would say it, and the changes that the tree tells while a test listens.

#include <QAccessible>
#include <functional>
#include <string>
#include <utility>

#include "adapters/qt/qt_accessibility.h"

namespace qt_tests {

// The changes that the tree tells assistive technology, while the test
// listens.
class HeardEvents {
public:
    using Note = std::function<void(QAccessibleEvent*)>;
    explicit HeardEvents(Note note) {
        note_ = std::move(note);
        previous_ = qt_tree::setAccessibilityUpdate(&HeardEvents::heard);
    }
    ~HeardEvents() {
        qt_tree::setAccessibilityUpdate(previous_);
        note_ = nullptr;
    }
    HeardEvents(const HeardEvents&) = delete;
    HeardEvents& operator=(const HeardEvents&) = delete;

private:
    static void heard(QAccessibleEvent* event) {
        if (note_) note_(event);
    }
    static inline Note note_;
    qt_tree::AccessibilityUpdate previous_ = nullptr;
};

inline std::string roleName(QAccessible::Role role) {
    switch (role) {
        case QAccessible::CheckBox: return "check box";
        case QAccessible::RadioButton: return "radio button";
        case QAccessible::TreeItem: return "tree item";
        case QAccessible::ColumnHeader: return "header";
        case QAccessible::Tree: return "tree";
        default: return "role " + std::to_string(role);
    }
}

// One row as a screen reader would say it.
inline std::string said(QAccessibleInterface* cell) {
    if (!cell) return "nothing";
    std::string out = cell->text(QAccessible::Name).toStdString() + ": " + roleName(cell->role());
    const QAccessible::State state = cell->state();
    if (state.checkable) out += state.checked ? ", checked" : ", not checked";
    return out;
}

// Past the last row a tree has no row: at most the hidden header, which
// stands there only for Qt's own numbering (a row of headers, shown or not).
inline bool isNoRow(QAccessibleInterface* tree, QAccessibleInterface* past) {
    return !past || (past->role() == QAccessible::ColumnHeader && past->state().invisible && tree->indexOfChild(past) == -1);
}

// A state change as heard: the row as said, and which states changed.
inline std::string saidChange(QAccessibleEvent* event) {
    std::string what = said(event->accessibleInterface());
    switch (event->type()) {
        case QAccessible::StateChanged: break;
        case QAccessible::Focus: return what + " (focus)";
        case QAccessible::SelectionAdd: return what + " (selected)";
        case QAccessible::SelectionRemove: return what + " (unselected)";
        case QAccessible::ObjectShow: return what + " (shows)";
        case QAccessible::ObjectHide: return what + " (hidden)";
        case QAccessible::NameChanged: return what + " (renamed)";
        default: return what + " (" + std::to_string(event->type()) + ")";
    }
    const auto changed = static_cast<QAccessibleStateChangeEvent*>(event)->changedStates();
    if (changed.checked) what += " (checked changed)";
    if (changed.checkable) what += " (checkable changed)";
    if (changed.expanded) what += event->accessibleInterface()->state().expanded ? " (opened)" : " (closed)";
    return what;
}

}  // namespace qt_tests
