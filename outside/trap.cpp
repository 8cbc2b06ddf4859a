#include "outside/trap.h"

#include <algorithm>

#include "outside/error_channel.h"
#include "runtime/app_object.h"
#include "runtime/err_object.h"

namespace outside {

Trap::Trap(std::string site, std::initializer_list<int32_t> exempt) : site_(std::move(site)), exempt_(exempt) {}

Trap Trap::silent() {
    Trap t;
    t.silent_ = true;
    return t;
}

void Trap::handle(const rt::Error& e) {
    if (silent_) return;
    auto err = rt::Err();
    err->set(e);
    if (std::find(exempt_.begin(), exempt_.end(), e.number()) == exempt_.end()) {
        rt::Variant app = rt::App();
        rt::Variant errVar = err;
        std::string empty3, empty6;
        std::string site = site_;
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
