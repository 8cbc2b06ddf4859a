#include <gtest/gtest.h>

#include <limits>

#include "runtime/error.h"
#include "runtime/tests/helpers.h"
#include "runtime/variant.h"

namespace {

using runtime_tests::errorNumberOf;

class Thing : public rt::Object {};

rt::Variant someObject() { return rt::make<Thing>(); }
rt::Variant nothing() { return rt::ObjectRef(); }

TEST(VariantTest, EveryKindReportsItsType) {
    struct Row {
        const char* name;
        rt::Variant value;
        rt::VarType type;
    };
    const Row rows[] = {
        {"default", rt::Variant(), rt::VarType::Empty},
        {"empty", rt::Empty{}, rt::VarType::Empty},
        {"null", rt::Null{}, rt::VarType::Null},
        {"missing", rt::Missing{}, rt::VarType::Error},
        {"boolean", rt::Bool16{rt::True16}, rt::VarType::Boolean},
        {"16-bit", int16_t{5}, rt::VarType::Integer},
        {"32-bit", int32_t{5}, rt::VarType::Long},
        {"single", 1.5f, rt::VarType::Single},
        {"double", 1.5, rt::VarType::Double},
        {"string", "text", rt::VarType::String},
        {"object", someObject(), rt::VarType::Object},
        {"nothing", nothing(), rt::VarType::Object},
        {"bytes", rt::Bytes{1, 2}, rt::VarType::ByteArray},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.value.type(), row.type);
    }
}

TEST(VariantTest, ObjectsCompareByIdentity) {
    auto object = rt::make<Thing>();
    EXPECT_EQ(rt::Variant(object), rt::Variant(rt::ObjectRef(object)));
    EXPECT_NE(rt::Variant(object), someObject());
    EXPECT_NE(rt::Variant(int16_t{1}), rt::Variant(int32_t{1}));  // kinds differ
}

// One conversion case: the value, and either the expected result or the
// expected error number.
template <class T>
struct ConversionRow {
    const char* name;
    rt::Variant value;
    T expected;
    int32_t error = 0;
};

template <class T, class Convert>
void checkConversions(const std::vector<ConversionRow<T>>& rows, Convert convert) {
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.error) {
            EXPECT_EQ(errorNumberOf([&] { convert(row.value); }), row.error);
        } else {
            T result{};
            EXPECT_EQ(errorNumberOf([&] { result = convert(row.value); }), 0);
            EXPECT_EQ(result, row.expected);
        }
    }
}

TEST(VariantTest, ToText) {
    checkConversions<std::string>(
        {
            {"empty", rt::Empty{}, ""},
            {"null", rt::Null{}, "", 94},
            {"missing", rt::Missing{}, "", 13},
            {"true", rt::Bool16{rt::True16}, "True"},
            {"false", rt::Bool16{rt::False16}, "False"},
            {"non-zero boolean", rt::Bool16{1}, "True"},
            {"16-bit min", int16_t{-32768}, "-32768"},
            {"32-bit max", int32_t{2147483647}, "2147483647"},
            {"single half", 1.5f, "1.5"},
            {"single tenth", 0.1f, "0.1"},
            {"single negative whole", -3.0f, "-3"},
            {"single large", 1e20f, "1E+20"},
            {"single seven digits", 1234567.0f, "1234567"},
            {"double half", 1.5, "1.5"},
            {"double tenth", 0.1, "0.1"},
            {"double negative whole", -3.0, "-3"},
            {"double large", 1e20, "1E+20"},
            {"double third", 1.0 / 3.0, "0.333333333333333"},
            {"double zero", 0.0, "0"},
            {"double negative zero", -0.0, "0"},
            {"single negative zero", -0.0f, "0"},
            {"string", "Bold", "Bold"},
            {"empty string", "", ""},
            {"object", someObject(), "", 13},
            {"nothing", nothing(), "", 13},
        },
        [](const rt::Variant& v) { return rt::toText(v); });
}

TEST(VariantTest, ToInt16) {
    checkConversions<int16_t>(
        {
            {"empty", rt::Empty{}, 0},
            {"null", rt::Null{}, 0, 94},
            {"missing", rt::Missing{}, 0, 13},
            {"true", rt::Bool16{rt::True16}, -1},
            {"false", rt::Bool16{rt::False16}, 0},
            {"32-bit 32767", int32_t{32767}, 32767},
            {"32-bit 32768", int32_t{32768}, 0, 6},
            {"32-bit -32768", int32_t{-32768}, -32768},
            {"32-bit -32769", int32_t{-32769}, 0, 6},
            {"double 32767.4", 32767.4, 32767},
            {"double 32767.5 rounds out of range", 32767.5, 0, 6},
            {"double -32768.5 rounds to even", -32768.5, -32768},
            {"0.5 to even", 0.5, 0},
            {"1.5 to even", 1.5, 2},
            {"2.5 to even", 2.5, 2},
            {"3.5 to even", 3.5, 4},
            {"-2.5 to even", -2.5, -2},
            {"-3.5 to even", -3.5, -4},
            {"single 2.5", 2.5f, 2},
            {"double NaN", std::numeric_limits<double>::quiet_NaN(), 0, 6},
            {"double infinity", std::numeric_limits<double>::infinity(), 0, 6},
            {"string with blanks", "  12 ", 12},
            {"string with tab", "\t-7", -7},
            {"string with plus", "+7", 7},
            {"string half", "2.5", 2},
            {"string exponent", "1e3", 1000},
            {"string too big", "40000", 0, 6},
            {"string far too big", "1e400", 0, 6},
            {"string far too small", "-1e-400", 0},
            {"string True", "True", -1},
            {"string false any case", "fALSE", 0},
            {"string letters", "abc", 0, 13},
            {"string empty", "", 0, 13},
            {"string blanks only", "   ", 0, 13},
            {"string trailing letters", "12abc", 0, 13},
            {"string two signs", "+-1", 0, 13},
            {"string lone sign", "-", 0, 13},
            {"string nan", "nan", 0, 13},
            {"string inf", "inf", 0, 13},
            {"string infinity", "-Infinity", 0, 13},
            {"object", someObject(), 0, 13},
            {"nothing", nothing(), 0, 13},
            {"bytes", rt::Bytes{1}, 0, 13},
        },
        [](const rt::Variant& v) { return rt::toInt16(v); });
}

