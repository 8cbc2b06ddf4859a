#pragma once
// What the runtime tests share: reading the number of a failure and printing
// variants readably when an expectation fails.

#include <cstdint>
#include <ostream>

#include "runtime/variant.h"
#include "testing/error_number.h"

namespace runtime_tests {
using testing_support::errorNumberOf;
}  // namespace runtime_tests

namespace rt {

// Found by GoogleTest through argument-dependent lookup.
inline void PrintTo(const Variant& v, std::ostream* os) { *os << describe(v); }

}  // namespace rt
