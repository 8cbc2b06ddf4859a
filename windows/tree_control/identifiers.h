#pragma once
// The fixed identifiers of the control tree view's component server.

#include <string_view>

namespace win_tree {

inline constexpr std::string_view ProgId = "SarnControl.TreeControl";
inline constexpr std::string_view TypeLibrary = "BA9EA42C-2B7F-43C8-9017-50FAD73C3F08";
inline constexpr std::string_view Clsid = "7AFA74CA-01E5-4639-BC73-49BF58B5EFEE";
inline constexpr std::string_view Events = "A9B4CCDE-6358-4AC5-8B9C-591D389676CD";

}  // namespace win_tree
