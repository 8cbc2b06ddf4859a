#pragma once
// The runtime's message box as the platform's (MessageBoxW).

namespace win {

// Puts the platform's message box in the place of the runtime's default for
// this module. Tests put a recorder in its place.
void usePlatformMessageBox();

}  // namespace win
