#pragma once
// Globally unique identifiers in their binary layout and their text form
// "7A1C059C-ACFC-4E25-AD87-6989C16E3026" (braces and letter case are ignored
// when reading).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace rt {

struct Guid {
    uint32_t data1 = 0;
    uint16_t data2 = 0;
    uint16_t data3 = 0;
    uint8_t data4[8] = {};

    static std::optional<Guid> parse(std::string_view text);
    std::string text() const;  // upper case, no braces
    bool operator==(const Guid&) const = default;
};

// The interface of class factories.
inline constexpr std::string_view IID_IClassFactory = "00000001-0000-0000-C000-000000000046";

}  // namespace rt
