#pragma once
// Tests compare failures by their numbers.

#include <cstdint>

#include "runtime/error.h"

namespace testing_support {

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

}  // namespace testing_support
