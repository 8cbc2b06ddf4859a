#include "library/component.h"

#include "library/library_object.h"
#include "library/small_classes.h"
#include "library/type_library.h"
#include "manager/style_manager.h"
#include "runtime/app_objects.h"
#include "runtime/classes.h"

namespace Sarn10B {
namespace {

template <class T>
rt::Factory factory() {
    return [] { return rt::ObjectRef(rt::make<T>()); };
}

}  // namespace

std::string programmaticId(std::string_view className) {
    return std::string(ids::LibraryName) + "." + std::string(className);
}

std::function<rt::ObjectRef()> factoryOf(std::string_view className) {
    if (className == ids::StyleManager.name) return factory<clsKwAmbrTvsA>();
    if (className == ids::LibraryObject.name) return factory<clsKwOrvel10BA>();
    if (className == ids::ListViewWndClass.name) return factory<clsKwAmbrListViewWndClassA>();
    if (className == ids::TreeviewWndClass.name) return factory<clsKwAmbrTreeviewWndClassA>();
    if (className == ids::General.name) return factory<clsKwAmbrGeneralA>();
    if (className == ids::Advanced.name) return factory<clsKwAmbrAdvancedA>();
    return {};
}

std::vector<std::string> programmaticIds() {
    std::vector<std::string> out;
    for (const auto& c : typeLibrary().classes) out.push_back(programmaticId(c.ids.name));
    return out;
}

void registerLibrary() {
    for (const auto& c : typeLibrary().classes) rt::registerClass(programmaticId(c.ids.name), factoryOf(c.ids.name));
    rt::registerAppObject(programmaticId(ids::LibraryObject.name));
}

void unregisterLibrary() {
    rt::unregisterAppObject(programmaticId(ids::LibraryObject.name));
    for (const auto& id : programmaticIds()) rt::unregisterClass(id);
}

}  // namespace Sarn10B
