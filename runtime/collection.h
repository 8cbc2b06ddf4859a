#pragma once
// Collection: an ordered, 1-based list of variant items, each with an
// optional key that is unique within the collection and looked up without
// regard to case. Callers walk it (For Each) through the enumerator that its
// hidden member _NewEnum (dispatch identifier -4) hands out.

#include <algorithm>
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
    void Add(Variant item, std::optional<std::string> key);
    // Appends an item without key: no key work, the item moved or copied
    // straight into place.
    void Add(Variant&& item) { items_.push_back(std::move(item)); }
    void Add(const Variant& item) { items_.push_back(item); }
    // Appends a text without key, built in place: the text is moved once,
    // into the item itself.
    void addText(std::string&& text) { items_.emplace_back(std::move(text)); }
    // The same for a text copied straight into the item.
    void addText(const std::string& text) { items_.emplace_back(text); }
    // Takes the last item out again.
    void dropLast() noexcept { items_.pop_back(); }
    // Room for count more items, so that appending them never moves the
    // items already in.
    // Grows by at least half, so that many small calls still append in
    // amortised constant time.
    void reserveMore(size_t count) {
        const size_t wanted = items_.size() + count;
        if (wanted > items_.capacity()) items_.reserve(std::max(wanted, items_.capacity() + items_.capacity() / 2));
    }
    // How many more items fit before the items must move.
    size_t spare() const noexcept { return items_.capacity() - items_.size(); }
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

// The dispatch identifier by which callers ask an object for its enumerator.
inline constexpr int32_t NewEnumDispid = -4;

// Walks a collection's items in order, one at a time. It keeps the
// collection alive and goes by position, so items added during the walk are
// reached and removing items never leaves it pointing at nothing.
class Enumerator : public Object {
public:
    explicit Enumerator(Ref<Collection> source, size_t next = 0) : source_(std::move(source)), next_(next) {}

    // The next item in item; false (item untouched) at the end.
    bool Next(Variant& item);
    // Passes over count items; false when fewer than that were left.
    bool Skip(size_t count);
    void Reset() noexcept { next_ = 0; }
    // A second walk that starts where this one stands.
    Ref<Enumerator> Clone() const { return make<Enumerator>(source_, next_); }

    const ClassInfo& classInfo() const override;

private:
    Ref<Collection> source_;
    size_t next_;
};

}  // namespace rt
