#include "runtime/text.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstdint>

#include "runtime/text_locale.h"

namespace rt {
namespace {

struct FoldRun {
    char32_t first;
    char32_t last;
    int32_t delta;
    uint8_t step;
};
struct FoldExpansion {
    char32_t from;
    uint8_t length;
    char32_t to[3];
};
struct TurkicFold {
    char32_t from;
    char32_t to;
};

// Full case folding (statuses C and F), not simple folding: the capital of
// "straße" is "STRASSE", and a key written in capitals has to find the key in
// small letters; the platform's own comparison equates "ß" and "ss" as well.
#include "case_folding_table.inc"

// Turkish or Azeri rules: -1 until the user's locale has been read.
std::atomic<int> turkicRules{-1};

bool isTurkicLocale(std::string_view name) {
    const std::string_view language = name.substr(0, name.find_first_of("_-.@"));
    const auto is = [&](std::string_view code) {
        return language.size() == code.size() &&
               std::equal(code.begin(), code.end(), language.begin(),
                          [](char c, char l) { return c == (l >= 'A' && l <= 'Z' ? l + 32 : l); });
    };
    return is("tr") || is("az");
}

bool turkic() {
    int rules = turkicRules.load(std::memory_order_relaxed);
    if (rules < 0) {
        // Two threads that both read the locale store the same answer.
        rules = isTurkicLocale(userLocaleName()) ? 1 : 0;
        turkicRules.store(rules, std::memory_order_relaxed);
    }
    return rules == 1;
}

// ASCII folded by table, for the fast path. Under Turkish rules "I" folds to
// "ı", outside ASCII; its entry is a mark that matches only another "I" and
// sends foldCase to the full lookup.
constexpr unsigned char kTurkicI = 0x80;
using AsciiTable = std::array<unsigned char, 128>;
constexpr AsciiTable makeAsciiTable(bool turkish) {
    AsciiTable table{};
    for (int c = 0; c < 128; ++c) table[c] = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    if (turkish) table['I'] = kTurkicI;
    return table;
}
constexpr AsciiTable kAscii = makeAsciiTable(false);
constexpr AsciiTable kAsciiTurkic = makeAsciiTable(true);

constexpr char32_t kExpansionMark = 0x80000000;

// The folding of a character past the Basic Multilingual Plane, or of any
// character while the plane's index below is being built: binary searches.
// Returns what fold() returns.
constexpr char32_t searchFold(char32_t c) {
    const auto* run = std::lower_bound(std::begin(kFoldRuns), std::end(kFoldRuns), c,
                                       [](const FoldRun& r, char32_t cp) { return r.last < cp; });
    // Steps are 1 or 2 (the table generator makes no others).
    if (run != std::end(kFoldRuns) && c >= run->first && (run->step == 1 || ((c - run->first) & 1) == 0)) {
        return static_cast<char32_t>(static_cast<int32_t>(c) + run->delta);
    }
    const auto* expansion = std::lower_bound(std::begin(kFoldExpansions), std::end(kFoldExpansions), c,
                                             [](const FoldExpansion& e, char32_t cp) { return e.from < cp; });
    if (expansion != std::end(kFoldExpansions) && expansion->from == c) {
        return kExpansionMark | static_cast<char32_t>(expansion - std::begin(kFoldExpansions));
    }
    return c;
}

// The Basic Multilingual Plane indexed for one lookup per character: a bit
// per character that folding changes (8 KiB), the number of such characters
// before each 64 (2 KiB), and their foldings in order (some 6 KiB): a
// character's folding sits at the count of changed characters before it.
// Small letters, digits and ideographs stop at their bit.
constexpr size_t kChangedInPlane = [] {
    size_t n = 0;
    for (const auto& r : kFoldRuns) {
        for (char32_t c = r.first; c <= r.last && c < 0x10000; c += r.step) ++n;
    }
    for (const auto& e : kFoldExpansions) n += e.from < 0x10000;
    return n;
}();
struct PlaneIndex {
    std::array<uint64_t, 0x10000 / 64> changed{};
    std::array<uint16_t, 0x10000 / 64> before{};
    // The folded character, or kExpansionMark | the row in kFoldExpansions.
    std::array<char32_t, kChangedInPlane> folded{};
};
constexpr PlaneIndex makePlaneIndex() {
    PlaneIndex index;
    const auto mark = [&](char32_t c) {
        if (c < 0x10000) index.changed[c >> 6] |= uint64_t{1} << (c & 63);
    };
    for (const auto& r : kFoldRuns) {
        for (char32_t c = r.first; c <= r.last; c += r.step) mark(c);
    }
    for (const auto& e : kFoldExpansions) mark(e.from);
    size_t n = 0;
    for (size_t word = 0; word < index.changed.size(); ++word) {
        index.before[word] = static_cast<uint16_t>(n);
        for (size_t bit = 0; bit < 64; ++bit) {
            if (((index.changed[word] >> bit) & 1) == 0) continue;
            index.folded[n++] = searchFold(static_cast<char32_t>(word * 64 + bit));
        }
    }
    return index;
}
constexpr PlaneIndex kPlane = makePlaneIndex();

// The folding of one character: the folded character, or kExpansionMark and
// the row of kFoldExpansions that holds the two or three it folds to. (A small
// value rather than a struct keeps the per-character path in registers.)
char32_t fold(char32_t c, bool turkish) {
    if (turkish) {
        for (const auto& t : kTurkicFolds) {
            if (t.from == c) return t.to;
        }
    }
    if (c < 0x80) return kAscii[c];
    if (c >= 0x10000) return searchFold(c);
    const uint64_t word = kPlane.changed[c >> 6];
    const uint64_t bit = uint64_t{1} << (c & 63);
    if ((word & bit) == 0) return c;
    return kPlane.folded[kPlane.before[c >> 6] + std::popcount(word & (bit - 1))];
}

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

// Reads a text's folding one character at a time, without building it. A byte
// that is not valid UTF-8 reads as a value past every code point, so it only
// matches the same byte, as in foldCase, which copies it unchanged.
class FoldedReader {
public:
    static constexpr char32_t kEnd = 0xFFFFFFFF;
    FoldedReader(std::string_view text, bool turkish) : text_(text), turkish_(turkish) {}

