#pragma once
// Values between Python and the runtime, without loss either way:
//
//   None <-> Empty (and nothing, for an object slot)   sarn10b.Null <-> Null
//   bool -> Boolean (True -1, False 0); a Boolean -1 or 0 -> bool, any other
//           value as the int it holds
//   int  -> Integer (16-bit) or Long (32-bit) by size, Double beyond when
//           exact; otherwise error 6
//   float <-> Double (a Single reads as float)   str <-> String (UTF-8)
//   bytes <-> byte array   sarn10b objects <-> their objects
//   any other Python object -> an object that calls it by name, which reads
//           back as the Python object itself

#include <pybind11/pybind11.h>

#include "runtime/dispatch.h"

namespace sarnpy {

namespace py = pybind11;

// param: the declared parameter the value goes to, or null.
rt::Variant toVariant(py::handle value, const rt::Param* param = nullptr);
py::object toPython(const rt::Variant& value);
py::object toPython(const rt::ObjectRef& object);

}  // namespace sarnpy
