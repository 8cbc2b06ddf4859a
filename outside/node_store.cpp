#include "outside/node_store.h"

#include <algorithm>
#include <new>
#include <utility>

#include "outside/stored_node.h"
#include "runtime/text.h"

namespace tree {
namespace {

// Two texts of the same bytes. Keys are short: up to sixteen bytes they are
// compared a word or two at a time instead of through a call to memcmp.
inline bool sameBytes(std::string_view a, std::string_view b) noexcept {
    const size_t n = a.size();
    if (n != b.size()) return false;
    const char* x = a.data();
    const char* y = b.data();
    if (n >= 8 && n <= 16)
        return key_hash::load8(x) == key_hash::load8(y) && key_hash::load8(x + n - 8) == key_hash::load8(y + n - 8);
    if (n >= 4 && n < 8)
        return key_hash::load4(x) == key_hash::load4(y) && key_hash::load4(x + n - 4) == key_hash::load4(y + n - 4);
    if (n < 4) {
        for (size_t i = 0; i < n; ++i)
            if (x[i] != y[i]) return false;
        return true;
    }
    return a == b;
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

inline int32_t NodeStore::storedImageKey(std::string_view key) {
    // Walks give node after node the same key.
    if (lastImageKey_ >= 0 && sameBytes(imageKeys[static_cast<size_t>(lastImageKey_)], key)) return ~lastImageKey_;
    return storedOtherImageKey(key);
}

int32_t NodeStore::storedOtherImageKey(std::string_view given) {
    std::string key(given);
    auto found = imageKeyIndex_.find(key);
    if (found == imageKeyIndex_.end()) {
        if (imageKeys.size() == imageKeys.capacity()) imageKeys.reserve(std::max<size_t>(4, 2 * imageKeys.capacity()));
        found = imageKeyIndex_.emplace(key, static_cast<int32_t>(imageKeys.size())).first;
        imageKeys.push_back(std::move(key));
    }
    lastImageKey_ = found->second;
    return ~lastImageKey_;
}

NodeStore::NodeStore() : objectBlocks_(sizeof(StoredNode), alignof(StoredNode)) {}

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
size_t fullyFoldedKeyHash(std::string_view key) { return NodeKeyIndex::hashOf(rt::foldCase(key)); }

inline size_t foldedKeyHash(std::string_view key) {
    size_t hash;
    if (NodeKeyIndex::plainFoldedHash(key, hash)) return hash;
    return fullyFoldedKeyHash(key);
}

}  // namespace

int32_t NodeStore::findKey(std::string_view key) const {
    if (key.empty()) return NoNode;
    return findKey(key, foldedKeyHash(key));
}

int32_t NodeStore::findKey(std::string_view key, size_t keyHash) const {
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
        sameBytes(std::get<std::string>(relative.storage()), lastRelativeKey_))
        return lastRelative_;
    return otherRelativeIndex(relative);
}

inline int32_t NodeStore::relativeIndex(std::string_view relative) const {
    if (lastRelative_ != NoNode && sameBytes(relative, lastRelativeKey_)) return lastRelative_;
    return otherRelativeIndex(relative);
}

int32_t NodeStore::otherRelativeIndex(std::string_view relative) const {
    const int32_t found = findKey(relative);
    if (found == NoNode) throw errElementNotFound();
    lastRelativeKey_ = relative;
    lastRelative_ = found;
    return found;
}

int32_t NodeStore::otherRelativeIndex(const rt::Variant& relative) const {
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

inline NodeStore::ImageCheck NodeStore::checkImage(const rt::Variant& image) const {
    if (image.isMissing() || image.isEmpty()) return {};
    if (image.isString()) return checkImageKey(std::get<std::string>(image.storage()));
    if (!image.isNumeric()) throw rt::errTypeMismatch();
    if (!imageList) throw errImageListNotInitialized();
    int32_t position = rt::toInt32(image);
    if (position < 1 || position > imageList->ListImages()->Count()) throw errIndexOutOfBounds();
    return {ImageCheck::ByPosition, position};
}

inline NodeStore::ImageCheck NodeStore::checkImageKey(std::string_view key) const {
    if (key.empty()) return {};
    if (!imageList) throw errImageListNotInitialized();
    // Node after node names the key found last; a list that has it has it
    // for every view.
    const bool foundLast = imageList.get() == lastFoundList_.get() &&
                           lastFoundImages_->revision() == lastFoundRevision_ && sameBytes(key, lastFoundKey_);
    if (!foundLast && !listHasKey(std::string(key))) throw errElementNotFound();
    return {ImageCheck::ByKey, 0};
}

rt::Variant NodeStore::checkedImage(const rt::Variant& image) const {
    const ImageCheck checked = checkImage(image);
    switch (checked.kind) {
        case ImageCheck::ByKey:
            return image;
        case ImageCheck::ByPosition:
            return checked.position;
        default:
            return {};
    }
}

namespace {

// A text argument where it lies, or converted into spare; Missing, Empty and
// the empty text all mean "none".
std::string_view optionalTextView(const rt::Variant& v, std::string& spare) {
    if (v.isString()) return std::get<std::string>(v.storage());
    if (v.isMissing() || v.isEmpty()) return {};
    spare = rt::toText(v);
    return spare;
}

// Hosts pass the relationship as a 32-bit number nearly always.
int32_t relationshipOf(const rt::Variant& relationship) {
    if (const auto* given = std::get_if<int32_t>(&relationship.storage())) return *given;
    return rt::toInt32(relationship);
}

// A text argument as a record keeps it: a converted one moves.
std::string ownText(std::string_view given, std::string& spare) {
    return spare.empty() ? std::string(given) : std::move(spare);
}

}  // namespace

inline void NodeStore::makeRoomForOne(bool keyed) {
    // Nearly always there is room: the check alone stays in line.
    if (!(keyed && !byKey.hasRoomForOne()) && nodes.size() < nodes.capacity() &&
        expandedValues.size() < expandedValues.capacity())
        return;
    growForOne(keyed);
}

void NodeStore::check(const rt::Variant& relative, const rt::Variant& relationship, const rt::Variant& key,
                      const rt::Variant& text, const rt::Variant& image, CheckedNode& out) const {
    if (!relative.isMissing() && !relative.isEmpty()) {
        const int32_t anchor = relativeIndex(relative);
        // The control places a node after its relative when no relationship
        // is given.
        const int32_t how = relationship.isMissing() ? tvwNext : relationshipOf(relationship);
        if (how < tvwFirst || how > tvwChild) throw rt::errInvalidCall();
        out.anchor = anchor;
        out.how = how;
    }
    out.key = optionalTextView(key, out.keySpare);
    checkKey(out);
    out.image = checkImage(image);
    if (out.image.kind == ImageCheck::ByKey) out.imageKey = std::get<std::string>(image.storage());
    out.text = optionalTextView(text, out.textSpare);
}

inline void NodeStore::checkKey(CheckedNode& out) const {
    if (out.key.empty()) return;
    out.keyHash = foldedKeyHash(out.key);
    const std::string_view given = out.key;
    const auto sameKey = [&](int32_t index) { return rt::textEquals(nodes[index].key, given); };
    if (byKey.find(out.keyHash, sameKey) != NoNode) throw errKeyNotUnique();
}

int32_t NodeStore::add(const rt::Variant& relative, const rt::Variant& relationship, const rt::Variant& key,
                       const rt::Variant& text, const rt::Variant& image) {
    CheckedNode checked;
    check(relative, relationship, key, text, image, checked);
    return addChecked(checked);
}

int32_t NodeStore::addTexts(std::string_view relative, int32_t relationship, std::string_view key,
                            std::string_view text, std::string_view image) {
    return add(relative.empty() ? rt::Variant(rt::Missing{}) : rt::Variant(relative), rt::Variant(relationship),
               rt::Variant(key), rt::Variant(text), rt::Variant(image));
}

void NodeStore::checkTexts(std::string_view relative, int32_t relationship, std::string_view key,
                           std::string_view text, std::string_view image, CheckedNode& checked) const {
    // The checks of add in the same order, on texts that need no conversion.
    if (!relative.empty()) {
        checked.anchor = relativeIndex(relative);
        if (relationship < tvwFirst || relationship > tvwChild) throw rt::errInvalidCall();
        checked.how = relationship;
    }
    checked.key = key;
    checkKey(checked);
    checked.image = checkImageKey(image);
    checked.imageKey = image;
    checked.text = text;
}

int32_t NodeStore::addTextsInPlace(std::string_view relative, int32_t relationship, std::string_view key,
                                   std::string_view text, std::string_view image) {
    CheckedNode checked;
    checkTexts(relative, relationship, key, text, image, checked);
    return addChecked(checked);
}

NewNode NodeStore::prepareTexts(std::string_view relative, int32_t relationship, std::string_view key,
                                std::string_view text, std::string_view image) const {
    CheckedNode checked;
    checkTexts(relative, relationship, key, text, image, checked);
    NewNode node{NodeRecord(checked.key, checked.text)};
    node.keyHash = checked.keyHash;
    if (checked.image.kind == ImageCheck::ByKey) node.image = rt::Variant(std::string(image));
    if (checked.anchor != NoNode) node.place = placeBy(checked.anchor, checked.how);
    return node;
}

int32_t NodeStore::addChecked(CheckedNode& checked) {
    // The record is made in place, its texts copied once from the arguments.
    const Placement place = checked.anchor == NoNode ? Placement{} : placeBy(checked.anchor, checked.how);
    const int32_t index = count();
    const bool keyed = !checked.key.empty();
    // Room first: out of memory, the tree stays as it was.
    makeRoomForOne(keyed);
    int32_t stored = checked.image.position;
    if (checked.image.kind == ImageCheck::ByKey) stored = storedImageKey(checked.imageKey);
    if (checked.keySpare.empty() && checked.textSpare.empty())
        nodes.emplace_back(checked.key, checked.text);
    else
        nodes.emplace_back(ownText(checked.key, checked.keySpare), ownText(checked.text, checked.textSpare));
    nodes.back().image = stored;
    expandedValues.push_back(0);
    if (keyed) byKey.insert(checked.keyHash, index);
    link(index, place);
    return index;
}

NewNode NodeStore::prepare(const rt::Variant& relative, const rt::Variant& relationship, const rt::Variant& key,
                           const rt::Variant& text, const rt::Variant& image) const {
    CheckedNode checked;
    check(relative, relationship, key, text, image, checked);
    NewNode node{checked.keySpare.empty() && checked.textSpare.empty()
                     ? NodeRecord(checked.key, checked.text)
                     : NodeRecord(ownText(checked.key, checked.keySpare), ownText(checked.text, checked.textSpare))};
    node.keyHash = checked.keyHash;
    switch (checked.image.kind) {
        case ImageCheck::ByKey:
            node.image = image;
            break;
        case ImageCheck::ByPosition:
            node.image = checked.image.position;
            break;
        default:
            break;
    }
    if (checked.anchor != NoNode) node.place = placeBy(checked.anchor, checked.how);
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

void NodeStore::growForOne(bool keyed) {
    if (keyed) byKey.reserveOne();
    if (nodes.size() == nodes.capacity()) nodes.reserve(std::max<size_t>(16, 2 * nodes.capacity()));
    if (expandedValues.size() == expandedValues.capacity())
        expandedValues.reserve(std::max<size_t>(16, 2 * expandedValues.capacity()));
}

int32_t NodeStore::insert(NewNode&& node) {
    const int32_t index = count();
    const bool keyed = !node.record.key.empty();
    // Room first: out of memory, the tree stays as it was.
    makeRoomForOne(keyed);
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
        // text, and takes a slot of its own for anything else. What the
        // slot holds is known, so it is made rather than copied.
        rt::Variant old = slot == 0 ? rt::Variant() : rt::Variant(std::string());
        setSharedTag(index, tag);
        return old;
    }
    return std::exchange(tags[static_cast<size_t>(slot)], tag);
}

void NodeStore::setSharedTag(int32_t index, const rt::Variant& tag) {
    int32_t& slot = nodes[index].tag;
    if (tag.isEmpty())
        slot = 0;
    else if (tag.isString() && std::get<std::string>(tag.storage()).empty())
        slot = 1;
    else
        slot = ownTagSlot(tag);
}

int32_t NodeStore::ownTagSlot(const rt::Variant& tag) {
    tags.push_back(tag);
    return static_cast<int32_t>(tags.size() - 1);
}

int16_t NodeStore::expanded(int32_t index) const { return expandedValues[static_cast<size_t>(index)]; }
void NodeStore::setExpanded(int32_t index, int16_t expanded) { expandedValues[static_cast<size_t>(index)] = expanded; }

rt::Ref<TreeNode> NodeStore::madeObjectFor(int32_t index) {
    NodeRecord& d = nodes[index];
    d.object = rt::Ref<TreeNode>(new (objectBlocks_) StoredNode(*this, index));
    return d.object;
}

}  // namespace tree
