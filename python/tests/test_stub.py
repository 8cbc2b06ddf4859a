"""The type stub beside the module names what the objects answer."""

import ast
import os
import unittest

from support import sarn10b

STUB = os.path.join(os.path.dirname(sarn10b.__file__), "sarn10b.pyi")


def stub_classes():
    with open(STUB, encoding="utf-8") as f:
        tree = ast.parse(f.read(), STUB)
    classes = {}
    for node in tree.body:
        if isinstance(node, ast.ClassDef):
            names = set()
            for item in node.body:
                if isinstance(item, ast.FunctionDef):
                    names.add(item.name)
                elif isinstance(item, ast.AnnAssign):
                    names.add(item.target.id)
            classes[node.name] = names
    return classes, tree


class StubTest(unittest.TestCase):
    def test_each_class_of_the_stub_names_the_members_that_dir_lists(self):
        classes, _ = stub_classes()
        objects = {"_" + name: sarn10b.create("Sarn10B." + name) for name in [
            "clsKwAmbrTvsA", "clsKwOrvel10BA", "clsKwAmbrListViewWndClassA", "clsKwAmbrTreeviewWndClassA",
            "clsKwAmbrGeneralA", "clsKwAmbrAdvancedA"]}
        tv = sarn10b.create("SarnTree.TreeView")
        objects["_TreeView"] = tv
        objects["_Nodes"] = tv.Nodes
        objects["_Node"] = tv.Nodes.Add(Key="K", Text="T")
        for name, obj in objects.items():
            with self.subTest(name):
                self.assertEqual(classes[name], set(dir(obj)))

    def test_create_is_typed_for_every_identifier(self):
        _, tree = stub_classes()
        literals = set()
        for node in ast.walk(tree):
            if isinstance(node, ast.FunctionDef) and node.name == "create":
                annotation = node.args.args[0].annotation
                if isinstance(annotation, ast.Subscript):
                    literals.add(annotation.slice.value)
        expected = {c for c in sarn10b.registered_classes() if c.startswith(("Sarn10B.", "SarnTree."))}
        self.assertEqual(literals, expected)

    def test_the_enumerations_of_the_stub_hold_the_modules_values(self):
        _, tree = stub_classes()
        for node in tree.body:
            if isinstance(node, ast.ClassDef) and node.name.startswith("TVS"):
                with self.subTest(node.name):
                    values = {a.targets[0].id: a.value.value for a in node.body if isinstance(a, ast.Assign)}
                    self.assertEqual(values, {m.name: m.value for m in getattr(sarn10b, node.name)})


if __name__ == "__main__":
    unittest.main()
