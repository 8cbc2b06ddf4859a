#include "adapters/qt/qt_model_data.h"

#include <algorithm>
#include <exception>
#include <string>
#include <utility>

#include "adapters/qt/qt_node_model.h"

namespace qt_tree {
namespace {

template <class T>
[[gnu::noinline]] void grow(std::vector<T>& v, size_t least) {
    v.reserve(std::max(least, 2 * v.capacity()));
}

// Room for one more element, in doubling steps so that adding stays linear.
// Every add asks, and nearly every time there is room: only growing is a
// call.
template <class T>
inline void makeRoom(std::vector<T>& v, size_t least = 4) {
    if (v.size() == v.capacity()) [[unlikely]]
        grow(v, least);
}

// Marks the model as telling its views of a change while it runs.
class Changing {
public:
    explicit Changing(bool& flag) : flag_(flag) { flag_ = true; }
    ~Changing() { flag_ = false; }
    Changing(const Changing&) = delete;
    Changing& operator=(const Changing&) = delete;

private:
    bool& flag_;
};

}  // namespace

ModelData::~ModelData() { orphanObjects(); }

bool ModelData::showsModel() const { return view && view->model() == static_cast<QAbstractItemModel*>(model.data()); }

int32_t ModelData::add(const rt::Variant& relative, const rt::Variant& relationship, const rt::Variant& key,
                       const rt::Variant& text, const rt::Variant& image) {
    // A listener of the model's signals may not change the tree while the
    // model tells of a change.
    if (changingRows) throw rt::errInvalidCall();
    return addPrepared(prepare(relative, relationship, key, text, image));
}

int32_t ModelData::addTexts(std::string_view relative, int32_t relationship, std::string_view key,
                            std::string_view text, std::string_view image) {
    if (changingRows) throw rt::errInvalidCall();
    return addPrepared(prepareTexts(relative, relationship, key, text, image));
}

int32_t ModelData::addPrepared(tree::NewNode&& node) {
    // Every check and every allocation comes before the first change, so a
    // failed add leaves the tree and the model as they were.
    const int32_t index = count();
    const auto [parent, before] = node.place;
    makeRoom(childLists, 64);  // before taking a reference into it
    makeRoom(rows, 64);
    std::vector<int32_t>& siblings = childLists[static_cast<size_t>(parent + 1)];
    makeRoom(siblings);
    const int row = before == NoNode ? static_cast<int>(siblings.size()) : rows[static_cast<size_t>(before)];
    // Only rows appended under one owner wait to be told together.
    const bool append = before == NoNode;
    if (!append || (owedRows != 0 && owedOwner != parent)) tellOwedRows();
    insert(std::move(node));

    if (append) {
        siblings.push_back(index);
        rows.push_back(row);
        childLists.emplace_back();
        owedOwner = parent;
        if (owedRows++ == 0) model->owesRows();
    } else {
        Changing changing(changingRows);
        model->beginAdd(parent, row, row);
        siblings.insert(siblings.begin() + row, index);
        for (size_t r = static_cast<size_t>(row) + 1; r < siblings.size(); ++r)
            rows[static_cast<size_t>(siblings[r])] = static_cast<int32_t>(r);
        rows.push_back(row);
        childLists.emplace_back();
        model->endAdd();
    }
    // A node that was told to be open before it had children opens now.
    if (parent != NoNode && siblings.size() == 1 && expandedValues[static_cast<size_t>(parent)] != 0)
        showExpanded(parent, true);
    return index;
}

void ModelData::tellOwedRows() {
    if (owedRows == 0 || changingRows || !model) return;
    Changing changing(changingRows);
    const int32_t all = static_cast<int32_t>(childrenOf(owedOwner).size());
    model->beginAdd(owedOwner, all - owedRows, all - 1);
    owedRows = 0;
    model->endAdd();
}

void ModelData::clear() {
    if (changingRows) throw rt::errInvalidCall();
    tree::DroppedNodes old;
    {
        Changing changing(changingRows);
        model->beginClear();
        old = takeAll();
        childLists.assign(1, {});
        rows.clear();
        owedRows = 0;
        model->endClear();
    }
    // `old` goes last, once the tree is consistent again.
}

void ModelData::forgetWidget() {
    // The model goes with the widget (or alone, if a host deletes it):
    // nothing is told any more.
    widgetGone = true;
    markUnusable();
    owedRows = 0;
    childLists.assign(1, {});
    rows.clear();
    tree::DroppedNodes old = takeAll();
}

int32_t ModelData::nodeAt(const QModelIndex& index) const {
    if (!index.isValid() || !model || index.model() != model.data()) return NoNode;
    const quintptr node = index.internalId();
    return node < static_cast<quintptr>(count()) ? static_cast<int32_t>(node) : NoNode;
}

QModelIndex ModelData::modelIndexOf(int32_t index) const {
    if (!model) return {};
    // The row must be told before anyone gets its index.
    const_cast<ModelData*>(this)->tellOwedRows();
    return model->nodeIndex(index);
}

void ModelData::setText(int32_t index, const std::string& text) {
    nodes[index].text = text;
    tellOwedRows();
    model->textChanged(index);
}

void ModelData::setImage(int32_t index, const rt::Variant& image) {
    const int32_t before = nodes[index].image;
    NodeStore::setImage(index, image);
    // The same image again changes nothing that anyone could see.
    if (nodes[index].image == before) return;
    if (owedRows != 0) tellOwedRows();
    // The widget repaints what the model tells it changed, and only what
    // shows of that.
    model->imageChanged(index);
    if (imageChanged) imageChanged(index);
}

void ModelData::imagesStored(int32_t first, int32_t last) noexcept {
    model->imageRowsChanged(nodes[first].parent, rows[static_cast<size_t>(first)], rows[static_cast<size_t>(last)]);
    if (!siblingImagesChanged) return;
    try {
        siblingImagesChanged(first, last);
    } catch (const std::exception&) {
        // Out of memory, assistive technology misses the change; the tree and
        // the widget are right.
    }
}

int16_t ModelData::expanded(int32_t index) const {
    const int16_t given = expandedValues[static_cast<size_t>(index)];
    // Only a node with children opens in the widget, where the user may
    // have opened or closed it since the last set.
    if (nodes[index].children == 0 || !showsModel()) return given;
    if (!view->isExpanded(modelIndexOf(index))) return rt::False16;
    return given != 0 ? given : rt::True16;
}

void ModelData::setExpanded(int32_t index, int16_t value) {
    expandedValues[static_cast<size_t>(index)] = value;
    // A node without children is open only in its value: the widget keeps a
    // record for every open index, which would cost every later change.
    if (nodes[index].children != 0) showExpanded(index, value != 0);
}

void ModelData::showExpanded(int32_t index, bool open) {
    if (!showsModel()) return;
    const QModelIndex at = modelIndexOf(index);
    if (view->isExpanded(at) == open) return;
    // A shown widget lays its rows out again at every open or close, unless a
    // layout of all rows is due anyway: then it only notes the change. Asking
    // for that layout first (expanding nothing does) turns a walk that opens
    // every node into one layout on the next paint.
    view->expandRecursively(QModelIndex(), 0);
    view->setExpanded(at, open);
}

bool ModelData::isSelected(int32_t index) const {
    return showsModel() && view->selectionModel() && view->selectionModel()->isSelected(modelIndexOf(index));
}

void ModelData::setSelected(int32_t index, int16_t selected) {
    if (!showsModel()) return;
    const QModelIndex at = modelIndexOf(index);
    if (selected == 0) {
        if (view->selectionModel()) view->selectionModel()->select(at, QItemSelectionModel::Deselect);
        return;
    }
    // The selected node becomes the current one, as with the control; the
    // widget must neither scroll nor open parents for it, so that a
    // selection that follows the pointer keeps the tree still.
    const bool autoScroll = view->hasAutoScroll();
    view->setAutoScroll(false);
    view->setCurrentIndex(at);
    if (view) view->setAutoScroll(autoScroll);  // a slot of the host may have deleted it
}

void ModelData::checkInvariants() const {
    if (!usable()) return;  // nothing is left to check
    NodeStore::checkInvariants();
    const int32_t n = count();
    if (childLists.size() != static_cast<size_t>(n) + 1 || rows.size() != static_cast<size_t>(n))
        broken("the model keeps rows for " + std::to_string(rows.size()) + " of " + std::to_string(n) + " nodes");
    for (int32_t owner = NoNode; owner < n; ++owner) {
        const std::vector<int32_t>& children = childrenOf(owner);
        size_t row = 0;
        for (int32_t c = owner == NoNode ? firstRoot : nodes[owner].firstChild; c != NoNode; c = nodes[c].next, ++row) {
            if (row >= children.size() || children[row] != c)
                broken(nodeName(c) + " is not where the model shows it among " + ownerName(owner));
            if (rows[static_cast<size_t>(c)] != static_cast<int32_t>(row))
                broken(nodeName(c) + " has the wrong row");
        }
        if (row != children.size()) broken("the model shows more rows among " + ownerName(owner) + " than are linked");
        if (owedRows == 0 && model->rowCount(model->nodeIndex(owner)) != static_cast<int>(row))
            broken("the model counts other rows among " + ownerName(owner));
    }
}

}  // namespace qt_tree
