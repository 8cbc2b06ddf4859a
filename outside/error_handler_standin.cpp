#include "outside/error_handler_standin.h"

#include <iostream>

#include "outside/error_channel.h"
#include "runtime/classes.h"

namespace outside {

std::string formatReport(const std::string& site, int32_t number, const std::string& description) {
    return site + ": error " + std::to_string(number) + ": " + description;
}

void ErrorHandlerStandIn::ErrorHandlerMessageKw(rt::Args& args) {
    // Err is read through its members, as any outside component would.
    rt::ObjectRef err = rt::toObject(rt::argAt(args, 1));
    int32_t number = rt::toInt32(rt::callByName(err, "Number", rt::CallKind::PropertyGet));
    std::string description = rt::toText(rt::callByName(err, "Description", rt::CallKind::PropertyGet));
    sink_(formatReport(rt::toText(rt::argAt(args, 3)), number, description));
}

const rt::ClassInfo& ErrorHandlerStandIn::classInfo() const {
    static const rt::ClassInfo info{
        "clsKwbrErrorHandlerA",
        {
            {"ErrorHandlerMessageKw", 1, rt::CallKind::Method,
             [](rt::Object& o, rt::Args& a) -> rt::Variant {
                 rt::self<ErrorHandlerStandIn>(o).ErrorHandlerMessageKw(a);
                 return {};
             },
             {{"oApp", rt::VarType::Object},
              {"oErr", rt::VarType::Object},
              {"sText", rt::VarType::String},
              {"sSite", rt::VarType::String},
              {"lValue", rt::VarType::Long},
              {"sExtra", rt::VarType::String},
              {"lExtra", rt::VarType::Long},
              {"vOptional", rt::VarType::Variant, true, false}}},
        }};
    return info;
}

void registerErrorHandlerStandIn(ReportSink sink) {
    if (!sink) sink = [](const std::string& line) { std::cerr << line << '\n'; };
    rt::registerClass(basKwbrCommonA::ErrorHandlerProgId,
                      [sink] { return rt::ObjectRef(rt::make<ErrorHandlerStandIn>(sink)); });
}

}  // namespace outside
