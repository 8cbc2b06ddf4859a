#pragma once
// What the fuzz targets draw from their input: small numbers, texts that often
// come from a short list (so that keys meet again), and variants of every kind
// the runtime knows.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/object.h"
#include "runtime/variant.h"

namespace fuzzing {

class Input : public FuzzedDataProvider {
public:
    using FuzzedDataProvider::FuzzedDataProvider;

    bool more() { return remaining_bytes() > 0; }

    template <class T>
    T pick(std::initializer_list<T> choices) {
        return *(choices.begin() + ConsumeIntegralInRange<size_t>(0, choices.size() - 1));
    }
    template <class T>
    const T& element(const std::vector<T>& v) {
        return v[ConsumeIntegralInRange<size_t>(0, v.size() - 1)];
    }

    // A word of the list (half of the time, in another letter case), or a short
    // text of any bytes.
    std::string text(std::initializer_list<std::string_view> words = {}) {
        if (words.size() != 0 && ConsumeBool()) {
            std::string s(pick(words));
            if (ConsumeBool())
                for (auto& c : s)
                    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
            return s;
        }
        return ConsumeRandomLengthString(24);
    }

    rt::Variant variant(const std::vector<rt::ObjectRef>& objects,
                        std::initializer_list<std::string_view> words = {}) {
        switch (ConsumeIntegralInRange<int>(0, 11)) {
            case 0: return rt::Empty{};
            case 1: return rt::Null{};
            case 2: return rt::Missing{};
            case 3: return rt::Bool16{pick<int16_t>({0, -1, 1, 7})};
            case 4: return ConsumeIntegral<int16_t>();
            case 5: return ConsumeIntegralInRange<int32_t>(-3, 40);
            case 6: return ConsumeIntegral<int32_t>();
            case 7: return ConsumeFloatingPoint<float>();
            case 8: return ConsumeFloatingPoint<double>();
            case 9: return objects.empty() ? rt::Variant() : rt::Variant(element(objects));
            case 10: return rt::Bytes(ConsumeBytes<uint8_t>(ConsumeIntegralInRange<size_t>(0, 8)));
            default: return text(words);
        }
    }
};

}  // namespace fuzzing
