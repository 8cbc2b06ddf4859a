#include "adapters/qt/qt_icons.h"

#include <QApplication>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>

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

// An icon that draws its own two pixmaps. Qt's own icons keep every pixmap
// that they are drawn with in the global pixmap cache under a text made from
// the pixmap's number, and Qt never forgets those texts, even when the cache
// is emptied; a tree that is filled and Refreshed again and again makes new
// pictures each time, so the host's heap would grow with every cycle. These
// icons put nothing there: drawing a 16 or 32 pixel picture is cheap.
class PictureIconEngine final : public QIconEngine {
public:
    PictureIconEngine(QPixmap small, QPixmap large) : small_(std::move(small)), large_(std::move(large)) {}

    QIconEngine* clone() const override { return new PictureIconEngine(small_, large_); }
    QString key() const override { return QStringLiteral("sarn-picture"); }
    bool isNull() override { return small_.isNull(); }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return {small_.size(), large_.size()}; }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        const QSize own = fitting(size).size();
        return own.width() <= size.width() && own.height() <= size.height() ? own
                                                                            : own.scaled(size, Qt::KeepAspectRatio);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
        QPixmap shown = fitting(size);
        if (shown.width() > size.width() || shown.height() > size.height())
            shown = shown.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        // The selected and disabled looks come from the style, as for any icon.
        if (mode != QIcon::Normal && qobject_cast<QApplication*>(QCoreApplication::instance())) {
            QStyleOption option(0);
            option.palette = QApplication::palette();
            shown = QApplication::style()->generatedIconPixmap(mode, shown, &option);
        }
        return shown;
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal) override {
        return pixmap(size, mode, state);
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatio() : 1.0;
        painter->drawPixmap(rect, pixmap(rect.size() * ratio, mode, state));
    }

private:
    // The smaller pixmap where it covers the size, else the larger.
    const QPixmap& fitting(const QSize& size) const {
        return size.width() <= small_.width() && size.height() <= small_.height() ? small_ : large_;
    }

    QPixmap small_;
    QPixmap large_;
};

}  // namespace

QIcon iconOf(const rt::Picture& picture) {
    if (picture.width() <= 0 || picture.height() <= 0) return {};
    const std::vector<uint8_t> rgba = picture.rgba();
    const QImage image = QImage(rgba.data(), picture.width(), picture.height(), picture.width() * 4,
                                QImage::Format_RGBA8888)
                             .copy();  // the bytes go with this function
    return QIcon(new PictureIconEngine(scaledTo(image, IconSize), scaledTo(image, 2 * IconSize)));
}

IconCache::~IconCache() = default;

void IconCache::reset() {
    dropIcons();
    list_ = nullptr;
    revision_ = 0;
}

void IconCache::dropIcons() { icons_.clear(); }

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