TEST(VariantTest, ToInt32) {
    checkConversions<int32_t>(
        {
            {"empty", rt::Empty{}, 0},
            {"null", rt::Null{}, 0, 94},
            {"missing", rt::Missing{}, 0, 13},
            {"true", rt::Bool16{rt::True16}, -1},
            {"16-bit", int16_t{-5}, -5},
            {"double max", 2147483647.0, 2147483647},
            {"double max plus half rounds out of range", 2147483647.5, 0, 6},
            {"double min", -2147483648.0, std::numeric_limits<int32_t>::min()},
            {"double below min", -2147483649.0, 0, 6},
            {"2.5 to even", 2.5, 2},
            {"-2.5 to even", -2.5, -2},
            {"3.5 to even", 3.5, 4},
            {"string with blanks", "  -12 ", -12},
            {"string beyond 16 bits", "100000", 100000},
            {"string too big", "3000000000", 0, 6},
            {"string True", "true", -1},
            {"string letters", "abc", 0, 13},
            {"string empty", "", 0, 13},
            {"object", someObject(), 0, 13},
        },
        [](const rt::Variant& v) { return rt::toInt32(v); });
}

TEST(VariantTest, ToDouble) {
    checkConversions<double>(
        {
            {"empty", rt::Empty{}, 0},
            {"null", rt::Null{}, 0, 94},
            {"missing", rt::Missing{}, 0, 13},
            {"true", rt::Bool16{rt::True16}, -1},
            {"16-bit", int16_t{-5}, -5},
            {"32-bit", int32_t{100000}, 100000},
            {"single", 0.5f, 0.5},
            {"string", " 1.5 ", 1.5},
            {"string exponent", "-2E3", -2000},
            {"string too big", "1e400", 0, 6},
            {"string too big, written small", "0.1e310", 0, 6},
            {"string too small is 0", "1e-400", 0},
            {"string too small and negative is 0", "-1e-400", 0},
            {"string too small, written large", "12345e-330", 0},
            {"string too small, many zeros after the point", "0.000000001e-320", 0},
            {"string with a huge negative exponent", "1e-99999999999999999999", 0},
            {"string in the smallest range", "1e-310", 1e-310},
            {"string too small with trailing letters", "1e-400x", 0, 13},
            {"string letters", "abc", 0, 13},
            {"string empty", "", 0, 13},
            {"string nan", "NaN", 0, 13},
            {"object", someObject(), 0, 13},
        },
        [](const rt::Variant& v) { return rt::toDouble(v); });
}

TEST(VariantTest, ToSingle) {
    checkConversions<float>(
        {
            {"double in range", 1.5, 1.5f},
            {"largest single", static_cast<double>(std::numeric_limits<float>::max()),
             std::numeric_limits<float>::max()},
            {"double too big", 1e39, 0, 6},
            {"double too small", -1e39, 0, 6},
            {"string too big", "1e39", 0, 6},
            {"string too small", "1e-400", 0},
            {"null", rt::Null{}, 0, 94},
            {"letters", "abc", 0, 13},
        },
        [](const rt::Variant& v) { return rt::toSingle(v); });
}

TEST(VariantTest, ToObjectAcceptsObjectsAndNothingOnly) {
    auto object = rt::make<Thing>();
    EXPECT_TRUE(rt::sameObject(rt::toObject(object), object));
    EXPECT_TRUE(rt::toObject(nothing()).isNothing());

    struct Row {
        const char* name;
        rt::Variant value;
    };
    const Row rows[] = {
        {"empty", rt::Empty{}}, {"null", rt::Null{}}, {"missing", rt::Missing{}},
        {"16-bit", int16_t{1}}, {"string", "Object"}, {"bytes", rt::Bytes{}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(errorNumberOf([&] { rt::toObject(row.value); }), rt::errnum::ObjectRequired);
    }
}

TEST(VariantTest, Narrow16) {
    struct Row {
        const char* name;
        int32_t value;
        int32_t error;
    };
    const Row rows[] = {
        {"max", 32767, 0},     {"min", -32768, 0},     {"zero", 0, 0},
        {"max + 1", 32768, 6}, {"min - 1", -32769, 6}, {"32-bit max", 2147483647, 6},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        int16_t result = 0;
        EXPECT_EQ(errorNumberOf([&] { result = rt::narrow16(row.value); }), row.error);
        if (!row.error) {
            EXPECT_EQ(result, row.value);
        }
    }
}

}  // namespace
