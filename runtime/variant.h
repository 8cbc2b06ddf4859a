#pragma once
// Variant: the closed set of value kinds that cross the automation surface,
// with explicit conversions that fail with the runtime's errors (13 type
// mismatch, 6 overflow, 94 invalid use of null).

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "runtime/object.h"

namespace rt {

struct Empty {
    bool operator==(const Empty&) const = default;
};
struct Null {
    bool operator==(const Null&) const = default;
};
// An optional argument that the caller left out.
struct Missing {
    bool operator==(const Missing&) const = default;
};
// A 16-bit Boolean: True is -1, False is 0, any other value is stored as given.
struct Bool16 {
    int16_t value = 0;
    bool operator==(const Bool16&) const = default;
};
using Bytes = std::vector<uint8_t>;

inline constexpr int16_t True16 = -1;
inline constexpr int16_t False16 = 0;

enum class VarType : uint16_t {
    Empty = 0,
    Null = 1,
    Integer = 2,
    Long = 3,
    Single = 4,
    Double = 5,
    String = 8,
    Object = 9,
    Error = 10,  // the kind that carries a missing argument
    Boolean = 11,
    Variant = 12,
    Byte = 17,
    ByteArray = 0x2011,
};

class Variant {
public:
    using Storage = std::variant<Empty, Null, Missing, Bool16, int16_t, int32_t, float, double,
                                 std::string, ObjectRef, Bytes>;

    Variant() = default;
    Variant(Empty) {}
    Variant(Null v) : v_(v) {}
    Variant(Missing v) : v_(v) {}
    Variant(Bool16 v) : v_(v) {}
    Variant(int16_t v) : v_(v) {}
    Variant(int32_t v) : v_(v) {}
    Variant(float v) : v_(v) {}
    Variant(double v) : v_(v) {}
    // A text goes straight into place: copied once from an lvalue, moved
    // once from an rvalue (no by-value parameter in between).
    Variant(const std::string& v) : v_(std::in_place_type<std::string>, v) {}
    Variant(std::string&& v) noexcept : v_(std::in_place_type<std::string>, std::move(v)) {}
    Variant(std::string_view v) : v_(std::string(v)) {}
    Variant(const char* v) : v_(std::string(v)) {}
    Variant(Bytes v) : v_(std::move(v)) {}
    template <class T>
    Variant(Ref<T> v) : v_(ObjectRef(std::move(v))) {}

    VarType type() const noexcept;
    bool isEmpty() const noexcept { return std::holds_alternative<Empty>(v_); }
    bool isNull() const noexcept { return std::holds_alternative<Null>(v_); }
    bool isMissing() const noexcept { return std::holds_alternative<Missing>(v_); }
    bool isObject() const noexcept { return std::holds_alternative<ObjectRef>(v_); }
    bool isString() const noexcept { return std::holds_alternative<std::string>(v_); }
    bool isNumeric() const noexcept;

    const Storage& storage() const noexcept { return v_; }
    // The text held, for a caller that lent it and takes it back; nothing
    // for another kind.
    std::string* textIf() noexcept { return std::get_if<std::string>(&v_); }

    // Equal kind and value; objects compare by identity.
    bool operator==(const Variant& o) const { return v_ == o.v_; }

private:
    Storage v_;
};

using Args = std::vector<Variant>;

// Conversions, as the runtime performs them on assignment to a typed slot.
std::string toText(const Variant& v);
int16_t toInt16(const Variant& v);
int32_t toInt32(const Variant& v);
double toDouble(const Variant& v);
float toSingle(const Variant& v);
// Any object reference (nothing included); every other kind is 424.
ObjectRef toObject(const Variant& v);
Bytes toBytes(const Variant& v);

// The 16-bit narrowing of a 32-bit count or value (overflow outside the range).
int16_t narrow16(int32_t value);

// A readable form of the variant for diagnostics (kind and value).
std::string describe(const Variant& v);

}  // namespace rt
