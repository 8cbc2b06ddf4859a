#include "testing/recording_handler.h"

#include "runtime/dispatch.h"
#include "runtime/error.h"

namespace testing_support {
namespace {

class RecordingObject : public rt::Object {
public:
    explicit RecordingObject(std::shared_ptr<RecordingErrorHandler::State> state) : state_(std::move(state)) {}

    const rt::ClassInfo& classInfo() const override {
        static const rt::ClassInfo info{
            "RecordingErrorHandler",
            {{"ErrorHandlerMessageKw", 1, rt::CallKind::Method,
              [](rt::Object& o, rt::Args& a) -> rt::Variant {
                  auto& state = *rt::self<RecordingObject>(o).state_;
                  std::vector<std::string> kinds;
                  for (const auto& v : a) kinds.push_back(rt::describe(v));
                  state.argumentKinds.push_back(kinds);
                  if (state.failWith) throw rt::Error(state.failWith, "the error handler failed");
                  rt::ObjectRef err = rt::toObject(a.at(1));
                  state.reports.push_back(
                      {rt::toText(a.at(3)),
                       rt::toInt32(rt::callByName(err, "Number", rt::CallKind::PropertyGet)),
                       rt::toText(rt::callByName(err, "Description", rt::CallKind::PropertyGet))});
                  if (state.reports.size() == 1 && state.atFirstReport) state.atFirstReport();
                  return {};
              },
              errorHandlerParams()}}};
        return info;
    }

private:
    std::shared_ptr<RecordingErrorHandler::State> state_;
};

}  // namespace

const std::vector<rt::Param>& errorHandlerParams() {
    static const std::vector<rt::Param> params = {
        {"oApp", rt::VarType::Object},   {"oErr", rt::VarType::Object},  {"sText", rt::VarType::String},
        {"sSite", rt::VarType::String},  {"lValue", rt::VarType::Long},  {"sExtra", rt::VarType::String},
        {"lExtra", rt::VarType::Long},   {"vOptional", rt::VarType::Variant, true, false},
    };
    return params;
}

std::ostream& operator<<(std::ostream& os, const Report& r) {
    return os << "{" << r.site << ", " << r.number << " (" << r.description << ")}";
}

RecordingErrorHandler::RecordingErrorHandler()
    : state_(std::make_shared<State>()),
      registration_("KwBrenta10.clsKwbrErrorHandlerA",
                    [state = state_] { return rt::ObjectRef(rt::make<RecordingObject>(state)); }) {}

RecordingMessageBox::RecordingMessageBox()
    : messages_(std::make_shared<std::vector<rt::MessageBoxRequest>>()),
      previous_(rt::setMessageBoxHandler([m = messages_](const rt::MessageBoxRequest& r) {
          m->push_back(r);
          return rt::MsgBoxOk;
      })) {}

RecordingMessageBox::~RecordingMessageBox() { rt::setMessageBoxHandler(previous_); }

std::vector<Report> reportsAt(const std::string& site, std::vector<int32_t> numbers) {
    std::vector<Report> out;
    for (int32_t n : numbers) out.push_back({site, n, {}});
    return out;
}

}  // namespace testing_support
