#include "adapters/qt/qt_tree_view.h"

#include <cmath>
#include <utility>

#include "adapters/qt/qt_tree_store.h"
#include "adapters/qt/qt_widget_hooks.h"
#include "outside/stored_node.h"

namespace qt_tree {
namespace {

constexpr auto AutomaticEditing = QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed;

// What every widget gets, the host's as well: rows of one height, so that
// the widget never measures item by item; icons at the pictures' size; and
// no sorting, because nodes stand in the order in which they were added.
void prepare(QTreeWidget& widget) {
    widget.setSortingEnabled(false);
    widget.setUniformRowHeights(true);
    widget.setIconSize(QSize(IconSize, IconSize));
    // MouseMove is raised for every pointer move, not only while dragging.
    widget.setMouseTracking(true);
    widget.viewport()->setMouseTracking(true);
}

}  // namespace

QtTreeView::QtTreeView() : store_(std::make_shared<Store>()) {
    auto* widget = new QTreeWidget;
    widget->setColumnCount(1);
    widget->setHeaderHidden(true);
    widget->setSelectionMode(QAbstractItemView::SingleSelection);
    widget->setEditTriggers(AutomaticEditing);
    prepare(*widget);
    store_->widget = widget;
    store_->ownsWidget = true;
    hooks_ = std::make_unique<WidgetHooks>(store_, widget);
}

QtTreeView::QtTreeView(QTreeWidget* widget) : store_(std::make_shared<Store>()) {
    if (!widget) throw rt::errInvalidCall();
    prepare(*widget);
    store_->widget = widget;
    store_->labelEdit = widget->editTriggers() == QAbstractItemView::NoEditTriggers ? 1 : 0;
    store_->adoptItems();
    hooks_ = std::make_unique<WidgetHooks>(store_, widget);
}

QtTreeView::~QtTreeView() {
    hooks_.reset();
    store_->viewGone = true;
    // A widget that a host window took in is the window's to delete.
    if (store_->ownsWidget && store_->widget && !store_->widget->parent()) delete store_->widget.data();
}

QTreeWidget* QtTreeView::widget() const { return store_->widget; }

rt::Ref<tree::TreeNodes> QtTreeView::Nodes() {
    if (!nodes_) nodes_ = rt::make<tree::StoredNodes>(store_);
    return nodes_;
}

rt::Ref<tree::ImageList> QtTreeView::GetImageList() { return store_->imageList; }

void QtTreeView::SetImageList(const rt::Ref<tree::ImageList>& list) { store_->setImageList(list); }

int32_t QtTreeView::LabelEdit() { return store_->labelEdit; }

void QtTreeView::setLabelEdit(int32_t mode) {
    if (mode == store_->labelEdit) return;
    store_->labelEdit = mode;
    if (QTreeWidget* widget = store_->widget)
        widget->setEditTriggers(mode == 0 ? QAbstractItemView::EditTriggers(AutomaticEditing)
                                          : QAbstractItemView::NoEditTriggers);
}

rt::Ref<tree::TreeNode> QtTreeView::HitTest(float x, float y) {
    std::shared_ptr<Store> s = store_;
    s->requireUsable();
    // Written so that NaN falls outside as well; far points hit nothing.
    constexpr float Far = 1e7f;
    if (!(x > -Far && x < Far && y > -Far && y < Far)) return nullptr;
    const QPoint point(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)));
    return s->objectOrNothing(s->indexOfItem(s->widget->itemAt(point)));
}

std::string QtTreeView::ToolTipText() {
    if (!store_->offersToolTipText) throw rt::errNoSuchMember("ToolTipText");
    store_->requireUsable();
    // The host may have set the widget's tool tip itself.
    const QString shown = store_->widget->toolTip();
    if (shown == QString::fromStdString(store_->toolTipText)) return store_->toolTipText;
    return shown.toStdString();
}

void QtTreeView::setToolTipText(const std::string& text) {
    if (!store_->offersToolTipText) throw rt::errNoSuchMember("ToolTipText");
    store_->requireUsable();
    store_->toolTipText = text;
    store_->widget->setToolTip(QString::fromStdString(text));
}

void QtTreeView::setOffersToolTipText(bool offers) { store_->offersToolTipText = offers; }

void QtTreeView::setSpaceActsAsClick(bool acts) { hooks_->setSpaceActsAsClick(acts); }
bool QtTreeView::spaceActsAsClick() const { return hooks_->spaceActsAsClick(); }

int32_t QtTreeView::advise(tree::TreeViewEvents* listener) { return store_->events.advise(listener); }
void QtTreeView::unadvise(int32_t cookie) { store_->events.unadvise(cookie); }
size_t QtTreeView::listenerCount() const { return store_->events.count(); }

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
