// The control's image list: built from the pictures of the view's image list,
// 16 x 16 with a mask, a blank picture first so that a node without picture
// keeps the place of one; built again when the list's pictures change.
#include <algorithm>
#include <utility>

#include "runtime/text.h"
#include "windows/tree_control/control_store.h"

namespace win_tree {
namespace {

constexpr int Size = 16;

// The picture at 16 x 16: larger ones averaged over their blocks, smaller
// ones repeated; a pixel is opaque when most of its block is. BGRA rows top
// to bottom, transparent pixels all zero.
std::vector<uint32_t> scaled(const rt::Picture* picture) {
    std::vector<uint32_t> out(Size * Size, 0);
    if (!picture || picture->width() <= 0 || picture->height() <= 0) return out;
    const int w = picture->width(), h = picture->height();
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) {
            const int x0 = x * w / Size, x1 = std::max(x0 + 1, (x + 1) * w / Size);
            const int y0 = y * h / Size, y1 = std::max(y0 + 1, (y + 1) * h / Size);
            uint32_t r = 0, g = 0, b = 0, opaque = 0, all = 0;
            for (int sy = y0; sy < y1; ++sy)
                for (int sx = x0; sx < x1; ++sx) {
                    ++all;
                    if (!picture->opaque(sx, sy)) continue;
                    const rt::Rgb c = picture->pixel(sx, sy);
                    r += (c >> 16) & 0xFF;
                    g += (c >> 8) & 0xFF;
                    b += c & 0xFF;
                    ++opaque;
                }
            if (opaque * 2 < all || opaque == 0) continue;
            out[y * Size + x] = 0xFF000000u | ((r / opaque) << 16) | ((g / opaque) << 8) | (b / opaque);
        }
    return out;
}

// Adds one picture to the control's list with its mask (set bits are
// transparent).
void addPicture(HIMAGELIST list, const rt::Picture* picture) {
    const std::vector<uint32_t> pixels = scaled(picture);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = Size;
    info.bmiHeader.biHeight = -Size;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP colour = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!colour || !bits) {
        if (colour) DeleteObject(colour);
        ImageList_Add(list, nullptr, nullptr);
        return;
    }
    std::copy(pixels.begin(), pixels.end(), static_cast<uint32_t*>(bits));
    uint8_t maskBits[Size * 2] = {};  // rows of 16 bits, word aligned
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x)
            if ((pixels[y * Size + x] >> 24) == 0) maskBits[y * 2 + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    HBITMAP mask = CreateBitmap(Size, Size, 1, 1, maskBits);
    ImageList_Add(list, colour, mask);
    DeleteObject(colour);
    if (mask) DeleteObject(mask);
}

}  // namespace

bool ControlTreeView::Store::listHasKey(const std::string& key) const {
    if (imageList && imageList->ListImages()->hasKey(key)) return true;
    // A list of another module may have had the picture added since it was
    // read last.
    if (!imageSource || imageSource.as<tree::ImageList>()) return false;
    const_cast<Store*>(this)->syncImages();
    return imageList && imageList->ListImages()->hasKey(key);
}

void ControlTreeView::Store::setImageSource(const rt::ObjectRef& source, const rt::Ref<tree::ImageList>& local) {
    // The old lists go last: their release may run any code.
    rt::ObjectRef oldSource = std::exchange(imageSource, source);
    rt::Ref<tree::ImageList> oldList = std::exchange(imageList, local);
    syncImages();
}

