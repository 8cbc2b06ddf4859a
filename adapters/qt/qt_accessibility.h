#pragma once
// What assistive technology (screen readers, voice control) learns about a
// Qt tree view. A node's state lives only in its image key, so Qt's own
// description of the view would call every row a plain tree item and never
// say whether it is on. This gives the view an accessible description of its
// own, in terms of its model's indexes, so that it serves a QTreeWidget and a
// plain QTreeView over any model alike:
//
//   AccessibleItems accessible(view, describe, click);  // while the view lives
//   accessible.imageChanged(index);                      // after a new image key
//
// The tree is a table of the rows that show (one cell per column, the column
// headers first while the header shows), in the order in which they show:
// the row numbers that the table interface gives. A node with key prefix
// "CB" and image key "chkon" or "chkoff" is a check box, one with prefix "OB"
// and "opton" or "optoff" a radio button, checked or not; every other row is
// a plain tree item, and one with children opens and closes (its expanded
// state and the Expand and Collapse actions). Checking an item through
// assistive technology clicks the node, as the user's click does. A row's
// description is its note (the node's tag). Qt draws no check box and keeps
// no check state of its own: the description is all there is.
//
// Changes are told as they happen, for the rows that show: the checked
// state, the role, a section opening or closing, a new text, and a check box
// or radio button scrolling in or out of view. When the tree gets the
// keyboard, the current row takes the focus. See qt_accessible_events.h for
// what becomes of the events that Qt sends about the view itself.

#include <QAccessible>
#include <QModelIndex>
#include <QPointer>
#include <QTreeView>
#include <functional>
#include <string_view>

#include "runtime/variant.h"

namespace qt_tree {

enum class ItemRole { Plain, CheckBox, RadioButton };

struct ItemState {
    ItemRole role = ItemRole::Plain;
    bool checked = false;
    bool operator==(const ItemState&) const = default;
};

// What a node is, from its key and image: key prefix and image key are
// compared without regard to case; an image given by list position, or an
// image key of another kind of item, makes a plain item.
ItemState itemStateOf(std::string_view key, const rt::Variant& image);

class AccessibleTree;

// Where the events of our trees go (those that they tell, and those of Qt's
// that pass them): to the platform while assistive technology listens, or
// to a test's listener while one is set (nothing: the platform again).
// Returns the listener before.
using AccessibilityUpdate = void (*)(QAccessibleEvent* event);
AccessibilityUpdate setAccessibilityUpdate(AccessibilityUpdate update);

// The accessible description of one tree view, for as long as this object
// lives; afterwards the view has Qt's own description again.
class AccessibleItems {
public:
    // What the row of a model index (column 0) is; plain for rows that are
    // no nodes.
    using Describe = std::function<ItemState(const QModelIndex&)>;
    // Clicks the node of a model index (column 0), as the user's click does.
    using Click = std::function<void(const QModelIndex&)>;
    // The note of a row (column 0) that describes it; none by default.
    using Note = std::function<QString(const QModelIndex&)>;

    AccessibleItems(QTreeView* view, Describe describe, Click click);
    ~AccessibleItems();
    AccessibleItems(const AccessibleItems&) = delete;
    AccessibleItems& operator=(const AccessibleItems&) = delete;

    void setNote(Note note) { note_ = std::move(note); }

    // The image key of a row changed (an index of the view's model, column
    // 0): assistive technology that knows the row hears of it when its
    // checked state or its role changed. It hears once the event loop runs
    // again, so that a walk that switches every option off and one on again
    // tells only what changed in the end; a row that does not show is told
    // once it shows again.
    void imageChanged(const QModelIndex& index);
    // Whether assistive technology has asked for any row yet. Until it has,
    // imageChanged has nothing to do, and a caller for whom making the index
    // costs something may leave it out.
    bool knowsRows() const;

    ItemState describe(const QModelIndex& index) const { return describe_(index); }
    void click(const QModelIndex& index) const { click_(index); }
    QString note(const QModelIndex& index) const { return note_ ? note_(index) : QString(); }
    // None once the view is being destroyed: a widget half destroyed is no
    // longer a tree view, and Qt may still ask about it then.
    QTreeView* view() const { return qobject_cast<QTreeView*>(view_.data()); }

private:
    friend class AccessibleTree;
    friend AccessibleTree* describedTree(QObject* object);

    QPointer<QObject> view_;
    const QObject* registeredAs_;  // the view's address, which outlives it
    Describe describe_;
    Click click_;
    Note note_;
    AccessibleTree* tree_ = nullptr;  // the description, while Qt keeps it
};

}  // namespace qt_tree
