#include "python/python_class.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>

#include "python/errors.h"
#include "python/values.h"
#include "runtime/classes.h"
#include "runtime/error.h"
#include "runtime/msgbox.h"
#include "runtime/text.h"

namespace sarnpy {

void dropReference(py::object& object) {
    if (!object) return;
    if (!Py_IsInitialized() || _Py_IsFinalizing()) {
        object.release();
        return;
    }
    py::gil_scoped_acquire gil;
    object = py::object();
}

namespace {

// The attribute that a member name stands for, without regard to case; an
// empty string when there is none.
std::string attributeFor(const py::object& target, std::string_view name) {
    const std::string exact(name);
    if (py::hasattr(target, exact.c_str())) return exact;
    for (py::handle attribute : py::reinterpret_steal<py::list>(PyObject_Dir(target.ptr()))) {
        const std::string candidate = py::str(attribute);
        if (rt::textEquals(candidate, name)) return candidate;
    }
    return {};
}

// The registrations made from Python, by folded identifier. Each guard puts
// back what the identifier named before (the library's own class, say) when
// it goes; all go before Python does, since their factories hold Python
// classes.
std::mutex registeredLock;
std::map<std::string, std::unique_ptr<rt::ClassRegistration>>& registered() {
    static auto* guards = new std::map<std::string, std::unique_ptr<rt::ClassRegistration>>;
    return *guards;
}

void registerPythonClass(const std::string& progId, rt::Factory factory) {
    std::lock_guard lock(registeredLock);
    auto& guards = registered();
    const std::string folded = rt::foldCase(progId);
    if (guards.count(folded)) {
        // Registered from Python before: the new class replaces that one, and
        // what came before both stays the one to put back.
        rt::registerClass(progId, std::move(factory));
        return;
    }
    guards.emplace(folded, std::make_unique<rt::ClassRegistration>(progId, std::move(factory)));
}

void unregisterPythonClass(const std::string& progId) {
    std::unique_ptr<rt::ClassRegistration> guard;
    {
        std::lock_guard lock(registeredLock);
        auto it = registered().find(rt::foldCase(progId));
        if (it != registered().end()) {
            guard = std::move(it->second);
            registered().erase(it);
        }
    }
    if (!guard) rt::unregisterClass(progId);
    // The guard goes here, outside the lock: it puts back what came before.
}

void unregisterAll() {
    std::map<std::string, std::unique_ptr<rt::ClassRegistration>> guards;
    {
        std::lock_guard lock(registeredLock);
        guards.swap(registered());
    }
}

// How many positional parameters of a callable have no default; 0 where
// Python cannot tell (a built-in without signature).
size_t requiredPositionals(const py::object& callable) {
    try {
        py::module_ inspect = py::module_::import("inspect");
        py::object parameter = inspect.attr("Parameter");
        size_t required = 0;
        for (py::handle p : inspect.attr("signature")(callable).attr("parameters").attr("values")()) {
            py::object kind = p.attr("kind");
            const bool positional = kind.is(parameter.attr("POSITIONAL_ONLY")) ||
                                    kind.is(parameter.attr("POSITIONAL_OR_KEYWORD"));
            if (positional && p.attr("default").is(parameter.attr("empty"))) ++required;
        }
        return required;
    } catch (py::error_already_set&) {
        return 0;
    }
}

}  // namespace

PythonObject::PythonObject(py::object target, std::string progId)
    : target_(std::move(target)), progId_(std::move(progId)) {}

PythonObject::~PythonObject() { dropReference(target_); }

rt::Variant PythonObject::callMember(std::string_view name, rt::CallKind kind, rt::Args& args) {
    py::gil_scoped_acquire gil;
    const std::string source = progId_.empty() ? std::string(py::str(py::type::of(target_).attr("__name__"))) : progId_;
    try {
        const std::string attribute = attributeFor(target_, name);
        if (attribute.empty()) throw rt::errNoSuchMember(std::string(name));
        if (kind == rt::CallKind::PropertyLet || kind == rt::CallKind::PropertySet) {
            if (args.size() != 1) throw rt::errWrongArgumentCount();
            py::setattr(target_, attribute.c_str(), toPython(args[0]));
            return {};
        }
        py::object value = target_.attr(attribute.c_str());
        if (!PyCallable_Check(value.ptr())) {
            if (!args.empty()) throw rt::errWrongArgumentCount();
            return toVariant(value);
        }
        // Arguments left out at the end are left out in Python too, so that
        // the method's own defaults apply; a parameter without default gets
        // sarn10b.Missing.
        size_t given = args.size();
        while (given > 0 && args[given - 1].isMissing()) --given;
        given = std::clamp(requiredPositionals(value), given, args.size());
        py::tuple pythonArgs(given);
        for (size_t i = 0; i < given; ++i) pythonArgs[i] = toPython(args[i]);
        return toVariant(value(*pythonArgs));
    } catch (py::error_already_set& e) {
        throw fromPython(e, source.c_str());
    }
}

void defineRegistration(py::module_& m) {
    m.def(
        "register",
        [](const std::string& progId, py::object cls) {
            if (!PyCallable_Check(cls.ptr()))
                raise(rt::Error(rt::errnum::TypeMismatch, "Type mismatch: the class is not callable", "sarn10b"));
            // Each creation calls cls() with the GIL taken; the factory drops
            // its reference to cls the same way.
            auto holder = std::shared_ptr<py::object>(new py::object(std::move(cls)), [](py::object* p) {
                dropReference(*p);
                delete p;
            });
            registerPythonClass(progId, [holder, progId]() -> rt::ObjectRef {
                py::gil_scoped_acquire gil;
                try {
                    return rt::ObjectRef(rt::make<PythonObject>((*holder)(), progId));
                } catch (py::error_already_set& e) {
                    throw fromPython(e, progId.c_str());
                }
            });
        },
        py::arg("progid"), py::arg("cls"),
        R"(Registers a Python class under a programmatic identifier for this process.

Every creation by that identifier, by sarn10b.create or by the library (the
error handler "KwBrenta10.clsKwbrErrorHandlerA" for each report, the About
component "KwBrenta10.clsKwBrenta10A"), calls cls() and hands out an object
whose members by name are the instance's attributes, found without regard
to case. An exception raised in a method is that call's failure: a
sarn10b.Error with its number, any other exception as error 440.)");
    m.def(
        "unregister", [](const std::string& progId) { unregisterPythonClass(progId); }, py::arg("progid"),
        R"(Removes a registration made with register: the identifier names again what it named
before (the library's own class, say). An identifier not registered from Python is removed
from the process's classes.)");
    m.def(
        "registered_classes", [] { return rt::registeredClasses(); },
        "The programmatic identifiers that sarn10b.create knows in this process.");
    m.def(
        "set_message_box",
        [](py::object show) {
            if (show.is_none()) {
                rt::setMessageBoxHandler({});
                return;
            }
            auto holder = std::shared_ptr<py::object>(new py::object(std::move(show)), [](py::object* p) {
                dropReference(*p);
                delete p;
            });
            rt::setMessageBoxHandler([holder](const rt::MessageBoxRequest& request) -> int32_t {
                py::gil_scoped_acquire gil;
                try {
                    py::object answer = (*holder)(request.prompt, request.style, request.title);
                    return answer.is_none() ? rt::MsgBoxOk : answer.cast<int32_t>();
                } catch (py::error_already_set& e) {
                    // A box that cannot be shown is answered OK, as a box
                    // without a window is; the exception is told, not lost.
                    e.discard_as_unraisable("sarn10b message box");
                    return rt::MsgBoxOk;
                } catch (const py::cast_error&) {
                    return rt::MsgBoxOk;
                }
            });
        },
        py::arg("show"),
        R"(Shows the library's message boxes (F10 on a tree) through show(prompt, style, title),
whose result is the number of the button pressed (None is OK, 1). None
restores the default box, which writes the message to standard output.)");
    // Registrations hold Python classes: they go before Python does.
    py::module_::import("atexit").attr("register")(py::cpp_function(&unregisterAll));
}

}  // namespace sarnpy
