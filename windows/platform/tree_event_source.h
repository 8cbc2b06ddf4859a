#pragma once
// An object of the platform that passes a tree view's events on to the sinks
// connected to it: node click, key down, key up and pointer move, with the
// control's dispatch identifiers 1 to 4 and its by-reference arguments, so
// that a sink's changes reach the tree view.

#include "outside/tree_model.h"
#include "windows/platform/connectable.h"

namespace win {

class TreeEventSource : public tree::TreeViewEvents, public Connectable {
public:
    void NodeClick(const rt::Ref<tree::TreeNode>& node) override;
    void KeyDown(int16_t& keyCode, int16_t& shift) override;
    void KeyUp(int16_t& keyCode, int16_t& shift) override;
    void MouseMove(int16_t& button, int16_t& shift, float& x, float& y) override;

protected:
    ~TreeEventSource() = default;
};

}  // namespace win
