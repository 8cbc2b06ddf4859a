#pragma once
// The key index of a node store: an open-addressing table of node indices,
// each slot keeping the hash of the node's folded key beside it, so that a
// probe compares numbers and looks at a node's key only when the hashes
// agree. Nodes leave the store only all at once, so slots are never emptied
// one by one.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace tree {

class NodeKeyIndex {
public:
    static size_t hashOf(std::string_view foldedKey) noexcept { return std::hash<std::string_view>{}(foldedKey); }

    size_t size() const noexcept { return size_; }

    // The index for which sameKey(index) holds among those filed under the
    // hash, or -1.
    template <class SameKey>
    int32_t find(size_t hash, SameKey sameKey) const {
        if (slots_.empty()) return -1;
        const auto h = static_cast<uint32_t>(hash);
        for (size_t i = h & mask(); slots_[i].index >= 0; i = (i + 1) & mask())
            if (slots_[i].hash == h && sameKey(slots_[i].index)) return slots_[i].index;
        return -1;
    }

    // Makes room for one more entry; the only step that can fail.
    void reserveOne() {
        if (2 * (size_ + 1) > slots_.size()) grow();
    }
    // Files an index; reserveOne must have come first.
    void insert(size_t hash, int32_t index) noexcept {
        const auto h = static_cast<uint32_t>(hash);
        size_t i = h & mask();
        while (slots_[i].index >= 0) i = (i + 1) & mask();
        slots_[i] = {h, index};
        ++size_;
    }

    void clear() noexcept {
        std::vector<Slot>().swap(slots_);
        size_ = 0;
    }

private:
    struct Slot {
        uint32_t hash = 0;
        int32_t index = -1;
    };

    size_t mask() const noexcept { return slots_.size() - 1; }

    // Doubles the table (at least 16 slots) and files every entry again.
    // Slots start from the low 32 bits of the hash, which cover any table
    // that fits in memory.
    void grow() {
        std::vector<Slot> bigger(slots_.empty() ? 16 : 2 * slots_.size());
        const size_t m = bigger.size() - 1;
        for (const Slot& s : slots_) {
            if (s.index < 0) continue;
            size_t i = s.hash & m;
            while (bigger[i].index >= 0) i = (i + 1) & m;
            bigger[i] = s;
        }
        slots_.swap(bigger);
    }

    std::vector<Slot> slots_;  // a power of two long, at most half full
    size_t size_ = 0;
};

}  // namespace tree
