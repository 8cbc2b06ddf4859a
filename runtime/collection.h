#pragma once
// Collection: an ordered, 1-based list of variant items, each with an
// optional key that is unique within the collection and looked up without
// regard to case.

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "runtime/dispatch.h"
#include "runtime/variant.h"

namespace rt {

class Collection : public Object {
public:
    // Appends an item; a key already in use fails with 457.
    void Add(Variant item, std::optional<std::string> key = std::nullopt);
    int32_t Count() const noexcept { return static_cast<int32_t>(items_.size()); }
    // By position (1 to Count; otherwise 9) or, for a text, by key (5 when no
    // item has it).
    const Variant& Item(const Variant& indexOrKey) const;
    void Remove(const Variant& indexOrKey);

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

    // The items in order: strings as they are, other kinds described.
    std::vector<std::string> texts() const;

    const ClassInfo& classInfo() const override;

private:
    size_t positionOf(const Variant& indexOrKey) const;

    std::vector<Variant> items_;
    std::unordered_map<std::string, size_t> byKey_;  // folded key -> 0-based position
};

}  // namespace rt
