#pragma once
// The error channel: every report goes to a new instance of the outside
// error-handler component, created by its programmatic identifier, called by
// name and released again.

#include <cstdint>
#include <string>

#include "runtime/variant.h"

namespace basKwbrCommonA {

inline constexpr const char* ErrorHandlerProgId = "KwBrenta10.clsKwbrErrorHandlerA";

// Hands its eight arguments on unchanged to the component's
// ErrorHandlerMessageKw. Not trapped: a component that cannot be created or
// whose call fails throws to the caller.
void ErrorHandlerMessageKw_Pro(rt::Variant& app, rt::Variant& err, std::string& text3, std::string& site,
                               int32_t& number5, std::string& text6, int32_t& number7,
                               const rt::Variant& optional8 = rt::Missing{});

}  // namespace basKwbrCommonA
