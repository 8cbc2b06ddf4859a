#pragma once
// The library's resources as the server file carries them: once installed,
// the runtime's resource loaders read from the module that holds this code
// (sarn10b.dll), not from the compiled-in table.

namespace win {

void readResourcesFromThisModule();

}  // namespace win