bool ControlTreeView::Store::syncImages() {
    if (imageSource && !imageSource.as<tree::ImageList>()) {
        // Reads the keys; a change of them reads the pictures too.
        try {
            rt::ObjectRef images = rt::toObject(rt::callByName(imageSource, "ListImages", rt::CallKind::PropertyGet));
            const int32_t n = rt::toInt32(rt::callByName(images, "Count", rt::CallKind::PropertyGet));
            std::vector<rt::ObjectRef> entries;
            std::vector<std::string> keys;
            for (int32_t i = 1; i <= n; ++i) {
                entries.push_back(rt::toObject(rt::callByName(images, "Item", rt::CallKind::Method, {i})));
                keys.push_back(rt::toText(rt::callByName(entries.back(), "Key", rt::CallKind::PropertyGet)));
            }
            bool same = imageList && imageList->ListImages()->Count() == n;
            for (int32_t i = 1; same && i <= n; ++i)
                same = imageList->ListImages()->Item(i)->Key() == keys[static_cast<size_t>(i - 1)];
            if (!same) {
                auto copy = rt::make<tree::ImageList>();
                for (size_t i = 0; i < entries.size(); ++i) {
                    rt::ObjectRef picture;
                    try {
                        picture = rt::toObject(rt::callByName(entries[i], "Picture", rt::CallKind::PropertyGet));
                    } catch (const rt::Error&) {
                    }
                    if (!picture.as<rt::Picture>()) picture = rt::ObjectRef(rt::make<rt::Picture>(rt::PictureType::Bitmap, Size, Size));
                    copy->ListImages()->Add(rt::Missing{}, keys[i], picture);
                }
                rt::Ref<tree::ImageList> old = std::exchange(imageList, copy);
            }
        } catch (const rt::Error&) {
            // A list that cannot be read shows what was read of it before.
        }
    }
    const uint64_t revision = imageList ? imageList->ListImages()->revision() : 0;
    if (imageList.get() == builtFrom && revision == builtRevision && (himl || !imageList)) return false;

    HIMAGELIST built = nullptr;
    imageIndex.clear();
    if (imageList) {
        auto images = imageList->ListImages();
        const int32_t n = images->Count();
        built = ImageList_Create(Size, Size, ILC_COLOR32 | ILC_MASK, n + 1, 4);
        addPicture(built, nullptr);
        for (int32_t i = 1; i <= n; ++i) {
            auto image = images->Item(i);
            addPicture(built, image->Picture().get());
            if (!image->Key().empty()) imageIndex.emplace(rt::foldCase(image->Key()), i);
        }
    }
    if (!windowGone && window) SendMessageW(window, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(built));
    if (himl) ImageList_Destroy(himl);
    himl = built;
    builtFrom = imageList.get();
    builtRevision = revision;
    for (int32_t i = 0; i < count(); ++i) showImage(i);
    return true;
}

int ControlTreeView::Store::imageIndexFor(const rt::Variant& image) const {
    if (!imageList) return 0;
    if (image.isString()) {
        auto it = imageIndex.find(rt::foldCase(rt::toText(image)));
        return it == imageIndex.end() ? 0 : it->second;
    }
    if (image.isNumeric()) {
        const int32_t position = rt::toInt32(image);
        return position >= 1 && position <= imageList->ListImages()->Count() ? position : 0;
    }
    return 0;
}

void ControlTreeView::Store::showImage(int32_t index) {
    // A list of this module tells its changes by its revision, which costs
    // nothing to compare.
    if (!imageSource || imageSource.as<tree::ImageList>()) {
        if (imageList && (imageList.get() != builtFrom || imageList->ListImages()->revision() != builtRevision)) {
            syncImages();  // shows every node's image, this one's too
            return;
        }
    }
    if (windowGone || index >= static_cast<int32_t>(items.size())) return;
    TVITEMW data{};
    data.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_HANDLE;
    data.hItem = items[index];
    data.iImage = data.iSelectedImage = imageIndexFor(image(index));
    SendMessageW(window, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&data));
}

void ControlTreeView::Store::dropControlImages() {
    if (!himl) return;
    if (!windowGone && window && IsWindow(window)) SendMessageW(window, TVM_SETIMAGELIST, TVSIL_NORMAL, 0);
    ImageList_Destroy(himl);
    himl = nullptr;
    builtFrom = nullptr;
}

}  // namespace win_tree
