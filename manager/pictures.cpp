#include "manager/pictures.h"

#include <array>
#include <cmath>

#include "runtime/error.h"
#include "runtime/text.h"

// Every picture is drawn pixel by pixel from simple shapes, without
// anti-aliasing, in colours of the standard 16-colour palette only, so that a
// 16-colour image list keeps them unchanged. Shapes are tested at pixel
// centres: pixel (x, y) covers the square from (x, y) to (x + 1, y + 1).

namespace Sarn10B::pictures {
namespace {

constexpr rt::Rgb kBlack = 0x000000;
constexpr rt::Rgb kGreen = 0x008000;
constexpr rt::Rgb kOlive = 0x808000;
constexpr rt::Rgb kSilver = 0xC0C0C0;
constexpr rt::Rgb kGrey = 0x808080;
constexpr rt::Rgb kRed = 0xFF0000;
constexpr rt::Rgb kYellow = 0xFFFF00;
constexpr rt::Rgb kWhite = 0xFFFFFF;

rt::Ref<rt::Picture> newIcon(int size) {
    // A new picture is fully transparent.
    return rt::make<rt::Picture>(rt::PictureType::Icon, size, size);
}

// Distance of the centre of pixel (x, y) from the point (cx, cy).
double centreDistance(int x, int y, double cx, double cy) {
    return std::hypot(x + 0.5 - cx, y + 0.5 - cy);
}

struct Point {
    double x;
    double y;
};

// Whether the centre of pixel (x, y) lies inside the triangle a b c: on the
// same side of all three edges.
bool inTriangle(int x, int y, Point a, Point b, Point c) {
    const Point p{x + 0.5, y + 0.5};
    auto side = [&p](Point from, Point to) {
        return (to.x - from.x) * (p.y - from.y) - (to.y - from.y) * (p.x - from.x);
    };
    const double s1 = side(a, b);
    const double s2 = side(b, c);
    const double s3 = side(c, a);
    return (s1 >= 0 && s2 >= 0 && s3 >= 0) || (s1 <= 0 && s2 <= 0 && s3 <= 0);
}

// An X of two 45-degree strokes, each two pixels wide, over `rows` rows; it
// covers columns left .. left + rows.
void drawCross(rt::Picture& picture, int left, int top, int rows, rt::Rgb colour) {
    for (int i = 0; i < rows; ++i) {
        const int y = top + i;
        picture.setPixel(left + i, y, colour);
        picture.setPixel(left + i + 1, y, colour);
        picture.setPixel(left + rows - 1 - i, y, colour);
        picture.setPixel(left + rows - i, y, colour);
    }
}

// A tick drawn column by column: `down` columns stepping down one pixel each,
// then `up` columns stepping up; every column is a run `thickness` pixels
// tall. With down 3, up 4 and thickness 3 it is the classic 7 x 7 check mark.
void drawTick(rt::Picture& picture, int left, int top, int down, int up, int thickness,
              rt::Rgb colour) {
    const int firstTop = top + up - (down - 1);
    for (int c = 0; c < down + up; ++c) {
        const int runTop = c < down ? firstTop + c : firstTop + 2 * (down - 1) - c;
        for (int t = 0; t < thickness; ++t) picture.setPixel(left + c, runTop + t, colour);
    }
}

// The outline of the disc of `radius` round (cx, cy): the disc's pixels that
// have a 4-neighbour outside it, which gives an unbroken one-pixel ring.
void drawCircleOutline(rt::Picture& picture, double cx, double cy, double radius,
                       rt::Rgb colour) {
    auto inDisc = [&](int x, int y) { return centreDistance(x, y, cx, cy) <= radius; };
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (inDisc(x, y) && (!inDisc(x - 1, y) || !inDisc(x + 1, y) || !inDisc(x, y - 1) ||
                                 !inDisc(x, y + 1))) {
                picture.setPixel(x, y, colour);
            }
        }
    }
}

// The round frame that marks option pictures in the mark and lock sets.
void drawOptionFrame(rt::Picture& picture) { drawCircleOutline(picture, 8.0, 8.0, 7.2, kBlack); }

