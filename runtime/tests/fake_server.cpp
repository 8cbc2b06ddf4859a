// A small component server for the registry's tests, built several times
// with different identities (FAKE_NAME, FAKE_TYPELIB, FAKE_CLSID): one class
// "<FAKE_NAME>.Thing", an application object, that answers Name by name.
#include <cstdint>

#include "runtime/dispatch.h"
#include "runtime/server.h"
#include "runtime/variant.h"

namespace {

class Thing : public rt::Object {
public:
    const rt::ClassInfo& classInfo() const override {
        static const rt::ClassInfo info{
            "Thing",
            {{"Name", 1, rt::CallKind::PropertyGet, [](rt::Object&, rt::Args&) { return rt::Variant(FAKE_NAME); }, {},
              rt::VarType::String}}};
        return info;
    }
};

rt::ServerModule& serverModule() {
    static rt::ServerModule module(rt::ServerDescription{
        FAKE_NAME,
        FAKE_TYPELIB,
        "1.0",
        0,
        {{std::string(FAKE_NAME) + ".Thing", FAKE_CLSID, [] { return rt::ObjectRef(rt::make<Thing>()); }, true}}});
    return module;
}

}  // namespace

#include "runtime/server_entry_points.h"
