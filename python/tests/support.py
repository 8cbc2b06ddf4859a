"""What the Python tests share: a recording error handler registered under the
library's handler identifier, and a manager bound to an in-memory tree view."""

import atexit
import os
import shutil
import tempfile
import unittest

# No registry of this machine takes part: an identifier that no class of the
# process bears cannot be found elsewhere.
_no_registry = tempfile.mkdtemp(prefix="sarn10b-python-tests-")
atexit.register(shutil.rmtree, _no_registry, True)
os.environ["XDG_DATA_HOME"] = os.path.join(_no_registry, "user")
os.environ["XDG_DATA_DIRS"] = os.path.join(_no_registry, "system")
os.environ.pop("SARN_REGISTRY", None)
os.environ.setdefault("QT_QPA_PLATFORM", "offscreen")
if "XDG_RUNTIME_DIR" not in os.environ:
    os.mkdir(os.path.join(_no_registry, "runtime"), 0o700)
    os.environ["XDG_RUNTIME_DIR"] = os.path.join(_no_registry, "runtime")

import sarn10b  # noqa: E402

HANDLER_ID = "KwBrenta10.clsKwbrErrorHandlerA"
ABOUT_ID = "KwBrenta10.clsKwBrenta10A"


class RecordingHandler:
    """The error handler of the library, written in Python: every report is
    kept as (site, number), and in full in `calls`."""

    reports = []
    calls = []
    fail_with = None  # an exception to raise from every report

    def ErrorHandlerMessageKw(self, app, err, text3, site, number5, text6, number7, optional8="left out"):
        RecordingHandler.reports.append((site, err.Number))
        RecordingHandler.calls.append(
            {"app": app.Title, "description": err.Description, "args": (text3, number5, text6, number7, optional8)}
        )
        if RecordingHandler.fail_with is not None:
            raise RecordingHandler.fail_with


class ManagerTest(unittest.TestCase):
    """A manager bound to an in-memory tree view, the Python handler
    registered; reports() gives what the handler received."""

    def setUp(self):
        RecordingHandler.reports = []
        RecordingHandler.calls = []
        RecordingHandler.fail_with = None
        sarn10b.register(HANDLER_ID, RecordingHandler)
        self.addCleanup(sarn10b.unregister, HANDLER_ID)
        self.manager = sarn10b.create("Sarn10B.clsKwAmbrTvsA")
        self.tv = sarn10b.create("SarnTree.TreeView")
        self.manager.TreeViewObject = self.tv
        self.addCleanup(self.drop_hidden_form)

    def drop_hidden_form(self):
        # The image lists belong to the thread: a key that one test gave a
        # picture would otherwise be taken for the next.
        RecordingHandler.fail_with = None
        sarn10b.register(HANDLER_ID, RecordingHandler)
        sarn10b.create("Sarn10B.clsKwAmbrTvsA").Refresh()

    def reports(self):
        return list(RecordingHandler.reports)

    def add_section(self, key="S1", text="Fonts"):
        self.manager.AddNode(sKey=key, sText=text, enumTVSNodeStyle=sarn10b.TVSNodeStyle_Default)

    def add_item(self, section, key, text, style=sarn10b.TVSNodeStyle_CheckBoxoff):
        self.manager.AddNode(section, sarn10b.tvwChild, key, text, style)

    def image_of(self, key):
        return self.tv.Nodes.Item(key).Image
