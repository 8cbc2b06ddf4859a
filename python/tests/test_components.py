"""Python classes as the library's outside components, threads, and what the
module keeps alive."""

import gc
import sys
import threading
import unittest
import weakref

from support import ABOUT_ID, HANDLER_ID, ManagerTest, RecordingHandler, sarn10b

ABOUT_SITE = "basKwbrCommonA.AppAboutKwbr_Pro"


class ErrorHandlerTest(ManagerTest):
    def test_the_handler_receives_the_exact_reports(self):
        self.manager.TreeViewObject = None
        self.assertIsNone(self.manager.Refresh())
        self.assertEqual(self.reports(), [("czAmbrTVS.Refresh", 91), ("czAmbrTVS.Refresh", 91)])

    def test_the_handler_receives_the_eight_arguments_of_the_channel(self):
        self.manager.CBSelectAll("NoSuchSection", True)
        self.assertEqual(self.reports()[0], ("czAmbrTVS.CBSelectAll", 35601))
        call = RecordingHandler.calls[0]
        self.assertEqual(call["app"], "sarn10b")
        self.assertTrue(call["description"])
        # The empty texts and zeros as every caller passes them; the eighth
        # argument is left out, so the method's own default applies.
        self.assertEqual(call["args"], ("", 0, "", 0, "left out"))

    def test_a_parameter_without_default_receives_missing_for_the_eighth(self):
        received = []

        class EightRequired:
            def ErrorHandlerMessageKw(self, app, err, text3, site, number5, text6, number7, optional8):
                received.append((site, optional8))

        class SevenOnly:
            def ErrorHandlerMessageKw(self, app, err, text3, site, number5, text6, number7):
                received.append((site, "seven"))

        self.manager.TreeViewObject = None
        for handler in [EightRequired, SevenOnly]:
            sarn10b.register(HANDLER_ID, handler)
            self.manager.Refresh()
        site = "czAmbrTVS.Refresh"
        self.assertEqual(received, [(site, sarn10b.Missing)] * 2 + [(site, "seven")] * 2)

    def test_an_exception_in_the_handler_is_the_failure_of_the_report(self):
        self.manager.TreeViewObject = None
        cases = [
            ("a sarn10b.Error keeps its number", sarn10b.Error(1234, "MyHandler", "refused"), 1234, "refused"),
            ("any other exception is 440", ValueError("bad value"), 440, "ValueError: bad value"),
        ]
        for what, exception, number, description in cases:
            with self.subTest(what):
                RecordingHandler.reports = []
                RecordingHandler.fail_with = exception
                with self.assertRaises(sarn10b.Error) as caught:
                    self.manager.Refresh()
                self.assertEqual((caught.exception.number, caught.exception.description), (number, description))
                self.assertIs(caught.exception.__cause__, exception)
                # The failing report ends the operation: no second report.
                self.assertEqual(len(self.reports()), 1)

    def test_one_object_of_the_host_can_serve_every_report(self):
        class Counting:
            def __init__(self):
                self.sites = []

            def ErrorHandlerMessageKw(self, app, err, text3, site, *rest):
                self.sites.append(site)

        handler = Counting()
        sarn10b.register(HANDLER_ID, lambda: handler)
        self.manager.TreeViewObject = None
        self.manager.Refresh()
        self.assertEqual(handler.sites, ["czAmbrTVS.Refresh"] * 2)

    def test_a_handler_without_the_operation_fails_the_report_with_438(self):
        class Empty:
            pass

        sarn10b.register(HANDLER_ID, Empty)
        self.manager.TreeViewObject = None
        with self.assertRaises(sarn10b.Error) as caught:
            self.manager.Refresh()
        self.assertEqual(caught.exception.number, 438)

    def test_a_class_whose_creation_fails(self):
        def refuse():
            raise RuntimeError("cannot make a handler")

        sarn10b.register(HANDLER_ID, refuse)
        with self.assertRaises(sarn10b.Error) as caught:
            sarn10b.create(HANDLER_ID)
        self.assertEqual(caught.exception.number, 440)
        with self.assertRaises(sarn10b.Error):
            sarn10b.register("Some.Id", 42)

    def test_a_registered_class_is_created_and_called_by_name(self):
        class Counter:
            def __init__(self):
                self.Value = 0

            def add(self, by=1):
                self.Value += by
                return self.Value

        sarn10b.register("Python.Counter", Counter)
        self.addCleanup(sarn10b.unregister, "Python.Counter")
        counter = sarn10b.create("python.counter")
        self.assertIsInstance(counter, Counter)  # the instance itself comes back
        self.manager.BuddyObject = counter
        self.assertIs(self.manager.BuddyObject, counter)

    def test_the_library_finds_a_handlers_method_without_regard_to_case(self):
        reports = []

        class LowerCase:
            def errorhandlermessagekw(self, app, err, *rest):
                reports.append((rest[1], err.number))

        sarn10b.register(HANDLER_ID, LowerCase)
        self.manager.TreeViewObject = None
        self.manager.Refresh()
        self.assertEqual(reports, [("czAmbrTVS.Refresh", 91)] * 2)

    def test_unregistering_puts_back_what_the_identifier_named_before(self):
        class First:
            pass

        class Second:
            pass

        general = "Sarn10B.clsKwAmbrGeneralA"
        sarn10b.register(general, First)
        self.assertIsInstance(sarn10b.create(general), First)
        sarn10b.register(general.lower(), Second)
        self.assertIsInstance(sarn10b.create(general), Second)
        sarn10b.unregister(general)
        self.assertIsInstance(sarn10b.create(general), sarn10b.Object)
        self.assertIn(general, sarn10b.registered_classes())

    def test_unregistering_makes_the_identifier_unknown(self):
        sarn10b.unregister(HANDLER_ID)
        self.assertNotIn(HANDLER_ID, sarn10b.registered_classes())
        self.manager.TreeViewObject = None
        with self.assertRaises(sarn10b.Error) as caught:
            self.manager.Refresh()
        self.assertEqual(caught.exception.number, 429)


