#pragma once
// The key index of a node store: an open-addressing table of node indices,
// each slot keeping the hash of the node's folded key beside it, so that a
// probe compares numbers and looks at a node's key only when the hashes
// agree. Nodes leave the store only all at once, so slots are never emptied
// one by one.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace tree {

// Hashing of keys, eight bytes at a time. Each word may first go through a
// change of its bytes (folding plain ASCII), which may refuse a word; the
// hash of the changed words is then the hash of the changed text, since the
// words are cut from the text the same way whatever their bytes.
namespace key_hash {

inline uint64_t load8(const char* p) noexcept {
    uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

inline uint64_t load4(const char* p) noexcept {
    uint32_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

inline uint64_t mix(uint64_t h, uint64_t w) noexcept {
    h = (h ^ w) * 0x9E3779B97F4A7C15ull;
    return h ^ (h >> 29);
}

// The words of a text: every whole word, then the last eight bytes (which
// may overlap the one before); a text shorter than eight bytes gives one
// word made of its bytes. change(word) returns false to refuse the text.
template <class Change>
bool hashWords(std::string_view text, uint64_t& out, Change change) noexcept {
    const char* p = text.data();
    const size_t n = text.size();
    uint64_t h = 0x243F6A8885A308D3ull ^ n;
    uint64_t w;
    if (n >= 8) {
        size_t i = 0;
        for (; i + 8 < n; i += 8) {
            w = load8(p + i);
            if (!change(w)) return false;
            h = mix(h, w);
        }
        w = load8(p + n - 8);
    } else if (n >= 4) {
        w = load4(p) | (load4(p + n - 4) << 32);
    } else if (n > 0) {
        w = static_cast<unsigned char>(p[0]) | static_cast<uint64_t>(static_cast<unsigned char>(p[n / 2])) << 8 |
            static_cast<uint64_t>(static_cast<unsigned char>(p[n - 1])) << 16;
    } else {
        w = 0;
    }
    if (!change(w)) return false;
    h = mix(h, w);
    h *= 0xBF58476D1CE4E5B9ull;
    out = h ^ (h >> 32);
    return true;
}

// A word of plain ASCII without a capital I (which a Turkish or Azeri locale
// folds its own way) in its folded form: A to Z lowered. Refuses anything
// else.
inline bool foldPlainWord(uint64_t& w) noexcept {
    constexpr uint64_t ones = 0x0101010101010101ull;
    constexpr uint64_t highs = 0x8080808080808080ull;
    if (w & highs) return false;
    const uint64_t capitalI = w ^ (ones * 'I');
    if ((capitalI - ones) & ~capitalI & highs) return false;
    // With every byte below 0x80 no sum carries into the next byte.
    const uint64_t fromA = w + ones * (0x80 - 'A');
    const uint64_t pastZ = w + ones * (0x80 - 'Z' - 1);
    w |= ((fromA & ~pastZ) & highs) >> 2;
    return true;
}

}  // namespace key_hash

class NodeKeyIndex {
public:
    static size_t hashOf(std::string_view foldedKey) noexcept {
        uint64_t h = 0;
        key_hash::hashWords(foldedKey, h, [](uint64_t&) { return true; });
        return static_cast<size_t>(h);
    }
    // The hash of a key's folded form, when folding the key is plain (ASCII
    // without a capital I) and can be done in place.
    static bool plainFoldedHash(std::string_view key, size_t& hash) noexcept {
        uint64_t h = 0;
        if (!key_hash::hashWords(key, h, key_hash::foldPlainWord)) return false;
        hash = static_cast<size_t>(h);
        return true;
    }

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

    bool hasRoomForOne() const noexcept { return 2 * (size_ + 1) <= slots_.size(); }
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
