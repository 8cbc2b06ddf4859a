#include "adapters/qt/qt_view_data.h"

#include <utility>

namespace qt_tree {

void ViewData::setImageList(const rt::Ref<tree::ImageList>& list) {
    if (imageList.get() == list.get()) return;
    icons.reset();  // lets the old list go
    decorations_.clear();
    decorationsList_ = nullptr;
    // Nodes keep their image keys and show the pictures of the new list. The
    // old list goes last: its release may run any code.
    rt::Ref<tree::ImageList> old = std::exchange(imageList, list);
    repaintSoon();
}

QIcon ViewData::iconOf(int32_t index) { return icons.iconFor(imageList, image(index)); }

QVariant ViewData::decorationOf(int32_t index) {
    const int32_t stored = nodes[index].image;
    if (stored == 0) return {};
    if (!imageList) return QVariant(QIcon());
    const uint64_t revision = imageList->ListImages()->revision();
    if (decorationsList_ != imageList.get() || decorationsRevision_ != revision || decorationsGeneration_ != generation) {
        decorations_.clear();
        decorationsList_ = imageList.get();
        decorationsRevision_ = revision;
        decorationsGeneration_ = generation;
    }
    if (auto it = decorations_.find(stored); it != decorations_.end()) return it->second;
    QVariant decoration(iconOf(index));
    decorations_.emplace(stored, decoration);
    return decoration;
}

void ViewData::repaintSoon() {
    if (repaintPending || !view) return;
    repaintPending = true;
    view->viewport()->update();
}

}  // namespace qt_tree
