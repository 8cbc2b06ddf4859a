#include "adapters/qt/qt_view_base.h"

#include <QHeaderView>
#include <cmath>
#include <utility>

#include "adapters/qt/qt_view_data.h"
#include "adapters/qt/qt_widget_hooks.h"
#include "outside/stored_node.h"

namespace qt_tree {
namespace {

constexpr auto AutomaticEditing = QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed;

}  // namespace

ViewBase::ViewBase(std::shared_ptr<ViewData> data) : data_(std::move(data)) {}

ViewBase::~ViewBase() {
    hooks_.reset();
    data_->viewGone = true;
    data_->markUnusable();
    // A widget that a host window took in is the window's to delete.
    if (data_->ownsWidget && data_->view && !data_->view->parent()) delete data_->view.data();
}

void ViewBase::prepareWidget(QTreeView& widget) {
    widget.setSortingEnabled(false);
    widget.setUniformRowHeights(true);
    widget.setIconSize(QSize(IconSize, IconSize));
    widget.setMouseTracking(true);
    widget.viewport()->setMouseTracking(true);
}

void ViewBase::prepareOwnWidget(QTreeView& widget) {
    widget.setHeaderHidden(true);
    widget.setSelectionMode(QAbstractItemView::SingleSelection);
    widget.setEditTriggers(AutomaticEditing);
    prepareWidget(widget);
}

void ViewBase::hookWidget() { hooks_ = std::make_unique<WidgetHooks>(data_, data_->view); }

rt::Ref<tree::TreeNodes> ViewBase::Nodes() {
    if (!nodes_) nodes_ = rt::make<tree::StoredNodes>(data_);
    return nodes_;
}

rt::Ref<tree::ImageList> ViewBase::GetImageList() { return data_->imageList; }

void ViewBase::SetImageList(const rt::Ref<tree::ImageList>& list) { data_->setImageList(list); }

int32_t ViewBase::LabelEdit() { return data_->labelEdit; }

void ViewBase::setLabelEdit(int32_t mode) {
    if (mode == data_->labelEdit) return;
    data_->labelEdit = mode;
    if (QTreeView* widget = data_->view)
        widget->setEditTriggers(mode == 0 ? QAbstractItemView::EditTriggers(AutomaticEditing)
                                          : QAbstractItemView::NoEditTriggers);
}

rt::Ref<tree::TreeNode> ViewBase::HitTest(float x, float y) {
    std::shared_ptr<ViewData> d = data_;
    d->requireUsable();
    // Written so that NaN falls outside as well; far points hit nothing.
    constexpr float Far = 1e7f;
    if (!(x > -Far && x < Far && y > -Far && y < Far)) return nullptr;
    const QPoint point(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)));
    return d->objectOrNothing(d->nodeAt(d->view->indexAt(point)));
}

std::string ViewBase::ToolTipText() {
    if (!data_->offersToolTipText) throw rt::errNoSuchMember("ToolTipText");
    data_->requireUsable();
    // The host may have set the widget's tool tip itself.
    const QString shown = data_->view->toolTip();
    if (shown == QString::fromStdString(data_->toolTipText)) return data_->toolTipText;
    return shown.toStdString();
}

void ViewBase::setToolTipText(const std::string& text) {
    if (!data_->offersToolTipText) throw rt::errNoSuchMember("ToolTipText");
    data_->requireUsable();
    data_->toolTipText = text;
    data_->view->setToolTip(QString::fromStdString(text));
}

void ViewBase::setOffersToolTipText(bool offers) { data_->offersToolTipText = offers; }

void ViewBase::setSpaceActsAsClick(bool acts) { hooks_->setSpaceActsAsClick(acts); }
bool ViewBase::spaceActsAsClick() const { return hooks_->spaceActsAsClick(); }

int32_t ViewBase::advise(tree::TreeViewEvents* listener) { return data_->events.advise(listener); }
void ViewBase::unadvise(int32_t cookie) { data_->events.unadvise(cookie); }
size_t ViewBase::listenerCount() const { return data_->events.count(); }

}  // namespace qt_tree
