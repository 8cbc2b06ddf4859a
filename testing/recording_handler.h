#pragma once
// Test support: an error handler that records every report, a message box
// that records every message, and a fixture that installs both.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "runtime/classes.h"
#include "runtime/dispatch.h"
#include "runtime/msgbox.h"

namespace testing_support {

// The eight parameters of ErrorHandlerMessageKw, as the error channel passes
// them; handlers written for tests declare them like the real one.
const std::vector<rt::Param>& errorHandlerParams();

struct Report {
    std::string site;
    int32_t number = 0;
    std::string description;
    bool operator==(const Report& o) const { return site == o.site && number == o.number; }
};
std::ostream& operator<<(std::ostream& os, const Report& r);

// Registers itself as "KwBrenta10.clsKwbrErrorHandlerA" for its lifetime.
class RecordingErrorHandler {
public:
    RecordingErrorHandler();

    const std::vector<Report>& reports() const { return state_->reports; }
    void clear() { state_->reports.clear(); }
    // From now on every report fails with this error number (0: succeed).
    void failWith(int32_t number) { state_->failWith = number; }
    // Runs once the first report is recorded, inside the handler's call, as
    // a host's handler may run any code there.
    void atFirstReport(std::function<void()> action) { state_->atFirstReport = std::move(action); }
    // Also what the handler was handed besides the site: checked per call.
    const std::vector<std::vector<std::string>>& argumentKinds() const { return state_->argumentKinds; }

    struct State {
        std::vector<Report> reports;
        std::vector<std::vector<std::string>> argumentKinds;
        int32_t failWith = 0;
        std::function<void()> atFirstReport;
    };

private:
    std::shared_ptr<State> state_;
    rt::ClassRegistration registration_;
};

// Records every message box and answers OK, for its lifetime.
class RecordingMessageBox {
public:
    RecordingMessageBox();
    ~RecordingMessageBox();
    const std::vector<rt::MessageBoxRequest>& messages() const { return *messages_; }

private:
    std::shared_ptr<std::vector<rt::MessageBoxRequest>> messages_;
    rt::MessageBoxHandler previous_;
};

// n reports, all with the same site, each with its number.
std::vector<Report> reportsAt(const std::string& site, std::vector<int32_t> numbers);

class ChannelTest : public ::testing::Test {
protected:
    RecordingErrorHandler handler;
    RecordingMessageBox messageBox;
    const std::vector<Report>& reports() const { return handler.reports(); }
};

}  // namespace testing_support