// ---- Set 0: classic sunken check boxes and option buttons ----

// A 13 x 13 box with a two-pixel sunken border: grey and black above and to
// the left, white and silver below and to the right, white inside.
void drawCheckBox(rt::Picture& picture, bool on) {
    constexpr int first = 1;
    constexpr int last = 13;
    for (int y = first; y <= last; ++y) {
        for (int x = first; x <= last; ++x) {
            rt::Rgb colour = kWhite;
            if (x == last || y == last) {
                colour = kWhite;
            } else if (x == first || y == first) {
                colour = kGrey;
            } else if (x == last - 1 || y == last - 1) {
                colour = kSilver;
            } else if (x == first + 1 || y == first + 1) {
                colour = kBlack;
            }
            picture.setPixel(x, y, colour);
        }
    }
    if (on) drawTick(picture, first + 3, first + 3, 3, 4, 3, kBlack);
}

// A round button 12 pixels across with the same sunken border as the box: the
// upper left half of each ring dark, the lower right half light.
void drawOptionButton(rt::Picture& picture, bool on) {
    constexpr double c = 8.0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const double d = centreDistance(x, y, c, c);
            if (d > 6.0) continue;
            const bool upperLeft = (x + 0.5 - c) + (y + 0.5 - c) < 0;
            rt::Rgb colour = kWhite;
            if (d > 5.0) {
                colour = upperLeft ? kGrey : kWhite;
            } else if (d > 4.0) {
                colour = upperLeft ? kBlack : kSilver;
            } else if (on && d <= 2.0) {
                colour = kBlack;
            }
            picture.setPixel(x, y, colour);
        }
    }
}

void drawCheckSet(rt::Picture& picture, bool option, bool on) {
    if (option) {
        drawOptionButton(picture, on);
    } else {
        drawCheckBox(picture, on);
    }
}

// ---- Sets 1 and 2: wrong and right marks ----

void drawMarkSet(rt::Picture& picture, bool option, bool on, rt::Rgb wrong, rt::Rgb right) {
    if (!option) {
        if (on) {
            drawTick(picture, 2, 3, 4, 7, 3, right);
        } else {
            drawCross(picture, 3, 3, 10, wrong);
        }
        return;
    }
    drawOptionFrame(picture);
    if (on) {
        drawTick(picture, 4, 4, 3, 5, 2, right);
    } else {
        drawCross(picture, 4, 4, 7, wrong);
    }
}

// ---- Set 3: padlocks ----

// The shackle is an arch two pixels thick round (8, 5) whose legs run down
// into the body; opening the lock lifts it and frees its right leg.
constexpr double kShackleX = 8.0;
constexpr double kArchCentreY = 5.0;
constexpr double kShackleOuter = 3.0;
constexpr double kShackleInner = 1.0;
constexpr int kShackleLift = 2;
constexpr int kShackleEnd = 9;  // first row below the legs, hidden by the body

void drawShackle(rt::Picture& picture, bool open) {
    const double cy = kArchCentreY - (open ? kShackleLift : 0);
    for (int y = 0; y < kShackleEnd; ++y) {
        for (int x = 0; x < 16; ++x) {
            const double u = x + 0.5 - kShackleX;
            const double v = y + 0.5 - cy;
            bool inside;
            if (v <= 0) {
                const double d = std::hypot(u, v);
                inside = d > kShackleInner && d <= kShackleOuter;
            } else {
                inside = std::abs(u) > kShackleInner && std::abs(u) <= kShackleOuter;
                // The free leg ends where the closed arch ended.
                if (open && u > 0 && v > kShackleLift) inside = false;
            }
            if (inside) picture.setPixel(x, y, kGrey);
        }
    }
}

// The body: yellow with an olive outline and a black keyhole, square for
// check pictures and round for option pictures, as the buttons they stand
// for.
struct LockBody {
    int left;
    int top;
    int right;
    int bottom;
    bool round;
};

