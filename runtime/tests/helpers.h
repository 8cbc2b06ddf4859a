#pragma once
// What the runtime tests share: reading the number of a failure and printing
// variants readably when an expectation fails.

#include <cstdint>
#include <ostream>

#include "runtime/error.h"
#include "runtime/variant.h"

namespace runtime_tests {

// The number of the rt::Error that f throws, or 0 when it throws none.
template <class F>
int32_t errorNumberOf(F&& f) {
    try {
        f();
    } catch (const rt::Error& e) {
        return e.number();
    }
    return 0;
}

}  // namespace runtime_tests

namespace rt {

// Found by GoogleTest through argument-dependent lookup.
inline void PrintTo(const Variant& v, std::ostream* os) { *os << describe(v); }

}  // namespace rt
