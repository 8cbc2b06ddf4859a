#include "adapters/qt/qt_model_tree_view.h"

#include <utility>

#include "adapters/qt/qt_model_data.h"
#include "adapters/qt/qt_node_model.h"
#include "outside/stored_node.h"

namespace qt_tree {

QtModelTreeView::QtModelTreeView() : QtModelTreeView(std::make_shared<ModelData>(), new QTreeView, true) {}

QtModelTreeView::QtModelTreeView(QTreeView* widget)
    : QtModelTreeView(std::make_shared<ModelData>(), widget, false) {}

QtModelTreeView::QtModelTreeView(std::shared_ptr<ModelData> data, QTreeView* widget, bool ownsWidget)
    : ViewBase(data), data_(std::move(data)) {
    if (!widget) throw rt::errInvalidCall();
    data_->view = widget;
    data_->ownsWidget = ownsWidget;
    // The widget keeps the model: a widget that outlives its view keeps
    // showing the nodes it had.
    data_->model = new NodeModel(data_, widget);
    // Deleted with the widget, or by a host alone: the nodes cannot show.
    QObject::connect(data_->model, &QObject::destroyed, [weak = std::weak_ptr<ModelData>(data_)] {
        if (auto d = weak.lock(); d && !d->widgetGone) d->forgetWidget();
    });
    if (ownsWidget) {
        prepareOwnWidget(*widget);
    } else {
        prepareWidget(*widget);
        data_->labelEdit = widget->editTriggers() == QAbstractItemView::NoEditTriggers ? 1 : 0;
    }
    widget->setModel(data_->model);
    hookWidget();
}

QtModelTreeView::~QtModelTreeView() = default;

QTreeView* QtModelTreeView::widget() const { return data_->view; }

QAbstractItemModel* QtModelTreeView::model() const { return data_->model; }

QModelIndex QtModelTreeView::indexOf(const rt::Ref<tree::TreeNode>& node) const {
    auto* own = dynamic_cast<tree::StoredNode*>(node.get());
    const int32_t index = own && data_->usable() ? own->indexIn(*data_) : NoNode;
    return index == NoNode ? QModelIndex() : data_->modelIndexOf(index);
}

rt::Ref<tree::TreeNode> QtModelTreeView::nodeOf(const QModelIndex& index) const {
    if (!data_->usable()) return nullptr;
    return data_->objectOrNothing(data_->nodeAt(index));
}

void QtModelTreeView::checkInvariants() const { data_->checkInvariants(); }

}  // namespace qt_tree
