#pragma once
// A listener that writes down every event of a tree view it is attached to.

#include <string>
#include <vector>

#include "outside/tree_model.h"

namespace qt_tests {

struct RecordingListener : tree::TreeViewEvents {
    std::vector<std::string> events;  // "click A", "down 65 2", "up 65 2", "move 1 0"
    rt::Ref<tree::TreeNode> clicked;
    float x = -1;
    float y = -1;

    void NodeClick(const rt::Ref<tree::TreeNode>& node) override {
        clicked = node;
        events.push_back("click " + node->Key());
    }
    void KeyDown(int16_t& keyCode, int16_t& shift) override {
        events.push_back("down " + std::to_string(keyCode) + " " + std::to_string(shift));
    }
    void KeyUp(int16_t& keyCode, int16_t& shift) override {
        events.push_back("up " + std::to_string(keyCode) + " " + std::to_string(shift));
    }
    void MouseMove(int16_t& button, int16_t& shift, float& px, float& py) override {
        x = px;
        y = py;
        events.push_back("move " + std::to_string(button) + " " + std::to_string(shift));
    }
};

}  // namespace qt_tests
