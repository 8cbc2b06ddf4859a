// The Windows side of sarn10b.dll: the entry points themselves are the
// portable ones (library/server/entry_points.cpp); this tells the platform
// layer which interface of the type library describes each public class (and
// the runtime's collection) and which vtable implements it, shows message boxes as the platform's,
// gives the tree model's objects their automation surface, and lets tree
// views reached through automation in as tree views, and has the resource
// loaders read the resources this file carries.
#include <windows.h>

#include "windows/platform/thread_data.h"

#include <cstring>

#include "library/type_library.h"
#include "runtime/guid.h"
#include "windows/server/dual_interfaces.h"
#include "windows/platform/com_bridge.h"
#include "windows/platform/dispatch_tree.h"
#include "windows/platform/message_box.h"
#include "windows/platform/module_resources.h"
#include "windows/platform/tree_tables.h"

namespace {

GUID toGuid(std::string_view text) {
    GUID out{};
    if (auto g = rt::Guid::parse(text)) std::memcpy(&out, &*g, sizeof out);
    return out;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    win::threadDataNotice(reason, reserved);
    if (reason == DLL_PROCESS_ATTACH) {
        win::usePlatformMessageBox();
        win::readResourcesFromThisModule();
        win::registerTreeTables();
        win::registerTreeViewAdapter();
        const auto& lib = Sarn10B::typeLibrary();
        for (const auto& cls : lib.classes)
            win::describeClass(*cls.members, toGuid(lib.uuid), static_cast<LCID>(lib.lcid), toGuid(cls.ids.iid));
        registerDualInterfaces(toGuid(lib.uuid), static_cast<LCID>(lib.lcid));
    }
    return TRUE;
}
