#include "adapters/qt/qt_view_data.h"

#include <utility>

namespace qt_tree {

void ViewData::setImageList(const rt::Ref<tree::ImageList>& list) {
    if (imageList.get() == list.get()) return;
    icons.reset();  // lets the old list go
    // Nodes keep their image keys and show the pictures of the new list. The
    // old list goes last: its release may run any code.
    rt::Ref<tree::ImageList> old = std::exchange(imageList, list);
    repaintSoon();
}

QIcon ViewData::iconOf(int32_t index) { return icons.iconFor(imageList, image(index)); }

void ViewData::repaintSoon() {
    if (repaintPending || !view) return;
    repaintPending = true;
    view->viewport()->update();
}

}  // namespace qt_tree
