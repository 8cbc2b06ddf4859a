#include "outside/memory_tree_store.h"

#include <utility>

#include "outside/memory_tree_node.h"
#include "runtime/text.h"

namespace tree {
namespace {

// Missing, Empty and the empty text all mean "none".
std::string optionalText(const rt::Variant& v) {
    if (v.isMissing() || v.isEmpty()) return {};
    return rt::toText(v);
}

}  // namespace

int32_t MemoryTreeView::Store::findKey(const std::string& key) const {
    if (key.empty()) return NoNode;
    auto it = byKey.find(rt::foldCase(key));
    return it == byKey.end() ? NoNode : it->second;
}

int32_t MemoryTreeView::Store::indexOf(const rt::Variant& keyOrPosition) const {
    if (keyOrPosition.isString()) {
        int32_t found = findKey(rt::toText(keyOrPosition));
        if (found == NoNode) throw errElementNotFound();
        return found;
    }
    if (keyOrPosition.isObject()) throw rt::errTypeMismatch();
    int32_t position = rt::toInt32(keyOrPosition);
    if (position < 1 || position > count()) throw errIndexOutOfBounds();
    return position - 1;
}

rt::Variant MemoryTreeView::Store::checkedImage(const rt::Variant& image) const {
    if (image.isMissing() || image.isEmpty()) return {};
    if (image.isString()) {
        std::string key = rt::toText(image);
        if (key.empty()) return {};
        if (!imageList) throw errImageListNotInitialized();
        if (!imageList->ListImages()->hasKey(key)) throw errElementNotFound();
        return key;
    }
    if (!image.isNumeric()) throw rt::errTypeMismatch();
    if (!imageList) throw errImageListNotInitialized();
    int32_t position = rt::toInt32(image);
    if (position < 1 || position > imageList->ListImages()->Count()) throw errIndexOutOfBounds();
    return position;
}

int32_t MemoryTreeView::Store::add(const rt::Variant& relative, const rt::Variant& relationship,
                                   const rt::Variant& key, const rt::Variant& text, const rt::Variant& image) {
    // Every check comes before the first change, so a failed add leaves the
    // tree as it was.
    int32_t anchor = NoNode;
    int32_t how = tvwLast;
    if (!relative.isMissing() && !relative.isEmpty()) {
        anchor = indexOf(relative);
        // The control places a node after its relative when no relationship
        // is given.
        how = relationship.isMissing() ? tvwNext : rt::toInt32(relationship);
        if (how < tvwFirst || how > tvwChild) throw rt::errInvalidCall();
    }
    std::string nodeKey = optionalText(key);
    std::string folded = rt::foldCase(nodeKey);
    if (!nodeKey.empty() && byKey.count(folded)) throw errKeyNotUnique();
    rt::Variant nodeImage = checkedImage(image);
    std::string nodeText = optionalText(text);

    int32_t parent = NoNode;
    int32_t before = NoNode;  // NoNode: last in the list
    if (anchor != NoNode) {
        const NodeData& a = nodes[anchor];
        switch (how) {
            case tvwFirst:
                parent = a.parent;
                before = parent == NoNode ? firstRoot : nodes[parent].firstChild;
                break;
            case tvwLast:
                parent = a.parent;
                break;
            case tvwNext:
                parent = a.parent;
                before = a.next;
                break;
            case tvwPrevious:
                parent = a.parent;
                before = anchor;
                break;
            default:  // tvwChild
                parent = anchor;
                break;
        }
    }

    const int32_t index = count();
    NodeData data;
    data.key = std::move(nodeKey);
    data.text = std::move(nodeText);
    data.image = std::move(nodeImage);
    const bool keyed = !data.key.empty();
    if (keyed) byKey.emplace(folded, index);
    try {
        nodes.push_back(std::move(data));
    } catch (...) {
        if (keyed) byKey.erase(folded);  // out of memory: undo the key too
        throw;
    }
    link(index, parent, before);
    return index;
}

void MemoryTreeView::Store::link(int32_t index, int32_t parent, int32_t before) {
    int32_t& first = parent == NoNode ? firstRoot : nodes[parent].firstChild;
    int32_t& last = parent == NoNode ? lastRoot : nodes[parent].lastChild;
    int32_t& siblings = parent == NoNode ? roots : nodes[parent].children;
    NodeData& d = nodes[index];
    const int32_t previous = before == NoNode ? last : nodes[before].previous;
    d.parent = parent;
    d.previous = previous;
    d.next = before;
    (previous == NoNode ? first : nodes[previous].next) = index;
    (before == NoNode ? last : nodes[before].previous) = index;
    ++siblings;
}

void MemoryTreeView::Store::clear() {
    ++generation;
    std::vector<NodeData> old;
    old.swap(nodes);
    byKey.clear();
    firstRoot = lastRoot = NoNode;
    roots = 0;
    selected = NoNode;
    // `old` goes last, once the tree is consistent again: releasing a tag may
    // run any code, this tree's included.
}

rt::Ref<TreeNode> MemoryTreeView::Store::objectFor(int32_t index) {
    NodeData& d = nodes[index];
    if (!d.object) d.object = rt::make<MemoryTreeNode>(shared_from_this(), index);
    return d.object;
}

bool MemoryTreeView::Store::isVisible(int32_t index) const {
    for (int32_t p = nodes[index].parent; p != NoNode; p = nodes[p].parent)
        if (nodes[p].expanded == 0) return false;
    return true;
}

int32_t MemoryTreeView::Store::rowOf(int32_t index) const {
    if (!isVisible(index)) return -1;
    int32_t found = -1;
    forEachRow([&](int32_t n, int32_t row) {
        if (n != index) return true;
        found = row;
        return false;
    });
    return found;
}

int32_t MemoryTreeView::Store::nodeInRow(int32_t row) const {
    if (row < 0 || row >= count()) return NoNode;
    int32_t found = NoNode;
    forEachRow([&](int32_t n, int32_t r) {
        if (r != row) return true;
        found = n;
        return false;
    });
    return found;
}

}  // namespace tree
