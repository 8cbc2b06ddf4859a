#include "runtime/variant.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>

#include "runtime/error.h"
#include "runtime/text.h"

namespace rt {
namespace {

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

// Numbers are written with the significant digits their kind carries, with
// no trailing zeros, as "1.5", "-3" or "1E+20".
std::string formatReal(double value, int digits) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value < 0 ? "-Infinity" : "Infinity";
    if (value == 0) return "0";  // negative zero included: "-0" is no number a user writes
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*G", digits, value);
    std::string s = buf;
    auto e = s.find('E');
    if (e != std::string::npos) {
        // Exponent without leading zeros: "1E+020" never, "1E+20" always.
        std::string mant = s.substr(0, e);
        char sign = s[e + 1];
        std::string exp = s.substr(e + 2);
        while (exp.size() > 1 && exp[0] == '0') exp.erase(0, 1);
        s = mant + "E" + sign + exp;
    }
    return s;
}

// For a number that a double cannot hold: whether it lies below the smallest
// magnitude (it then reads as 0) rather than above the largest. That is when
// its first significant digit stands for a negative power of ten.
bool belowSmallest(const char* p, const char* end) {
    auto digit = [&] { return p != end && std::isdigit(static_cast<unsigned char>(*p)); };
    if (p != end && (*p == '+' || *p == '-')) ++p;
    bool found = false;
    int64_t lead = 0;  // the power of ten of the first significant digit
    int64_t wholeDigits = 0;
    for (; digit(); ++p, ++wholeDigits)
        if (!found && *p != '0') {
            found = true;
            lead = wholeDigits;
        }
    if (found) lead = wholeDigits - 1 - lead;
    if (p != end && *p == '.') {
        ++p;
        for (int64_t place = 1; digit(); ++p, ++place)
            if (!found && *p != '0') {
                found = true;
                lead = -place;
            }
    }
    if (!found) return true;
    int64_t exponent = 0;
    if (p != end && (*p == 'e' || *p == 'E')) {
        ++p;
        bool negative = p != end && *p == '-';
        if (p != end && (*p == '+' || *p == '-')) ++p;
        // Far beyond any double's range either way; saturating keeps it exact
        // enough and free of overflow.
        for (; digit(); ++p) exponent = std::min<int64_t>(exponent * 10 + (*p - '0'), 1'000'000'000);
        if (negative) exponent = -exponent;
    }
    return lead + exponent < 0;
}

// Text to number: surrounding blanks allowed, "True"/"False" accepted.
double parseNumber(const std::string& text) {
    size_t b = text.find_first_not_of(" \t");
    size_t e = text.find_last_not_of(" \t");
    if (b == std::string::npos) throw errTypeMismatch();
    std::string t = text.substr(b, e - b + 1);
    if (textEquals(t, "True")) return -1;
    if (textEquals(t, "False")) return 0;
    double value = 0;
    const char* first = t.data();
    const char* last = t.data() + t.size();
    // One sign at most, then a digit or a point: from_chars alone reads the
    // words "inf" and "nan", and it knows no plus sign.
    const char* body = *first == '+' || *first == '-' ? first + 1 : first;
    if (body == last || !(std::isdigit(static_cast<unsigned char>(*body)) || *body == '.'))
        throw errTypeMismatch();
    if (*first == '+') ++first;
    auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec == std::errc::result_out_of_range) {
        if (!belowSmallest(first, ptr)) throw errOverflow();
        if (ptr != last) throw errTypeMismatch();
        return 0;  // too small to hold: zero, whatever the sign
    }
    if (ec != std::errc() || ptr != last) throw errTypeMismatch();
    return value;
}

// The runtime rounds halves to even when it narrows a real to an integer.
template <class I>
I roundToInteger(double value) {
    if (std::isnan(value)) throw errOverflow();
    double r = std::nearbyint(value);  // default rounding mode: to nearest even
    if (r < static_cast<double>(std::numeric_limits<I>::min()) ||
        r > static_cast<double>(std::numeric_limits<I>::max()))
        throw errOverflow();
    return static_cast<I>(r);
}

template <class I>
I toInteger(const Variant& v) {
    return std::visit(
        Overloaded{
            [](const Empty&) -> I { return 0; },
            [](const Null&) -> I { throw errInvalidNull(); },
            [](const Missing&) -> I { throw errTypeMismatch(); },
            [](const Bool16& b) -> I { return static_cast<I>(b.value); },
            [](int16_t x) -> I { return static_cast<I>(x); },
            [](int32_t x) -> I { return roundToInteger<I>(x); },
            [](float x) -> I { return roundToInteger<I>(x); },
            [](double x) -> I { return roundToInteger<I>(x); },
            [](const std::string& s) -> I { return roundToInteger<I>(parseNumber(s)); },
            [](const ObjectRef&) -> I { throw errTypeMismatch(); },
            [](const Bytes&) -> I { throw errTypeMismatch(); },
        },
        v.storage());
}

}  // namespace

