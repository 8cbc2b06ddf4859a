#pragma once
// The pictures of the hidden form: the blank balloon of plain nodes and the
// state pictures of the four picture sets.

#include <string_view>

#include "runtime/picture.h"

namespace Sarn10B::pictures {

// 32 x 32, 16 colours with a transparency mask: a white, round speech balloon
// with a black outline, a grey shadow to its lower right, a short tail down
// from its lower edge left of the centre, and a red diagonal cross inside.
rt::Ref<rt::Picture> blankBalloon();

// 16 x 16, 16 colours with a mask: the picture of a state key ("chkoff",
// "chkon", "optoff", "opton") in the look of a picture set (0 check boxes;
// 1 wrong and right marks in black; 2 the same in colour; 3 locked and
// unlocked). Fails with 5 for any other set or key.
rt::Ref<rt::Picture> statePicture(int set, std::string_view stateKey);

}  // namespace Sarn10B::pictures
