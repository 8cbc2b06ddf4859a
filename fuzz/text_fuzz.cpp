// Text conversions and comparison: any text or number converts to every
// kind or fails with the runtime's error, and the comparison without regard
// to case behaves as an equality.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_input.h"
#include "runtime/error.h"
#include "runtime/text.h"
#include "runtime/variant.h"

namespace {

void check(bool holds, const char* what) {
    if (!holds) {
        fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

// Converts v to every kind; each conversion succeeds or fails with rt::Error.
void convertEveryWay(const rt::Variant& v) {
    try { rt::toText(v); } catch (const rt::Error&) {}
    try { rt::toInt16(v); } catch (const rt::Error&) {}
    try { rt::toInt32(v); } catch (const rt::Error&) {}
    try { rt::toSingle(v); } catch (const rt::Error&) {}
    try { rt::toBytes(v); } catch (const rt::Error&) {}
    try { rt::toObject(v); } catch (const rt::Error&) {}
    rt::describe(v);
    try {
        // A number's text reads back as a number of the same sign (a Boolean's
        // does not: any non-zero one reads "True").
        const double d = rt::toDouble(v);
        const auto kind = v.type();
        const bool number = kind == rt::VarType::Integer || kind == rt::VarType::Long || kind == rt::VarType::Single ||
                            kind == rt::VarType::Double;
        if (std::isfinite(d) && number) {
            const double back = rt::toDouble(rt::toText(v));
            if (!(std::isfinite(back) && (back == 0 || (back < 0) == (d < 0)))) {
                fprintf(stderr, "%s as text: \"%s\"\n", rt::describe(v).c_str(), rt::toText(v).c_str());
                check(false, "a number's text reads back");
            }
        }
    } catch (const rt::Error&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::Input in(data, size);
    const std::string a = in.text({"chkoff", "CHKON", "Äpfel", "ΣΟΦΙΑ", "σοφια", "1e-400", "-1e400", " 12 ", "True"});
    const std::string b = in.text({"chkoff", "optoff", "äpfel", "Ǆ", "ǆ", "İ", "i", "ß", "SS"});
    const rt::Variant v = in.variant({}, {"1e-400", "0x10", "&H10", "1,5", "1.5e", "-0", ".5", "5."});

    convertEveryWay(rt::Variant(a));
    convertEveryWay(rt::Variant(b));
    convertEveryWay(v);

    check(rt::textEquals(a, a), "a text equals itself");
    check(rt::textEquals(a, b) == rt::textEquals(b, a), "equality is symmetric");
    check(rt::textEquals(a, rt::foldCase(a)), "a text equals its folded form");
    check(rt::textEquals(a, b) == (rt::foldCase(a) == rt::foldCase(b)), "equality is equality of folded forms");
    check(rt::foldCase(rt::foldCase(a)) == rt::foldCase(a), "folding twice changes nothing more");

    const size_t n = in.ConsumeIntegralInRange<size_t>(0, 30);
    const std::string left = rt::leftChars(a, n);
    check(left.size() <= a.size() && a.compare(0, left.size(), left) == 0, "leftChars is a prefix");
    check(rt::leftChars(a, a.size()) == a, "as many characters as bytes is the whole text");
    return 0;
}
