#pragma once
// The dual interfaces of the six public classes (generated at build time by
// windows/host/dual_interfaces.cpp) and of the runtime's collection as the
// type library's Collection: declares them to the platform layer.

#include <windows.h>

void registerDualInterfaces(const GUID& libid, LCID lcid);