    char32_t next() {
        if (pending_ != pendingEnd_) return *pending_++;
        if (pos_ >= text_.size()) return kEnd;
        const auto b = static_cast<unsigned char>(text_[pos_]);
        if (b < 0x80 && !turkish_) {
            ++pos_;
            return kAscii[b];
        }
        char32_t cp = 0;
        const size_t len = decode(text_, pos_, cp);
        if (len == 0) return 0x110000 + static_cast<unsigned char>(text_[pos_++]);
        pos_ += len;
        const char32_t f = fold(cp, turkish_);
        if ((f & kExpansionMark) == 0) return f;
        const FoldExpansion& e = kFoldExpansions[f & ~kExpansionMark];
        pending_ = e.to + 1;
        pendingEnd_ = e.to + e.length;
        return e.to[0];
    }

private:
    std::string_view text_;
    bool turkish_;
    size_t pos_ = 0;
    // The rest of an expansion.
    const char32_t* pending_ = nullptr;
    const char32_t* pendingEnd_ = nullptr;
};

}  // namespace

void setTextLocale(std::string_view localeName) {
    turkicRules.store(localeName.empty() ? -1 : isTurkicLocale(localeName) ? 1 : 0, std::memory_order_relaxed);
}

std::string foldCase(std::string_view text) {
    const bool turkish = turkic();
    const AsciiTable& ascii = turkish ? kAsciiTurkic : kAscii;
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80 && ascii[b] < 0x80) {
            out += static_cast<char>(ascii[b]);
            ++i;
            continue;
        }
        char32_t cp = 0;
        const size_t len = decode(text, i, cp);
        if (len == 0) {
            out += text[i];
            ++i;
            continue;
        }
        const char32_t f = fold(cp, turkish);
        if ((f & kExpansionMark) == 0) {
            encode(f, out);
        } else {
            const FoldExpansion& e = kFoldExpansions[f & ~kExpansionMark];
            for (uint8_t k = 0; k < e.length; ++k) encode(e.to[k], out);
        }
        i += len;
    }
    return out;
}

bool textEquals(std::string_view a, std::string_view b) {
    const bool turkish = turkic();
    const AsciiTable& ascii = turkish ? kAsciiTurkic : kAscii;
    // ASCII folds to one ASCII character (or, under Turkish rules, "I" to a
    // mark that only "I" shares), so a run of ASCII compares byte by byte,
    // without decoding or allocating.
    const size_t common = std::min(a.size(), b.size());
    size_t i = 0;
    for (; i < common; ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if ((x | y) >= 0x80) break;
        if (ascii[x] != ascii[y]) return false;
    }
    // Every character folds to at least one, so an ASCII text that is a
    // prefix of a longer one differs from it.
    if (i == common) return a.size() == b.size();
    FoldedReader left(a.substr(i), turkish), right(b.substr(i), turkish);
    for (;;) {
        const char32_t x = left.next();
        if (x != right.next()) return false;
        if (x == FoldedReader::kEnd) return true;
    }
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
