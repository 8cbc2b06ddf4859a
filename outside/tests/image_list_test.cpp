#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "outside/image_list.h"
#include "outside/tests/error_number.h"
#include "outside/tree_model.h"
#include "runtime/collection.h"

namespace {

using outside_tests::errorNumberOf;

rt::Ref<rt::Picture> newPicture() { return rt::make<rt::Picture>(rt::PictureType::Bitmap, 2, 2); }

class ImageListTest : public ::testing::Test {
protected:
    // A list holding "a", "b" and "c" in this order.
    void SetUp() override { reset(); }

    void reset() {
        images = rt::make<tree::ListImages>();
        pictures.clear();
        for (const char* key : {"a", "b", "c"}) {
            pictures.push_back(newPicture());
            images->Add(rt::Missing{}, key, pictures.back());
        }
    }

    std::vector<std::string> keys() const {
        std::vector<std::string> out;
        for (int32_t i = 1; i <= images->Count(); ++i) out.push_back(images->Item(i)->Key());
        return out;
    }

    rt::Ref<tree::ListImages> images = rt::make<tree::ListImages>();
    std::vector<rt::Ref<rt::Picture>> pictures;
};

TEST_F(ImageListTest, AppendsWithoutIndexAndFindsByPositionAndKey) {
    EXPECT_EQ(images->Count(), 3);
    EXPECT_EQ(keys(), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_TRUE(rt::sameObject(images->Item(2)->Picture(), pictures[1]));
    EXPECT_TRUE(rt::sameObject(images->Item("b"), images->Item(2)));
    EXPECT_TRUE(rt::sameObject(images->pictureFor("c"), pictures[2]));
}

TEST_F(ImageListTest, InsertsAtAGivenIndexAndShiftsTheLaterPictures) {
    struct Case {
        const char* name;
        rt::Variant index;
        std::vector<std::string> order;
    };
    const Case cases[] = {
        {"first", int32_t{1}, {"x", "a", "b", "c"}},
        {"middle", int32_t{2}, {"a", "x", "b", "c"}},
        {"after the last (Count + 1)", int32_t{4}, {"a", "b", "c", "x"}},
        {"a 16-bit index", int16_t{3}, {"a", "b", "x", "c"}},
        {"a real index", 1.0, {"x", "a", "b", "c"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        reset();
        auto picture = newPicture();
        auto added = images->Add(c.index, "x", picture);
        EXPECT_EQ(keys(), c.order);
        // Key lookups follow the shifted positions.
        for (size_t i = 0; i < c.order.size(); ++i)
            EXPECT_TRUE(rt::sameObject(images->Item(c.order[i]), images->Item(static_cast<int32_t>(i + 1))))
                << c.order[i];
        EXPECT_TRUE(rt::sameObject(images->pictureFor("X"), picture));
        EXPECT_TRUE(rt::sameObject(added, images->Item("x")));
    }
}

TEST_F(ImageListTest, RefusedAddsChangeNothing) {
    struct Case {
        const char* name;
        rt::Variant index;
        rt::Variant key;
        rt::Variant picture;  // Missing here means: a new picture
        int32_t error;
    };
    const rt::Variant picture = newPicture();
    const Case cases[] = {
        {"index 0", int32_t{0}, "x", picture, tree::errnum::IndexOutOfBounds},
        {"index Empty (reads as 0)", rt::Empty{}, "x", picture, tree::errnum::IndexOutOfBounds},
        {"negative index", int32_t{-1}, "x", picture, tree::errnum::IndexOutOfBounds},
        {"index beyond Count + 1", int32_t{5}, "x", picture, tree::errnum::IndexOutOfBounds},
        {"same key", rt::Missing{}, "b", picture, tree::errnum::KeyNotUnique},
        {"key in other case", rt::Missing{}, "B", picture, tree::errnum::KeyNotUnique},
        {"no picture (Missing)", rt::Missing{}, "x", rt::Missing{}, rt::errnum::InvalidPicture},
        {"no picture (Empty)", rt::Missing{}, "x", rt::Empty{}, rt::errnum::InvalidPicture},
        {"nothing", rt::Missing{}, "x", rt::Ref<rt::Picture>(), rt::errnum::InvalidPicture},
        {"an object that is no picture", rt::Missing{}, "x", rt::make<rt::Collection>(),
         rt::errnum::InvalidPicture},
        {"a text", rt::Missing{}, "x", "picture.png", rt::errnum::InvalidPicture},
        {"a number", rt::Missing{}, "x", int32_t{1}, rt::errnum::InvalidPicture},
        // Callers count on 481 for an add without a picture even when the key
        // is taken: the picture is checked first.
        {"no picture under a taken key", rt::Missing{}, "a", rt::Missing{}, rt::errnum::InvalidPicture},
        {"no picture at a bad index", int32_t{0}, "x", rt::Missing{}, rt::errnum::InvalidPicture},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto revision = images->revision();
        EXPECT_EQ(errorNumberOf([&] { images->Add(c.index, c.key, c.picture); }), c.error);
        EXPECT_EQ(keys(), (std::vector<std::string>{"a", "b", "c"}));
        EXPECT_FALSE(images->hasKey("x"));
        EXPECT_EQ(images->revision(), revision);
    }
}

TEST_F(ImageListTest, KeysCompareWithoutRegardToCaseBeyondAscii) {
    images->Add(rt::Missing{}, "Äpfel", newPicture());
    images->Add(rt::Missing{}, "ΣΟΦΙΑ", newPicture());
    EXPECT_TRUE(images->hasKey("äPFEL"));
    EXPECT_TRUE(images->hasKey("σοφια"));
    EXPECT_EQ(images->Item("äpfel")->Key(), "Äpfel");  // kept as given
    EXPECT_EQ(errorNumberOf([&] { images->Add(rt::Missing{}, "äpfel", newPicture()); }),
              tree::errnum::KeyNotUnique);
    EXPECT_EQ(images->Count(), 5);
}

TEST_F(ImageListTest, PicturesWithoutKeyAreAllowedAndFoundOnlyByPosition) {
    images->Add(rt::Missing{}, rt::Missing{}, newPicture());
    images->Add(rt::Missing{}, rt::Empty{}, newPicture());
    images->Add(rt::Missing{}, "", newPicture());
    EXPECT_EQ(images->Count(), 6);
    EXPECT_EQ(images->Item(6)->Key(), "");
    EXPECT_FALSE(images->hasKey(""));
    EXPECT_TRUE(images->pictureFor("").isNothing());
    EXPECT_EQ(errorNumberOf([&] { images->Item(""); }), tree::errnum::ElementNotFound);
}

TEST_F(ImageListTest, ItemFailsForUnknownKeyOrPosition) {
    struct Case {
        const char* name;
        rt::Variant index;
        int32_t error;
    };
    const Case cases[] = {
        {"unknown key", "zz", tree::errnum::ElementNotFound},
        {"position 0", int32_t{0}, tree::errnum::IndexOutOfBounds},
        {"position Count + 1", int32_t{4}, tree::errnum::IndexOutOfBounds},
        {"negative position", int16_t{-2}, tree::errnum::IndexOutOfBounds},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(errorNumberOf([&] { images->Item(c.index); }), c.error);
    }
    EXPECT_TRUE(images->pictureFor("zz").isNothing());
}

TEST_F(ImageListTest, RevisionGrowsWithEverySuccessfulAdd) {
    const auto before = images->revision();
    images->Add(int32_t{1}, "x", newPicture());
    images->Add(rt::Missing{}, rt::Missing{}, newPicture());
    EXPECT_EQ(images->revision(), before + 2);
}

TEST(ImageList, KeepsItsNameAndOnePictureCollection) {
    auto list = rt::make<tree::ImageList>("imlCheckunCheckBox");
    EXPECT_EQ(list->name(), "imlCheckunCheckBox");
    list->ListImages()->Add(rt::Missing{}, "chkoff", newPicture());
    EXPECT_TRUE(rt::sameObject(list->ListImages(), list->ListImages()));
    EXPECT_TRUE(list->ListImages()->hasKey("CHKOFF"));
}

}  // namespace
