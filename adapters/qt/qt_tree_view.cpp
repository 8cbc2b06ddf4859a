#include "adapters/qt/qt_tree_view.h"

#include <utility>

#include "adapters/qt/qt_tree_store.h"
#include "outside/stored_node.h"

namespace qt_tree {
namespace {

QTreeWidget* newWidget() {
    auto* widget = new QTreeWidget;
    widget->setColumnCount(1);
    return widget;
}

}  // namespace

QtTreeView::QtTreeView() : QtTreeView(std::make_shared<Store>(), newWidget(), true) {}

QtTreeView::QtTreeView(QTreeWidget* widget) : QtTreeView(std::make_shared<Store>(), widget, false) {}

QtTreeView::QtTreeView(std::shared_ptr<Store> store, QTreeWidget* widget, bool ownsWidget)
    : ViewBase(store), store_(std::move(store)) {
    if (!widget) throw rt::errInvalidCall();
    store_->view = widget;
    store_->ownsWidget = ownsWidget;
    if (ownsWidget) {
        prepareOwnWidget(*widget);
    } else {
        prepareWidget(*widget);
        store_->labelEdit = widget->editTriggers() == QAbstractItemView::NoEditTriggers ? 1 : 0;
        store_->adoptItems();
    }
    hookWidget();
    // The user edited an item's text: the node takes it, unless the item
    // still shows the node's own text (which keeps bytes that are no UTF-8).
    std::weak_ptr<Store> weak = store_;
    QObject::connect(widget, &QTreeWidget::itemChanged, widget, [weak](QTreeWidgetItem* item, int column) {
        std::shared_ptr<Store> s = weak.lock();
        if (!s || !s->usable() || column != 0 || s->quietItemChanges > 0) return;
        const int32_t index = s->indexOfItem(item);
        if (index == NoNode) return;
        std::string& text = s->nodes[index].text;
        const QString shown = item->text(0);
        if (shown != QString::fromStdString(text)) text = shown.toStdString();
    });
}

QtTreeView::~QtTreeView() = default;

QTreeWidget* QtTreeView::widget() const { return store_->widget(); }

QTreeWidgetItem* QtTreeView::itemOf(const rt::Ref<tree::TreeNode>& node) const {
    auto* own = dynamic_cast<tree::StoredNode*>(node.get());
    const int32_t index = own ? own->indexIn(*store_) : NoNode;
    return index == NoNode ? nullptr : store_->items[index];
}

rt::Ref<tree::TreeNode> QtTreeView::nodeOf(const QTreeWidgetItem* item) const {
    if (!store_->usable()) return nullptr;
    return store_->objectOrNothing(store_->indexOfItem(item));
}

void QtTreeView::checkInvariants() const { store_->checkInvariants(); }

}  // namespace qt_tree
