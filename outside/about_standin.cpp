#include "outside/about_standin.h"

#include "runtime/classes.h"
#include "runtime/msgbox.h"

namespace outside {
namespace {

std::string read(const rt::ObjectRef& app, const char* member) {
    return rt::toText(rt::callByName(app, member, rt::CallKind::PropertyGet));
}

}  // namespace

void AboutStandIn::AppAboutKwbr(const rt::ObjectRef& app) {
    const std::string title = read(app, "Title");
    const std::string version = read(app, "Major") + "." + read(app, "Minor") + "." + read(app, "Revision");
    rt::MsgBox(read(app, "ProductName") + " " + version + "\n" + read(app, "FileDescription"), 64,
               "About " + title);
}

const rt::ClassInfo& AboutStandIn::classInfo() const {
    static const rt::ClassInfo info{
        "clsKwBrenta10A",
        {{"AppAboutKwbr", 1, rt::CallKind::Method,
          [](rt::Object& o, rt::Args& a) -> rt::Variant {
              rt::self<AboutStandIn>(o).AppAboutKwbr(rt::toObject(rt::requiredArg(a, 0)));
              return {};
          },
          {{"oApp", rt::VarType::Object, false, false}}}}};
    return info;
}

void registerAboutStandIn() {
    rt::registerClass("KwBrenta10.clsKwBrenta10A", [] { return rt::ObjectRef(rt::make<AboutStandIn>()); });
}

}  // namespace outside
