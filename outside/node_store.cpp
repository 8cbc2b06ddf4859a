#include "outside/node_store.h"

#include <algorithm>
#include <new>
#include <utility>

#include "outside/stored_node.h"
#include "runtime/text.h"

namespace tree {
namespace {

// Missing, Empty and the empty text all mean "none".
std::string optionalText(const rt::Variant& v) {
    if (v.isString()) return std::get<std::string>(v.storage());
    if (v.isMissing() || v.isEmpty()) return {};
    return rt::toText(v);
}

}  // namespace

rt::Variant NodeStore::image(int32_t index) const {
    const int32_t image = nodes[index].image;
    if (image > 0) return image;
    if (image < 0) return imageKeys[static_cast<size_t>(~image)];
    return {};
}

int32_t NodeStore::storedImage(const rt::Variant& image) {
    if (image.isString()) return storedImageKey(std::get<std::string>(image.storage()));
    return image.isEmpty() ? 0 : rt::toInt32(image);
}

int32_t NodeStore::storedImageKey(const std::string& key) {
    // Walks give node after node the same key.
    if (lastImageKey_ >= 0 && imageKeys[static_cast<size_t>(lastImageKey_)] == key) return ~lastImageKey_;
    auto found = imageKeyIndex_.find(key);
    if (found == imageKeyIndex_.end()) {
        if (imageKeys.size() == imageKeys.capacity()) imageKeys.reserve(std::max<size_t>(4, 2 * imageKeys.capacity()));
        found = imageKeyIndex_.emplace(key, static_cast<int32_t>(imageKeys.size())).first;
        imageKeys.push_back(key);
    }
    lastImageKey_ = found->second;
    return ~lastImageKey_;
}

NodeStore::~NodeStore() { orphanObjects(); }

void NodeStore::orphanObjects() noexcept {
    // Objects that outlive the store must not come back here.
    for (NodeRecord& d : nodes)
        if (d.object) static_cast<StoredNode&>(*d.object).orphan(true);
}

void NodeStore::requireUsable() const {
    if (!usable()) throw errControlDeleted();
}

namespace {

// The hash of a key's folded form. Keys are nearly always short plain ASCII,
// where folding only lowers A to Z: that is done in place, without building
// the folded text. A capital I is left to the full rule, which under a
// Turkish or Azeri locale folds it to the dotless i.
size_t foldedKeyHash(std::string_view key) {
    char folded[64];
    if (key.size() <= sizeof folded) {
        bool ascii = true;
        for (size_t i = 0; i < key.size() && ascii; ++i) {
            const auto c = static_cast<unsigned char>(key[i]);
            ascii = c < 0x80 && c != 'I';
            folded[i] = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        }
        if (ascii) return NodeKeyIndex::hashOf(std::string_view(folded, key.size()));
    }
    return NodeKeyIndex::hashOf(rt::foldCase(key));
}

}  // namespace

int32_t NodeStore::findKey(const std::string& key) const {
    if (key.empty()) return NoNode;
    return findKey(key, foldedKeyHash(key));
}

int32_t NodeStore::findKey(const std::string& key, size_t keyHash) const {
    if (key.empty()) return NoNode;
    return byKey.find(keyHash, [&](int32_t index) { return rt::textEquals(nodes[index].key, key); });
}

int32_t NodeStore::indexOf(const rt::Variant& keyOrPosition) const {
    if (keyOrPosition.isString()) {
        int32_t found = findKey(std::get<std::string>(keyOrPosition.storage()));
        if (found == NoNode) throw errElementNotFound();
        return found;
    }
    if (keyOrPosition.isObject()) throw rt::errTypeMismatch();
    // A walk by position hands its 16-bit counter, node after node.
    const auto* counter = std::get_if<int16_t>(&keyOrPosition.storage());
    const int32_t position = counter ? *counter : rt::toInt32(keyOrPosition);
    if (position < 1 || position > count()) throw errIndexOutOfBounds();
    return position - 1;
}

int32_t NodeStore::relativeIndex(const rt::Variant& relative) const {
    // Items are added one after another under the same relative; keys stay
    // with their nodes until Clear, so the same bytes name the same node.
    if (relative.isString() && lastRelative_ != NoNode &&
        std::get<std::string>(relative.storage()) == lastRelativeKey_)
        return lastRelative_;
    const int32_t found = indexOf(relative);
    if (relative.isString()) {
        lastRelativeKey_ = std::get<std::string>(relative.storage());
        lastRelative_ = found;
    }
    return found;
}

bool NodeStore::listHasKey(const std::string& key) const {
    if (imageList.get() == lastFoundList_.get() && lastFoundImages_->revision() == lastFoundRevision_ &&
        key == lastFoundKey_)
        return true;
    rt::Ref<ListImages> images = imageList->ListImages();
    if (!images->hasKey(key)) return false;
    lastFoundKey_ = key;
    lastFoundRevision_ = images->revision();
    lastFoundImages_ = std::move(images);
    lastFoundList_ = imageList;
    return true;
}

void NodeStore::setImageKey(int32_t index, const std::string& key) {
    // The common case first: a key that the list has.
    if (!key.empty() && imageList && listHasKey(key)) {
        // A walk mostly gives a node the very key it bears already.
        const int32_t image = nodes[index].image;
        if (image < 0 && imageKeys[static_cast<size_t>(~image)] == key) return;
        nodes[index].image = storedImageKey(key);
        return;
    }
    nodes[index].image = storedImage(checkedImage(rt::Variant(key)));
}

rt::Variant NodeStore::checkedImage(const rt::Variant& image) const {
    if (image.isMissing() || image.isEmpty()) return {};
    if (image.isString()) {
        const std::string& key = std::get<std::string>(image.storage());
        if (key.empty()) return {};
        if (!imageList) throw errImageListNotInitialized();
        if (!listHasKey(key)) throw errElementNotFound();
        return image;
    }
    if (!image.isNumeric()) throw rt::errTypeMismatch();
    if (!imageList) throw errImageListNotInitialized();
    int32_t position = rt::toInt32(image);
    if (position < 1 || position > imageList->ListImages()->Count()) throw errIndexOutOfBounds();
    return position;
}

int32_t NodeStore::add(const rt::Variant& relative, const rt::Variant& relationship, const rt::Variant& key,
                       const rt::Variant& text, const rt::Variant& image) {
    return insert(prepare(relative, relationship, key, text, image));
}

NewNode NodeStore::prepare(const rt::Variant& relative, const rt::Variant& relationship, const rt::Variant& key,
                           const rt::Variant& text, const rt::Variant& image) const {
    int32_t anchor = NoNode;
    int32_t how = tvwLast;
    if (!relative.isMissing() && !relative.isEmpty()) {
        anchor = relativeIndex(relative);
        // The control places a node after its relative when no relationship
        // is given.
        how = relationship.isMissing() ? tvwNext : rt::toInt32(relationship);
        if (how < tvwFirst || how > tvwChild) throw rt::errInvalidCall();
    }
    NewNode node;
    node.record.key = optionalText(key);
    if (!node.record.key.empty()) {
        node.keyHash = foldedKeyHash(node.record.key);
        if (findKey(node.record.key, node.keyHash) != NoNode) throw errKeyNotUnique();
    }
    node.image = checkedImage(image);
    node.record.text = optionalText(text);
    if (anchor != NoNode) node.place = placeBy(anchor, how);
    return node;
}

Placement NodeStore::placeBy(int32_t anchor, int32_t how) const {
    const NodeRecord& a = nodes[anchor];
    switch (how) {
        case tvwFirst:
            return {a.parent, a.parent == NoNode ? firstRoot : nodes[a.parent].firstChild};
        case tvwLast:
            return {a.parent, NoNode};
        case tvwNext:
            return {a.parent, a.next};
        case tvwPrevious:
            return {a.parent, anchor};
        default:  // tvwChild
            return {anchor, NoNode};
    }
}

int32_t NodeStore::insert(NewNode node) {
    const int32_t index = count();
    const bool keyed = !node.record.key.empty();
    // Room first: out of memory, the tree stays as it was.
    if (keyed) byKey.reserveOne();
    if (expandedValues.size() == expandedValues.capacity())
        expandedValues.reserve(std::max<size_t>(16, 2 * expandedValues.capacity()));
    node.record.image = storedImage(node.image);
    nodes.push_back(std::move(node.record));
    expandedValues.push_back(0);
    if (keyed) byKey.insert(node.keyHash, index);
    link(index, node.place);
    return index;
}

void NodeStore::link(int32_t index, Placement place) {
    const auto [parent, before] = place;
    int32_t& first = parent == NoNode ? firstRoot : nodes[parent].firstChild;
    int32_t& last = parent == NoNode ? lastRoot : nodes[parent].lastChild;
    int32_t& siblings = parent == NoNode ? roots : nodes[parent].children;
    NodeRecord& d = nodes[index];
    const int32_t previous = before == NoNode ? last : nodes[before].previous;
    d.parent = parent;
    d.previous = previous;
    d.next = before;
    (previous == NoNode ? first : nodes[previous].next) = index;
    (before == NoNode ? last : nodes[before].previous) = index;
    ++siblings;
}

void NodeStore::clear() { DroppedNodes old = takeAll(); }

DroppedNodes NodeStore::takeAll() {
    ++generation;
    DroppedNodes old;
    old.records.swap(nodes);
    std::vector<int16_t>().swap(expandedValues);
    old.tags.swap(tags);
    tags = initialTags();
    imageKeys.clear();
    imageKeyIndex_.clear();
    lastImageKey_ = -1;
    lastRelative_ = NoNode;
    // Objects of the old nodes are dead now; they must not come back here.
    for (NodeRecord& d : old.records)
        if (d.object) static_cast<StoredNode&>(*d.object).orphan(false);
    byKey.clear();
    firstRoot = lastRoot = NoNode;
    roots = 0;
    return old;
}

void NodeStore::setText(int32_t index, const std::string& text) { nodes[index].text = text; }

void NodeStore::setImage(int32_t index, const rt::Variant& image) {
    if (image.isString())
        setImageKey(index, std::get<std::string>(image.storage()));
    else
        nodes[index].image = storedImage(checkedImage(image));
}

bool NodeStore::imageInPlace(const rt::Variant& image, int32_t& stored) {
    try {
        stored = storedImage(checkedImage(image));
        return true;
    } catch (const rt::Error&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

rt::Variant NodeStore::exchangeTag(int32_t index, const rt::Variant& tag) {
    int32_t& slot = nodes[index].tag;
    if (slot < 2) {
        // A shared slot: the node keeps sharing for Empty and the empty
        // text, and takes a slot of its own for anything else.
        rt::Variant old = tags[static_cast<size_t>(slot)];
        if (tag.isEmpty()) {
            slot = 0;
        } else if (tag.isString() && std::get<std::string>(tag.storage()).empty()) {
            slot = 1;
        } else {
            tags.push_back(tag);
            slot = static_cast<int32_t>(tags.size() - 1);
        }
        return old;
    }
    return std::exchange(tags[static_cast<size_t>(slot)], tag);
}

int16_t NodeStore::expanded(int32_t index) const { return expandedValues[static_cast<size_t>(index)]; }
void NodeStore::setExpanded(int32_t index, int16_t expanded) { expandedValues[static_cast<size_t>(index)] = expanded; }

rt::Ref<TreeNode> NodeStore::objectFor(int32_t index) {
    NodeRecord& d = nodes[index];
    if (!d.object) d.object = rt::make<StoredNode>(*this, index);
    return d.object;
}

}  // namespace tree
