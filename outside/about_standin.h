#pragma once
// A stand-in for the outside About component "KwBrenta10.clsKwBrenta10A":
// AppAboutKwbr shows the name and version of the application object it is
// handed, through the runtime's message box.

#include "runtime/dispatch.h"

namespace outside {

class AboutStandIn : public rt::Object {
public:
    void AppAboutKwbr(const rt::ObjectRef& app);
    const rt::ClassInfo& classInfo() const override;
};

void registerAboutStandIn();

}  // namespace outside
