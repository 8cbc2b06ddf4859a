// sarn_control.dll: the tree view over the platform's tree view control as a
// component server of its own, "SarnControl.TreeControl", so that scripts
// and hosts can bind a style manager to a real control. The entry points
// are in exports.cpp.
#include <windows.h>

#include "windows/tree_control/control_object.h"

namespace win_tree {
rt::ObjectRef createTreeControl() { return rt::ObjectRef(rt::make<ControlObject>()); }
}  // namespace win_tree

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        win_tree::forgetFrameClass(instance);
    }
    return TRUE;
}
