#pragma once
// Image lists: an ordered picture collection whose pictures are found by
// 1-based position or by key (without regard to case). A tree view shows the
// pictures of the one list it holds.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "runtime/error.h"
#include "runtime/picture.h"
#include "runtime/variant.h"

namespace tree {

class ListImage : public rt::Object {
public:
    ListImage(std::string key, rt::Ref<rt::Picture> picture) : key_(std::move(key)), picture_(std::move(picture)) {}
    const std::string& Key() const noexcept { return key_; }
    const rt::Ref<rt::Picture>& Picture() const noexcept { return picture_; }

private:
    std::string key_;
    rt::Ref<rt::Picture> picture_;
};

class ListImages : public rt::Object {
public:
    int32_t Count() const noexcept { return static_cast<int32_t>(images_.size()); }
    // index: Missing appends; 1 to Count + 1 inserts there; anything else
    // fails with 35600. key: Missing or "" for none; a key already in the
    // list fails with 35602. picture: anything but a picture object fails
    // with 481. Nothing changes on failure.
    rt::Ref<ListImage> Add(const rt::Variant& index, const rt::Variant& key, const rt::Variant& picture);
    // By key for a text (35601 when absent), by position for a number (35600).
    rt::Ref<ListImage> Item(const rt::Variant& indexOrKey) const;
    bool hasKey(const std::string& key) const;
    // The picture under a key, or nothing.
    rt::Ref<rt::Picture> pictureFor(const std::string& key) const;

    // Grows by one with every change, so that a view can tell when to repaint.
    uint64_t revision() const noexcept { return revision_; }

private:
    std::vector<rt::Ref<ListImage>> images_;
    std::unordered_map<std::string, size_t> byKey_;  // folded key -> 0-based position
    uint64_t revision_ = 0;
};

class ImageList : public rt::Object {
public:
    explicit ImageList(std::string name = {}) : name_(std::move(name)), images_(rt::make<tree::ListImages>()) {}
    const std::string& name() const noexcept { return name_; }
    // The same collection for the list's whole life.
    const rt::Ref<tree::ListImages>& ListImages() const noexcept { return images_; }

private:
    std::string name_;
    rt::Ref<tree::ListImages> images_;
};

}  // namespace tree
