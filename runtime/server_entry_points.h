#pragma once
// The four entry points of a component server, each handing over to the
// server's module. The one file of a server that includes this defines,
// before the include:
//
//   namespace { rt::ServerModule& serverModule() { static rt::ServerModule m(...); return m; } }
//
// The entry points are declared here with portable types, apart from the
// platform's headers, which declare them with the platform's own. A shared
// object exports them by symbol visibility; a DLL names them in its .def file
// and takes the platform's calling convention for them, which on 32-bit
// Windows is not the compiler's default: the callee pops its arguments.
#include <cstdint>

#include "runtime/server.h"

#ifdef _WIN32
#define SARN_SERVER_ENTRY extern "C"
#define SARN_SERVER_CALL __stdcall
#else
#define SARN_SERVER_ENTRY extern "C" __attribute__((visibility("default")))
#define SARN_SERVER_CALL
#endif

SARN_SERVER_ENTRY int32_t SARN_SERVER_CALL DllRegisterServer() {
    return serverModule().registerServer(rt::moduleFileOf(reinterpret_cast<const void*>(&DllRegisterServer)));
}
SARN_SERVER_ENTRY int32_t SARN_SERVER_CALL DllUnregisterServer() { return serverModule().unregisterServer(); }
SARN_SERVER_ENTRY int32_t SARN_SERVER_CALL DllGetClassObject(const rt::Guid* clsid, const rt::Guid* iid, void** factory) {
    return serverModule().getClassObject(clsid, iid, factory);
}
SARN_SERVER_ENTRY int32_t SARN_SERVER_CALL DllCanUnloadNow() { return serverModule().canUnloadNow(); }

#undef SARN_SERVER_ENTRY
#undef SARN_SERVER_CALL
