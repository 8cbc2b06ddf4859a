#include <gtest/gtest.h>

#include "runtime/dispatch.h"
#include "runtime/error.h"
#include "runtime/picture.h"
#include "runtime/tests/helpers.h"

namespace {

using runtime_tests::errorNumberOf;

struct Point {
    const char* name;
    int x;
    int y;
};

// Just outside each edge of a 4 x 3 picture.
const Point outside[] = {
    {"left", -1, 0}, {"top", 0, -1}, {"right", 4, 0}, {"bottom", 0, 3}, {"far away", 1000, -1000},
};

class PictureTest : public ::testing::Test {
protected:
    rt::Picture picture{rt::PictureType::Bitmap, 4, 3};
};

TEST_F(PictureTest, StartsTransparentAndBlack) {
    EXPECT_EQ(picture.type(), rt::PictureType::Bitmap);
    EXPECT_EQ(picture.width(), 4);
    EXPECT_EQ(picture.height(), 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            EXPECT_FALSE(picture.opaque(x, y));
            EXPECT_EQ(picture.pixel(x, y), 0u);
        }
}

TEST(PictureSizeTest, NegativeSizesGiveAnEmptyPicture) {
    rt::Picture picture(rt::PictureType::Icon, -5, 3);
    EXPECT_EQ(picture.width(), 0);
    EXPECT_EQ(picture.height(), 3);
    EXPECT_TRUE(picture.rgba().empty());
    EXPECT_EQ(errorNumberOf([&] { picture.pixel(0, 0); }), rt::errnum::InvalidCall);
}

TEST_F(PictureTest, SetPixelMakesItOpaqueAndKeepsOnlyTheColour) {
    picture.setPixel(2, 1, 0xFF123456);
    EXPECT_TRUE(picture.opaque(2, 1));
    EXPECT_EQ(picture.pixel(2, 1), 0x123456u);
    EXPECT_FALSE(picture.opaque(1, 2));  // x and y not swapped

    picture.setPixel(0, 0, 0x000000);  // black, yet opaque
    EXPECT_TRUE(picture.opaque(0, 0));
}

TEST_F(PictureTest, ClearPixelMakesItTransparent) {
    picture.setPixel(3, 2, 0xABCDEF);
    picture.clearPixel(3, 2);
    EXPECT_FALSE(picture.opaque(3, 2));
    EXPECT_EQ(picture.pixel(3, 2), 0u);
}

TEST_F(PictureTest, WritesOutsideThePictureAreIgnored) {
    picture.setPixel(1, 1, 0x112233);
    const auto before = picture.rgba();
    for (const auto& p : outside) {
        SCOPED_TRACE(p.name);
        EXPECT_NO_THROW(picture.setPixel(p.x, p.y, 0xFFFFFF));
        EXPECT_NO_THROW(picture.clearPixel(p.x, p.y));
        EXPECT_EQ(picture.rgba(), before);
    }
}

TEST_F(PictureTest, ReadsOutsideThePictureFailWith5) {
    for (const auto& p : outside) {
        SCOPED_TRACE(p.name);
        EXPECT_EQ(errorNumberOf([&] { picture.pixel(p.x, p.y); }), rt::errnum::InvalidCall);
        EXPECT_EQ(errorNumberOf([&] { picture.opaque(p.x, p.y); }), rt::errnum::InvalidCall);
    }
}

TEST_F(PictureTest, RgbaIsRowsTopToBottom) {
    picture.setPixel(1, 0, 0x102030);
    picture.setPixel(0, 2, 0xA0B0C0);
    const auto bytes = picture.rgba();
    ASSERT_EQ(bytes.size(), 4u * 3u * 4u);
    const auto at = [&](int x, int y) {
        size_t i = (static_cast<size_t>(y) * 4 + static_cast<size_t>(x)) * 4;
        return std::vector<uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(i),
                                    bytes.begin() + static_cast<std::ptrdiff_t>(i + 4));
    };
    EXPECT_EQ(at(1, 0), (std::vector<uint8_t>{0x10, 0x20, 0x30, 255}));
    EXPECT_EQ(at(0, 2), (std::vector<uint8_t>{0xA0, 0xB0, 0xC0, 255}));
    EXPECT_EQ(at(0, 0), (std::vector<uint8_t>{0, 0, 0, 0}));
}

TEST(PictureMembersTest, AreReadableByName) {
    auto picture = rt::make<rt::Picture>(rt::PictureType::Icon, 16, 8);
    EXPECT_EQ(rt::callByName(picture, "type", rt::CallKind::PropertyGet), rt::Variant(int16_t{3}));
    EXPECT_EQ(rt::callByName(picture, "Width", rt::CallKind::PropertyGet), rt::Variant(int32_t{16}));
    EXPECT_EQ(rt::callByName(picture, "HEIGHT", rt::CallKind::PropertyGet), rt::Variant(int32_t{8}));
}

}  // namespace
