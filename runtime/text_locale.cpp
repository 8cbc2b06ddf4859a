#include "runtime/text_locale.h"

#include <cstdlib>

namespace rt {

// Case belongs to the character classes (LC_CTYPE), which LC_ALL overrides
// and LANG stands in for, as every POSIX program reads them. The host
// program's setlocale choice is not consulted: many hosts never call it,
// and the user's settings are what the comparison has to follow.
std::string userLocaleName() {
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') return value;
    }
    return {};
}

}  // namespace rt
