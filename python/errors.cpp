#include "python/errors.h"

#include <pybind11/eval.h>

#include <string>

namespace sarnpy {
namespace {

// Plain Python is the clearest way to write these small classes; they are
// defined in the module's namespace when it is imported.
constexpr const char* SupportSource = R"py(
class Error(Exception):
    """A failure of the library or of a component it called.

    number, source and description are the runtime's: 438 for a member that
    does not exist, 6 for an overflow, 13 for a type mismatch and so on.
    Raise it from a registered Python class to fail with a number of your
    own: raise sarn10b.Error(5, "MyHandler", "Refused")."""

    def __init__(self, number=0, source="", description=""):
        super().__init__(number, source, description)
        self.number = number
        self.source = source
        self.description = description

    def __str__(self):
        return "%s (error %d, %s)" % (self.description, self.number, self.source or "sarn10b")


class MemberError(Error, AttributeError):
    """Error 438: the object has no member of that name (hasattr is False)."""


class SubscriptError(Error, IndexError):
    """Error 9: a position outside the collection."""


class _Singleton:
    __slots__ = ("_name",)

    def __init__(self, name):
        self._name = name

    def __repr__(self):
        return "sarn10b." + self._name

    def __reduce__(self):
        return self._name

    def __copy__(self):
        return self

    def __deepcopy__(self, memo):
        return self


# Null: the null value of the runtime (None stands for the empty value).
# Missing: an optional argument left out, where it cannot be left out by
# position alone.
Null = _Singleton("Null")
Missing = _Singleton("Missing")


class Ref:
    """An argument that the call may write back: after the call, value holds
    what the member left in it (AddNode writes back its image key and its
    picture).

        key = sarn10b.Ref("")
        m.AddNode("S1", 4, "CBbold", "Bold", ImageIPictureDispKeyNormal=key)
        key.value   # "chkoff"
    """

    __slots__ = ("value",)

    def __init__(self, value=None):
        self.value = value

    def __repr__(self):
        return "sarn10b.Ref(%r)" % (self.value,)
)py";

Support* supportObjects = nullptr;  // kept until the process ends, past Python's own end

// The Python exception converted last on this thread, with the error it
// became (a raw reference: a thread may end after Python has).
struct PendingException {
    PyObject* exception = nullptr;
    int32_t number = 0;
    std::string description;
};
thread_local PendingException pending;

void forgetPending() {
    Py_XDECREF(pending.exception);
    pending.exception = nullptr;
}

}  // namespace

void defineSupport(py::module_& m) {
    py::dict scope = m.attr("__dict__");
    py::exec(SupportSource, scope);
    supportObjects = new Support{scope["Error"], scope["MemberError"], scope["SubscriptError"],
                                 scope["Null"],  scope["Missing"],     scope["Ref"]};
    for (const char* name : {"Error", "MemberError", "SubscriptError", "Ref"})
        scope[name].attr("__module__") = "sarn10b";
    scope["_Singleton"].attr("__module__") = "sarn10b";
}

const Support& support() { return *supportObjects; }

void raise(const rt::Error& e) {
    const Support& s = support();
    py::object type = s.error;
    if (e.number() == rt::errnum::NoSuchMember) type = s.memberError;
    if (e.number() == rt::errnum::Subscript) type = s.indexError;
    py::object error = type(e.number(), e.source(), e.description());
    if (pending.exception && pending.number == e.number() && pending.description == e.description())
        error.attr("__cause__") = py::reinterpret_borrow<py::object>(pending.exception);
    forgetPending();
    PyErr_SetObject(type.ptr(), error.ptr());
    throw py::error_already_set();
}

rt::Error fromPython(py::error_already_set& e, const char* source) {
    const Support& s = support();
    py::object value = e.value();
    rt::Error out = [&] {
        if (value && py::isinstance(value, s.error)) {
            try {
                return rt::Error(value.attr("number").cast<int32_t>(), py::str(value.attr("description")),
                                 py::str(value.attr("source")));
            } catch (const py::error_already_set&) {
            } catch (const py::cast_error&) {
            }
        }
        std::string text = e.type() ? py::str(e.type().attr("__name__")).cast<std::string>() : "exception";
        if (value) {
            const std::string message = py::str(value);
            if (!message.empty()) text += ": " + message;
        }
        return rt::Error(PythonExceptionNumber, text, source);
    }();
    forgetPending();
    if (value) {
        pending.exception = value.release().ptr();
        pending.number = out.number();
        pending.description = out.description();
    }
    e.restore();
    PyErr_Clear();
    return out;
}

}  // namespace sarnpy
