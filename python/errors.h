#pragma once
// Failures across the border: the runtime's errors raised in Python as
// sarn10b.Error (number, source, description), and Python exceptions handed
// back to the library as the runtime's errors.

#include <pybind11/pybind11.h>

#include <cstdint>

#include "runtime/error.h"

namespace sarnpy {

namespace py = pybind11;

// An exception that a Python class raised and that no sarn10b.Error names
// reaches the library with this number.
inline constexpr int32_t PythonExceptionNumber = 440;
// An object used on a thread other than the one that made it.
inline constexpr int32_t WrongThreadNumber = static_cast<int32_t>(0x8001010E);

// Defines Error and its subclasses, Null, Missing and Ref in the module.
void defineSupport(py::module_& m);

// The sarn10b.Error (or subclass) for a runtime error, ready to raise.
[[noreturn]] void raise(const rt::Error& e);
// Runs f and raises every runtime error it throws in Python.
template <class F>
auto raising(F&& f) -> decltype(f()) {
    try {
        return f();
    } catch (const rt::Error& e) {
        raise(e);
    }
}

// The runtime error for the Python exception that is being handled (the GIL
// held): a sarn10b.Error keeps its number, source and description; any
// other exception becomes 440 with its type and message. The exception
// itself is kept for this thread, so that when the error comes back to
// Python it is raised from it.
rt::Error fromPython(py::error_already_set& e, const char* source);

// The support objects defined by defineSupport.
struct Support {
    py::object error;        // sarn10b.Error
    py::object memberError;  // 438, also an AttributeError
    py::object indexError;   // 9, also an IndexError
    py::object null;         // the Null value
    py::object missing;      // the Missing value
    py::object ref;          // the Ref class
};
const Support& support();

}  // namespace sarnpy