class AboutTest(ManagerTest):
    def test_without_the_component_about_reports_twice_and_returns_0(self):
        lib = sarn10b.create("Sarn10B.clsKwOrvel10BA")
        self.assertEqual(lib.About(), 0)
        self.assertEqual(self.reports(), [(ABOUT_SITE, 429), (ABOUT_SITE, 91)])

    def test_a_python_about_component_receives_the_app_object(self):
        shown = []

        class About:
            def AppAboutKwbr(self, app):
                shown.append((app.Title, app.Major, app.Minor, app.Revision))

        sarn10b.register(ABOUT_ID, About)
        self.addCleanup(sarn10b.unregister, ABOUT_ID)
        lib = sarn10b.create("Sarn10B.clsKwOrvel10BA")
        self.assertEqual(lib.About(), 0)
        self.assertEqual(shown, [("sarn10b", 1, 0, 74)])
        self.assertEqual(self.reports(), [])

    def test_a_failing_about_component_is_reported_once(self):
        class About:
            def AppAboutKwbr(self, app):
                raise sarn10b.Error(77, "About", "no box today")

        sarn10b.register(ABOUT_ID, About)
        self.addCleanup(sarn10b.unregister, ABOUT_ID)
        self.assertEqual(sarn10b.create("Sarn10B.clsKwOrvel10BA").About(), 0)
        self.assertEqual(self.reports(), [(ABOUT_SITE, 77)])


