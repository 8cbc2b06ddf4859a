#include "adapters/qt/qt_widget_hooks.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QTreeWidget>

#include "adapters/qt/qt_keys.h"
#include "adapters/qt/qt_tree_store.h"

namespace qt_tree {

WidgetHooks::WidgetHooks(std::shared_ptr<QtTreeView::Store> store, QTreeWidget* widget)
    : store_(std::move(store)), widget_(widget), viewport_(widget->viewport()) {
    widget->installEventFilter(this);
    viewport_->installEventFilter(this);
    connect(widget, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int) { itemClicked(item); });
    connect(widget, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        itemChanged(item, column);
    });
    connect(widget, &QObject::destroyed, this, [this] { store_->forgetWidget(); });
}

WidgetHooks::~WidgetHooks() {
    if (QTreeWidget* widget = store_->widget) widget->removeEventFilter(this);
    if (viewport_) viewport_->removeEventFilter(this);
}

// Each raise holds the data itself: a listener may release the view while the
// event is under way.

template <class Call>
void WidgetHooks::raise(Call call) {
    std::shared_ptr<QtTreeView::Store> s = store_;
    try {
        s->events.raise(call);
    } catch (const std::exception& e) {
        qWarning("A listener of the tree view's events failed: %s", e.what());
    }
}

void WidgetHooks::itemClicked(QTreeWidgetItem* item) {
    std::shared_ptr<QtTreeView::Store> s = store_;
    const int32_t index = s->indexOfItem(item);
    if (index == NoNode || !s->usable()) return;
    rt::Ref<tree::TreeNode> node = s->objectFor(index);
    raise([&](tree::TreeViewEvents& listener) { listener.NodeClick(node); });
}

void WidgetHooks::itemChanged(QTreeWidgetItem* item, int column) {
    if (column != 0 || store_->quietItemChanges > 0) return;
    const int32_t index = store_->indexOfItem(item);
    if (index == NoNode) return;
    // The user edited the text: the node takes it, unless the item still
    // shows the node's own text (which keeps bytes that are no UTF-8).
    std::string& text = store_->nodes[index].text;
    const QString shown = item->text(0);
    if (shown != QString::fromStdString(text)) text = shown.toStdString();
}

bool WidgetHooks::eventFilter(QObject* watched, QEvent* event) {
    std::shared_ptr<QtTreeView::Store> s = store_;
    if (!s->usable()) return false;
    if (watched == widget_) {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            int16_t code = virtualKeyCode(*key);
            int16_t shift = shiftMask(key->modifiers());
            raise([&](tree::TreeViewEvents& listener) { listener.KeyDown(code, shift); });
        } else if (event->type() == QEvent::KeyRelease) {
            auto* key = static_cast<QKeyEvent*>(event);
            // A key held down repeats its key-down only, as with the control.
            if (key->isAutoRepeat()) return false;
            int16_t code = virtualKeyCode(*key);
            int16_t shift = shiftMask(key->modifiers());
            raise([&](tree::TreeViewEvents& listener) { listener.KeyUp(code, shift); });
        }
    } else if (watched == viewport_.data()) {
        if (event->type() == QEvent::Paint) {
            s->repaintPending = false;
        } else if (event->type() == QEvent::MouseMove) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            int16_t button = buttonMask(mouse->buttons());
            int16_t shift = shiftMask(mouse->modifiers());
            float x = static_cast<float>(mouse->position().x());
            float y = static_cast<float>(mouse->position().y());
            raise([&](tree::TreeViewEvents& listener) { listener.MouseMove(button, shift, x, y); });
        }
    }
    return false;  // the widget handles every event as usual
}

}  // namespace qt_tree
