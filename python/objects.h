#pragma once
// The Python face of the runtime's objects: sarn10b.Object, whose attributes
// are the object's members by name (without regard to case), and
// sarn10b.Collection, also a Python sequence. Each stays on the thread that
// made it: used from another thread, it raises error -2147417842 and touches
// nothing.

#include <pybind11/pybind11.h>

#include <string>
#include <thread>

#include "runtime/dispatch.h"

namespace sarnpy {

namespace py = pybind11;

struct Handle {
    rt::ObjectRef object;
    std::thread::id thread = std::this_thread::get_id();

    // Raises the wrong-thread error when called on another thread.
    void checkThread() const;
};

struct CollectionHandle : Handle {};

// A member taken from an object without calling it yet: m.AddNode.
struct BoundMember {
    Handle target;
    std::string name;
    rt::CallKind kind;
};

void defineObjects(py::module_& m);

// The Python object for a runtime object (nothing is None).
py::object wrap(rt::ObjectRef object);
// The runtime object a Python value stands for, or nothing when it is no
// sarn10b object.
rt::ObjectRef unwrap(py::handle value);

// A call by name with Python arguments: positional, then by keyword (the
// declared parameter names, without regard to case). Arguments given as
// sarn10b.Ref receive what the member writes back.
py::object callMember(const Handle& target, const std::string& name, rt::CallKind kind, py::args args,
                      py::kwargs kwargs);

}  // namespace sarnpy
