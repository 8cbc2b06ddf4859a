#pragma once
// Python classes as components of the process: sarn10b.register(progid, cls)
// makes rt::createObject(progid) call cls() and hand out an object whose
// members by name are the instance's attributes (found without regard to
// case). So the outside error handler or the About component can be
// written in Python:
//
//   class Handler:
//       def ErrorHandlerMessageKw(self, app, err, text3, site, number5, text6, number7, optional8=None):
//           print(site, err.Number)
//   sarn10b.register("KwBrenta10.clsKwbrErrorHandlerA", Handler)
//
// An exception in a method reaches the library as the failure of that call.

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <string>

#include "runtime/dispatch.h"

namespace sarnpy {

namespace py = pybind11;

class PythonObject final : public rt::Object {
public:
    PythonObject(py::object target, std::string progId);
    ~PythonObject() override;

    const py::object& target() const { return target_; }
    rt::Variant callMember(std::string_view name, rt::CallKind kind, rt::Args& args) override;

private:
    py::object target_;
    std::string progId_;
};

// register, unregister, registered_classes and set_message_box.
void defineRegistration(py::module_& m);

// Drops a Python reference that the library's side holds: with the GIL
// taken, and not at all once Python has ended (the process is going then).
void dropReference(py::object& object);

}  // namespace sarnpy