class ThreadTest(unittest.TestCase):
    def run_in_thread(self, work):
        outcome = {}

        def body():
            try:
                outcome["value"] = work()
            except BaseException as e:  # handed to the test's thread
                outcome["error"] = e

        t = threading.Thread(target=body)
        t.start()
        t.join()
        return outcome

    def test_an_object_used_from_another_thread_raises_and_stays_usable(self):
        m = sarn10b.create("Sarn10B.clsKwAmbrTvsA")
        keys = m.QueryNodeKeysCollection
        uses = [
            ("reading a property", lambda: m.ImageStyles),
            ("setting a property", lambda: setattr(m, "ImageStyles", 2)),
            ("calling a method", lambda: m.Refresh()),
            ("a member taken before", lambda bound=m.NodeGetText: bound("S1", "k")),
            ("a collection's length", lambda: len(keys)),
            ("iterating a collection", lambda: list(keys)),
        ]
        for what, use in uses:
            with self.subTest(what):
                outcome = self.run_in_thread(use)
                error = outcome.get("error")
                self.assertIsInstance(error, sarn10b.Error)
                self.assertEqual(error.number, -2147417842)
                self.assertIn("thread", error.description)
        self.assertEqual(m.ImageStyles, 0)

    def test_each_thread_uses_its_own_objects(self):
        def work():
            m = sarn10b.create("Sarn10B.clsKwAmbrTvsA")
            tv = sarn10b.create("SarnTree.TreeView")
            m.TreeViewObject = tv
            m.AddNode(sKey="S1", sText="Fonts", enumTVSNodeStyle=0)
            m.AddNode("S1", sarn10b.tvwChild, "CBbold", "Bold")
            tv.ClickNode("CBbold")
            return tv.Nodes.Item("CBbold").Image

        self.assertEqual(self.run_in_thread(work), {"value": "chkon"})

    def test_the_buddy_slot_is_the_threads_own(self):
        lib = sarn10b.create("Sarn10B.clsKwOrvel10BA")
        lib.BuddyObjectGlobal = sarn10b.create("Sarn10B.clsKwAmbrGeneralA")
        self.addCleanup(setattr, lib, "BuddyObjectGlobal", None)
        other = self.run_in_thread(lambda: sarn10b.create("Sarn10B.clsKwOrvel10BA").BuddyObjectGlobal)
        self.assertEqual(other, {"value": None})


class Kept:
    """A Python object handed to the library."""


class ReferenceTest(ManagerTest):
    def test_nothing_is_kept_alive_once_the_host_drops_it(self):
        cases = [
            ("a manager's buddy, released with the manager", "manager"),
            ("a node's tag, released with the tree", "tree"),
        ]
        for what, holder in cases:
            with self.subTest(what):
                m = sarn10b.create("Sarn10B.clsKwAmbrTvsA")
                tv = sarn10b.create("SarnTree.TreeView")
                m.TreeViewObject = tv
                kept = Kept()
                alive = weakref.ref(kept)
                if holder == "manager":
                    m.BuddyObject = kept
                else:
                    tv.Nodes.Add(Key="N", Text="n").Tag = kept
                del kept
                gc.collect()
                self.assertIsNotNone(alive())
                del m, tv
                gc.collect()
                self.assertIsNone(alive())

    def test_the_buddy_slot_lets_go_when_it_is_cleared(self):
        lib = sarn10b.create("Sarn10B.clsKwOrvel10BA")
        kept = Kept()
        alive = weakref.ref(kept)
        lib.BuddyObjectGlobal = kept
        lib.BuddyObjectGlobal = kept  # the same again keeps it held
        del kept
        gc.collect()
        self.assertIsNotNone(alive())
        self.assertIsInstance(lib.BuddyObjectGlobal, Kept)
        lib.BuddyObjectGlobal = None
        gc.collect()
        self.assertIsNone(alive())

    def test_handler_instances_live_for_one_report(self):
        instances = []

        class Handler:
            def __init__(self):
                instances.append(weakref.ref(self))

            def ErrorHandlerMessageKw(self, *args):
                pass

        sarn10b.register(HANDLER_ID, Handler)
        self.manager.TreeViewObject = None
        self.manager.Refresh()
        gc.collect()
        self.assertEqual(len(instances), 2)
        self.assertEqual([ref() for ref in instances], [None, None])

    def test_calls_leave_reference_counts_as_they_were(self):
        kept, text = Kept(), "a text of its own"
        before = (sys.getrefcount(kept), sys.getrefcount(text))
        node = self.tv.Nodes.Add(Key="N", Text="n")
        for _ in range(50):
            node.Tag = kept
            self.assertIs(node.Tag, kept)
            node.Tag = text
            self.assertEqual(node.Tag, text)
            self.manager.BuddyObject = kept
            ref = sarn10b.Ref(text)
            self.manager.NodeGetText("N", ref)
        self.manager.BuddyObject = None
        del node, ref
        gc.collect()
        self.assertEqual((sys.getrefcount(kept), sys.getrefcount(text)), before)

    def test_a_wrapper_is_weakly_referenceable_and_goes(self):
        m = sarn10b.create("Sarn10B.clsKwAmbrGeneralA")
        alive = weakref.ref(m)
        del m
        gc.collect()
        self.assertIsNone(alive())


if __name__ == "__main__":
    unittest.main()
