"""Values both ways, collections as sequences, and AddNode's write-back."""

import unittest

from support import ManagerTest, RecordingHandler, sarn10b


class Plain:
    """Any Python object: it goes in as an object and comes back as itself."""


class ValuesTest(ManagerTest):
    def setUp(self):
        super().setUp()
        self.add_section()
        self.node = self.tv.Nodes.Item("S1")

    def test_a_variant_slot_gives_back_what_it_was_given(self):
        # A node's Tag keeps any value unchanged: what comes back is what went in.
        obj = sarn10b.create("Sarn10B.clsKwAmbrGeneralA")
        plain = Plain()
        cases = [
            ("text", "Schrift größer ✓"),
            ("empty text", ""),
            ("text with bytes that are no UTF-8", "a\udcff\udcfeb"),
            ("16-bit ends", -32768),
            ("16-bit top", 32767),
            ("32-bit past 16 bits", 32768),
            ("32-bit ends", -(2**31)),
            ("32-bit top", 2**31 - 1),
            ("float", 0.1),
            ("True", True),
            ("False", False),
            ("empty", None),
            ("null", sarn10b.Null),
            ("bytes", b"\x00\xffab"),
            ("a library object", obj),
            ("a Python object", plain),
        ]
        for what, value in cases:
            with self.subTest(what):
                self.node.Tag = value
                back = self.node.Tag
                self.assertEqual(back, value)
                self.assertIs(type(back), type(value) if what != "a library object" else sarn10b.Object)
        self.node.Tag = plain
        self.assertIs(self.node.Tag, plain)

    def test_integers_past_32_bits_go_as_doubles_while_exact(self):
        # The runtime has no wider integer; a double holds these exactly.
        for value in [2**31, -(2**31) - 1, 2**53]:
            with self.subTest(value):
                self.node.Tag = value
                self.assertEqual(self.node.Tag, float(value))

    def test_integers_that_no_slot_can_hold_fail_with_6(self):
        for value in [2**53 + 1, 10**30, -(10**30)]:
            with self.subTest(value):
                with self.assertRaises(sarn10b.Error) as caught:
                    self.node.Tag = value
                self.assertEqual(caught.exception.number, 6)

    def test_typed_slots_overflow_with_6_at_their_ends(self):
        m = self.manager
        cases = [
            ("ImageStyles", 2**31 - 1, True),
            ("ImageStyles", -(2**31), True),
            ("ImageStyles", 2**31, False),
            ("NodeChildren", -(2**31) - 1, False),
            ("TaginToolTip", 32767, True),
            ("TaginToolTip", -32768, True),
            ("TaginToolTip", 32768, False),
            ("IsExpanded", -32769, False),
        ]
        for name, value, fits in cases:
            with self.subTest(f"{name} = {value}"):
                if fits:
                    setattr(m, name, value)
                    self.assertEqual(getattr(m, name), value)
                    continue
                before = getattr(m, name)
                with self.assertRaises(sarn10b.Error) as caught:
                    setattr(m, name, value)
                self.assertEqual(caught.exception.number, 6)
                self.assertEqual(getattr(m, name), before)

    def test_other_integer_kinds_go_as_their_value(self):
        class Three:
            def __index__(self):
                return 3

        self.manager.ImageStyles = Three()
        self.assertEqual(self.manager.ImageStyles, 3)
        self.manager.ImageStyles = sarn10b.TVSImageStyles.TVSImageStyles_WrongWrite
        self.assertIs(type(self.manager.ImageStyles), int)

    def test_booleans_are_kept_as_the_runtime_keeps_them(self):
        m = self.manager
        cases = [(True, True), (False, False), (-1, True), (0, False), (1, 1), (7, 7)]
        for given, read in cases:
            with self.subTest(given):
                m.TaginToolTip = given
                self.assertEqual(m.TaginToolTip, read)
                self.assertIs(type(m.TaginToolTip), type(read))

    def test_a_null_where_a_text_goes_fails_with_94(self):
        with self.assertRaises(sarn10b.Error) as caught:
            self.manager.Tag = sarn10b.Null
        self.assertEqual(caught.exception.number, 94)

    def test_results_come_back_in_their_kind(self):
        self.add_item("S1", "CBbold", "Bold", sarn10b.TVSNodeStyle_CheckBoxOn)
        m = self.manager
        self.assertIs(m.CBOBGetState("S1", "CBbold"), True)
        self.assertEqual(m.GetTVSNodeStyle("S1", "CBbold"), sarn10b.TVSNodeStyle_CheckBoxOn)
        self.assertEqual(m.NodeGetText("S1", "CBbold"), "Bold")
        self.assertIsNone(m.OBSelectIndex("S1", 1))


