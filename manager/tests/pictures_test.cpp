#include "manager/pictures.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/error.h"

namespace {

using Sarn10B::pictures::blankBalloon;
using Sarn10B::pictures::statePicture;

constexpr rt::Rgb kBlack = 0x000000;
constexpr rt::Rgb kGreen = 0x008000;
constexpr rt::Rgb kSilver = 0xC0C0C0;
constexpr rt::Rgb kGrey = 0x808080;
constexpr rt::Rgb kRed = 0xFF0000;
constexpr rt::Rgb kWhite = 0xFFFFFF;

const std::set<rt::Rgb> kPalette{0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                 0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

constexpr std::string_view kKeys[] = {"chkoff", "chkon", "optoff", "opton"};

std::string name(int set, std::string_view key) {
    return "set " + std::to_string(set) + " \"" + std::string(key) + "\"";
}

// The colours of the opaque pixels.
std::set<rt::Rgb> coloursOf(const rt::Picture& picture) {
    std::set<rt::Rgb> colours;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (picture.opaque(x, y)) colours.insert(picture.pixel(x, y));
        }
    }
    return colours;
}

bool hasColour(const rt::Picture& picture, int x, int y, rt::Rgb colour) {
    return picture.opaque(x, y) && picture.pixel(x, y) == colour;
}

// ---- every picture ----

TEST(Pictures, KindsAndSizes) {
    auto balloon = blankBalloon();
    ASSERT_TRUE(balloon);
    EXPECT_EQ(balloon->type(), rt::PictureType::Icon);
    EXPECT_EQ(balloon->width(), 32);
    EXPECT_EQ(balloon->height(), 32);
    for (int set = 0; set < 4; ++set) {
        for (auto key : kKeys) {
            SCOPED_TRACE(name(set, key));
            auto picture = statePicture(set, key);
            ASSERT_TRUE(picture);
            EXPECT_EQ(picture->type(), rt::PictureType::Icon);
            EXPECT_EQ(picture->width(), 16);
            EXPECT_EQ(picture->height(), 16);
        }
    }
}

TEST(Pictures, OpaquePixelsUseOnlyThe16ColourPalette) {
    std::vector<std::pair<std::string, rt::Ref<rt::Picture>>> all{{"balloon", blankBalloon()}};
    for (int set = 0; set < 4; ++set) {
        for (auto key : kKeys) all.emplace_back(name(set, key), statePicture(set, key));
    }
    for (const auto& [label, picture] : all) {
        SCOPED_TRACE(label);
        for (rt::Rgb colour : coloursOf(*picture)) {
            EXPECT_TRUE(kPalette.count(colour)) << std::hex << colour;
        }
    }
}

// ---- the balloon ----

// The balloon's circle is centred on (15, 13.5) in pixel-edge coordinates
// (pixel x covers x .. x + 1) with a radius of about 12.
class Balloon : public ::testing::Test {
protected:
    static constexpr double kCentreX = 15.0;
    static constexpr double kCentreY = 13.5;
    static constexpr int kCentreColumn = 15;
    static constexpr int kCentreRow = 13;
    static constexpr int kCircleBottomRow = 24;

    rt::Ref<rt::Picture> balloon = blankBalloon();

    rt::Rgb at(int x, int y) const { return balloon->pixel(x, y); }
    bool opaque(int x, int y) const { return balloon->opaque(x, y); }
    // Offsets of a pixel centre from the balloon's centre.
    static double dx(int x) { return x + 0.5 - kCentreX; }
    static double dy(int y) { return y + 0.5 - kCentreY; }
};

TEST_F(Balloon, OutsideTransparentInsideOpaque) {
    for (auto [x, y] : {std::pair{0, 0}, {31, 0}, {0, 31}, {31, 31}, {1, 13}, {15, 0}, {0, 20}}) {
        SCOPED_TRACE("pixel " + std::to_string(x) + "," + std::to_string(y));
        EXPECT_FALSE(opaque(x, y));
    }
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            if (std::hypot(dx(x), dy(y)) <= 11.0) {
                EXPECT_TRUE(opaque(x, y)) << x << "," << y;
            }
        }
    }
}

