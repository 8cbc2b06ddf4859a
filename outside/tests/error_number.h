#pragma once
#include "testing/error_number.h"

namespace outside_tests {
using testing_support::errorNumberOf;
}  // namespace outside_tests
