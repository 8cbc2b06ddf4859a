#include "adapters/qt/qt_accessibility.h"

#include <QAccessible>
#include <QHash>
#include <utility>

#include "adapters/qt/qt_accessible_events.h"
#include "adapters/qt/qt_accessible_tree.h"
#include "runtime/text.h"

namespace qt_tree {

ItemState itemStateOf(std::string_view key, const rt::Variant& image) {
    const auto* imageKey = std::get_if<std::string>(&image.storage());
    if (!imageKey) return {};
    const std::string prefix = rt::leftChars(key, 2);
    if (rt::textEquals(prefix, "CB")) {
        if (rt::textEquals(*imageKey, "chkon")) return {ItemRole::CheckBox, true};
        if (rt::textEquals(*imageKey, "chkoff")) return {ItemRole::CheckBox, false};
    } else if (rt::textEquals(prefix, "OB")) {
        if (rt::textEquals(*imageKey, "opton")) return {ItemRole::RadioButton, true};
        if (rt::textEquals(*imageKey, "optoff")) return {ItemRole::RadioButton, false};
    }
    return {};
}

namespace {

// The live AccessibleItems of each view. Never deleted: descriptions may
// be asked for while static data is being destroyed.
QHash<const QObject*, AccessibleItems*>& registry() {
    static auto* items = new QHash<const QObject*, AccessibleItems*>;
    return *items;
}

QAccessibleInterface* describeTreeView(const QString&, QObject* object) {
    AccessibleItems* items = registry().value(object);
    if (!items || items->view() != object) return nullptr;
    return new AccessibleTree(items->view(), items);
}

}  // namespace

AccessibleTree* describedTree(QObject* object) {
    AccessibleItems* items = registry().value(object);
    if (!items || items->view() != object) return nullptr;
    if (!items->tree_) QAccessible::queryAccessibleInterface(object);  // Qt makes it through our factory
    return items->tree_;
}

AccessibleItems::AccessibleItems(QTreeView* view, Describe describe, Click click)
    : view_(view), registeredAs_(view), describe_(std::move(describe)), click_(std::move(click)) {
    static const bool installed = [] {
        QAccessible::installFactory(describeTreeView);
        return true;
    }();
    (void)installed;
    events::startFiltering();
    registry().insert(view, this);
    // A description made before, Qt's own or another view's, gives way.
    QAccessibleInterface* existing = QAccessible::queryAccessibleInterface(view);
    if (existing && existing != tree_) QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(existing));
}

AccessibleItems::~AccessibleItems() {
    auto found = registry().find(registeredAs_);
    if (found != registry().end() && found.value() == this) registry().erase(found);
    // The view, if it stays, gets Qt's own description again.
    if (AccessibleTree* tree = std::exchange(tree_, nullptr)) {
        tree->detach();
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(tree));
    }
}

bool AccessibleItems::knowsRows() const { return tree_ && tree_->hasCells(); }

void AccessibleItems::imageChanged(const QModelIndex&) {
    if (tree_) tree_->imageChanged();
}

}  // namespace qt_tree
