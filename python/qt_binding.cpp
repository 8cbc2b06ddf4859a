// sarn10b.qt: the style manager on the tree views of a PyQt6 program. PyQt6
// and this module run on the same Qt libraries, so a widget of the program
// is handed over by its address (PyQt6.sip.unwrapinstance) and wrapped in
// the project's Qt tree views.
//
// Python's headers come before Qt's, whose "slots" keyword they would trip.
#include "python/errors.h"
#include "python/objects.h"

#include <QThread>
#include <QTreeView>
#include <QTreeWidget>
#include <QtGlobal>

#include "adapters/qt/qt_message_box.h"
#include "adapters/qt/qt_model_tree_view.h"
#include "adapters/qt/qt_tree_view.h"

namespace sarnpy {
namespace {

// The C++ object of a PyQt6 widget of the given class (a name in
// PyQt6.QtWidgets); a type mismatch for anything else.
void* widgetAddress(py::handle widget, const char* className) {
    py::module_ widgets = py::module_::import("PyQt6.QtWidgets");
    if (!py::isinstance(widget, widgets.attr(className)))
        raise(rt::Error(rt::errnum::TypeMismatch, std::string("Type mismatch: a PyQt6 ") + className + " is needed",
                        "sarn10b.qt"));
    const auto address = py::module_::import("PyQt6.sip").attr("unwrapinstance")(widget).cast<uintptr_t>();
    return reinterpret_cast<void*>(address);
}

}  // namespace

void defineQt(py::module_& qt) {
    qt.attr("QT_BUILD_VERSION") = QT_VERSION_STR;
    qt.def(
        "qt_version", [] { return std::string(qVersion()); },
        "The version of the Qt libraries that this module runs on (PyQt6.QtCore.qVersion() gives PyQt6's).");
    qt.def(
        "tree_view",
        [](py::handle widget) {
            auto* view = static_cast<QTreeView*>(widgetAddress(widget, "QTreeView"));
            // A widget is used on its own thread only, the one of Qt's
            // application object.
            if (view->thread() != QThread::currentThread())
                raise(rt::Error(WrongThreadNumber,
                                "The widget belongs to another thread: use it on the thread that made it",
                                "sarn10b.qt"));
            rt::ObjectRef tv;
            if (auto* items = qobject_cast<QTreeWidget*>(view))
                tv = rt::ObjectRef(rt::make<qt_tree::QtTreeView>(items));
            else
                tv = rt::ObjectRef(rt::make<qt_tree::QtModelTreeView>(view));
            return wrap(std::move(tv));
        },
        py::arg("widget"),
        R"(The tree view to bind a style manager to, on a PyQt6 QTreeView or QTreeWidget.

A QTreeView shows the nodes as an item model of their own (it replaces the
model the widget showed); a QTreeWidget's items are the nodes. Clicks,
keys, Space and pointer moves on the widget reach the manager; the widget
stays the program's, and once it is deleted every call fails with 35605.)");
    qt.def(
        "install_message_box",
        [](py::handle parent) {
            QWidget* window = parent.is_none() ? nullptr : static_cast<QWidget*>(widgetAddress(parent, "QWidget"));
            qt_tree::installQtMessageBox(window);
        },
        py::arg("parent") = py::none(),
        "Shows the library's messages (F10 on a tree) as modal Qt dialogs over parent.");
}

}  // namespace sarnpy
