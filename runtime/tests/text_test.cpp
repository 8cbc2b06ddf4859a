#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "runtime/text.h"

namespace {

TEST(TextEqualsTest, ComparesWholeTextsWithoutRegardToCase) {
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
        EXPECT_EQ(rt::textEquals(row.a, row.b), row.equal);
        EXPECT_EQ(rt::textEquals(row.b, row.a), row.equal);
    }
}

TEST(FoldCaseTest, ReplacesCapitalsAndKeepsEverythingElse) {
    struct Row {
        const char* name;
        std::string text;
        std::string folded;
    };
    const Row rows[] = {
        {"ASCII", "OBoption1", "oboption1"},
        {"Latin-1", "ÄÖÜß", "äöüß"},
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
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(rt::foldCase(row.text), row.folded);
    }
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
