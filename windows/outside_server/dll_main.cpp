// sarn_outside.dll: the stand-ins for the outside components. The entry
// points are in exports.cpp.
#include <windows.h>

#include "windows/platform/thread_data.h"

#include "windows/outside_server/standins.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        win::stayLoadedForThreadData(instance);
        outside_server::recordMessageBoxes();
    }
    return TRUE;
}