VarType Variant::type() const noexcept {
    return std::visit(Overloaded{
                          [](const Empty&) { return VarType::Empty; },
                          [](const Null&) { return VarType::Null; },
                          [](const Missing&) { return VarType::Error; },
                          [](const Bool16&) { return VarType::Boolean; },
                          [](int16_t) { return VarType::Integer; },
                          [](int32_t) { return VarType::Long; },
                          [](float) { return VarType::Single; },
                          [](double) { return VarType::Double; },
                          [](const std::string&) { return VarType::String; },
                          [](const ObjectRef&) { return VarType::Object; },
                          [](const Bytes&) { return VarType::ByteArray; },
                      },
                      v_);
}

bool Variant::isNumeric() const noexcept {
    switch (type()) {
        case VarType::Integer:
        case VarType::Long:
        case VarType::Single:
        case VarType::Double:
        case VarType::Boolean:
            return true;
        default:
            return false;
    }
}

std::string toText(const Variant& v) {
    return std::visit(
        Overloaded{
            [](const Empty&) -> std::string { return {}; },
            [](const Null&) -> std::string { throw errInvalidNull(); },
            [](const Missing&) -> std::string { throw errTypeMismatch(); },
            [](const Bool16& b) -> std::string { return b.value ? "True" : "False"; },
            [](int16_t x) -> std::string { return std::to_string(x); },
            [](int32_t x) -> std::string { return std::to_string(x); },
            [](float x) -> std::string { return formatReal(x, 7); },
            [](double x) -> std::string { return formatReal(x, 15); },
            [](const std::string& s) -> std::string { return s; },
            [](const ObjectRef&) -> std::string { throw errTypeMismatch(); },
            [](const Bytes& b) -> std::string { return std::string(b.begin(), b.end()); },
        },
        v.storage());
}

int16_t toInt16(const Variant& v) { return toInteger<int16_t>(v); }
int32_t toInt32(const Variant& v) { return toInteger<int32_t>(v); }

double toDouble(const Variant& v) {
    return std::visit(
        Overloaded{
            [](const Empty&) -> double { return 0; },
            [](const Null&) -> double { throw errInvalidNull(); },
            [](const Missing&) -> double { throw errTypeMismatch(); },
            [](const Bool16& b) -> double { return b.value; },
            [](int16_t x) -> double { return x; },
            [](int32_t x) -> double { return x; },
            [](float x) -> double { return x; },
            [](double x) -> double { return x; },
            [](const std::string& s) -> double { return parseNumber(s); },
            [](const ObjectRef&) -> double { throw errTypeMismatch(); },
            [](const Bytes&) -> double { throw errTypeMismatch(); },
        },
        v.storage());
}

float toSingle(const Variant& v) {
    double d = toDouble(v);
    if (std::isfinite(d) && std::fabs(d) > std::numeric_limits<float>::max()) throw errOverflow();
    return static_cast<float>(d);
}

ObjectRef toObject(const Variant& v) {
    if (const auto* o = std::get_if<ObjectRef>(&v.storage())) return *o;
    throw errObjectRequired();
}

Bytes toBytes(const Variant& v) {
    if (const auto* b = std::get_if<Bytes>(&v.storage())) return *b;
    if (const auto* s = std::get_if<std::string>(&v.storage())) return Bytes(s->begin(), s->end());
    throw errTypeMismatch();
}

int16_t narrow16(int32_t value) {
    if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max())
        throw errOverflow();
    return static_cast<int16_t>(value);
}

std::string describe(const Variant& v) {
    switch (v.type()) {
        case VarType::Empty:
            return "Empty";
        case VarType::Null:
            return "Null";
        case VarType::Error:
            return "Missing";
        case VarType::Object:
            return toObject(v) ? "Object" : "Nothing";
        case VarType::ByteArray:
            return "Bytes(" + std::to_string(toBytes(v).size()) + ")";
        case VarType::String:
        {
            std::string quoted = "\"";
            quoted += toText(v);
            return quoted + "\"";
        }
        default:
            return toText(v);
    }
}

}  // namespace rt