bool inLockBody(const LockBody& body, int x, int y) {
    if (x < body.left || x > body.right || y < body.top || y > body.bottom) return false;
    if (!body.round) return true;
    const double cx = (body.left + body.right + 1) / 2.0;
    const double cy = (body.top + body.bottom + 1) / 2.0;
    const double radius = (body.right - body.left + 1) / 2.0 + 0.15;
    return centreDistance(x, y, cx, cy) <= radius;
}

void drawLockBody(rt::Picture& picture, const LockBody& body) {
    for (int y = body.top; y <= body.bottom; ++y) {
        for (int x = body.left; x <= body.right; ++x) {
            if (!inLockBody(body, x, y)) continue;
            const bool edge = !inLockBody(body, x - 1, y) || !inLockBody(body, x + 1, y) ||
                              !inLockBody(body, x, y - 1) || !inLockBody(body, x, y + 1);
            picture.setPixel(x, y, edge ? kOlive : kYellow);
        }
    }
    // A keyhole two pixels wide and three tall in the middle.
    const int left = (body.left + body.right) / 2;
    const int top = (body.top + body.bottom) / 2 - 1;
    for (int y = top; y < top + 3; ++y) {
        picture.setPixel(left, y, kBlack);
        picture.setPixel(left + 1, y, kBlack);
    }
}

void drawLockSet(rt::Picture& picture, bool option, bool on) {
    static constexpr LockBody square{3, 8, 12, 14, false};
    static constexpr LockBody round{4, 7, 11, 14, true};
    drawShackle(picture, on);
    drawLockBody(picture, option ? round : square);
}

// The four state keys, in the order of the node styles.
constexpr std::array<std::string_view, 4> kStateKeys{"chkoff", "chkon", "optoff", "opton"};

}  // namespace

rt::Ref<rt::Picture> blankBalloon() {
    constexpr int size = 32;
    constexpr double cx = 15.0;
    constexpr double cy = 13.5;
    constexpr double radius = 11.8;
    constexpr int shadowOffset = 2;
    // The tail leaves the lower edge left of the centre and points down.
    constexpr Point tailLeft{7.5, 20.0};
    constexpr Point tailRight{13.5, 23.0};
    constexpr Point tailTip{7.0, 30.0};

    std::array<bool, size * size> shape{};
    auto inShape = [&shape](int x, int y) {
        return x >= 0 && y >= 0 && x < size && y < size && shape[y * size + x];
    };
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            shape[y * size + x] = centreDistance(x, y, cx, cy) <= radius ||
                                  inTriangle(x, y, tailLeft, tailRight, tailTip);
        }
    }

    auto picture = newIcon(size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            if (inShape(x, y)) {
                // Pixels at the shape's edge form the outline.
                const bool edge = !inShape(x - 1, y) || !inShape(x + 1, y) ||
                                  !inShape(x, y - 1) || !inShape(x, y + 1);
                picture->setPixel(x, y, edge ? kBlack : kWhite);
            } else if (inShape(x - shadowOffset, y - shadowOffset)) {
                picture->setPixel(x, y, kGrey);
            }
        }
    }
    // Centred on the circle: columns 9 to 20, rows 8 to 18.
    drawCross(*picture, 9, 8, 11, kRed);
    return picture;
}

rt::Ref<rt::Picture> statePicture(int set, std::string_view stateKey) {
    int state = -1;
    for (int i = 0; i < static_cast<int>(kStateKeys.size()); ++i) {
        if (rt::textEquals(stateKey, kStateKeys[static_cast<size_t>(i)])) state = i;
    }
    if (state < 0 || set < 0 || set > 3) throw rt::errInvalidCall();
    const bool option = state >= 2;
    const bool on = state == 1 || state == 3;

    auto picture = newIcon(16);
    switch (set) {
        case 0:
            drawCheckSet(*picture, option, on);
            break;
        case 1:
            drawMarkSet(*picture, option, on, kBlack, kBlack);
            break;
        case 2:
            drawMarkSet(*picture, option, on, kRed, kGreen);
            break;
        default:
            drawLockSet(*picture, option, on);
            break;
    }
    return picture;
}

}  // namespace Sarn10B::pictures
