#include "python/values.h"

#include <climits>
#include <cstdint>
#include <string>

#include "python/errors.h"
#include "python/objects.h"
#include "python/python_class.h"
#include "runtime/error.h"

namespace sarnpy {
namespace {

rt::Variant fromInt(py::handle value) {
    int overflow = 0;
    const long long v = PyLong_AsLongLongAndOverflow(value.ptr(), &overflow);
    if (v == -1 && PyErr_Occurred()) throw py::error_already_set();
    if (overflow) throw rt::errOverflow();
    if (v >= INT16_MIN && v <= INT16_MAX) return static_cast<int16_t>(v);
    if (v >= INT32_MIN && v <= INT32_MAX) return static_cast<int32_t>(v);
    // A double holds every integer up to 2^53 exactly; past that a value
    // would change on the way.
    constexpr long long exact = 1LL << 53;
    if (v >= -exact && v <= exact) return static_cast<double>(v);
    throw rt::errOverflow();
}

rt::Variant fromText(py::handle value) {
    // Bytes that are no UTF-8 came in as lone surrogates and go back as the
    // same bytes.
    py::object bytes =
        py::reinterpret_steal<py::object>(PyUnicode_AsEncodedString(value.ptr(), "utf-8", "surrogateescape"));
    if (!bytes) {
        PyErr_Clear();
        throw rt::errTypeMismatch();
    }
    return std::string(PyBytes_AS_STRING(bytes.ptr()), static_cast<size_t>(PyBytes_GET_SIZE(bytes.ptr())));
}

py::object text(const std::string& s) {
    PyObject* out = PyUnicode_DecodeUTF8(s.data(), static_cast<Py_ssize_t>(s.size()), "surrogateescape");
    if (!out) throw py::error_already_set();
    return py::reinterpret_steal<py::object>(out);
}

}  // namespace

rt::Variant toVariant(py::handle value, const rt::Param* param) {
    const Support& s = support();
    if (py::isinstance(value, s.ref)) return toVariant(value.attr("value"), param);
    if (value.is_none()) {
        if (param && param->type == rt::VarType::Object) return rt::ObjectRef();
        return rt::Empty{};
    }
    if (value.is(s.null)) return rt::Null{};
    if (value.is(s.missing)) return rt::Missing{};
    if (PyBool_Check(value.ptr())) return rt::Bool16{value.ptr() == Py_True ? rt::True16 : rt::False16};
    if (PyLong_Check(value.ptr())) return fromInt(value);
    if (PyFloat_Check(value.ptr())) return PyFloat_AS_DOUBLE(value.ptr());
    // Other integer kinds (an IntFlag, a numpy integer) go as their value.
    if (PyIndex_Check(value.ptr())) {
        py::object index = py::reinterpret_steal<py::object>(PyNumber_Index(value.ptr()));
        if (!index) throw py::error_already_set();
        return fromInt(index);
    }
    if (PyUnicode_Check(value.ptr())) return fromText(value);
    if (PyBytes_Check(value.ptr())) {
        const auto* data = reinterpret_cast<const uint8_t*>(PyBytes_AS_STRING(value.ptr()));
        return rt::Bytes(data, data + PyBytes_GET_SIZE(value.ptr()));
    }
    if (PyByteArray_Check(value.ptr())) {
        const auto* data = reinterpret_cast<const uint8_t*>(PyByteArray_AS_STRING(value.ptr()));
        return rt::Bytes(data, data + PyByteArray_GET_SIZE(value.ptr()));
    }
    if (rt::ObjectRef object = unwrap(value)) return object;
    // Any other Python object goes in as an object that calls it by name.
    return rt::ObjectRef(rt::make<PythonObject>(py::reinterpret_borrow<py::object>(value), std::string()));
}

py::object toPython(const rt::ObjectRef& object) {
    if (!object) return py::none();
    if (auto* python = dynamic_cast<PythonObject*>(object.get())) return python->target();
    return wrap(object);
}

py::object toPython(const rt::Variant& value) {
    const Support& s = support();
    return std::visit(
        [&](const auto& v) -> py::object {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, rt::Empty>) {
                return py::none();
            } else if constexpr (std::is_same_v<T, rt::Null>) {
                return s.null;
            } else if constexpr (std::is_same_v<T, rt::Missing>) {
                return s.missing;
            } else if constexpr (std::is_same_v<T, rt::Bool16>) {
                if (v.value == rt::True16) return py::bool_(true);
                if (v.value == rt::False16) return py::bool_(false);
                return py::int_(v.value);
            } else if constexpr (std::is_same_v<T, int16_t> || std::is_same_v<T, int32_t>) {
                return py::int_(v);
            } else if constexpr (std::is_same_v<T, float> || std::is_same_v<T, double>) {
                return py::float_(static_cast<double>(v));
            } else if constexpr (std::is_same_v<T, std::string>) {
                return text(v);
            } else if constexpr (std::is_same_v<T, rt::ObjectRef>) {
                return toPython(v);
            } else {
                static_assert(std::is_same_v<T, rt::Bytes>);
                return py::bytes(reinterpret_cast<const char*>(v.data()), v.size());
            }
        },
        value.storage());
}

}  // namespace sarnpy
