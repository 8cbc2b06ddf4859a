#pragma once
// Each server releases the per-thread data of its runtime (Err, App, the
// hidden form, the buddy slot) itself: when a thread ends (thread detach) and
// when the server is unloaded (process detach by FreeLibrary). The store of a
// thread is kept in a slot of the platform's thread-local storage, which is
// still readable during detach, and nothing is left to thread-exit
// destructors that would have to keep the module loaded.
//
// Releasing runs under the loader lock. What it drops is this module's own
// objects (freeing memory, releasing references among them) and the
// references they hold. References to objects of other components (an App
// object's instance made by another server, a buddy object set by the host)
// are released there too; an in-process object's Release does not load code,
// and a thread ending with such references still held is the host's choice.

#include <windows.h>

#include "runtime/thread_data.h"

namespace win {

namespace detail {
inline DWORD& storeIndex() {
    static DWORD index = TLS_OUT_OF_INDEXES;
    return index;
}
inline rt::ThreadStore* getStore() {
    return static_cast<rt::ThreadStore*>(TlsGetValue(storeIndex()));
}
inline void setStore(rt::ThreadStore* store) { TlsSetValue(storeIndex(), store); }
}  // namespace detail

// Call from DllMain for every reason; thread notifications must stay enabled.
inline void threadDataNotice(DWORD reason, LPVOID reserved) {
    DWORD& index = detail::storeIndex();
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            index = TlsAlloc();
            if (index != TLS_OUT_OF_INDEXES) rt::useThreadStoreSlot({detail::getStore, detail::setStore});
            break;
        case DLL_THREAD_DETACH:
            if (index != TLS_OUT_OF_INDEXES) rt::releaseThreadData();
            break;
        case DLL_PROCESS_DETACH:
            // At process end (reserved != NULL) other threads are gone without
            // notice and other modules may be torn down already: leave it.
            if (index != TLS_OUT_OF_INDEXES && reserved == nullptr) {
                rt::releaseThreadData();
                TlsFree(index);
                index = TLS_OUT_OF_INDEXES;
            }
            break;
        default:
            break;
    }
}

}  // namespace win
