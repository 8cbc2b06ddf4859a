#include "runtime/app_object.h"
#include "runtime/err_object.h"
#include "runtime/thread_data.h"

namespace rt {

void ErrObject::set(const Error& e) {
    Number = e.number();
    Source = e.source();
    Description = e.description();
}

void ErrObject::Clear() {
    Number = 0;
    Source.clear();
    Description.clear();
}

void ErrObject::Raise(int32_t number, const std::string& source, const std::string& description) {
    throw Error(number, description, source);
}

const ClassInfo& ErrObject::classInfo() const {
    static const ClassInfo info{
        "ErrObject",
        {
            {"Number", 0, CallKind::PropertyGet,
             [](Object& o, Args&) -> Variant { return self<ErrObject>(o).Number; }, {}, VarType::Long},
            {"Source", 1, CallKind::PropertyGet,
             [](Object& o, Args&) -> Variant { return self<ErrObject>(o).Source; }, {}, VarType::String},
            {"Description", 2, CallKind::PropertyGet,
             [](Object& o, Args&) -> Variant { return self<ErrObject>(o).Description; }, {},
             VarType::String},
            {"Clear", 3, CallKind::Method,
             [](Object& o, Args&) -> Variant {
                 self<ErrObject>(o).Clear();
                 return {};
             }},
        }};
    return info;
}

Ref<ErrObject> Err() {
    static const char key = 0;
    auto& err = perThread<Ref<ErrObject>>(&key);
    if (!err) err = make<ErrObject>();
    return err;
}

std::string AppObject::version() const {
    return std::to_string(Major) + "." + std::to_string(Minor) + "." + std::to_string(Revision);
}

const ClassInfo& AppObject::classInfo() const {
    static const ClassInfo info{
        "App",
        {
            {"Title", 1, CallKind::PropertyGet,
             [](Object& o, Args&) -> Variant { return self<AppObject>(o).Title; }, {}, VarType::String},
            {"EXEName", 2, CallKind::PropertyGet,
             [](Object& o, Args&) -> Variant { return self<AppObject>(o).EXEName; }, {}, VarType::String},
            {"ProductName", 3, CallKind::PropertyGet,
             [](Object& o, Args&) -> Variant { return self<AppObject>(o).ProductName; }, {},
             VarType::String},
            {"FileDescription", 4, CallKind::PropertyGet,
             [](Object& o, Args&) -> Variant { return self<AppObject>(o).FileDescription; }, {},
             VarType::String},
            {"CompanyName", 5, CallKind::PropertyGet,
             [](Object& o, Args&) -> Variant { return self<AppObject>(o).CompanyName; }, {},
             VarType::String},
            {"Major", 6, CallKind::PropertyGet,
             [](Object& o, Args&) -> Variant { return self<AppObject>(o).Major; }, {}, VarType::Long},
            {"Minor", 7, CallKind::PropertyGet,
             [](Object& o, Args&) -> Variant { return self<AppObject>(o).Minor; }, {}, VarType::Long},
            {"Revision", 8, CallKind::PropertyGet,
             [](Object& o, Args&) -> Variant { return self<AppObject>(o).Revision; }, {}, VarType::Long},
        }};
    return info;
}

Ref<AppObject> App() {
    static const char key = 0;
    auto& app = perThread<Ref<AppObject>>(&key);
    if (!app) app = make<AppObject>();
    return app;
}

}  // namespace rt