TEST_F(Balloon, RedDiagonalCrossOnWhiteInTheMiddle) {
    int redPerQuadrant[2][2] = {};
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const double ax = std::abs(dx(x));
            const double ay = std::abs(dy(y));
            if (ax > 7 || ay > 7) continue;
            if (hasColour(*balloon, x, y, kRed)) {
                // Red lies on the two diagonals only.
                EXPECT_LE(std::abs(ax - ay), 1.5) << "red off the diagonals at " << x << "," << y;
                ++redPerQuadrant[dx(x) > 0][dy(y) > 0];
            } else if (std::abs(ax - ay) >= 2.5) {
                EXPECT_TRUE(hasColour(*balloon, x, y, kWhite)) << "not white at " << x << "," << y;
            }
        }
    }
    // Both diagonals reach into all four quarters round the centre.
    for (auto& row : redPerQuadrant) {
        for (int count : row) EXPECT_GE(count, 6);
    }
}

TEST_F(Balloon, BlackOutlineThenShadowOnlyToTheLowerRight) {
    // Walking out of the balloon from its centre: the outline is black; past
    // it there is grey to the right and below, nothing to the left and above.
    struct Walk {
        const char* name;
        int stepX;
        int stepY;
        bool shadowed;
    };
    for (const Walk& walk : {Walk{"right", 1, 0, true}, Walk{"down", 0, 1, true},
                             Walk{"left", -1, 0, false}, Walk{"up", 0, -1, false}}) {
        SCOPED_TRACE(walk.name);
        int x = kCentreColumn;
        int y = kCentreRow;
        while (opaque(x + walk.stepX, y + walk.stepY) &&
               at(x + walk.stepX, y + walk.stepY) != kGrey) {
            x += walk.stepX;
            y += walk.stepY;
        }
        EXPECT_EQ(at(x, y), kBlack) << "last balloon pixel " << x << "," << y;
        const int nx = x + walk.stepX;
        const int ny = y + walk.stepY;
        if (walk.shadowed) {
            EXPECT_TRUE(hasColour(*balloon, nx, ny, kGrey)) << nx << "," << ny;
        } else {
            EXPECT_FALSE(opaque(nx, ny)) << nx << "," << ny;
        }
    }
}

TEST_F(Balloon, TailBelowTheCircleLeftOfTheCentre) {
    int tailPixels = 0;
    for (int y = kCircleBottomRow + 3; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            if (!opaque(x, y)) continue;
            EXPECT_LT(x, kCentreColumn) << "opaque pixel right of the tail at " << x << "," << y;
            if (at(x, y) != kGrey) ++tailPixels;
        }
    }
    EXPECT_GE(tailPixels, 3);
}

// ---- the state pictures ----

TEST(StatePictures, BackgroundTransparent) {
    for (int set = 0; set < 4; ++set) {
        for (auto key : kKeys) {
            SCOPED_TRACE(name(set, key));
            auto picture = statePicture(set, key);
            for (auto [x, y] : {std::pair{0, 0}, {15, 0}, {0, 15}, {15, 15}}) {
                EXPECT_FALSE(picture->opaque(x, y)) << x << "," << y;
            }
            EXPECT_FALSE(coloursOf(*picture).empty());
        }
    }
}

TEST(StatePictures, FourDistinctPicturesPerSet) {
    for (int set = 0; set < 4; ++set) {
        SCOPED_TRACE("set " + std::to_string(set));
        std::vector<std::vector<uint8_t>> images;
        for (auto key : kKeys) images.push_back(statePicture(set, key)->rgba());
        for (size_t a = 0; a < images.size(); ++a) {
            for (size_t b = a + 1; b < images.size(); ++b) {
                EXPECT_NE(images[a], images[b]) << kKeys[a] << " vs " << kKeys[b];
            }
        }
    }
}

