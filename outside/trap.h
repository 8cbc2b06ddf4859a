#pragma once
// Trap-report-resume. An operation creates one Trap with its site string and
// runs each of its numbered steps through it:
//
//   Trap trap("czAmbrTVS.Refresh");
//   trap.step([&] { ... });                       // a failing step is reported
//   if (trap.test([&] { return ...; })) { ... }   // a failing test counts as passed
//
// A failure is reported through the error channel (with App and Err) and the
// next step runs. Exempt error numbers are not reported. A report that fails
// itself is not trapped: its error leaves the operation, and the operation's
// caller receives it.

#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <new>
#include <string>
#include <string_view>

#include "runtime/error.h"

namespace outside {

class Trap {
public:
    // The site string must outlive the trap (operations pass literals).
    // At most four numbers may be exempt.
    explicit Trap(std::string_view site, std::initializer_list<int32_t> exempt = {});
    // A trap that skips failing steps without any report.
    static Trap silent();

    template <class F>
    void step(F&& f) {
        if (auto failure = run([&] { f(); }); failure) handle(*failure);
    }

    template <class F>
    bool test(F&& f) {
        bool result = true;
        if (auto failure = run([&] { result = static_cast<bool>(f()); }); failure) {
            handle(*failure);
            return true;
        }
        return result;
    }

    // Handles a failure that the operation found itself (a counter overflow).
    void fail(const rt::Error& e) { handle(e); }

private:
    Trap() = default;

    template <class F>
    static std::unique_ptr<rt::Error> run(F&& f) {
        try {
            f();
            return nullptr;
        } catch (const rt::Error& e) {
            return std::make_unique<rt::Error>(e);
        } catch (const std::bad_alloc&) {
            return std::make_unique<rt::Error>(rt::errnum::OutOfMemory, "Out of memory");
        }
    }
    void handle(const rt::Error& e);

    std::string_view site_;
    std::array<int32_t, 4> exempt_{};
    size_t exemptCount_ = 0;
    bool silent_ = false;
};

}  // namespace outside
