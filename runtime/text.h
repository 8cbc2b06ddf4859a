#pragma once
// Texts are UTF-8 strings. Comparing "without regard to case" folds every
// letter to its small form first: ASCII, Latin-1, Latin Extended-A, Greek and
// Cyrillic capitals are folded, so "Ä" equals "ä" and "ΣΟΦΙΑ" equals "σοφια".
// Bytes that are not valid UTF-8 are compared as they stand.

#include <string>
#include <string_view>

namespace rt {

// The text with every capital letter replaced by its small letter.
std::string foldCase(std::string_view text);

// Whole-text comparison without regard to case.
bool textEquals(std::string_view a, std::string_view b);

// The first n characters (code points) of a text, or the whole text when it is
// shorter.
std::string leftChars(std::string_view text, size_t n);

}  // namespace rt
