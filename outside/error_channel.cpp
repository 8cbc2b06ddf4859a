#include "outside/error_channel.h"

#include "runtime/classes.h"
#include "runtime/dispatch.h"

namespace basKwbrCommonA {

void ErrorHandlerMessageKw_Pro(rt::Variant& app, rt::Variant& err, std::string& text3, std::string& site,
                               int32_t& number5, std::string& text6, int32_t& number7,
                               const rt::Variant& optional8) {
    rt::ObjectRef handler = rt::createObject(ErrorHandlerProgId);
    rt::Args args{app, err, text3, site, number5, text6, number7, optional8};
    rt::callByName(handler, "ErrorHandlerMessageKw", rt::CallKind::Method, args);
    // Nothing is read back; the instance goes with this scope.
}

}  // namespace basKwbrCommonA
