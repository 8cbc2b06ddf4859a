#include "library/resources.h"

#include "library/type_library.h"
#include "library/version_block.h"

namespace Sarn10B {

const rt::ResourceTable& libraryResources() {
    static const rt::ResourceTable table = [] {
        rt::ResourceTable t;
        const std::string idl = idlText(typeLibrary());
        t.add(std::string("TYPELIB"), 1, rt::Bytes(idl.begin(), idl.end()));
        t.add(ResTypeVersion, 1, encodeVersionBlock(libraryVersion()));
        int32_t id = 1;
        for (const auto& c : typeLibrary().classes) {
            const std::string record =
                std::string(c.ids.name) + " " + std::string(c.ids.clsid) + " " + std::string(c.ids.iid);
            t.add(std::string("CLASSINFO"), id++, rt::Bytes(record.begin(), record.end()));
        }
        return t;
    }();
    return table;
}

}  // namespace Sarn10B
