"""The style manager on PyQt6 tree views: real clicks and keys of Qt's test
library on the program's own widgets, both kinds of view."""

import gc
import threading
import unittest

from support import ManagerTest, RecordingHandler, sarn10b

try:
    from PyQt6 import QtCore, sip
    from PyQt6.QtCore import Qt
    from PyQt6.QtTest import QTest
    from PyQt6.QtWidgets import QApplication, QLabel, QTreeView, QTreeWidget
except ImportError:  # the module is built without Qt where PyQt6 is missing
    QtCore = None

HAS_QT = QtCore is not None and hasattr(sarn10b, "qt")


_application = []


def application():
    # One for the whole run: Qt's application object must outlive every widget.
    if not _application:
        _application.append(QApplication.instance() or QApplication([]))
    return _application[0]


@unittest.skipUnless(HAS_QT, "PyQt6 or the module's Qt part is missing")
class SameQtTest(unittest.TestCase):
    def test_the_module_and_pyqt6_run_on_one_qt(self):
        application()
        self.assertEqual(sarn10b.qt.qt_version(), QtCore.qVersion())
        self.assertEqual(sarn10b.qt.QT_BUILD_VERSION.split(".")[:2], QtCore.qVersion().split(".")[:2])
        import sarn10b.qt as qt_part

        self.assertIs(qt_part, sarn10b.qt)
        with open("/proc/self/maps") as maps:
            cores = {line.split()[-1] for line in maps if "libQt6Core.so" in line}
        self.assertEqual(len(cores), 1, cores)

    def test_only_tree_views_are_taken(self):
        application()
        with self.assertRaises(sarn10b.Error) as caught:
            sarn10b.qt.tree_view(QLabel())
        self.assertEqual(caught.exception.number, 13)
        with self.assertRaises(sarn10b.Error):
            sarn10b.qt.tree_view("a tree")


@unittest.skipUnless(HAS_QT, "PyQt6 or the module's Qt part is missing")
class QtThreadTest(unittest.TestCase):
    def test_a_widget_is_taken_on_its_own_thread_only(self):
        application()
        widget = QTreeView()
        outcome = []

        def take():
            try:
                sarn10b.qt.tree_view(widget)
            except sarn10b.Error as e:
                outcome.append(e.number)

        t = threading.Thread(target=take)
        t.start()
        t.join()
        self.assertEqual(outcome, [-2147417842])


