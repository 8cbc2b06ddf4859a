#pragma once
// Where the runtime learns the user's locale; each platform has its own.

#include <string>

namespace rt {

// The name of the user's locale, as the platform spells it ("tr_TR.UTF-8",
// "tr-TR"), or an empty text when none is set.
std::string userLocaleName();

}  // namespace rt
