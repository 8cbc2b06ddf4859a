#include "adapters/qt/qt_icons.h"

#include <QCoreApplication>
#include <QImage>
#include <QPixmap>
#include <QPixmapCache>

#include "runtime/text.h"

namespace qt_tree {
namespace {

QPixmap scaledTo(const QImage& image, int size) {
    if (image.width() == size && image.height() == size) return QPixmap::fromImage(image);
    // Growing repeats pixels; shrinking averages them.
    const auto mode = image.width() < size ? Qt::FastTransformation : Qt::SmoothTransformation;
    return QPixmap::fromImage(image.scaled(size, size, Qt::KeepAspectRatio, mode));
}

rt::Ref<rt::Picture> pictureFor(tree::ListImages& images, const rt::Variant& image) {
    if (image.isString()) return images.pictureFor(rt::toText(image));
    if (!image.isNumeric()) return nullptr;
    const int32_t position = rt::toInt32(image);
    if (position < 1 || position > images.Count()) return nullptr;
    return images.Item(position)->Picture();
}

}  // namespace

QIcon iconOf(const rt::Picture& picture) {
    if (picture.width() <= 0 || picture.height() <= 0) return {};
    const std::vector<uint8_t> rgba = picture.rgba();
    const QImage image = QImage(rgba.data(), picture.width(), picture.height(), picture.width() * 4,
                                QImage::Format_RGBA8888)
                             .copy();  // the bytes go with this function
    QIcon icon;
    icon.addPixmap(scaledTo(image, IconSize));
    icon.addPixmap(scaledTo(image, 2 * IconSize));
    return icon;
}

IconCache::~IconCache() { dropIcons(); }

void IconCache::reset() {
    dropIcons();
    list_ = nullptr;
    revision_ = 0;
}

// Qt keeps the pixmaps that it draws an icon with (scaled, or in the
// selected or disabled look) in its global pixmap cache, under keys made
// from the icon's own pixmaps; nothing removes them when the icon goes, and
// a tree that is filled and emptied again and again makes new pictures each
// time. That cache only saves drawing work, so when icons that were drawn go,
// it is emptied: whatever it held is drawn again when next needed.
void IconCache::dropIcons() {
    if (icons_.empty()) return;
    icons_.clear();
    if (QCoreApplication::instance()) QPixmapCache::clear();
}

QIcon IconCache::iconFor(const rt::Ref<tree::ImageList>& list, const rt::Variant& image) {
    if (!list || image.isEmpty()) return {};
    auto images = list->ListImages();
    if (list_.get() != list.get() || revision_ != images->revision()) {
        dropIcons();
        list_ = list;
        revision_ = images->revision();
    }
    std::string key;
    if (image.isString())
        key = rt::foldCase(rt::toText(image));
    else if (image.isNumeric())
        key = "#" + std::to_string(rt::toInt32(image));
    else
        return {};
    if (auto it = icons_.find(key); it != icons_.end()) return it->second;
    auto picture = pictureFor(*images, image);
    QIcon icon = picture ? iconOf(*picture) : QIcon();
    icons_.emplace(std::move(key), icon);
    return icon;
}

}  // namespace qt_tree
