#include "library/small_classes.h"

namespace Sarn10B {
namespace {

std::vector<rt::Member> handleMembers() {
    return {
        {"Handle", 0x68030000, rt::CallKind::PropertyGet,
         [](rt::Object& o, rt::Args&) -> rt::Variant { return rt::self<HandleHolder>(o).Handle(); }, {},
         rt::VarType::Long},
        {"Handle", 0x68030000, rt::CallKind::PropertyLet,
         [](rt::Object& o, rt::Args& a) -> rt::Variant {
             rt::self<HandleHolder>(o).setHandle(rt::toInt32(rt::requiredArg(a, 0)));
             return {};
         },
         {{"RHS", rt::VarType::Long}}},
    };
}

}  // namespace

const rt::ClassInfo& clsKwAmbrTreeviewWndClassA::classInfo() const {
    static const rt::ClassInfo info{"clsKwAmbrTreeviewWndClassA", handleMembers()};
    return info;
}

const rt::ClassInfo& clsKwAmbrListViewWndClassA::classInfo() const {
    static const rt::ClassInfo info{"clsKwAmbrListViewWndClassA", handleMembers()};
    return info;
}

const rt::ClassInfo& clsKwAmbrGeneralA::classInfo() const {
    static const rt::ClassInfo info{"clsKwAmbrGeneralA", {}};
    return info;
}

const rt::ClassInfo& clsKwAmbrAdvancedA::classInfo() const {
    static const rt::ClassInfo info{"clsKwAmbrAdvancedA", {}};
    return info;
}

}  // namespace Sarn10B
