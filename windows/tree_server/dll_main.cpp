// sarn_tree.dll: the in-memory tree view as a component server of its own,
// "SarnTree.TreeView", so that scripts can build a tree and bind a style
// manager to it. The entry points are in exports.cpp.
#include <windows.h>

#include "windows/platform/thread_data.h"

#include "windows/platform/tree_tables.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    win::threadDataNotice(reason, reserved);
    if (reason == DLL_PROCESS_ATTACH) {
        win::registerTreeTables();
    }
    return TRUE;
}

