#pragma once
// Picture objects: a kind, a size in pixels, colours and a transparency mask.
// The library passes pictures through and stores them; it never draws them.

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/dispatch.h"

namespace rt {

enum class PictureType : int16_t { None = 0, Bitmap = 1, Metafile = 2, Icon = 3 };

// 0xRRGGBB colour.
using Rgb = uint32_t;

class Picture : public Object {
public:
    Picture(PictureType type, int width, int height);

    PictureType type() const noexcept { return type_; }
    int width() const noexcept { return width_; }
    int height() const noexcept { return height_; }

    Rgb pixel(int x, int y) const;
    bool opaque(int x, int y) const;
    // Out-of-range coordinates are ignored, so drawing code may overshoot.
    void setPixel(int x, int y, Rgb colour);
    void clearPixel(int x, int y);  // transparent

    // Rows top to bottom, 4 bytes a pixel: red, green, blue, alpha.
    std::vector<uint8_t> rgba() const;

    const ClassInfo& classInfo() const override;

private:
    PictureType type_;
    int width_;
    int height_;
    std::vector<Rgb> colours_;
    std::vector<bool> mask_;  // true: opaque
};

// A PNG file of the picture (transparent pixels keep alpha 0). Fails with 75
// when the file cannot be written, and with 481 for a picture without pixels
// (width or height 0), which the format cannot hold; then no file is touched.
void savePng(const Picture& picture, const std::string& path);
// The PNG file's bytes; 481 for a picture without pixels.
std::vector<uint8_t> encodePng(const Picture& picture);

}  // namespace rt