class QtTreeCases:
    """The cases, run on each kind of widget by the classes below."""

    widget_class = None

    def setUp(self):
        self.app = application()
        super().setUp()
        self.widget = self.widget_class()
        self.widget.resize(320, 400)
        self.tv = sarn10b.qt.tree_view(self.widget)
        self.manager.TreeViewObject = self.tv
        self.add_section("S1", "Fonts")
        self.add_item("S1", "CBbold", "Bold")
        self.add_item("S1", "CBitalic", "Italic", sarn10b.TVSNodeStyle_CheckBoxOn)
        self.add_section("S2", "Alignment")
        self.add_item("S2", "OBleft", "Left", sarn10b.TVSNodeStyle_OptionButtonOn)
        self.add_item("S2", "OBright", "Right", sarn10b.TVSNodeStyle_OptionButtonOff)
        self.manager.ExpandAll(True)
        self.widget.show()
        self.assertTrue(QTest.qWaitForWindowExposed(self.widget))
        self.widget.setFocus()

    def tearDown(self):
        self.manager.TreeViewObject = None
        self.widget.close()
        self.widget.deleteLater()
        QtCore.QCoreApplication.sendPostedEvents(None, QtCore.QEvent.Type.DeferredDelete.value)
        super().tearDown()

    def index_of(self, text):
        model = self.widget.model()
        found = model.match(model.index(0, 0), Qt.ItemDataRole.DisplayRole, text, 1,
                            Qt.MatchFlag.MatchExactly | Qt.MatchFlag.MatchRecursive)
        self.assertEqual(len(found), 1, text)
        return found[0]

    def click(self, text):
        index = self.index_of(text)
        self.widget.scrollTo(index)
        rect = self.widget.visualRect(index)
        self.assertTrue(rect.isValid(), text + " shows")
        QTest.mouseClick(self.widget.viewport(), Qt.MouseButton.LeftButton, Qt.KeyboardModifier.NoModifier,
                         rect.center())

    def images(self, *keys):
        return [self.tv.Nodes.Item(k).Image for k in keys]

    def test_real_clicks_toggle_check_boxes(self):
        self.click("Bold")
        self.assertEqual(self.images("CBbold", "CBitalic"), ["chkon", "chkon"])
        self.click("Italic")
        self.assertEqual(self.images("CBbold", "CBitalic"), ["chkon", "chkoff"])
        self.assertEqual(list(self.manager.QueryNodeCollection("S1")), ["True", "False"])
        self.assertEqual(self.reports(), [])

    def test_a_real_click_switches_one_option_on(self):
        self.click("Right")
        self.assertEqual(self.images("OBleft", "OBright"), ["optoff", "opton"])
        self.assertEqual(self.manager.Tag, "")
        self.assertEqual(self.manager.NodeChildren, 0)

    def test_space_on_the_current_item_clicks_it(self):
        self.widget.setCurrentIndex(self.index_of("Bold"))
        QTest.keyClick(self.widget, Qt.Key.Key_Space)
        self.assertEqual(self.images("CBbold"), ["chkon"])
        QTest.keyClick(self.widget, Qt.Key.Key_Space)
        self.assertEqual(self.images("CBbold"), ["chkoff"])

    def test_keys_reach_the_manager(self):
        shown = []
        sarn10b.set_message_box(lambda prompt, style, title: shown.append(prompt))
        self.addCleanup(sarn10b.set_message_box, None)
        self.click("Bold")
        QTest.keyClick(self.widget, Qt.Key.Key_F10)
        self.assertEqual(len(shown), 1)
        expanded = self.manager.IsExpanded
        QTest.keyClick(self.widget, Qt.Key.Key_A, Qt.KeyboardModifier.ControlModifier)
        self.assertNotEqual(self.manager.IsExpanded, expanded)

    def test_a_click_reports_to_the_python_handler(self):
        # A null tag cannot become the manager's Tag (a text): 94.
        self.tv.Nodes.Item("CBbold").Tag = sarn10b.Null
        self.click("Bold")
        self.assertEqual(self.reports(), [("czAmbrTVS.oTV_NodeClick", 94)])
        self.assertEqual(self.images("CBbold"), ["chkon"])

    def test_a_failing_report_of_a_click_leaves_the_program_running(self):
        # What the handler raises ends the click's handling inside the
        # event; the next click works.
        self.tv.Nodes.Item("CBbold").Tag = sarn10b.Null
        RecordingHandler.fail_with = ValueError("handler down")
        self.click("Bold")
        self.assertEqual(self.reports(), [("czAmbrTVS.oTV_NodeClick", 94)])
        RecordingHandler.fail_with = None
        self.click("Italic")
        self.assertEqual(self.images("CBitalic"), ["chkoff"])

    def test_a_deleted_widget_fails_every_call_with_35605(self):
        # Deleted while it shows: Qt's accessibility asks about the widget
        # while it is half destroyed.
        sip.delete(self.widget)
        self.widget = self.widget_class()  # for tearDown
        with self.assertRaises(sarn10b.Error) as caught:
            self.tv.Nodes.Count
        self.assertEqual(caught.exception.number, 35605)
        self.manager.AddNode("S1", sarn10b.tvwChild, "CBnew", "New")
        self.assertIn(35605, [number for _, number in self.reports()])

    def test_the_view_lets_go_of_the_widget(self):
        alive = [self.tv]
        self.manager.TreeViewObject = None
        del self.tv, alive
        gc.collect()
        self.assertEqual(self.widget.model().rowCount(), 2)


@unittest.skipUnless(HAS_QT, "PyQt6 or the module's Qt part is missing")
class ModelViewTest(QtTreeCases, ManagerTest):
    widget_class = QTreeView if HAS_QT else None


@unittest.skipUnless(HAS_QT, "PyQt6 or the module's Qt part is missing")
class WidgetViewTest(QtTreeCases, ManagerTest):
    widget_class = QTreeWidget if HAS_QT else None


if __name__ == "__main__":
    unittest.main()
