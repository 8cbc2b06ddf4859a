#include "runtime/text.h"

#include <cstdint>

namespace rt {
namespace {

// Decodes one code point at text[i]; returns its length in bytes, or 0 when
// the bytes there are not a well-formed sequence.
size_t decode(std::string_view text, size_t i, char32_t& cp) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char b0 = byte(i);
    size_t len = b0 < 0x80 ? 1 : (b0 >> 5) == 0x6 ? 2 : (b0 >> 4) == 0xE ? 3 : (b0 >> 3) == 0x1E ? 4 : 0;
    if (len == 0 || i + len > text.size()) return 0;
    cp = len == 1 ? b0 : len == 2 ? (b0 & 0x1F) : len == 3 ? (b0 & 0x0F) : (b0 & 0x07);
    for (size_t k = 1; k < len; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8; read
    // as characters, "\xC1\x81" would fold to "a" and change its length.
    static constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < smallest[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

void encode(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

char32_t fold(char32_t c) {
    if (c >= 'A' && c <= 'Z') return c + 32;
    if (c < 0x80) return c;
    // Latin-1: À..Þ except ×
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
    // Latin Extended-A: pairs capital/small, with two runs that start odd.
    // U+0130 (capital I with dot) and U+0131 (small dotless i) are no pair.
    if (c == 0x130 || c == 0x131) return c;
    if (c >= 0x100 && c <= 0x137) return c | 1;
    if (c >= 0x139 && c <= 0x148) return (c & 1) ? c + 1 : c;
    if (c >= 0x14A && c <= 0x177) return c | 1;
    if (c == 0x178) return 0xFF;
    if (c >= 0x179 && c <= 0x17E) return (c & 1) ? c + 1 : c;
    // Greek capitals (no precomposed gap at 0x3A2).
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32;
    if (c == 0x386) return 0x3AC;
    if (c >= 0x388 && c <= 0x38A) return c + 37;
    if (c == 0x38C) return 0x3CC;
    if (c == 0x38E || c == 0x38F) return c + 63;
    if (c == 0x3C2) return 0x3C3;  // final sigma
    // Cyrillic.
    if (c >= 0x400 && c <= 0x40F) return c + 80;
    if (c >= 0x410 && c <= 0x42F) return c + 32;
    if (c >= 0x460 && c <= 0x4FF && c != 0x482 && !(c >= 0x483 && c <= 0x489)) {
        if (c >= 0x4C1 && c <= 0x4CE) return (c & 1) ? c + 1 : c;
        if (c == 0x4C0) return 0x4CF;
        return c | 1;
    }
    return c;
}

}  // namespace

std::string foldCase(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        char32_t cp = 0;
        size_t len = decode(text, i, cp);
        if (len == 0) {
            out += text[i];
            ++i;
            continue;
        }
        if (len == 1) {
            out += static_cast<char>(fold(cp));
        } else {
            encode(fold(cp), out);
        }
        i += len;
    }
    return out;
}

bool textEquals(std::string_view a, std::string_view b) {
    // Folding keeps every character at its encoded length, so texts of
    // different lengths differ; plain ASCII needs no allocation.
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (x >= 0x80 || y >= 0x80) return foldCase(a.substr(i)) == foldCase(b.substr(i));
        if (x != y && fold(x) != fold(y)) return false;
    }
    return true;
}

std::string leftChars(std::string_view text, size_t n) {
    size_t i = 0;
    for (size_t k = 0; k < n && i < text.size(); ++k) {
        char32_t cp = 0;
        size_t len = decode(text, i, cp);
        i += len == 0 ? 1 : len;
    }
    return std::string(text.substr(0, i));
}

}  // namespace rt
