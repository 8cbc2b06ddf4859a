#pragma once
// The tree as text, one line per node in tree order: two spaces of indent per
// level, then key, text and image key, e.g.
//   S1 "Fonts" [S1]
//     CBbold "Bold" [chkon]

#include <string>

#include "outside/tree_model.h"

namespace tree {

std::string treeAsText(TreeView& treeView);

// The image of a node as text: its key, "#n" for a list position, "" for none.
std::string imageText(const rt::Variant& image);

}  // namespace tree
