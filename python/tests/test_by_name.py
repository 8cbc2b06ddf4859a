"""Every class by its programmatic identifier, and its members by name."""

import unittest

from support import ManagerTest, sarn10b

CLASSES = [
    "clsKwAmbrTvsA",
    "clsKwOrvel10BA",
    "clsKwAmbrListViewWndClassA",
    "clsKwAmbrTreeviewWndClassA",
    "clsKwAmbrGeneralA",
    "clsKwAmbrAdvancedA",
]


class TypicalRoadTest(ManagerTest):
    def test_the_road_of_a_typical_use_by_name_only(self):
        m, tv = self.manager, self.tv
        self.assertEqual(m.ImageStyles, 0)
        self.assertIsNone(m.AddNode(sKey="S1", sText="Fonts", enumTVSNodeStyle=0))
        self.assertIsNone(m.AddNode("S1", sarn10b.tvwChild, "CBbold", "Bold"))
        self.assertEqual(self.image_of("CBbold"), "chkoff")

        tv.ClickNode("CBbold")
        self.assertEqual(self.image_of("CBbold"), "chkon")
        self.assertEqual(list(m.QueryNodeCollection("S1")), ["True"])
        self.assertEqual(list(m.QueryNodeTextCollection), ["Bold"])
        self.assertEqual(list(m.QueryNodeKeysCollection), ["CBbold"])

        self.assertIsNone(m.Refresh())
        self.assertEqual(tv.Nodes.Count, 0)
        self.assertIsNone(m.TreeViewObject)
        # The missing picture of step 3 is refused silently (481): no report.
        self.assertEqual(self.reports(), [])


class EveryClassTest(unittest.TestCase):
    def test_every_public_class_is_created_by_its_identifier(self):
        for name in CLASSES:
            with self.subTest(name):
                obj = sarn10b.create("Sarn10B." + name)
                self.assertIsInstance(obj, sarn10b.Object)
                self.assertIn("Sarn10B." + name, sarn10b.registered_classes())

    def test_identifiers_are_matched_without_regard_to_case(self):
        self.assertIsInstance(sarn10b.create("sarn10b.CLSKWAMBRTVSA"), sarn10b.Object)

    def test_an_unknown_identifier_fails_with_429(self):
        with self.assertRaises(sarn10b.Error) as caught:
            sarn10b.create("Sarn10B.clsNoSuchClass")
        self.assertEqual(caught.exception.number, 429)

    def test_the_small_classes(self):
        for name in ["clsKwAmbrListViewWndClassA", "clsKwAmbrTreeviewWndClassA"]:
            with self.subTest(name):
                a, b = sarn10b.create("Sarn10B." + name), sarn10b.create("Sarn10B." + name)
                self.assertEqual(a.Handle, 0)
                a.Handle = -42
                self.assertEqual((a.Handle, b.Handle), (-42, 0))
        for name in ["clsKwAmbrGeneralA", "clsKwAmbrAdvancedA"]:
            with self.subTest(name):
                self.assertEqual(dir(sarn10b.create("Sarn10B." + name)), [])

    def test_the_library_object(self):
        lib = sarn10b.create("Sarn10B.clsKwOrvel10BA")
        app = lib.GetProStdProperties
        self.assertEqual((app.Title, app.Major, app.Minor, app.Revision), ("sarn10b", 1, 0, 74))
        with self.assertRaises(sarn10b.Error) as caught:
            lib.GetProResStrings(1)
        self.assertNotEqual(caught.exception.number, 0)
        # The type library is among the registration data (type "TYPELIB", 1).
        self.assertIsInstance(lib.GetProResData(1, "TYPELIB"), bytes)

    def test_the_buddy_slot_is_shared_on_the_thread(self):
        a, b = sarn10b.create("Sarn10B.clsKwOrvel10BA"), sarn10b.create("Sarn10B.clsKwOrvel10BA")
        buddy = sarn10b.create("Sarn10B.clsKwAmbrGeneralA")
        a.BuddyObjectGlobal = buddy
        self.assertEqual(b.BuddyObjectGlobal, buddy)
        a.BuddyObjectGlobal = None
        self.assertIsNone(b.BuddyObjectGlobal)


