#include "windows/platform/com_picture.h"

#include <ocidl.h>
#include <olectl.h>

#include <vector>

#include "runtime/error.h"
#include "windows/platform/com_bridge.h"

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

// The pixels of a bitmap as 32-bit BGRA rows, top to bottom; a second
// bitmap (an icon's mask) must have the size of the first.
bool readPixels(HBITMAP bitmap, int& width, int& height, std::vector<uint8_t>& bgra) {
    BITMAP bm{};
    if (!GetObject(bitmap, sizeof bm, &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0) return false;
    if (!bgra.empty() || (width && (bm.bmWidth != width || bm.bmHeight != height))) return false;
    width = bm.bmWidth;
    height = bm.bmHeight;
    BITMAPINFO info = topDown32(width, height);
    bgra.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    HDC dc = GetDC(nullptr);
    const int rows = GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), bgra.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    return rows == height;
}

// A picture that came from the platform: the runtime sees its pixels, and
// it crosses back as the very platform object it came from, so a caller's
// picture keeps its identity through every call that hands it back.
class PlatformPicture final : public rt::Picture, public PlatformBacked {
public:
    PlatformPicture(IDispatch* dispatch, rt::PictureType type, int width, int height)
        : rt::Picture(type, width, height), dispatch_(dispatch) {
        dispatch_->AddRef();
    }
    ~PlatformPicture() override { dispatch_->Release(); }

    IDispatch* platformDispatch() const override { return dispatch_; }

private:
    IDispatch* dispatch_;
};

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
    if (picture.type() == rt::PictureType::Icon) {
        // An icon: the colours and a mask whose set bits are the transparent pixels.
        const int stride = ((w + 15) / 16) * 2;  // rows of whole 16-bit words
        std::vector<uint8_t> maskBits(static_cast<size_t>(stride) * static_cast<size_t>(h), 0);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (!picture.opaque(x, y)) maskBits[static_cast<size_t>(y * stride + x / 8)] |= 0x80 >> (x % 8);
        HBITMAP mask = CreateBitmap(w, h, 1, 1, maskBits.data());
        ICONINFO icon{TRUE, 0, 0, mask, bitmap};
        HICON handle = mask ? CreateIconIndirect(&icon) : nullptr;
        if (mask) DeleteObject(mask);
        DeleteObject(bitmap);
        if (!handle) throw rt::Error(rt::errnum::OutOfMemory, "Out of memory");
        desc.picType = PICTYPE_ICON;
        desc.icon.hicon = handle;
    }
    IDispatch* result = nullptr;
    if (FAILED(OleCreatePictureIndirect(&desc, IID_IPictureDisp, TRUE, reinterpret_cast<void**>(&result)))) {
        if (desc.picType == PICTYPE_ICON)
            DestroyIcon(desc.icon.hicon);
        else
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
    if ((type != PICTYPE_BITMAP && type != PICTYPE_ICON) || !handle) return {};
    HBITMAP bitmap = nullptr, mask = nullptr;
    if (type == PICTYPE_ICON) {
        ICONINFO icon{};
        if (!GetIconInfo(reinterpret_cast<HICON>(static_cast<uintptr_t>(handle)), &icon)) return {};
        bitmap = icon.hbmColor;
        mask = icon.hbmMask;
    } else {
        bitmap = reinterpret_cast<HBITMAP>(static_cast<uintptr_t>(handle));
    }
    std::vector<uint8_t> bgra, maskBgra;
    int w = 0, h = 0;
    bool ok = bitmap && readPixels(bitmap, w, h, bgra) && (!mask || readPixels(mask, w, h, maskBgra));
    if (type == PICTYPE_ICON) {
        if (bitmap) DeleteObject(bitmap);
        if (mask) DeleteObject(mask);
    }
    if (!ok) return {};
    IDispatch* dispatch = nullptr;
    if (FAILED(object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch))) || !dispatch) return {};
    auto picture = rt::make<PlatformPicture>(dispatch, type == PICTYPE_ICON ? rt::PictureType::Icon : rt::PictureType::Bitmap,
                                             w, h);
    dispatch->Release();
    // Without a mask, a bitmap without any alpha is opaque throughout.
    bool anyAlpha = false;
    if (maskBgra.empty())
        for (size_t i = 3; i < bgra.size(); i += 4) anyAlpha |= bgra[i] != 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const size_t at = (static_cast<size_t>(y) * w + x) * 4;
            const uint8_t* px = &bgra[at];
            const bool transparent = maskBgra.empty() ? anyAlpha && px[3] == 0 : maskBgra[at] != 0;
            if (transparent)
                picture->clearPixel(x, y);
            else
                picture->setPixel(x, y, (rt::Rgb{px[2]} << 16) | (rt::Rgb{px[1]} << 8) | px[0]);
        }
    return picture;
}

}  // namespace win
