#pragma once
// Counted checks for the tests that run under Wine: each failing check
// prints what failed, and the summary is the line "N passed, M failed" that
// the test script requires.

#include <cstdio>
#include <string>

namespace control_tests {

struct Checks {
    int passed = 0;
    int failed = 0;
    std::string scope;

    void check(bool ok, const std::string& what) {
        if (ok) {
            ++passed;
            return;
        }
        ++failed;
        std::printf("FAILED: %s%s\n", scope.empty() ? "" : (scope + ": ").c_str(), what.c_str());
        std::fflush(stdout);
    }
    void equal(const std::string& actual, const std::string& expected, const std::string& what) {
        check(actual == expected, what + "\n  expected: " + expected + "\n  actual:   " + actual);
    }
    int summary() const {
        std::printf("%d passed, %d failed\n", passed, failed);
        return failed == 0 ? 0 : 1;
    }
};

}  // namespace control_tests
