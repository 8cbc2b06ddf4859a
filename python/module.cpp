// The module sarn10b: creation by programmatic identifier, the objects'
// members by name, Python classes as components, and (with Qt) the style
// manager on a PyQt6 tree.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "library/component.h"
#include "library/type_library.h"
#include "python/errors.h"
#include "python/objects.h"
#include "python/python_class.h"
#include "python/surface_tables.h"
#include "python/values.h"
#include "runtime/classes.h"
#include "outside/tree_model.h"

namespace sarnpy {
#if SARN_PYTHON_QT
void defineQt(py::module_& qt);
#endif
}  // namespace sarnpy

namespace {

namespace py = pybind11;

void defineEnumerations(py::module_& m) {
    py::object intEnum = py::module_::import("enum").attr("IntEnum");
    for (const auto& e : Sarn10B::typeLibrary().enums) {
        py::list members;
        for (const auto& [name, value] : e.values) {
            members.append(py::make_tuple(std::string(name), value));
            m.attr(std::string(name).c_str()) = value;
        }
        py::object type = intEnum(std::string(e.name), members, py::arg("module") = "sarn10b");
        m.attr(std::string(e.name).c_str()) = type;
    }
    const std::pair<const char*, int32_t> relationships[] = {{"tvwFirst", tree::tvwFirst},
                                                             {"tvwLast", tree::tvwLast},
                                                             {"tvwNext", tree::tvwNext},
                                                             {"tvwPrevious", tree::tvwPrevious},
                                                             {"tvwChild", tree::tvwChild}};
    for (const auto& [name, value] : relationships) m.attr(name) = value;
}

}  // namespace

PYBIND11_MODULE(sarn10b, m) {
    m.doc() = R"(The sarn10b library from Python: every class by its programmatic identifier.

    m = sarn10b.create("Sarn10B.clsKwAmbrTvsA")
    tv = sarn10b.create("SarnTree.TreeView")
    m.TreeViewObject = tv
    m.AddNode(sKey="S1", sText="Fonts", enumTVSNodeStyle=0)
    m.AddNode("S1", sarn10b.tvwChild, "CBbold", "Bold")

Attributes are the members by name, without regard to case. Failures raise
sarn10b.Error with the runtime's number, source and description.)";
    m.attr("__version__") = "1.0.74";
    sarnpy::defineSupport(m);
    sarnpy::defineObjects(m);
    sarnpy::defineRegistration(m);
    defineEnumerations(m);

    Sarn10B::registerLibrary();
    if (!rt::isClassRegistered(sarnpy::MemoryTreeViewProgId))
        rt::registerClass(sarnpy::MemoryTreeViewProgId,
                          [] { return rt::ObjectRef(rt::make<sarnpy::MemoryTreeViewObject>()); });

    m.def(
        "create",
        [](const std::string& progId) {
            return sarnpy::toPython(sarnpy::raising([&] { return rt::createObject(progId); }));
        },
        py::arg("progid"),
        R"(A new object of the class registered under progid ("Sarn10B.clsKwAmbrTvsA", the
in-memory tree view "SarnTree.TreeView", or a class registered with
register); error 429 when no class is known by that identifier.)");

#if SARN_PYTHON_QT
    py::module_ qt = m.def_submodule("qt", "The style manager on PyQt6 tree views.");
    sarnpy::defineQt(qt);
    py::module_::import("sys").attr("modules")["sarn10b.qt"] = qt;
#endif
}
