#include "windows/outside_server/standins.h"

#include <mutex>
#include <string>
#include <vector>

#include "outside/about_standin.h"
#include "outside/error_handler_standin.h"
#include "runtime/collection.h"
#include "runtime/msgbox.h"

namespace outside_server {
namespace {

using rt::Args;
using rt::CallKind;
using rt::Object;
using rt::Variant;
using rt::VarType;

// Lines received, in order, for the whole process.
class Record {
public:
    void add(const std::string& line) {
        std::lock_guard g(lock_);
        lines_.push_back(line);
    }
    rt::Ref<rt::Collection> collection() {
        std::lock_guard g(lock_);
        auto c = rt::make<rt::Collection>();
        for (const auto& l : lines_) c->Add(l);
        return c;
    }
    int32_t count() {
        std::lock_guard g(lock_);
        return static_cast<int32_t>(lines_.size());
    }
    void clear() {
        std::lock_guard g(lock_);
        lines_.clear();
    }

private:
    std::mutex lock_;
    std::vector<std::string> lines_;
};

Record& reports() {
    static Record r;
    return r;
}
Record& messages() {
    static Record r;
    return r;
}

// The members that hand a record to scripts: the lines as a Collection,
// their count, and emptying the record.
template <Record& (*record)()>
void addRecordMembers(rt::ClassInfo& info, std::string_view lines, std::string_view count, std::string_view clear) {
    info.members.push_back({lines, 2, CallKind::PropertyGet,
                            [](Object&, Args&) -> Variant { return record().collection(); }, {}, VarType::Object,
                            "Collection"});
    info.members.push_back(
        {count, 3, CallKind::PropertyGet, [](Object&, Args&) -> Variant { return record().count(); }, {}, VarType::Long});
    info.members.push_back({clear, 4, CallKind::Method, [](Object&, Args&) -> Variant {
                                record().clear();
                                return {};
                            }});
}

class ErrorHandler final : public outside::ErrorHandlerStandIn {
public:
    ErrorHandler() : ErrorHandlerStandIn([](const std::string& line) { reports().add(line); }) {}

    const rt::ClassInfo& classInfo() const override {
        static const rt::ClassInfo info = [this] {
            rt::ClassInfo i = ErrorHandlerStandIn::classInfo();
            addRecordMembers<reports>(i, "Reports", "ReportCount", "ClearReports");
            return i;
        }();
        return info;
    }
};

class About final : public outside::AboutStandIn {
public:
    const rt::ClassInfo& classInfo() const override {
        static const rt::ClassInfo info = [this] {
            rt::ClassInfo i = AboutStandIn::classInfo();
            addRecordMembers<messages>(i, "Messages", "MessageCount", "ClearMessages");
            return i;
        }();
        return info;
    }
};

}  // namespace

rt::ObjectRef createErrorHandler() { return rt::ObjectRef(rt::make<ErrorHandler>()); }
rt::ObjectRef createAbout() { return rt::ObjectRef(rt::make<About>()); }

void recordMessageBoxes() {
    rt::setMessageBoxHandler([](const rt::MessageBoxRequest& r) {
        messages().add(r.title + ": " + r.prompt);
        return rt::MsgBoxOk;
    });
}

}  // namespace outside_server
