// sarn_outside.dll: the stand-ins for the outside components. The entry
// points are in exports.cpp.
#include <windows.h>

#include "windows/platform/thread_data.h"

#include "windows/outside_server/standins.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    win::threadDataNotice(reason, reserved);
    if (reason == DLL_PROCESS_ATTACH) {
        outside_server::recordMessageBoxes();
    }
    return TRUE;
}
