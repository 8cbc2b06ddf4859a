#pragma once
// The tree views that the tests hold side by side: the in-memory one and
// the two over a shown Qt widget (offscreen). Both offer what a user does:
// the Qt one through real mouse and key events on the widget.

#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <type_traits>

#include "adapters/qt/qt_keys.h"
#include "adapters/qt/qt_model_tree_view.h"
#include "adapters/qt/qt_tree_view.h"
#include "outside/memory_tree.h"

namespace qt_tests {

struct MemorySubject {
    struct Modifier {
        Qt::KeyboardModifier flag;
        Qt::Key key;
        int16_t mask;
    };
    static constexpr Modifier Modifiers[] = {{Qt::ShiftModifier, Qt::Key_Shift, qt_tree::ShiftMask},
                                             {Qt::ControlModifier, Qt::Key_Control, qt_tree::CtrlMask},
                                             {Qt::AltModifier, Qt::Key_Alt, qt_tree::AltMask}};

    rt::Ref<tree::MemoryTreeView> view = rt::make<tree::MemoryTreeView>();

    tree::TreeView& tree() { return *view; }
    void checkInvariants() { view->checkInvariants(); }
    void offerToolTip(bool offers) { view->setOffersToolTipText(offers); }
    void click(const std::string& key) { view->clickNode(key); }
    // As a keyboard does it: the modifier keys go down first and up last,
    // and each event carries the modifiers that are down after it.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        int16_t down = 0;
        for (const auto& [flag, modifierKey, mask] : Modifiers)
            if (modifiers.testFlag(flag)) view->pressKey(qt_tree::virtualKeyCode(modifierKey, false), down |= mask);
        view->pressKey(qt_tree::virtualKeyCode(key, false), down);
    }
    void release(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        int16_t down = qt_tree::shiftMask(modifiers);
        view->releaseKey(qt_tree::virtualKeyCode(key, false), down);
        for (auto it = std::rbegin(Modifiers); it != std::rend(Modifiers); ++it)
            if (modifiers.testFlag(it->flag))
                view->releaseKey(qt_tree::virtualKeyCode(it->key, false), down &= static_cast<int16_t>(~it->mask));
    }
    // A point on a showing node's row, and one below every row.
    QPointF pointOn(const std::string& key) {
        const float top = view->rowTop(view->Nodes()->Item(rt::Variant(key)));
        EXPECT_GE(top, 0) << key << " has no row";
        return {10, top + tree::MemoryTreeView::RowHeight / 2};
    }
    QPointF pointBelowRows() { return {10, 600}; }
    void movePointer(QPointF point) {
        view->movePointer(0, 0, static_cast<float>(point.x()), static_cast<float>(point.y()));
    }
};

// A tree view over its own widget, shown at a size that holds a few dozen
// rows: the one over a QTreeWidget, or the one over a model in a QTreeView.
template <class View>
struct QtSubjectOf {
    rt::Ref<View> view = rt::make<View>();

    QtSubjectOf() {
        widget()->resize(360, 480);  // inside the offscreen screen (800 x 600)
        widget()->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(widget()));
    }

    tree::TreeView& tree() { return *view; }
    auto* widget() { return view->widget(); }
    void checkInvariants() { view->checkInvariants(); }
    void offerToolTip(bool offers) { view->setOffersToolTipText(offers); }

    QTreeWidgetItem* item(const std::string& key)
        requires std::is_same_v<View, qt_tree::QtTreeView>
    {
        return view->itemOf(view->Nodes()->Item(rt::Variant(key)));
    }
    // The model index of a node's row.
    QModelIndex indexOf(const std::string& key) {
        if constexpr (std::is_same_v<View, qt_tree::QtTreeView>)
            return widget()->indexFromItem(item(key));
        else
            return view->indexOf(view->Nodes()->Item(rt::Variant(key)));
    }
    // The centre of a node's row in viewport pixels; the row must be
    // showing (its parents open), and is scrolled into view.
    QPoint centreOf(const std::string& key) {
        const QModelIndex index = indexOf(key);
        widget()->scrollTo(index);
        const QRect rect = widget()->visualRect(index);
        EXPECT_TRUE(rect.isValid()) << key << " has no row on screen";
        return rect.center();
    }
    // A left click with the real mouse events of the platform.
    void click(const std::string& key) {
        QTest::mouseClick(widget()->viewport(), Qt::LeftButton, {}, centreOf(key));
    }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) { QTest::keyPress(widget(), key, modifiers); }
    void release(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) { QTest::keyRelease(widget(), key, modifiers); }
    QPointF pointOn(const std::string& key) { return centreOf(key); }
    QPointF pointBelowRows() { return {10, widget()->viewport()->height() - 2.0}; }
    // The platform's own pointer move (the cursor moves over the window).
    void movePointer(QPointF point) { QTest::mouseMove(widget()->viewport(), point.toPoint()); }
};

using QtSubject = QtSubjectOf<qt_tree::QtTreeView>;
using QtModelSubject = QtSubjectOf<qt_tree::QtModelTreeView>;

}  // namespace qt_tests
