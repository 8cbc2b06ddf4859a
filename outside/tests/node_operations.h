#pragma once
// Every operation of a tree node, for tests that a dead node fails each one.

#include <functional>

#include "outside/tree_model.h"

namespace tree_tests {

struct NodeOperation {
    const char* name;
    std::function<void(tree::TreeNode&)> call;
};

inline const NodeOperation nodeOperations[] = {
    {"Key", [](tree::TreeNode& n) { n.Key(); }},
    {"Text", [](tree::TreeNode& n) { n.Text(); }},
    {"setText", [](tree::TreeNode& n) { n.setText("x"); }},
    {"Tag", [](tree::TreeNode& n) { n.Tag(); }},
    {"setTag", [](tree::TreeNode& n) { n.setTag("x"); }},
    {"Image", [](tree::TreeNode& n) { n.Image(); }},
    {"imageKeyIs", [](tree::TreeNode& n) { n.imageKeyIs("chkon"); }},
    {"setImage", [](tree::TreeNode& n) { n.setImage(""); }},
    {"Child", [](tree::TreeNode& n) { n.Child(); }},
    {"Next", [](tree::TreeNode& n) { n.Next(); }},
    {"Parent", [](tree::TreeNode& n) { n.Parent(); }},
    {"Children", [](tree::TreeNode& n) { n.Children(); }},
    {"Expanded", [](tree::TreeNode& n) { n.Expanded(); }},
    {"setExpanded", [](tree::TreeNode& n) { n.setExpanded(rt::True16); }},
    {"Selected", [](tree::TreeNode& n) { n.Selected(); }},
    {"setSelected", [](tree::TreeNode& n) { n.setSelected(rt::True16); }},
};

}  // namespace tree_tests
