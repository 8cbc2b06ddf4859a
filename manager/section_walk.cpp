#include "manager/section_walk.h"

namespace Sarn10B::walk {

rt::Ref<tree::TreeView> boundTree(const rt::ObjectRef& treeViewObject, std::string_view member) {
    if (!treeViewObject) throw rt::errObjectNotSet();
    auto tv = treeViewObject.as<tree::TreeView>();
    if (!tv) throw rt::errNoSuchMember(std::string(member));
    return tv;
}

void failNotSet() { throw rt::errObjectNotSet(); }

bool imageIs(const rt::Variant& image, std::string_view stateKey) {
    return image.isString() && rt::textEquals(std::get<std::string>(image.storage()), stateKey);
}

bool keyHasPrefix(const std::string& key, std::string_view prefix) {
    return rt::textEquals(rt::leftChars(key, 2), prefix);
}

Section addressSection(outside::Trap& trap, const rt::ObjectRef& treeViewObject, const std::string& sSection,
                       Order order) {
    Section s;
    trap.step([&] { s.node = boundTree(treeViewObject)->Nodes()->Item(rt::Variant(sSection)); });
    auto readChild = [&] { trap.step([&] { s.item = need(s.node).Child(); }); };
    auto readCount = [&] { trap.step([&] { s.count = rt::narrow16(need(s.node).Children()); }); };
    if (order == Order::FirstChildThenCount) {
        readChild();
        readCount();
    } else {
        readCount();
        readChild();
    }
    return s;
}

}  // namespace Sarn10B::walk
