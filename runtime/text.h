#pragma once
// Texts are UTF-8 strings. Comparing "without regard to case" compares the
// texts' Unicode case foldings (CaseFolding.txt of the Unicode character
// database, generated into the runtime at build time), so capitals and small
// letters of every script match: "Ä" equals "ä", "ΟΔΟΣ" equals "οδος" (final
// sigma too), "Ա" equals "ա", "Ａ" equals "ａ", and "STRASSE" equals "straße".
// When the user's locale is Turkish or Azeri, "I" pairs with "ı" and "İ" with
// "i" instead, as those languages write them. Bytes that are not valid UTF-8
// are compared as they stand. Nothing else is ignored: accents, widths, signs
// and spaces all count.

#include <string>
#include <string_view>

namespace rt {

// The text with every letter in its folded (small) form; two texts are equal
// without regard to case exactly when their foldings are equal, so a folding
// serves as the key of a case-blind map. A folding can be longer or shorter
// than the text ("ß" folds to "ss").
std::string foldCase(std::string_view text);

// Whole-text comparison without regard to case.
bool textEquals(std::string_view a, std::string_view b);

// The locale whose case rules foldCase and textEquals follow, by name
// ("tr_TR.UTF-8", "az-Latn-AZ", "en_US"); only its language counts. An empty
// name goes back to the user's locale, which is read the first time a text is
// compared: LC_ALL, LC_CTYPE or LANG, the first one set (on Windows, the
// user's default locale). Texts folded under one locale do not meet texts
// folded under another, so switch before any case-blind map is filled.
void setTextLocale(std::string_view localeName);

// The first n characters (code points) of a text, or the whole text when it is
// shorter.
std::string leftChars(std::string_view text, size_t n);

}  // namespace rt