class CollectionTest(ManagerTest):
    def setUp(self):
        super().setUp()
        self.c = self.manager.QueryNodeKeysCollection
        for item, key in [("one", "K1"), ("two", sarn10b.Missing), ("three", "K3")]:
            self.c.Add(item, key)

    def test_a_collection_is_a_python_sequence(self):
        c = self.c
        self.assertIsInstance(c, sarn10b.Collection)
        self.assertEqual(len(c), 3)
        self.assertEqual(list(c), ["one", "two", "three"])
        self.assertEqual((c[0], c[-1]), ("one", "three"))
        self.assertIn("two", c)
        self.assertEqual(c["k3"], "three")

    def test_its_members_count_from_one(self):
        c = self.c
        self.assertEqual((c.Count(), c.Item(1), c.Item("K1"), c(3)), (3, "one", "one", "three"))
        c.Remove(1)
        self.assertEqual(list(c), ["two", "three"])

    def test_positions_and_keys_that_hold_nothing(self):
        c = self.c
        for what, index, number, python_error in [
            ("past the end", 3, 9, IndexError),
            ("before the start", -4, 9, IndexError),
            ("a key that no item has", "K2", 5, None),
        ]:
            with self.subTest(what):
                with self.assertRaises(sarn10b.Error) as caught:
                    c[index]
                self.assertEqual(caught.exception.number, number)
                if python_error:
                    self.assertIsInstance(caught.exception, python_error)
        with self.assertRaises(sarn10b.Error) as caught:
            c.Item(0)
        self.assertEqual(caught.exception.number, 9)
        with self.assertRaises(sarn10b.Error) as caught:
            c.Add("again", "k1")
        self.assertEqual(caught.exception.number, 457)

    def test_an_iteration_reaches_items_added_meanwhile(self):
        seen = []
        for item in self.c:
            seen.append(item)
            if item == "one":
                self.c.Add("four")
        self.assertEqual(seen, ["one", "two", "three", "four"])

    def test_a_collection_of_the_host_takes_the_managers_query(self):
        mine = sarn10b.Collection()
        mine.Add("kept")
        self.manager.QueryNodeTextCollection = mine
        self.add_section()
        self.add_item("S1", "CBa", "A")
        self.manager.QueryNodeCollection("S1")
        self.assertEqual(list(mine), ["kept", "A"])
        self.assertEqual(self.manager.QueryNodeTextCollection, mine)

    def test_query_results_are_collections(self):
        self.add_section()
        self.add_item("S1", "CBa", "A", sarn10b.TVSNodeStyle_CheckBoxOn)
        self.add_item("S1", "CBb", "B")
        states = self.manager.QueryNodeCollection("S1")
        self.assertEqual(list(states), ["True", "False"])
        self.assertEqual(list(self.manager.QueryNodeTextCollection), ["A", "B"])


class WriteBackTest(ManagerTest):
    def setUp(self):
        super().setUp()
        self.add_section()

    def test_addnode_writes_its_image_key_back_into_a_ref(self):
        cases = [
            ("check box off", "CBa", sarn10b.TVSNodeStyle_CheckBoxoff, "", "chkoff", False),
            ("check box on", "CBb", sarn10b.TVSNodeStyle_CheckBoxOn, "", "chkon", False),
            ("option off", "OBa", sarn10b.TVSNodeStyle_OptionButtonOff, "", "optoff", False),
            ("option on", "OBb", sarn10b.TVSNodeStyle_OptionButtonOn, "", "opton", False),
            ("the caller's own key stays", "Plain", sarn10b.TVSNodeStyle_Default, "mine", "mine", False),
            ("without a key, the node key and the blank picture", "Plain2", sarn10b.TVSNodeStyle_Default, "",
             "Plain2", True),
        ]
        for what, key, style, given, written, blank in cases:
            with self.subTest(what):
                image_key, picture = sarn10b.Ref(given), sarn10b.Ref()
                self.manager.AddNode("S1", sarn10b.tvwChild, key, what, style, image_key, picture)
                self.assertEqual(image_key.value, written)
                if blank:
                    self.assertIsInstance(picture.value, sarn10b.Object)
                else:
                    self.assertIsNone(picture.value)

    def test_a_ref_by_keyword_and_a_plain_value_beside_it(self):
        image_key = sarn10b.Ref("")
        text = "Bold"
        self.manager.AddNode("S1", sarn10b.tvwChild, "CBbold", text, ImageIPictureDispKeyNormal=image_key)
        self.assertEqual((image_key.value, text), ("chkoff", "Bold"))

    def test_the_write_back_reaches_the_caller_also_when_a_report_fails(self):
        RecordingHandler.fail_with = sarn10b.Error(1234, "test", "the handler refuses")
        image_key = sarn10b.Ref("")
        with self.assertRaises(sarn10b.Error) as caught:
            self.manager.AddNode("NoSuchSection", sarn10b.tvwChild, "CBx", "X", 2, image_key)
        self.assertEqual(caught.exception.number, 1234)
        self.assertEqual(image_key.value, "chkon")


if __name__ == "__main__":
    unittest.main()
