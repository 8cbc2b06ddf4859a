#include "outside/image_list.h"

#include "outside/tree_model.h"
#include "runtime/text.h"

namespace tree {
namespace {

// Missing, Empty and the empty text all mean "no key".
std::string keyOf(const rt::Variant& key) {
    if (key.isMissing() || key.isEmpty()) return {};
    return rt::toText(key);
}

}  // namespace

rt::Ref<ListImage> ListImages::Add(const rt::Variant& index, const rt::Variant& key, const rt::Variant& picture) {
    // The picture is checked first: an add without a picture must be refused
    // with 481 even when its key is taken, because callers treat that number
    // as a harmless "nothing to register".
    rt::Ref<rt::Picture> pic;
    if (picture.isObject()) pic = rt::toObject(picture).as<rt::Picture>();
    if (!pic) throw rt::errInvalidPicture();

    size_t position = images_.size();
    if (!index.isMissing()) {
        int32_t i = rt::toInt32(index);
        if (i < 1 || i > Count() + 1) throw errIndexOutOfBounds();
        position = static_cast<size_t>(i - 1);
    }

    std::string text = keyOf(key);
    std::string folded = rt::foldCase(text);
    if (!text.empty() && byKey_.count(folded)) throw errKeyNotUnique();

    auto image = rt::make<ListImage>(std::move(text), std::move(pic));
    if (position == images_.size()) {
        images_.push_back(image);
        if (!image->Key().empty()) byKey_.emplace(std::move(folded), position);
    } else {
        images_.insert(images_.begin() + static_cast<std::ptrdiff_t>(position), image);
        // Every later picture moved up by one: rebuild the positions.
        byKey_.clear();
        for (size_t i = 0; i < images_.size(); ++i)
            if (!images_[i]->Key().empty()) byKey_.emplace(rt::foldCase(images_[i]->Key()), i);
    }
    ++revision_;
    return image;
}

rt::Ref<ListImage> ListImages::Item(const rt::Variant& indexOrKey) const {
    if (indexOrKey.isString()) {
        std::string key = rt::toText(indexOrKey);
        auto it = key.empty() ? byKey_.end() : byKey_.find(rt::foldCase(key));
        if (it == byKey_.end()) throw errElementNotFound();
        return images_[it->second];
    }
    if (indexOrKey.isObject() || indexOrKey.isMissing()) throw rt::errTypeMismatch();
    int32_t i = rt::toInt32(indexOrKey);
    if (i < 1 || i > Count()) throw errIndexOutOfBounds();
    return images_[static_cast<size_t>(i - 1)];
}

bool ListImages::hasKey(const std::string& key) const {
    return !key.empty() && byKey_.count(rt::foldCase(key)) != 0;
}

rt::Ref<rt::Picture> ListImages::pictureFor(const std::string& key) const {
    if (key.empty()) return nullptr;
    auto it = byKey_.find(rt::foldCase(key));
    return it == byKey_.end() ? nullptr : images_[it->second]->Picture();
}

}  // namespace tree