TEST(StatePictures, CheckBoxesAreEmptyWhenOffAndMarkedWhenOn) {
    // The middle of the set 0 box and button is white when off, black when on.
    struct Case {
        std::string_view key;
        rt::Rgb middle;
    };
    for (const Case& c : {Case{"chkoff", kWhite}, Case{"chkon", kBlack}, Case{"optoff", kWhite},
                          Case{"opton", kBlack}}) {
        SCOPED_TRACE(c.key);
        auto picture = statePicture(0, c.key);
        EXPECT_TRUE(hasColour(*picture, 7, 8, c.middle));
        EXPECT_TRUE(hasColour(*picture, 8, 8, c.middle));
    }
}

TEST(StatePictures, MarkColours) {
    // Set 1 is all black and greys; set 2 has a red wrong mark and a green
    // right mark.
    const std::set<rt::Rgb> neutral{kBlack, kWhite, kGrey, kSilver};
    for (auto key : kKeys) {
        SCOPED_TRACE(name(1, key));
        for (rt::Rgb colour : coloursOf(*statePicture(1, key))) {
            EXPECT_TRUE(neutral.count(colour)) << std::hex << colour;
        }
    }
    struct Case {
        std::string_view key;
        rt::Rgb mark;
        rt::Rgb absent;
    };
    for (const Case& c : {Case{"chkoff", kRed, kGreen}, Case{"optoff", kRed, kGreen},
                          Case{"chkon", kGreen, kRed}, Case{"opton", kGreen, kRed}}) {
        SCOPED_TRACE(name(2, c.key));
        const auto colours = coloursOf(*statePicture(2, c.key));
        EXPECT_TRUE(colours.count(c.mark));
        EXPECT_FALSE(colours.count(c.absent));
    }
}

TEST(StatePictures, SetTwoDrawsTheSameShapesAsSetOne) {
    for (auto key : kKeys) {
        SCOPED_TRACE(key);
        auto black = statePicture(1, key);
        auto colour = statePicture(2, key);
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) EXPECT_EQ(black->opaque(x, y), colour->opaque(x, y));
        }
    }
}

TEST(StatePictures, KeysIgnoreLetterCase) {
    for (int set = 0; set < 4; ++set) {
        for (auto [exact, other] : {std::pair<std::string_view, std::string_view>{"chkoff", "CHKOFF"},
                                    {"chkon", "ChkOn"},
                                    {"optoff", "OptOff"},
                                    {"opton", "OPTON"}}) {
            SCOPED_TRACE(name(set, other));
            EXPECT_EQ(statePicture(set, other)->rgba(), statePicture(set, exact)->rgba());
        }
    }
}

TEST(StatePictures, EachCallGivesItsOwnPicture) {
    // Image lists keep what they are given; a change to one picture must not
    // show up in the next.
    auto first = statePicture(0, "chkon");
    const auto original = first->rgba();
    first->clearPixel(7, 8);
    auto second = statePicture(0, "chkon");
    EXPECT_FALSE(sameObject(first, second));
    EXPECT_EQ(second->rgba(), original);

    auto balloon = blankBalloon();
    balloon->clearPixel(15, 13);
    EXPECT_TRUE(blankBalloon()->opaque(15, 13));
}

TEST(StatePictures, BadSetOrKeyFailsWithInvalidCall) {
    struct Case {
        const char* name;
        int set;
        std::string_view key;
    };
    const Case cases[] = {
        {"negative set", -1, "chkon"},
        {"set just past the last", 4, "chkoff"},
        {"large set", 100, "opton"},
        {"smallest int", INT_MIN, "optoff"},
        {"largest int", INT_MAX, "chkon"},
        {"empty key", 0, ""},
        {"key prefix", 0, "chk"},
        {"key cut short", 1, "chkof"},
        {"trailing space", 2, "chkon "},
        {"leading space", 3, " opton"},
        {"longer key", 0, "optonx"},
        {"item key prefix", 0, "CB"},
        {"embedded zero", 1, std::string_view("chkon\0", 6)},
        {"bad set and key", 9, "x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            statePicture(c.set, c.key);
            ADD_FAILURE() << "no error";
        } catch (const rt::Error& e) {
            EXPECT_EQ(e.number(), rt::errnum::InvalidCall);
        }
    }
}

}  // namespace
