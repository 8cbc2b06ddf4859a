#pragma once
// The outside components that the library calls, as a component server of
// their own: the error handler "KwBrenta10.clsKwbrErrorHandlerA" and the
// About component "KwBrenta10.clsKwBrenta10A". Both keep what they received
// for the whole process, so that a script can read it back from any instance.

#include "runtime/object.h"

namespace outside_server {

inline constexpr const char* ErrorHandlerClsid = "380405B7-1E71-4C1E-B070-6C0628F1F9BE";
inline constexpr const char* AboutClsid = "40CD8B51-2C58-4A1B-ADBD-7F9E7CA45405";

rt::ObjectRef createErrorHandler();
rt::ObjectRef createAbout();
// Sends the runtime's message box of this server to the About record.
void recordMessageBoxes();

}  // namespace outside_server
