// The user's locale on Windows: the user's default locale name ("tr-TR").
//
// Texts are still compared by the runtime's own Unicode case folding, not by
// CompareStringEx: that is a sorting comparison, which treats "a-b" as "ab"
// and skips control characters, so two different keys would find each other,
// and it cannot give the case-blind maps a folded key. Under Wine 8 it also
// leaves Georgian, Cherokee and characters past U+FFFF unpaired and ignores
// the Turkish i. What the platform does give is the user's locale, and with
// it the Turkish and Azeri rules.
#include <windows.h>

#include "runtime/text_locale.h"

namespace rt {

std::string userLocaleName() {
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    if (GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH) == 0) return {};
    // Locale names are ASCII ("az-Latn-AZ").
    std::string out;
    for (const wchar_t* c = name; *c != 0; ++c) out += *c < 0x80 ? static_cast<char>(*c) : '?';
    return out;
}

}  // namespace rt
