#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "runtime/text.h"

namespace {

// Case rules of a chosen locale for one test, whatever the machine's locale;
// the user's locale again afterwards.
class TextLocale {
public:
    explicit TextLocale(const char* name) { rt::setTextLocale(name); }
    ~TextLocale() { rt::setTextLocale(""); }
    TextLocale(const TextLocale&) = delete;
    TextLocale& operator=(const TextLocale&) = delete;
};

// Equal texts have equal foldings, and only they: the case-blind maps key
// on the folding.
void expectComparison(const std::string& a, const std::string& b, bool equal) {
    EXPECT_EQ(rt::textEquals(a, b), equal);
    EXPECT_EQ(rt::textEquals(b, a), equal);
    EXPECT_EQ(rt::foldCase(a) == rt::foldCase(b), equal);
}

TEST(TextEqualsTest, ComparesWholeTextsWithoutRegardToCase) {
    const TextLocale english("en_US.UTF-8");
    struct Row {
        const char* name;
        std::string a;
        std::string b;
        bool equal;
    };
    const Row rows[] = {
        {"same ASCII", "chkon", "chkon", true},
        {"ASCII case", "ChkOn", "CHKON", true},
        {"ASCII letters differ", "chkon", "chkoff", false},
        {"prefix only", "CB", "CBx", false},
        {"both empty", "", "", true},
        {"empty and one letter", "", "a", false},
        {"ASCII punctuation is not folded", "@[", "`{", false},
        {"A umlaut", "Ä", "ä", true},
        {"E acute", "É", "é", true},
        {"Latin-1 run", "ÀÉÎÕÜÞ", "àéîõüþ", true},
        {"times is no letter", "×", "÷", false},
        {"Y diaeresis", "Ÿ", "ÿ", true},
        {"Greek", "ΣΟΦΙΑ", "σοφια", true},
        {"Greek with tonos", "ΆΈΉΊΌΎΏ", "άέήίόύώ", true},
        {"Greek final sigma", "ΟΔΟΣ", "οδος", true},
        {"Greek letters differ", "ΑΒ", "αγ", false},
        {"Cyrillic", "ПРИВЕТ", "привет", true},
        {"Cyrillic Ye and Zhe", "ЁЖ", "ёж", true},
        {"Cyrillic Yat", "Ѣ", "ѣ", true},
        {"Cyrillic Zhe with breve", "Ӂ", "ӂ", true},
        {"L stroke", "Ł", "ł", true},
        {"Z caron", "Ž", "ž", true},
        {"A macron", "Ā", "ā", true},
        {"Eng", "Ŋ", "ŋ", true},
        {"small l acute is not capital L cedilla", "ĺ", "Ļ", false},
        {"dotted capital I is not dotless small i", "İ", "ı", false},
        {"mixed scripts", "Key-Ä-Σ-Ж", "KEY-ä-σ-ж", true},
        {"same invalid byte", "\xFF", "\xFF", true},
        {"different invalid bytes", "\xFF", "\xFE", false},
        {"ASCII around an invalid byte", "A\xFFZ", "a\xFFz", true},
        {"capital after an invalid byte", "\xFF\xC3\x84", "\xFF\xC3\xA4", true},
        {"lone continuation byte", "\x80x", "\x80X", true},
        {"cut sequence at the end", "ab\xC3", "AB\xC3", true},
        {"cut sequence against a letter", "\xC3", "\xE3", false},
        {"overlong A against overlong a", "\xC1\x81", "\xC1\xA1", false},
        {"surrogate bytes as they stand", "\xED\xA0\x80", "\xED\xA0\x80", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        expectComparison(row.a, row.b, row.equal);
    }
}

// Capitals and small letters of every script, and the Turkish and Azeri i,
// under an English and a Turkish locale.
TEST(TextEqualsTest, PairsCapitalsAndSmallLettersOfEveryScript) {
    struct Row {
        const char* name;
        std::string a;
        std::string b;
        bool equalInEnglish;
        bool equalInTurkish;
    };
    const Row rows[] = {
        {"Latin A with dot below", "Ạ", "ạ", true, true},
        {"Latin B with hook", "Ɓ", "ɓ", true, true},
        {"Latin O double acute and S comma", "ŐȘ", "őș", true, true},
        {"Latin ring and acute", "Ǻ", "ǻ", true, true},
        {"accents count", "É", "e", false, false},
        {"different accents", "É", "è", false, false},
        {"decomposed accent is another text", "é", "e\xCC\x81", false, false},
        {"Greek final sigma and capital", "ς", "Σ", true, true},
        {"Greek final sigma and sigma", "ς", "σ", true, true},
        {"Greek word with final sigma", "ΟΔΟΣ", "οδος", true, true},
        {"Greek iota with dialytika and tonos, two forms", "ΐ", "ΐ", true, true},
        {"Cyrillic", "ЖЁЛТЫЙ", "жёлтый", true, true},
        {"Cyrillic Extended-B", "ꙀԘ", "ꙁԙ", true, true},
        {"Cyrillic Ie is not Latin e", "Е", "e", false, false},
        {"Armenian", "ԱՐԱՐԱՏ", "արարատ", true, true},
        {"Armenian ligature ech yiwn", "ԵՒ", "և", true, true},
        {"Georgian Mtavruli and Mkhedruli", "ᲡᲐᲥᲐᲠᲗᲕᲔᲚᲝ", "საქართველო", true, true},
        {"Georgian Asomtavruli and Nuskhuri", "Ⴀ", "ⴀ", true, true},
        {"Cherokee", "ᏣᎳᎩ", "ꮳꮃꭹ", true, true},
        {"Cherokee letters differ", "Ꭰ", "ꭱ", false, false},
        {"Glagolitic", "Ⰰ", "ⰰ", true, true},
        {"Coptic", "Ⲁ", "ⲁ", true, true},
        {"Deseret, past U+FFFF", "𐐀", "𐐨", true, true},
        {"Adlam", "𞤀", "𞤢", true, true},
        {"full-width", "ＡＢＣ", "ａｂｃ", true, true},
        {"full-width is not ASCII", "Ａ", "a", false, false},
        {"sharp s and SS", "STRASSE", "straße", true, true},
        {"capital sharp s", "ẞ", "ß", true, true},
        {"sharp s is not one s", "ß", "s", false, false},
        {"sharp s is not three s", "ß", "sss", false, false},
        {"sharp s between others", "SßS", "sSSs", true, true},
        {"ligature fi", "ﬁ", "FI", true, false},
        {"Kelvin sign", "K", "k", true, true},
        {"long s", "ſ", "S", true, true},
        {"title-case DZ", "ǅ", "Ǆ", true, true},
        {"capital I and small i", "I", "i", true, false},
        {"capital I and dotless i", "I", "ı", false, true},
        {"dotted capital I and small i", "İ", "i", false, true},
        {"dotted capital I and i with combining dot", "İ", "i\xCC\x87", true, false},
        {"dotless i and small i", "ı", "i", false, false},
        {"Turkish word", "DİYARBAKIR", "diyarbakır", false, true},
        {"English word", "OPTION", "option", true, false},
        {"Azeri word", "İLHAM", "ilham", false, true},
        {"state key without I", "CHKON", "chkon", true, true},
        {"invalid byte after an expansion", "ß\xFF", "SS\xFF", true, true},
        {"invalid byte is not the letter", "\xFF", "ÿ", false, false},
        {"letters around a cut sequence", "ΣA\xE2\x82", "σa\xE2\x82", true, true},
    };
    for (const char* locale : {"en_US.UTF-8", "tr_TR.UTF-8"}) {
        const TextLocale chosen(locale);
        for (const auto& row : rows) {
            SCOPED_TRACE(std::string(locale) + ": " + row.name);
            expectComparison(row.a, row.b, locale[0] == 'e' ? row.equalInEnglish : row.equalInTurkish);
        }
    }
}

// textEquals takes shortcuts (ASCII byte by byte, folding read lazily) that
// foldCase does not; across texts built from pieces whose foldings overlap,
// the two must never disagree.
TEST(TextEqualsTest, AgreesWithComparingFoldingsOnMixedTexts) {
    const std::string pieces[] = {"s", "S", "ss", "ß", "ẞ", "ſ", "k", "K", "I", "i", "ı", "İ", "\xCC\x87",
                                  "ΐ", "ι", "\xCC\x88\xCC\x81", "Σ", "ς", "\xFF", "\xC3", "\xA4", "ä", "Ä",
                                  "ﬁ", "f", "FI", "ꭰ", "Ꭰ", "𐐀", "𐐨", "-", ""};
    uint32_t seed = 12345;
    const auto random = [&](uint32_t n) {
        seed = seed * 1103515245 + 12345;
        return (seed >> 16) % n;
    };
    const auto text = [&] {
        std::string t;
        for (uint32_t k = random(5); k > 0; --k) t += pieces[random(std::size(pieces))];
        return t;
    };
    for (const char* locale : {"en_US.UTF-8", "tr_TR.UTF-8"}) {
        const TextLocale chosen(locale);
        int equalPairs = 0;
        for (int n = 0; n < 20000; ++n) {
            const std::string a = text(), b = text();
            const bool equal = rt::foldCase(a) == rt::foldCase(b);
            equalPairs += equal;
            ASSERT_EQ(rt::textEquals(a, b), equal) << locale << ": \"" << a << "\" and \"" << b << "\"";
        }
        // Enough of them equal to have tried the expansions against their parts.
        EXPECT_GT(equalPairs, 500) << locale;
    }
}

TEST(TextLocaleTest, TurkishRulesFollowTheLanguageOfTheLocale) {
    struct Row {
        const char* locale;
        bool turkish;
    };
    const Row rows[] = {
        {"tr_TR.UTF-8", true}, {"tr", true},        {"TR_tr", true},         {"tr-TR", true},
        {"tr@euro", true},     {"az_AZ.UTF-8", true}, {"az-Latn-AZ", true},  {"en_US.UTF-8", false},
        {"C", false},          {"POSIX", false},    {"C.UTF-8", false},      {"trv_TW", false},
        {"ast_ES", false},     {"de_DE", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.locale);
        const TextLocale chosen(row.locale);
        EXPECT_EQ(rt::textEquals("I", "ı"), row.turkish);
        EXPECT_EQ(rt::textEquals("I", "i"), !row.turkish);
    }
}

// On Windows the user's locale comes from the system, not the environment.
#if !defined(_WIN32)
// Restores one environment variable when the test ends.
class SavedVariable {
public:
    explicit SavedVariable(const char* name) : name_(name) {
        if (const char* v = std::getenv(name)) value_ = v;
    }
    ~SavedVariable() {
        if (value_) {
            setenv(name_, value_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }
    SavedVariable(const SavedVariable&) = delete;
    SavedVariable& operator=(const SavedVariable&) = delete;

private:
    const char* name_;
    std::optional<std::string> value_;
};

TEST(TextLocaleTest, TheUsersLocaleComesFromLcAllThenLcCtypeThenLang) {
    struct Row {
        const char* name;
        const char* lcAll;
        const char* lcCtype;
        const char* lang;
        bool turkish;
    };
    const Row rows[] = {
        {"LANG alone", "", "", "tr_TR.UTF-8", true},
        {"LC_CTYPE over LANG", "", "en_US.UTF-8", "tr_TR.UTF-8", false},
        {"LC_CTYPE alone", "", "az_AZ", "", true},
        {"LC_ALL over both", "tr_TR", "en_US", "en_US", true},
        {"LC_ALL English", "en_US", "tr_TR", "tr_TR", false},
        {"nothing set", "", "", "", false},
    };
    const SavedVariable all("LC_ALL"), ctype("LC_CTYPE"), lang("LANG");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        setenv("LC_ALL", row.lcAll, 1);
        setenv("LC_CTYPE", row.lcCtype, 1);
        setenv("LANG", row.lang, 1);
        const TextLocale users("");
        EXPECT_EQ(rt::textEquals("I", "ı"), row.turkish);
    }
}
#endif

TEST(FoldCaseTest, ReplacesCapitalsAndKeepsEverythingElse) {
    const TextLocale english("en_US.UTF-8");
    struct Row {
        const char* name;
        std::string text;
        std::string folded;
    };
    const Row rows[] = {
        {"ASCII", "OBoption1", "oboption1"},
        {"Latin-1, sharp s to two letters", "ÄÖÜß", "äöüss"},
        {"Greek", "ΣΟΦΙΑ", "σοφια"},
        {"Cyrillic", "ПРИВЕТ", "привет"},
        {"Latin Extended-A", "ŁŽĀ", "łžā"},
        {"small letters stay", "äσж", "äσж"},
        {"digits and signs", "12-×÷", "12-×÷"},
        {"invalid byte stays", "\xFF" "A", "\xFF" "a"},
        {"overlong sequence stays", "\xC1\x81", "\xC1\x81"},
        {"overlong NUL stays", std::string("\xC0\x80", 2), std::string("\xC0\x80", 2)},
        {"cut sequence stays", "A\xE2\x82", "a\xE2\x82"},
        {"four-byte character stays", "\xF0\x9F\x98\x80" "B", "\xF0\x9F\x98\x80" "b"},
        {"four-byte capital", "𐐀", "𐐨"},
        {"Kelvin sign to one byte", "K", "k"},
        {"three characters from one", "ΐ", "ι\xCC\x88\xCC\x81"},
        {"Cherokee folds to its capitals", "ꭰᏣ", "ᎠᏣ"},
        {"dotted capital I keeps its dot", "İ", "i\xCC\x87"},
        {"every I of English", "Iıi", "iıi"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(rt::foldCase(row.text), row.folded);
    }
}

TEST(FoldCaseTest, TurkishFoldsTheTwoIsApart) {
    const TextLocale turkish("tr_TR.UTF-8");
    EXPECT_EQ(rt::foldCase("IİıiXI"), "ıiıixı");
    EXPECT_EQ(rt::foldCase("KIRMIZI"), "kırmızı");
}

TEST(LeftCharsTest, CountsCharactersNotBytes) {
    struct Row {
        const char* name;
        std::string text;
        size_t n;
        std::string left;
    };
    const Row rows[] = {
        {"key prefix", "CBx", 2, "CB"},
        {"shorter than asked", "C", 2, "C"},
        {"empty", "", 2, ""},
        {"none asked", "abc", 0, ""},
        {"everything asked", "OBx", SIZE_MAX, "OBx"},
        {"two-byte character", "Äb", 1, "Ä"},
        {"Greek", "ΣΟΦ", 2, "ΣΟ"},
        {"three-byte character", "日本語", 1, "日"},
        {"four-byte character", "\xF0\x9F\x98\x80x", 1, "\xF0\x9F\x98\x80"},
        {"invalid byte counts as one", "\xFF" "abc", 2, "\xFF" "a"},
        {"cut sequence at the end", "a\xC3", 5, "a\xC3"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(rt::leftChars(row.text, row.n), row.left);
    }
}

}  // namespace