class MembersTest(ManagerTest):
    def test_a_new_manager_reads_its_defaults(self):
        m = sarn10b.create("Sarn10B.clsKwAmbrTvsA")
        expected = {
            "TreeViewObject": None,
            "BuddyObject": None,
            "Tag": "",
            "NodeChildren": 0,
            "TaginToolTip": False,
            "IsExpanded": False,
            "HitTestOnMouseMove": False,
            "ImageStyles": 0,
        }
        self.assertEqual({name: getattr(m, name) for name in expected}, expected)

    def test_members_are_found_without_regard_to_case(self):
        m = self.manager
        m.imagestyles = 3
        self.assertEqual(m.IMAGESTYLES, 3)
        m.addnode(skey="S1", STEXT="Fonts", enumtvsnodestyle=0)
        self.assertEqual(m.NODEGETTEXT("s1", "S1"), "")  # a section has no items
        self.assertEqual(self.tv.nodes.item("s1").text, "Fonts")

    def test_object_properties_are_set_and_cleared(self):
        m = self.manager
        self.assertEqual(m.TreeViewObject, self.tv)
        buddy = sarn10b.create("Sarn10B.clsKwAmbrGeneralA")
        m.BuddyObject = buddy
        self.assertEqual(m.BuddyObject, buddy)
        m.TreeViewObject = None
        self.assertIsNone(m.TreeViewObject)

    def test_binding_something_that_is_no_tree_view_fails_with_13(self):
        with self.assertRaises(sarn10b.Error) as caught:
            self.manager.TreeViewObject = sarn10b.create("Sarn10B.clsKwAmbrGeneralA")
        self.assertEqual(caught.exception.number, 13)

    def test_the_collection_fields_create_themselves(self):
        m = self.manager
        keys = m.QueryNodeKeysCollection
        self.assertEqual(len(keys), 0)
        self.assertEqual(m.QueryNodeKeysCollection, keys)
        m.QueryNodeKeysCollection = None
        self.assertNotEqual(m.QueryNodeKeysCollection, keys)

    def test_keyword_and_positional_arguments_meet_in_declared_order(self):
        self.add_section()
        self.manager.AddNode("S1", sarn10b.tvwChild, sText="Option", sKey="OBone",
                             enumTVSNodeStyle=sarn10b.TVSNodeStyle_OptionButtonOn)
        self.assertEqual(self.image_of("OBone"), "opton")
        self.assertEqual(self.manager.NodeGetText("S1", sKey="OBone"), "Option")

    def test_missing_stands_for_a_left_out_argument(self):
        self.manager.AddNode(sarn10b.Missing, sarn10b.Missing, "S1", "Fonts", 0)
        self.assertEqual(self.tv.Nodes.Item("S1").Text, "Fonts")

    def test_wrong_calls_fail_with_the_runtimes_numbers(self):
        m = self.manager
        cases = [
            ("a member that does not exist", lambda: m.NoSuchMember, 438),
            ("a method that does not exist", lambda: m.NoSuchMethod(1), 438),
            ("a property that cannot be set", lambda: setattr(m, "Refresh", 1), 438),
            ("a required argument left out", lambda: m.NodeGetText("S1"), 449),
            ("too many arguments", lambda: m.Refresh(1), 450),
            ("an unknown keyword", lambda: m.NodeGetText("S1", sNoSuch="x"), 448),
            ("an argument given twice", lambda: m.NodeGetText("S1", "k", sSection="S1"), 448),
            ("a text where a number goes", lambda: setattr(m, "ImageStyles", "many"), 13),
        ]
        for what, call, number in cases:
            with self.subTest(what):
                with self.assertRaises(sarn10b.Error) as caught:
                    call()
                self.assertEqual(caught.exception.number, number)
                self.assertTrue(caught.exception.description)

    def test_a_missing_member_is_an_attribute_error(self):
        m = self.manager
        self.assertFalse(hasattr(m, "NoSuchMember"))
        self.assertTrue(hasattr(m, "addnode"))
        self.assertEqual(getattr(m, "NoSuchMember", "default"), "default")
        with self.assertRaises(AttributeError):
            m.NoSuchMember = 1
        self.assertIsInstance(sarn10b.MemberError(438, "", ""), sarn10b.Error)

    def test_the_default_member_is_the_objects_call(self):
        self.add_section()
        self.add_item("S1", "CBbold", "Bold")
        self.assertEqual(self.tv.Nodes("CBbold").Text, "Bold")
        keys = self.manager.QueryNodeKeysCollection
        keys.Add("k", "K1")
        self.assertEqual(keys(1), "k")
        # Arguments to a parameterless member go on to its result's default
        # member, as in a script: QueryNodeKeysCollection(1) is its Item(1).
        self.assertEqual(self.manager.QueryNodeKeysCollection.Item("k1"), "k")

    def test_dir_and_docstrings_come_from_the_member_table(self):
        names = dir(self.manager)
        for name in ["AddNode", "ImageStyles", "QueryNodeKeysCollection", "TreeViewObject", "Refresh"]:
            self.assertIn(name, names)
        self.assertNotIn("Class_Initialize", names)
        doc = self.manager.AddNode.__doc__
        self.assertTrue(doc.startswith("AddNode(sRelative: str = ..."), doc)
        self.assertIn("enumTVSNodeStyle: int = ...", doc)
        self.assertIn("Handle", dir(sarn10b.create("Sarn10B.clsKwAmbrTreeviewWndClassA")))

    def test_enumerations_are_int_enums_and_module_constants(self):
        self.assertEqual(sarn10b.TVSNodeStyle.TVSNodeStyle_OptionButtonOn, 4)
        self.assertEqual(sarn10b.TVSImageStyles_LockUnlock, 3)
        self.assertEqual(sarn10b.TVSNodeType_OB, 2)
        self.manager.ImageStyles = sarn10b.TVSImageStyles.TVSImageStyles_WrongWriteColor
        self.assertEqual(self.manager.ImageStyles, 2)


if __name__ == "__main__":
    unittest.main()
