#include "runtime/picture.h"

#include "runtime/error.h"

namespace rt {

Picture::Picture(PictureType type, int width, int height)
    : type_(type),
      width_(width < 0 ? 0 : width),
      height_(height < 0 ? 0 : height),
      colours_(static_cast<size_t>(width_) * static_cast<size_t>(height_), 0),
      mask_(colours_.size(), false) {}

Rgb Picture::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) throw errInvalidCall();
    return colours_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
}

bool Picture::opaque(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) throw errInvalidCall();
    return mask_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
}

void Picture::setPixel(int x, int y, Rgb colour) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    size_t i = static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x);
    colours_[i] = colour & 0xFFFFFF;
    mask_[i] = true;
}

void Picture::clearPixel(int x, int y) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    size_t i = static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x);
    colours_[i] = 0;
    mask_[i] = false;
}

std::vector<uint8_t> Picture::rgba() const {
    std::vector<uint8_t> out;
    out.reserve(colours_.size() * 4);
    for (size_t i = 0; i < colours_.size(); ++i) {
        out.push_back(static_cast<uint8_t>(colours_[i] >> 16));
        out.push_back(static_cast<uint8_t>(colours_[i] >> 8));
        out.push_back(static_cast<uint8_t>(colours_[i]));
        out.push_back(mask_[i] ? 255 : 0);
    }
    return out;
}

const ClassInfo& Picture::classInfo() const {
    // The picture members a script may read (himetric sizes are not kept).
    static const ClassInfo info{
        "Picture",
        {
            {"Type", 5, CallKind::PropertyGet,
             [](Object& o, Args&) -> Variant { return static_cast<int16_t>(self<Picture>(o).type()); },
             {},
             VarType::Integer},
            {"Width", 4, CallKind::PropertyGet,
             [](Object& o, Args&) -> Variant { return static_cast<int32_t>(self<Picture>(o).width()); },
             {},
             VarType::Long},
            {"Height", 6, CallKind::PropertyGet,
             [](Object& o, Args&) -> Variant { return static_cast<int32_t>(self<Picture>(o).height()); },
             {},
             VarType::Long},
        }};
    return info;
}

}  // namespace rt
