#pragma once
// The outside components and the message box, quiet: reports and messages go
// nowhere, so that a fuzz target's output shows only what it finds.

#include "outside/about_standin.h"
#include "outside/error_handler_standin.h"
#include "runtime/msgbox.h"
#include "library/component.h"

namespace fuzzing {

inline void quietOutside() {
    static const bool done = [] {
        outside::registerErrorHandlerStandIn([](const std::string&) {});
        outside::registerAboutStandIn();
        rt::setMessageBoxHandler([](const rt::MessageBoxRequest&) { return rt::MsgBoxOk; });
        Sarn10B::registerLibrary();
        return true;
    }();
    (void)done;
}

}  // namespace fuzzing
