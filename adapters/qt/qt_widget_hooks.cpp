#include "adapters/qt/qt_widget_hooks.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <utility>

#include "adapters/qt/qt_keys.h"

namespace qt_tree {
namespace {

using Store = ViewData;

// Raises an event to every listener. A failure that a listener lets out has
// no caller to go to inside the widget's event handling: it goes to Qt's
// log, and the widget carries on. Each raise holds the data itself, and
// touches no hooks: a listener may release the view while the event is
// under way.
template <class Call>
void raise(const std::shared_ptr<Store>& s, Call call) {
    try {
        s->events.raise(call);
    } catch (const std::exception& e) {
        qWarning("A listener of the tree view's events failed: %s", e.what());
    }
}

void clickNode(std::shared_ptr<Store> s, int32_t index) {
    if (index == NoNode || !s->usable()) return;
    rt::Ref<tree::TreeNode> node = s->objectFor(index);
    raise(s, [&](tree::TreeViewEvents& listener) { listener.NodeClick(node); });
}

// Space alone; with Ctrl it stays Qt's key for selecting, and with Alt or
// Shift it belongs to the host.
bool isPlainSpace(const QKeyEvent& key) {
    return key.key() == Qt::Key_Space && (key.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

}  // namespace

WidgetHooks::WidgetHooks(std::shared_ptr<ViewData> data, QTreeView* widget)
    : store_(std::move(data)), widget_(widget), viewport_(widget->viewport()) {
    widget->installEventFilter(this);
    viewport_->installEventFilter(this);
    std::shared_ptr<Store> s = store_;
    connect(widget, &QAbstractItemView::clicked, this, [s](const QModelIndex& index) {
        if (s->usable()) clickNode(s, s->nodeAt(index));
    });
    connect(widget, &QObject::destroyed, this, [this] { store_->forgetWidget(); });
    accessible_ = std::make_unique<AccessibleItems>(
        widget,
        [this](const QModelIndex& index) { return store_->usable() ? describe(store_->nodeAt(index)) : ItemState{}; },
        [s](const QModelIndex& index) {
            if (s->usable()) clickNode(s, s->nodeAt(index));
        });
    accessible_->setNote([this](const QModelIndex& index) { return store_->usable() ? note(store_->nodeAt(index)) : QString(); });
    // Only rows that assistive technology has asked about are told.
    store_->imageChanged = [this](int32_t index) {
        if (accessible_->knowsRows()) accessible_->imageChanged(store_->modelIndexOf(index));
    };
    store_->siblingImagesChanged = [this](int32_t first, int32_t last) {
        if (!accessible_->knowsRows()) return;
        for (int32_t index = first;; index = store_->nodes[index].next) {
            accessible_->imageChanged(store_->modelIndexOf(index));
            if (index == last) return;
        }
    };
}

WidgetHooks::~WidgetHooks() {
    store_->imageChanged = nullptr;
    store_->siblingImagesChanged = nullptr;
    accessible_.reset();
    if (QTreeView* widget = store_->view) widget->removeEventFilter(this);
    if (viewport_) viewport_->removeEventFilter(this);
}

void WidgetHooks::setSpaceActsAsClick(bool acts) {
    spaceActsAsClick_ = acts;
    spacePressedOn_ = QPersistentModelIndex();
}

ItemState WidgetHooks::describe(int32_t index) const {
    if (index == NoNode) return {};
    return itemStateOf(store_->nodes[index].key, store_->image(index));
}

QString WidgetHooks::note(int32_t index) const {
    if (index == NoNode) return {};
    // A tag that is no text (a null, an object) says nothing.
    try {
        return QString::fromStdString(rt::toText(store_->tag(index)));
    } catch (const std::exception&) {
        return {};
    }
}

bool WidgetHooks::eventFilter(QObject* watched, QEvent* event) {
    std::shared_ptr<Store> s = store_;
    if (!s->usable()) return false;
    if (watched == widget_) {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Space && !key->isAutoRepeat())
                spacePressedOn_ = spaceActsAsClick_ && isPlainSpace(*key) && s->view
                                      ? QPersistentModelIndex(s->view->currentIndex())
                                      : QPersistentModelIndex();
            int16_t code = virtualKeyCode(*key);
            int16_t shift = shiftMask(key->modifiers());
            raise(s, [&](tree::TreeViewEvents& listener) { listener.KeyDown(code, shift); });
        } else if (event->type() == QEvent::KeyRelease) {
            auto* key = static_cast<QKeyEvent*>(event);
            // A key held down repeats its key-down only, as with the control.
            if (key->isAutoRepeat()) return false;
            QPersistentModelIndex clickOn;
            if (key->key() == Qt::Key_Space) clickOn = std::exchange(spacePressedOn_, QPersistentModelIndex());
            int16_t code = virtualKeyCode(*key);
            int16_t shift = shiftMask(key->modifiers());
            raise(s, [&](tree::TreeViewEvents& listener) { listener.KeyUp(code, shift); });
            // The click comes after the key-up, as a push button's does, so
            // that the manager no longer counts the key as held down.
            if (clickOn.isValid() && s->usable() && s->view && clickOn == s->view->currentIndex())
                clickNode(s, s->nodeAt(s->view->currentIndex()));
        } else if (event->type() == QEvent::FocusOut) {
            spacePressedOn_ = QPersistentModelIndex();
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
            raise(s, [&](tree::TreeViewEvents& listener) { listener.MouseMove(button, shift, x, y); });
        }
    }
    return false;  // the widget handles every event as usual
}

}  // namespace qt_tree
