#include "library/library_object.h"

#include "library/resources.h"
#include "outside/trap.h"
#include "runtime/app_object.h"
#include "runtime/classes.h"
#include "runtime/resources.h"
#include "runtime/thread_data.h"

namespace basKwbrCommonA {

void AppAboutKwbr_Pro() {
    outside::Trap trap("basKwbrCommonA.AppAboutKwbr_Pro");
    rt::ObjectRef about;
    rt::ObjectRef second;
    trap.step([&] { about = rt::createObject(AboutProgId); });                                 // 1
    trap.step([&] { second = about; });                                                        // 2
    trap.step([&] { rt::callByName(about, "AppAboutKwbr", rt::CallKind::Method, {rt::App()}); });  // 3
    trap.step([&] { second = nullptr; });                                                      // 4
    trap.step([&] { about = nullptr; });                                                       // 5
}

}  // namespace basKwbrCommonA

namespace Sarn10B {

rt::ObjectRef& basKwOrvel10BA::buddySlot() {
    static const char key = 0;
    return rt::perThread<rt::ObjectRef>(&key);
}

rt::ObjectRef clsKwOrvel10BA::GetProStdProperties() { return rt::App(); }

std::string clsKwOrvel10BA::GetProResStrings(int32_t lResId) {
    return rt::LoadResString(libraryResources(), lResId);
}

rt::ObjectRef clsKwOrvel10BA::GetProResPicture(int32_t lResId, int32_t lRestype) {
    const int16_t kind = rt::narrow16(lRestype);
    return rt::LoadResPicture(libraryResources(), rt::Variant(lResId), kind);
}

rt::Variant clsKwOrvel10BA::GetProResData(int32_t lResId, const rt::Variant& vRestype) {
    return rt::LoadResData(libraryResources(), rt::Variant(lResId), vRestype);
}

int32_t clsKwOrvel10BA::About() {
    basKwbrCommonA::AppAboutKwbr_Pro();
    return 0;
}

rt::ObjectRef clsKwOrvel10BA::BuddyObjectGlobal() { return basKwOrvel10BA::buddySlot(); }

void clsKwOrvel10BA::setBuddyObjectGlobal(const rt::ObjectRef& buddy) {
    // Take the new reference before letting go of the old one, which may be
    // the same object.
    rt::ObjectRef held = buddy;
    basKwOrvel10BA::buddySlot() = std::move(held);
}

const rt::ClassInfo& clsKwOrvel10BA::classInfo() const {
    using rt::Args;
    using rt::CallKind;
    using rt::Object;
    using rt::Variant;
    using rt::VarType;
    static const rt::ClassInfo info{
        "clsKwOrvel10BA",
        {
            {"GetProStdProperties", 0x68030004, CallKind::PropertyGet,
             [](Object& o, Args&) -> Variant { return rt::self<clsKwOrvel10BA>(o).GetProStdProperties(); }, {},
             VarType::Object, "Object"},
            {"GetProResStrings", 0x68030003, CallKind::PropertyGet,
             [](Object& o, Args& a) -> Variant {
                 return rt::self<clsKwOrvel10BA>(o).GetProResStrings(rt::toInt32(rt::requiredArg(a, 0)));
             },
             {{"lResId", VarType::Long}}, VarType::String},
            {"GetProResPicture", 0x68030002, CallKind::PropertyGet,
             [](Object& o, Args& a) -> Variant {
                 return rt::self<clsKwOrvel10BA>(o).GetProResPicture(rt::toInt32(rt::requiredArg(a, 0)),
                                                                      rt::toInt32(rt::requiredArg(a, 1)));
             },
             {{"lResId", VarType::Long}, {"lRestype", VarType::Long, false, true, "LoadResConstants"}},
             VarType::Object, "IPictureDisp"},
            {"GetProResData", 0x68030001, CallKind::PropertyGet,
             [](Object& o, Args& a) -> Variant {
                 return rt::self<clsKwOrvel10BA>(o).GetProResData(rt::toInt32(rt::requiredArg(a, 0)),
                                                                   rt::requiredArg(a, 1));
             },
             {{"lResId", VarType::Long}, {"vRestype", VarType::Variant}}, VarType::Variant},
            {"About", 0x60030006, CallKind::Method,
             [](Object& o, Args&) -> Variant { return rt::self<clsKwOrvel10BA>(o).About(); }, {}, VarType::Long},
            {"BuddyObjectGlobal", 0x68030000, CallKind::PropertyGet,
             [](Object& o, Args&) -> Variant { return rt::self<clsKwOrvel10BA>(o).BuddyObjectGlobal(); }, {},
             VarType::Object, "Object"},
            {"BuddyObjectGlobal", 0x68030000, CallKind::PropertySet,
             [](Object& o, Args& a) -> Variant {
                 rt::self<clsKwOrvel10BA>(o).setBuddyObjectGlobal(rt::toObject(rt::requiredArg(a, 0)));
                 return {};
             },
             {{"RHS", VarType::Object, false, true, "Object"}}},
        }};
    return info;
}

}  // namespace Sarn10B
