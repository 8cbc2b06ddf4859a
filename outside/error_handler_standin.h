#pragma once
// A stand-in for the outside error-handler component
// "KwBrenta10.clsKwbrErrorHandlerA": one readable line per report (site,
// number, description) written to a sink that the host chooses.

#include <functional>
#include <string>

#include "runtime/dispatch.h"

namespace outside {

using ReportSink = std::function<void(const std::string& line)>;

class ErrorHandlerStandIn : public rt::Object {
public:
    explicit ErrorHandlerStandIn(ReportSink sink) : sink_(std::move(sink)) {}

    // The eight arguments of the error channel, in order.
    void ErrorHandlerMessageKw(rt::Args& args);

    const rt::ClassInfo& classInfo() const override;

private:
    ReportSink sink_;
};

// "czAmbrTVS.Refresh: error 91: Object variable or With block variable not set"
std::string formatReport(const std::string& site, int32_t number, const std::string& description);

// Registers the stand-in under the component's identifier; the default sink
// is standard error.
void registerErrorHandlerStandIn(ReportSink sink = {});

}  // namespace outside
