// What only the Windows platform layer does: texts, values and pictures
// crossing to the platform's automation types and back.
#include <gtest/gtest.h>

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <string>
#include <vector>

#include "runtime/collection.h"
#include "runtime/picture.h"
#include "windows/platform/com_bridge.h"
#include "windows/platform/com_picture.h"
#include "windows/platform/com_text.h"
#include "windows/platform/com_variant.h"

namespace win::test {
namespace {

class PlatformTest : public ::testing::Test {
protected:
    PlatformTest() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~PlatformTest() override { CoUninitialize(); }
};

TEST_F(PlatformTest, TextsSurviveTheTripToBstrAndBack) {
    const std::vector<std::string> texts = {
        "",
        "plain",
        std::string("nul\0inside", 10),
        "\xC3\xA4\xE2\x82\xAC",      // two- and three-byte characters
        "\xF0\x9F\x98\x80 emoji",    // outside the basic plane: a surrogate pair in UTF-16
    };
    for (const auto& text : texts) {
        BSTR b = toBstr(text);
        EXPECT_EQ(SysStringLen(b), wide(text).size());
        EXPECT_EQ(fromBstr(b), text);
        SysFreeString(b);
    }
    EXPECT_EQ(fromBstr(nullptr), "");
}

TEST_F(PlatformTest, AnyUtf16StringComesBackUnchanged) {
    const std::vector<std::wstring> strings = {
        std::wstring(L"x") + wchar_t(0xD800) + L"y",  // a lone high surrogate
        std::wstring(1, wchar_t(0xDFFF)),             // a lone low surrogate
        std::wstring{wchar_t(0xDC00), wchar_t(0xD800)},  // a pair in the wrong order
        std::wstring{wchar_t(0xD83D), wchar_t(0xDE00), wchar_t(0xD83D)},  // a pair, then half of one
        std::wstring{wchar_t(0xFFFF), wchar_t(0xFFFD), wchar_t(0x0800), wchar_t(0x07FF)},
    };
    for (const auto& s : strings) {
        BSTR b = SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
        const std::string text = fromBstr(b);
        SysFreeString(b);
        EXPECT_EQ(wide(text), s);
    }
    EXPECT_EQ(narrow(std::wstring(1, wchar_t(0xD800))), "\xED\xA0\x80");
}

TEST_F(PlatformTest, BytesThatAreNoUtf8BecomeReplacementCharacters) {
    const std::wstring replaced(1, wchar_t(0xFFFD));
    EXPECT_EQ(wide("\xFF"), replaced);
    EXPECT_EQ(wide("\xC0\xAF"), replaced + replaced) << "an overlong form";
    EXPECT_EQ(wide("a\xE2\x82"), L"a" + replaced + replaced) << "a character cut short";
    EXPECT_EQ(wide("\xF4\x90\x80\x80").size(), 4u) << "beyond U+10FFFF";
}

TEST_F(PlatformTest, ValuesOfEveryKindSurviveTheTripToVariantAndBack) {
    const std::vector<rt::Variant> values = {
        rt::Variant(),
        rt::Variant(rt::Null{}),
        rt::Variant(rt::Missing{}),
        rt::Variant(rt::Bool16{-1}),
        rt::Variant(rt::Bool16{0}),
        rt::Variant(int16_t{-32768}),
        rt::Variant(int32_t{2147483647}),
        rt::Variant(1.5f),
        rt::Variant(-2.25),
        rt::Variant(std::string("text")),
        rt::Variant(rt::Bytes{0, 1, 255}),
        rt::Variant(rt::Bytes{}),
    };
    for (const auto& value : values) {
        VARIANT v;
        toComVariant(value, &v);
        EXPECT_EQ(fromComVariant(v), value) << rt::describe(value);
        VariantClear(&v);
    }
}

TEST_F(PlatformTest, ARuntimeObjectComesBackAsItselfAndKeepsOnePlatformObject) {
    auto collection = rt::make<rt::Collection>();
    VARIANT a, b;
    toComVariant(rt::Variant(rt::ObjectRef(collection)), &a);
    toComVariant(rt::Variant(rt::ObjectRef(collection)), &b);
    ASSERT_EQ(a.vt, VT_DISPATCH);
    EXPECT_EQ(a.pdispVal, b.pdispVal);
    EXPECT_EQ(rt::toObject(fromComVariant(a)).get(), collection.get());
    VariantClear(&a);
    VariantClear(&b);
}

TEST_F(PlatformTest, ByReferenceArgumentsTakeTheValueInTheirOwnKind) {
    VARIANT target;
    VariantInit(&target);
    target.vt = VT_I2;
    VARIANT ref;
    VariantInit(&ref);
    ref.vt = VT_BYREF | VT_I2;
    ref.piVal = &target.iVal;
    EXPECT_TRUE(writeBack(rt::Variant(int32_t{12}), ref));
    EXPECT_EQ(target.iVal, 12);
    EXPECT_FALSE(writeBack(rt::Variant(std::string("not a number")), ref));
    EXPECT_EQ(target.iVal, 12) << "a value that does not convert leaves the target as it was";
    VARIANT byValue;
    toComVariant(rt::Variant(int32_t{1}), &byValue);
    EXPECT_FALSE(writeBack(rt::Variant(int32_t{2}), byValue));
}

TEST_F(PlatformTest, APictureCrossesWithItsPixelsAndTransparency) {
    auto picture = rt::make<rt::Picture>(rt::PictureType::Bitmap, 3, 2);
    picture->setPixel(0, 0, 0xFF0000);
    picture->setPixel(1, 0, 0x00FF00);
    picture->setPixel(2, 1, 0x0000FF);
    picture->setPixel(0, 1, 0x123456);
    picture->clearPixel(1, 1);
    IDispatch* disp = toPictureDisp(*picture);
    ASSERT_NE(disp, nullptr);
    IPicture* p = nullptr;
    ASSERT_EQ(disp->QueryInterface(IID_IPicture, reinterpret_cast<void**>(&p)), S_OK);
    SHORT type = 0;
    p->get_Type(&type);
    EXPECT_EQ(type, PICTYPE_BITMAP);
    p->Release();
    auto back = fromPictureObject(disp);
    disp->Release();
    ASSERT_TRUE(back);
    ASSERT_EQ(back->width(), 3);
    ASSERT_EQ(back->height(), 2);
    EXPECT_EQ(back->pixel(0, 0), 0xFF0000u);
    EXPECT_EQ(back->pixel(1, 0), 0x00FF00u);
    EXPECT_EQ(back->pixel(2, 1), 0x0000FFu);
    EXPECT_FALSE(back->opaque(1, 1));
    EXPECT_EQ(back->pixel(0, 1), 0x123456u);
    EXPECT_TRUE(back->opaque(0, 1));
}

TEST_F(PlatformTest, AnIconCrossesAsAnIconWithItsMask) {
    auto icon = rt::make<rt::Picture>(rt::PictureType::Icon, 32, 32);
    for (int i = 0; i < 32; ++i) icon->setPixel(i, i, 0x0000FF);  // a diagonal on a transparent ground
    IDispatch* disp = toPictureDisp(*icon);
    ASSERT_NE(disp, nullptr);
    IPicture* p = nullptr;
    ASSERT_EQ(disp->QueryInterface(IID_IPicture, reinterpret_cast<void**>(&p)), S_OK);
    SHORT type = 0;
    p->get_Type(&type);
    EXPECT_EQ(type, PICTYPE_ICON);
    OLE_HANDLE handle = 0;
    p->get_Handle(&handle);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(reinterpret_cast<HICON>(static_cast<uintptr_t>(handle)), &info));
    EXPECT_TRUE(info.fIcon);
    EXPECT_NE(info.hbmMask, nullptr);
    EXPECT_NE(info.hbmColor, nullptr);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    p->Release();
    auto back = fromPictureObject(disp);
    disp->Release();
    ASSERT_TRUE(back);
    EXPECT_EQ(back->type(), rt::PictureType::Icon);
    ASSERT_EQ(back->width(), 32);
    ASSERT_EQ(back->height(), 32);
    EXPECT_TRUE(back->opaque(5, 5));
    EXPECT_EQ(back->pixel(5, 5), 0x0000FFu);
    EXPECT_FALSE(back->opaque(5, 6));
    EXPECT_FALSE(back->opaque(31, 0));
}

TEST_F(PlatformTest, APlatformPictureCrossesBackAsItself) {
    auto picture = rt::make<rt::Picture>(rt::PictureType::Bitmap, 2, 2);
    picture->setPixel(1, 1, 0x00FF00);
    IDispatch* host = toPictureDisp(*picture);
    VARIANT in;
    VariantInit(&in);
    in.vt = VT_DISPATCH;
    in.pdispVal = host;
    const rt::Variant seen = fromComVariant(in);
    auto runtimePicture = rt::toObject(seen).as<rt::Picture>();
    ASSERT_TRUE(runtimePicture) << "the runtime sees a picture";
    EXPECT_EQ(runtimePicture->pixel(1, 1), 0x00FF00u);
    VARIANT out;
    toComVariant(seen, &out);
    ASSERT_EQ(out.vt, VT_DISPATCH);
    EXPECT_EQ(out.pdispVal, host) << "the host's own picture object comes back";
    VariantClear(&out);
    host->Release();
}

TEST_F(PlatformTest, RuntimeErrorsBecomeTheirPlatformCodesAndBack) {
    EXCEPINFO info{};
    const HRESULT hr = toHresult(rt::Error(450, "Wrong number of arguments or invalid property assignment", "src"),
                                 &info);
    EXPECT_EQ(hr, DISP_E_EXCEPTION);
    EXPECT_EQ(static_cast<uint32_t>(info.scode), 0x800A01C2u);
    const rt::Error back = toError(hr, &info, "member");
    EXPECT_EQ(back.number(), 450);
    EXPECT_EQ(back.description(), "Wrong number of arguments or invalid property assignment");
    EXPECT_EQ(back.source(), "src");
    EXPECT_EQ(toError(DISP_E_BADPARAMCOUNT, nullptr, "m").number(), 450);
    EXPECT_EQ(toError(DISP_E_UNKNOWNNAME, nullptr, "m").number(), 438);
}

}  // namespace
}  // namespace win::test
