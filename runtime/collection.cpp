#include "runtime/collection.h"

#include "runtime/error.h"
#include "runtime/text.h"

namespace rt {

void Collection::Add(Variant item, std::optional<std::string> key) {
    if (!key) {
        Add(std::move(item));
        return;
    }
    std::string folded = foldCase(*key);
    if (byKey_.count(folded)) throw errDuplicateKey();
    items_.push_back(std::move(item));
    try {
        byKey_.emplace(std::move(folded), items_.size() - 1);
    } catch (...) {
        items_.pop_back();  // out of memory: the item goes with its key
        throw;
    }
}

size_t Collection::positionOf(const Variant& indexOrKey) const {
    if (indexOrKey.isString()) {
        auto it = byKey_.find(foldCase(toText(indexOrKey)));
        if (it == byKey_.end()) throw errInvalidCall();
        return it->second;
    }
    if (indexOrKey.isObject() || indexOrKey.isMissing()) throw errTypeMismatch();
    int32_t index = toInt32(indexOrKey);
    if (index < 1 || index > Count()) throw errSubscript();
    return static_cast<size_t>(index - 1);
}

const Variant& Collection::Item(const Variant& indexOrKey) const {
    return items_[positionOf(indexOrKey)];
}

void Collection::Remove(const Variant& indexOrKey) {
    size_t pos = positionOf(indexOrKey);
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(pos));
    // The items after the removed one move up by one.
    for (auto it = byKey_.begin(); it != byKey_.end();) {
        if (it->second == pos) {
            it = byKey_.erase(it);
            continue;
        }
        if (it->second > pos) --it->second;
        ++it;
    }
}

std::vector<std::string> Collection::texts() const {
    std::vector<std::string> out;
    out.reserve(items_.size());
    for (const auto& v : items_) out.push_back(v.isString() ? toText(v) : describe(v));
    return out;
}

const ClassInfo& Collection::classInfo() const {
    static const ClassInfo info{
        "Collection",
        {
            {"Add", 1, CallKind::Method,
             [](Object& o, Args& a) -> Variant {
                 auto key = isOmitted(a, 1) ? std::nullopt : std::optional(toText(a[1]));
                 self<Collection>(o).Add(requiredArg(a, 0), std::move(key));
                 return {};
             },
             {{"Item"}, {"Key", VarType::Variant, true}}},
            {"Count", 2, CallKind::Method,
             [](Object& o, Args&) -> Variant { return self<Collection>(o).Count(); },
             {},
             VarType::Long},
            {"Item", 0, CallKind::Method,
             [](Object& o, Args& a) -> Variant { return self<Collection>(o).Item(requiredArg(a, 0)); },
             {{"Index"}},
             VarType::Variant},
            {"Remove", 3, CallKind::Method,
             [](Object& o, Args& a) -> Variant {
                 self<Collection>(o).Remove(requiredArg(a, 0));
                 return {};
             },
             {{"Index"}}},
            // Hidden: script hosts and For Each ask for it by its identifier.
            {"_NewEnum", NewEnumDispid, CallKind::PropertyGet,
             [](Object& o, Args&) -> Variant {
                 return ObjectRef(make<Enumerator>(Ref<Collection>(&self<Collection>(o))));
             },
             {},
             VarType::Object,
             {},
             false},
        }};
    return info;
}

bool Enumerator::Next(Variant& item) {
    if (next_ >= static_cast<size_t>(source_->Count())) return false;
    item = *(source_->begin() + static_cast<std::ptrdiff_t>(next_));
    ++next_;
    return true;
}

bool Enumerator::Skip(size_t count) {
    const auto size = static_cast<size_t>(source_->Count());
    const size_t left = next_ < size ? size - next_ : 0;
    next_ += count < left ? count : left;
    return count <= left;
}

const ClassInfo& Enumerator::classInfo() const {
    static const ClassInfo info{"Enumerator", {}};
    return info;
}

}  // namespace rt
