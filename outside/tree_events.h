#pragma once
// The listeners of one tree view's events. Raising an event calls every
// listener attached when the event started and still attached when its turn
// comes, so a listener may detach itself or another one from inside a call.

#include <cstdint>
#include <utility>
#include <vector>

#include "outside/tree_model.h"

namespace tree {

class EventSource {
public:
    int32_t advise(TreeViewEvents* listener) {
        if (!listener) throw rt::errInvalidCall();
        listeners_.emplace_back(++lastCookie_, listener);
        return lastCookie_;
    }
    void unadvise(int32_t cookie) {
        for (auto it = listeners_.begin(); it != listeners_.end(); ++it)
            if (it->first == cookie) {
                listeners_.erase(it);
                return;
            }
    }
    size_t count() const noexcept { return listeners_.size(); }

    template <class Call>
    void raise(Call call) {
        std::vector<int32_t> cookies;
        cookies.reserve(listeners_.size());
        for (const auto& l : listeners_) cookies.push_back(l.first);
        for (int32_t cookie : cookies)
            if (TreeViewEvents* listener = find(cookie)) call(*listener);
    }

private:
    TreeViewEvents* find(int32_t cookie) const {
        for (const auto& l : listeners_)
            if (l.first == cookie) return l.second;
        return nullptr;
    }

    std::vector<std::pair<int32_t, TreeViewEvents*>> listeners_;
    int32_t lastCookie_ = 0;
};

}  // namespace tree
