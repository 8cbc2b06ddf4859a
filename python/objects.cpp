#include "python/objects.h"

#include <cstdio>
#include <functional>
#include <new>
#include <utility>
#include <vector>

#include "python/errors.h"
#include "python/stub_text.h"
#include "python/surface_tables.h"
#include "python/values.h"
#include "runtime/collection.h"
#include "runtime/error.h"
#include "runtime/text.h"

namespace sarnpy {
namespace {

using rt::CallKind;

struct CollectionIterator {
    Handle collection;
    size_t next = 0;
};

rt::Collection& collectionOf(const Handle& h) { return static_cast<rt::Collection&>(*h.object); }

const rt::Member* exactly(const rt::ClassInfo& table, std::string_view name, CallKind kind) {
    for (const auto& m : table.members)
        if (m.kind == kind && rt::textEquals(m.name, name)) return &m;
    return nullptr;
}

bool callsWithoutArguments(const rt::Member& m) {
    for (const auto& p : m.params)
        if (!p.optional) return false;
    return true;
}

rt::Error namedArgumentError(const std::string& what) { return rt::Error(448, what, "sarn10b"); }

// Runs a call on the library without the GIL, so that other Python threads
// run meanwhile; registered Python classes take it again when called.
rt::Variant invoke(const Handle& target, const rt::Member* member, const std::string& name, CallKind kind,
                   rt::Args& values) {
    py::gil_scoped_release released;
    rt::Object& obj = *target.object;
    if (&membersOf(obj) == &obj.classInfo()) return rt::callByName(obj, member ? member->name : name, kind, values);
    if (!member || !member->invoke) throw rt::errNoSuchMember(name);
    rt::prepareArguments(*member, values);
    return member->invoke(obj, values);
}

// Runs f; every failure it throws is raised in Python as sarn10b.Error.
template <class F>
auto guarded(F&& f) -> decltype(f()) {
    try {
        return f();
    } catch (const py::error_already_set&) {
        throw;
    } catch (const rt::Error& e) {
        raise(e);
    } catch (const std::bad_alloc&) {
        raise(rt::Error(rt::errnum::OutOfMemory, "Out of memory", "sarn10b"));
    } catch (const std::exception& e) {
        raise(rt::Error(51, std::string("Internal error: ") + e.what(), "sarn10b"));
    }
}

py::object getAttribute(const Handle& h, const std::string& name) {
    // Python's own protocols (copy, pickle, ...) never become calls by name.
    if (name.size() > 1 && name[0] == '_' && name[1] == '_') throw py::attribute_error(name);
    h.checkThread();
    const rt::ClassInfo& table = membersOf(*h.object);
    if (const rt::Member* get = exactly(table, name, CallKind::PropertyGet)) {
        if (callsWithoutArguments(*get)) return callMember(h, name, CallKind::PropertyGet, {}, {});
        return py::cast(BoundMember{h, std::string(get->name), CallKind::PropertyGet});
    }
    if (const rt::Member* method = exactly(table, name, CallKind::Method))
        return py::cast(BoundMember{h, std::string(method->name), CallKind::Method});
    guarded([&]() -> int { throw rt::errNoSuchMember(name); });
    return py::none();
}

void setAttribute(const Handle& h, const std::string& name, py::handle value) {
    h.checkThread();
    const rt::ClassInfo& table = membersOf(*h.object);
    const rt::Member* let = exactly(table, name, CallKind::PropertyLet);
    const rt::Member* set = exactly(table, name, CallKind::PropertySet);
    // As Set in a script: None and objects go by reference where the member
    // takes a reference.
    const rt::Variant probe = guarded([&] { return toVariant(value); });
    const bool objectValue = value.is_none() || probe.isObject();
    CallKind kind = CallKind::PropertyLet;
    if (set && (objectValue || !let)) {
        kind = CallKind::PropertySet;
    } else if (!let) {
        guarded([&]() -> int { throw rt::errNoSuchMember(name); });
    }
    py::tuple args = py::make_tuple(value);
    callMember(h, name, kind, py::reinterpret_borrow<py::args>(args), py::kwargs());
}

py::list memberNames(const Handle& h) {
    py::list out;
    std::vector<std::string_view> seen;
    for (const auto& m : membersOf(*h.object).members) {
        if (!m.published) continue;
        bool known = false;
        for (auto s : seen) known = known || s == m.name;
        if (known) continue;
        seen.push_back(m.name);
        out.append(py::str(std::string(m.name)));
    }
    return out;
}

std::string describeObject(const Handle& h, const char* kind) {
    char address[32];
    std::snprintf(address, sizeof address, "%p", static_cast<const void*>(h.object.get()));
    return "<sarn10b." + std::string(kind) + " " + std::string(membersOf(*h.object).name) + " at " + address + ">";
}

py::object defaultMember(const Handle& h, py::args args, py::kwargs kwargs) {
    h.checkThread();
    const rt::Member* m = membersOf(*h.object).find(rt::DefaultMemberDispid, CallKind::Method);
    if (!m) guarded([&]() -> int { throw rt::errNoSuchMember("(default member)"); });
    const CallKind kind = m->kind == CallKind::PropertyGet ? CallKind::PropertyGet : CallKind::Method;
    return callMember(h, std::string(m->name), kind, std::move(args), std::move(kwargs));
}

py::object item(const Handle& h, py::handle index) {
    h.checkThread();
    rt::Variant which;
    if (PyLong_Check(index.ptr()) && !PyBool_Check(index.ptr())) {
        // A Python sequence counts from 0, and from the end when negative;
        // Item counts from 1.
        const int32_t count = collectionOf(h).Count();
        long long i = PyLong_AsLongLong(index.ptr());
        if (i == -1 && PyErr_Occurred()) {
            PyErr_Clear();
            i = count;  // far outside either way
        }
        if (i < 0) i += count;
        if (i < 0 || i >= count) guarded([]() -> int { throw rt::errSubscript(); });
        which = static_cast<int32_t>(i + 1);
    } else if (PyUnicode_Check(index.ptr())) {
        which = guarded([&] { return toVariant(index); });
    } else {
        guarded([]() -> int { throw rt::errTypeMismatch(); });
    }
    return guarded([&] { return toPython(collectionOf(h).Item(which)); });
}

}  // namespace

void Handle::checkThread() const {
    if (std::this_thread::get_id() != thread)
        raise(rt::Error(WrongThreadNumber, "The object belongs to another thread: use it on the thread that made it",
                        "sarn10b"));
}

py::object wrap(rt::ObjectRef object) {
    if (!object) return py::none();
    if (dynamic_cast<rt::Collection*>(object.get())) {
        CollectionHandle h;
        h.object = std::move(object);
        return py::cast(std::move(h));
    }
    return py::cast(Handle{std::move(object)});
}

rt::ObjectRef unwrap(py::handle value) {
    if (!py::isinstance<Handle>(value)) return nullptr;
    return value.cast<const Handle&>().object;
}

py::object callMember(const Handle& target, const std::string& name, CallKind kind, py::args args,
                      py::kwargs kwargs) {
    target.checkThread();
    const rt::ClassInfo& table = membersOf(*target.object);
    const rt::Member* member = table.find(name, kind);
    auto paramAt = [&](size_t i) -> const rt::Param* {
        return member && i < member->params.size() ? &member->params[i] : nullptr;
    };
    rt::Args values;
    std::vector<std::pair<size_t, py::object>> refs;
    const Support& s = support();
    auto take = [&](size_t i, py::handle value) {
        if (values.size() <= i) values.resize(i + 1, rt::Variant(rt::Missing{}));
        values[i] = guarded([&] { return toVariant(value, paramAt(i)); });
        if (py::isinstance(value, s.ref)) refs.emplace_back(i, py::reinterpret_borrow<py::object>(value));
    };
    for (size_t i = 0; i < args.size(); ++i) take(i, args[i]);
    std::vector<bool> named;
    for (auto [key, value] : kwargs) {
        const std::string keyName = py::str(key);
        if (!member) guarded([&]() -> int { throw rt::errNoSuchMember(name); });
        size_t at = member->params.size();
        for (size_t i = 0; i < member->params.size(); ++i)
            if (rt::textEquals(member->params[i].name, keyName)) at = i;
        if (at == member->params.size())
            guarded([&]() -> int { throw namedArgumentError("Named argument not found: " + keyName); });
        if (at < args.size() || (at < named.size() && named[at]))
            guarded([&]() -> int { throw namedArgumentError("Argument given twice: " + keyName); });
        if (named.size() <= at) named.resize(at + 1, false);
        named[at] = true;
        take(at, value);
    }
    auto writeBack = [&] {
        for (auto& [i, ref] : refs) ref.attr("value") = toPython(values[i]);
    };
    rt::Variant result;
    try {
        result = invoke(target, member, name, kind, values);
    } catch (...) {
        writeBack();
        guarded([]() -> int { throw; });
    }
    writeBack();
    return guarded([&] { return toPython(result); });
}

void defineObjects(py::module_& m) {
    py::class_<Handle>(m, "Object", R"(An object of the library or of a component it can create.

Its attributes are the object's members by name, without regard to case:
properties read and set as attributes (m.ImageStyles = 2), methods are
called with positional and keyword arguments (m.AddNode("S1", 4, "CBbold",
"Bold")). A member that does not exist raises sarn10b.MemberError (438),
an AttributeError. dir() lists the members.)")
        .def("__getattr__", &getAttribute)
        .def("__setattr__", &setAttribute)
        .def("__dir__", &memberNames)
        .def("__call__", &defaultMember, "Calls the object's default member (c(1) is c.Item(1)).")
        .def("__repr__", [](const Handle& h) { return describeObject(h, "Object"); })
        .def("__eq__",
             [](const Handle& a, py::handle b) {
                 return py::isinstance<Handle>(b) && rt::sameObject(a.object, b.cast<const Handle&>().object);
             })
        .def("__hash__", [](const Handle& h) { return std::hash<const void*>()(h.object.get()); });

    py::class_<CollectionHandle, Handle>(m, "Collection", R"(The runtime's Collection, also a Python sequence.

len(c), iteration, c[0] (the first item; negative positions count from the
end) and c["key"] (by key, without regard to case) work as in Python;
c.Item(1), c.Count(), c.Add(item, key) and c.Remove(1) are its members by
name and count from 1. sarn10b.Collection() makes a new, empty one.)")
        .def(py::init([] {
            CollectionHandle h;
            h.object = rt::make<rt::Collection>();
            return h;
        }))
        .def("__len__", [](const CollectionHandle& h) {
            h.checkThread();
            return collectionOf(h).Count();
        })
        .def("__iter__", [](const CollectionHandle& h) {
            h.checkThread();
            return CollectionIterator{h};
        })
        .def("__getitem__", [](const CollectionHandle& h, py::handle index) { return item(h, index); })
        .def("__repr__", [](const CollectionHandle& h) { return describeObject(h, "Collection"); });

    py::class_<CollectionIterator>(m, "_CollectionIterator")
        .def("__iter__", [](py::object self) { return self; })
        .def("__next__", [](CollectionIterator& it) {
            it.collection.checkThread();
            const rt::Collection& c = collectionOf(it.collection);
            if (it.next >= static_cast<size_t>(c.Count())) throw py::stop_iteration();
            return toPython(*(c.begin() + static_cast<std::ptrdiff_t>(it.next++)));
        });

    py::class_<BoundMember>(m, "Member", "A member of an object, taken by name; calling it calls the member.")
        .def("__call__",
             [](const BoundMember& b, py::args args, py::kwargs kwargs) {
                 return callMember(b.target, b.name, b.kind, std::move(args), std::move(kwargs));
             })
        .def_property_readonly("__doc__",
                               [](const BoundMember& b) { return memberDoc(membersOf(*b.target.object), b.name); })
        .def("__repr__", [](const BoundMember& b) {
            return "<sarn10b member " + std::string(membersOf(*b.target.object).name) + "." + b.name + ">";
        });
}

}  // namespace sarnpy
