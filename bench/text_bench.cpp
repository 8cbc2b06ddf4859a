// Comparing and folding texts without regard to case: ASCII keys (the common
// case, which must stay on the byte-by-byte path) against keys in other
// scripts, which go through the folding table.
#include <benchmark/benchmark.h>

#include <string>

#include "runtime/text.h"

namespace bench {
namespace {

// The case rules of a locale for one benchmark.
struct TextLocale {
    explicit TextLocale(const char* name) { rt::setTextLocale(name); }
    ~TextLocale() { rt::setTextLocale(""); }
};

void BM_TextEquals(benchmark::State& state, const char* locale, std::string a, std::string b) {
    const TextLocale chosen(locale);
    for (auto _ : state) {
        benchmark::DoNotOptimize(a);
        benchmark::DoNotOptimize(rt::textEquals(a, b));
    }
}
BENCHMARK_CAPTURE(BM_TextEquals, ascii_same, "en_US", "CBoption0042", "CBoption0042");
BENCHMARK_CAPTURE(BM_TextEquals, ascii_other_case, "en_US", "CBoption0042", "cbOPTION0042");
BENCHMARK_CAPTURE(BM_TextEquals, ascii_other_case_turkish, "tr_TR", "CBchkon0042", "cbCHKON0042");
BENCHMARK_CAPTURE(BM_TextEquals, ascii_differ_at_end, "en_US", "CBoption0042", "CBoption0043");
BENCHMARK_CAPTURE(BM_TextEquals, latin1_other_case, "en_US", "CBÄrger0042", "cbärger0042");
BENCHMARK_CAPTURE(BM_TextEquals, greek_other_case, "en_US", "CBσοφια0042", "CBΣΟΦΙΑ0042");
BENCHMARK_CAPTURE(BM_TextEquals, armenian_other_case, "en_US", "CBարարատ0042", "CBԱՐԱՐԱՏ0042");
BENCHMARK_CAPTURE(BM_TextEquals, sharp_s_and_ss, "en_US", "CBstraße0042", "CBSTRASSE0042");

void BM_FoldCase(benchmark::State& state, const char* locale, std::string text) {
    const TextLocale chosen(locale);
    for (auto _ : state) {
        benchmark::DoNotOptimize(text);
        benchmark::DoNotOptimize(rt::foldCase(text));
    }
}
BENCHMARK_CAPTURE(BM_FoldCase, ascii, "en_US", "CBoption0042");
BENCHMARK_CAPTURE(BM_FoldCase, ascii_turkish, "tr_TR", "CBoption0042");
BENCHMARK_CAPTURE(BM_FoldCase, greek, "en_US", "CBΣΟΦΙΑ0042");
BENCHMARK_CAPTURE(BM_FoldCase, armenian, "en_US", "CBԱՐԱՐԱՏ0042");

}  // namespace
}  // namespace bench
