#pragma once
// Per-thread data of the runtime (Err, App, the hidden form, the buddy slot)
// lives in thread_local variables whose destructors run when each thread
// ends. With this toolchain those destructors hold the module loaded and let
// go of it at the very end of the thread; if that was the last reference
// (the platform freed the server in between), the module would be unloaded
// from inside its own thread-exit work, and the thread never ends. A server
// therefore keeps itself loaded for the life of the process once loaded;
// DllCanUnloadNow still answers truthfully.

#include <windows.h>

namespace win {

inline void stayLoadedForThreadData(HINSTANCE module) {
    HMODULE pinned = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCWSTR>(module), &pinned);
}

}  // namespace win
