#pragma once
// The pictures of an image list as Qt icons. Pictures are small pixel art
// (16 x 16 or 32 x 32), so every icon holds a 16 and a 32 pixel version made
// without smoothing where it scales up: the art stays crisp on ordinary and
// on high-density screens.

#include <QIcon>
#include <cstdint>
#include <string>
#include <unordered_map>

#include "outside/image_list.h"
#include "runtime/picture.h"

namespace qt_tree {

inline constexpr int IconSize = 16;

QIcon iconOf(const rt::Picture& picture);

// The icons of the one image list that a tree view holds. A node shows the
// picture under its image key (or list position); icons are made on first
// use and dropped when the list is another one or has changed since.
class IconCache {
public:
    IconCache() = default;
    ~IconCache();
    IconCache(const IconCache&) = delete;
    IconCache& operator=(const IconCache&) = delete;
    IconCache(IconCache&& other) noexcept = delete;
    IconCache& operator=(IconCache&& other) = delete;

    // Drops every icon (and the list), as when the list is another one.
    void reset();

    // The icon for a node's image, or a null icon when there is none: no
    // list, no image, or no picture under the key or position.
    QIcon iconFor(const rt::Ref<tree::ImageList>& list, const rt::Variant& image);

private:
    void dropIcons();

    rt::Ref<tree::ImageList> list_;
    uint64_t revision_ = 0;
    std::unordered_map<std::string, QIcon> icons_;  // folded key or "#position"
};

}  // namespace qt_tree
