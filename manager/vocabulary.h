#pragma once
// The words the style manager speaks: node styles, node types, picture sets,
// the four state keys and the two key prefixes.

#include <cstdint>
#include <string_view>

namespace Sarn10B {

enum TVSNodeStyle : int32_t {
    TVSNodeStyle_Default = 0,
    TVSNodeStyle_CheckBoxoff = 1,
    TVSNodeStyle_CheckBoxOn = 2,
    TVSNodeStyle_OptionButtonOff = 3,
    TVSNodeStyle_OptionButtonOn = 4,
};

enum TVSNodeType : int32_t {
    TVSNodeType_CB = 1,
    TVSNodeType_OB = 2,
};

enum TVSImageStyles : int32_t {
    TVSImageStyles_CheckunCheckBox = 0,
    TVSImageStyles_WrongWrite = 1,
    TVSImageStyles_WrongWriteColor = 2,
    TVSImageStyles_LockUnlock = 3,
};

// An item's state is its image key: the name of its picture in the image list.
namespace keys {
inline constexpr std::string_view CheckOff = "chkoff";
inline constexpr std::string_view CheckOn = "chkon";
inline constexpr std::string_view OptionOff = "optoff";
inline constexpr std::string_view OptionOn = "opton";
// The first two characters of an item's key tell what a click does.
inline constexpr std::string_view CheckBoxPrefix = "CB";
inline constexpr std::string_view OptionButtonPrefix = "OB";
}  // namespace keys

// The image key of a style 1 to 4; the empty text for any other value.
std::string_view stateKeyOfStyle(int32_t style);

inline constexpr std::string_view ModuleId = "czAmbrTVS";

}  // namespace Sarn10B
