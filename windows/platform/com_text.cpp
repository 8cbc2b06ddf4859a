#include "windows/platform/com_text.h"

namespace win {

// The runtime's texts are UTF-8 extended the way WTF-8 does it: a surrogate
// code unit without its partner is written as the three bytes that UTF-8
// would give its value. Every UTF-16 string therefore crosses to the runtime
// and back unchanged, well-formed or not. Bytes that are no UTF-8 at all
// become U+FFFD.

std::wstring wide(std::string_view utf8) {
    std::wstring out;
    out.reserve(utf8.size());
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const size_t n = utf8.size();
    size_t i = 0;
    auto continuation = [&](size_t at) { return at < n && (p[at] & 0xC0) == 0x80; };
    while (i < n) {
        const unsigned char c = p[i];
        char32_t cp = 0xFFFD;
        size_t used = 1;
        if (c < 0x80) {
            cp = c;
        } else if (c >= 0xC2 && c < 0xE0 && continuation(i + 1)) {
            cp = (char32_t{c} & 0x1F) << 6 | (p[i + 1] & 0x3F);
            used = 2;
        } else if (c >= 0xE0 && c < 0xF0 && continuation(i + 1) && continuation(i + 2)) {
            cp = (char32_t{c} & 0x0F) << 12 | (char32_t{p[i + 1]} & 0x3F) << 6 | (p[i + 2] & 0x3F);
            used = 3;
            if (cp < 0x800) cp = 0xFFFD, used = 1;  // overlong
        } else if (c >= 0xF0 && c < 0xF5 && continuation(i + 1) && continuation(i + 2) && continuation(i + 3)) {
            cp = (char32_t{c} & 0x07) << 18 | (char32_t{p[i + 1]} & 0x3F) << 12 | (char32_t{p[i + 2]} & 0x3F) << 6 |
                 (p[i + 3] & 0x3F);
            used = 4;
            if (cp < 0x10000 || cp > 0x10FFFF) cp = 0xFFFD, used = 1;
        }
        if (cp >= 0x10000) {
            out.push_back(static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10)));
            out.push_back(static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<wchar_t>(cp));
        }
        i += used;
    }
    return out;
}

std::string narrow(const wchar_t* utf16, size_t length) {
    std::string out;
    if (!utf16) return out;
    out.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        char32_t cp = static_cast<char16_t>(utf16[i]);
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < length) {
            const char32_t low = static_cast<char16_t>(utf16[i + 1]);
            if (low >= 0xDC00 && low < 0xE000) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

std::string narrow(const std::wstring& utf16) { return narrow(utf16.data(), utf16.size()); }

BSTR toBstr(std::string_view utf8) {
    const std::wstring w = wide(utf8);
    return SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
}

std::string fromBstr(BSTR text) { return narrow(text, text ? SysStringLen(text) : 0); }

}  // namespace win
