#include "outside/trap.h"

#include <algorithm>

#include "outside/error_channel.h"
#include "runtime/app_object.h"
#include "runtime/err_object.h"

namespace outside {

Trap::Trap(std::string_view site, std::initializer_list<int32_t> exempt) : site_(site) {
    if (exempt.size() > exempt_.size()) throw rt::errInvalidCall();
    for (int32_t number : exempt) exempt_[exemptCount_++] = number;
}

Trap Trap::silent() {
    Trap t;
    t.silent_ = true;
    return t;
}

void Trap::handle(const rt::Error& e) {
    if (silent_) return;
    auto err = rt::Err();
    err->set(e);
    const auto exemptEnd = exempt_.begin() + static_cast<std::ptrdiff_t>(exemptCount_);
    if (std::find(exempt_.begin(), exemptEnd, e.number()) == exemptEnd) {
        rt::Variant app = rt::App();
        rt::Variant errVar = err;
        std::string empty3, empty6;
        std::string site(site_);
        int32_t zero5 = 0, zero7 = 0;
        try {
            basKwbrCommonA::ErrorHandlerMessageKw_Pro(app, errVar, empty3, site, zero5, empty6, zero7);
        } catch (...) {
            err->Clear();  // the failure of the report is what the caller gets
            throw;
        }
    }
    err->Clear();
}

}  // namespace outside
