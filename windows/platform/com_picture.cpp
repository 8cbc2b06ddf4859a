#include "windows/platform/com_picture.h"

#include <ocidl.h>
#include <olectl.h>

#include <vector>

#include "runtime/error.h"

namespace win {
namespace {

BITMAPINFO topDown32(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // rows top to bottom
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

}  // namespace

IDispatch* toPictureDisp(const rt::Picture& picture) {
    const int w = picture.width(), h = picture.height();
    BITMAPINFO info = topDown32(w, h);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) throw rt::Error(rt::errnum::OutOfMemory, "Out of memory");
    auto* out = static_cast<uint8_t*>(bits);
    const std::vector<uint8_t> rgba = picture.rgba();
    for (size_t i = 0; i + 3 < rgba.size(); i += 4) {
        out[i] = rgba[i + 2];  // blue, green, red, alpha
        out[i + 1] = rgba[i + 1];
        out[i + 2] = rgba[i];
        out[i + 3] = rgba[i + 3];
    }
    PICTDESC desc{};
    desc.cbSizeofstruct = sizeof desc;
    desc.picType = PICTYPE_BITMAP;
    desc.bmp.hbitmap = bitmap;
    IDispatch* result = nullptr;
    if (FAILED(OleCreatePictureIndirect(&desc, IID_IPictureDisp, TRUE, reinterpret_cast<void**>(&result)))) {
        DeleteObject(bitmap);
        throw rt::Error(rt::errnum::InvalidPicture, "Invalid picture");
    }
    return result;
}

rt::Ref<rt::Picture> fromPictureObject(IUnknown* object) {
    IPicture* p = nullptr;
    if (!object || FAILED(object->QueryInterface(IID_IPicture, reinterpret_cast<void**>(&p))) || !p) return {};
    SHORT type = PICTYPE_NONE;
    OLE_HANDLE handle = 0;
    p->get_Type(&type);
    p->get_Handle(&handle);
    p->Release();
    if (type != PICTYPE_BITMAP || !handle) return {};
    HBITMAP bitmap = reinterpret_cast<HBITMAP>(static_cast<uintptr_t>(handle));
    BITMAP bm{};
    if (!GetObject(bitmap, sizeof bm, &bm)) return {};
    const int w = bm.bmWidth, h = bm.bmHeight;
    BITMAPINFO info = topDown32(w, h);
    std::vector<uint8_t> bgra(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
    HDC dc = GetDC(nullptr);
    const int rows = GetDIBits(dc, bitmap, 0, static_cast<UINT>(h), bgra.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    if (rows != h) return {};
    // A bitmap without any alpha is opaque throughout.
    bool anyAlpha = false;
    for (size_t i = 3; i < bgra.size(); i += 4) anyAlpha |= bgra[i] != 0;
    auto picture = rt::make<rt::Picture>(rt::PictureType::Bitmap, w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t* px = &bgra[(static_cast<size_t>(y) * w + x) * 4];
            if (anyAlpha && px[3] == 0)
                picture->clearPixel(x, y);
            else
                picture->setPixel(x, y, (rt::Rgb{px[2]} << 16) | (rt::Rgb{px[1]} << 8) | px[0]);
        }
    return picture;
}

}  // namespace win
