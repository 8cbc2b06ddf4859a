#!/usr/bin/python3
"""What a screen reader gets from the Qt tree views, through the desktop's own
accessibility stack: an X server (Xvfb), the AT-SPI bus and registry of
at-spi2-core, Qt's AT-SPI bridge, and this client, which reads the programs with
pyatspi as a screen reader does (inside the AT-SPI main loop, so that
libatspi keeps what it read, as it does for a screen reader) and gives them
real input with xdotool.

Run inside a private session bus: dbus-run-session -- screen_reader_check.py BUILD
(scripts/test-screen-reader.sh does). Prints one line per check and
"N passed, N failed" at the end; exits 1 on any failure.
"""

import glob
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback

BUILD = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build")
DEMO = os.path.join(BUILD, "adapters/qt/demo/qt_demo")
HOST = os.path.join(BUILD, "adapters/qt/tests/screen_reader_host")
SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))))
PYTHON_DEMO = os.path.join(SOURCE, "examples/python/settings_demo.py")
PYTHON_MODULE = os.path.join(BUILD, "python")

passed = 0
failed = 0


def check(name, ok, detail=""):
    global passed, failed
    if ok:
        passed += 1
        print("ok   " + name, flush=True)
    else:
        failed += 1
        print("FAIL " + name + (": " + str(detail) if detail else ""), flush=True)
    return ok


def check_of(program_name, name, ok, detail=""):
    return check("%s: %s" % (program_name, name), ok, detail)


def start_desktop(scratch):
    """An X server on a free display and the accessibility bus beside it."""
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                            pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    display = b""
    with os.fdopen(read_end, "rb") as pipe:
        while not display.endswith(b"\n"):
            chunk = pipe.read(1)
            if not chunk:
                raise RuntimeError("Xvfb did not start")
            display += chunk
    os.environ["DISPLAY"] = ":" + display.decode().strip()
    os.environ["XDG_RUNTIME_DIR"] = scratch
    bus = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    # The launcher answers on the session bus once the accessibility bus runs.
    for _ in range(100):
        answer = subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
                                 "org.a11y.Bus.GetAddress"], capture_output=True, text=True)
        if answer.returncode == 0 and "unix:" in answer.stdout:
            return [xvfb, bus]
        time.sleep(0.1)
    raise RuntimeError("the accessibility bus did not start")


scratch = tempfile.mkdtemp(prefix="screen-reader-")
os.chmod(scratch, 0o700)
helpers = start_desktop(scratch)

import gi  # noqa: E402  (only once the accessibility bus runs: libatspi looks for it when loaded)

gi.require_version("Atspi", "2.0")
from gi.repository import GLib  # noqa: E402
import pyatspi  # noqa: E402

heard = []  # (type, detail1, source, source's name, role, index in parent, states) of every event


def on_event(event):
    source = event.source
    try:
        name, role = source.name, source.getRoleName()
        index = source.getIndexInParent()
        states = [pyatspi.stateToString(s) for s in source.getState().getStates()]
    except Exception as error:  # the object is gone
        name, role, index, states = "", "", -1, ["gone: %s" % error]
    heard.append((event.type, event.detail1, source, name, role, index, states))


# A screen reader listens for windows too; Qt's bridge sends only what someone listens for.
for kind in ["object:state-changed", "focus:", "object:children-changed", "object:property-change", "window:"]:
    pyatspi.Registry.registerEventListener(on_event, kind)


def states(acc):
    return [pyatspi.stateToString(s) for s in acc.getState().getStates()]


def children(acc):
    return [acc.getChildAtIndex(i) for i in range(acc.childCount)]


def key(*keys):
    subprocess.run(["xdotool", "key", "--delay", "40"] + list(keys), check=True)


def click(acc):
    x, y, w, h = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["xdotool", "mousemove", str(x + w // 2), str(y + h // 2), "click", "1"], check=True)


def heard_since(mark, kind=None):
    return [e for e in heard[mark:] if kind is None or e[0].startswith(kind)]


class Program:
    """A program under test, its standard error kept for the warnings."""

    def __init__(self, command, title, extra_env=None):
        # A script is on the bus under its file name, as a program is; the
        # checks name its options too.
        program = [part for part in command if not part.startswith("-")][-1]
        self.name = os.path.basename(program)
        self.label = " ".join([self.name] + command[command.index(program) + 1:])
        self.log = open(os.path.join(scratch, self.label.replace(" ", "") + ".log"), "w+")
        env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1", QT_QPA_PLATFORM="xcb",
                   **(extra_env or {}))
        self.process = subprocess.Popen(command, env=env, stdout=self.log, stderr=subprocess.STDOUT)
        self.title = title
        self.app = None

    def find(self):
        desktop = pyatspi.Registry.getDesktop(0)
        desktop.clear_cache()
        for app in desktop:
            if app is not None and app.name == self.name:
                # What it had while it was starting is out of date.
                app.clear_cache()
                self.app = app
        return self.app

    def window(self):
        # A top-level QWidget is a "filler" to Qt's bridge, a main window a frame.
        windows = [child for child in children(self.app) if child is not None]
        return windows[0] if windows else None

    def trees(self):
        return pyatspi.findAllDescendants(self.app, lambda a: a.getRole() == pyatspi.ROLE_TREE)

    def stop(self):
        self.process.send_signal(signal.SIGTERM)
        try:
            self.process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            self.process.kill()
        self.log.seek(0)
        return self.log.read()


def wait_for(condition, seconds=5.0):
    """Yields to the main loop until the condition holds; gives whether it did."""
    end = time.time() + seconds
    failure = None
    while True:
        try:
            if condition():
                return True
        except Exception as error:
            failure = error
        if time.time() > end:
            if failure:
                print("     (still failing: %s)" % failure, flush=True)
            return False
        yield 0.05


def settle(seconds=0.4):
    yield seconds


def open_program(command, title, extra_env=None):
    program = Program(command, title, extra_env)
    found = yield from wait_for(lambda: program.find() and program.window() and program.trees(), 15)
    if not check("%s is on the accessibility bus" % program.label, found):
        raise RuntimeError(program.stop())
    window_active = yield from wait_for(lambda: "active" in states(program.window()), 5)
    if not window_active:
        # Without a window manager nothing may have given it the keyboard.
        subprocess.run(["xdotool", "search", "--sync", "--name", title, "windowfocus", "--sync"], check=False)
        yield from wait_for(lambda: "active" in states(program.window()), 5)
    check("%s: its window has the keyboard" % program.label, "active" in states(program.window()))
    return program


def tab_into(tree, limit=20):
    """Presses Tab until the focus is in the tree; gives the focus event."""
    for _ in range(limit):
        mark = len(heard)
        key("Tab")
        # Each Tab moves the focus once: its event comes before the next Tab.
        yield from wait_for(lambda: heard_since(mark, "focus:"), 3)
        yield from settle(0.2)
        focus = heard_since(mark, "focus:")
        if focus and (focus[-1][2] == tree or focus[-1][2].parent == tree):
            return focus[-1]
    return None


def expect_warnings_free(program, output):
    lines = [line for line in output.splitlines() if "accessib" in line.lower() or "atspi" in line.lower()]
    # Qt's own item views (the plain QTreeWidget beside ours, the combo box's
    # list) warn of their own children: not a fault of ours.
    qts = [line for line in lines if "QAccessibleTable::" in line]
    for line in sorted(set(qts)):
        print("     (Qt's own item view: %s)" % line.strip(), flush=True)
    ours = [line for line in lines if line not in qts]
    check("%s prints no accessibility warning" % program.label, not ours, "\n".join(ours[:8]))


def check_every_event_came_from_a_living_object(program, mark):
    gone = [(e[0], e[1]) for e in heard[mark:] if any(s.startswith("gone") or s == "defunct" for s in e[6])]
    check("%s: no event comes from an object that is gone" % program.label, not gone, gone[:5])
    # Only the row that had the focus may tell that it lost it after its
    # node is gone: the platform's bridge says that of the last focus, and the
    # row answers as it last did.
    unlisted = [(e[0], e[1], e[3]) for e in heard[mark:]
                if e[0].startswith("object:state-changed") and e[5] == -1 and
                e[4] in ("check box", "radio button", "table cell") and
                not (e[0] == "object:state-changed:focused" and e[1] == 0)]
    check("%s: no row tells a change that its tree does not list" % program.label, not unlisted, unlisted[:5])


def demo(command=(DEMO,), extra_env=None):
    """The settings demo, in C++ or in Python: the same dialog, the same checks."""
    program = yield from open_program(list(command), "Editor settings", extra_env)

    def check(name, ok, detail=""):  # both demos run these: say which one
        return check_of(program.label, name, ok, detail)

    mark = len(heard)
    tree = program.trees()[0]
    check("the tree is named", tree.name == "Settings", tree.name)
    check("the tree manages its descendants", "manages descendants" in states(tree), states(tree))
    table = tree.queryTable()
    rows = children(tree)
    check("the tree is a table of its rows", table.nRows == len(rows) == 23 and table.nColumns == 1,
          (table.nRows, table.nColumns, len(rows)))
    check("no hidden header among the children", rows[0].name == "Text formatting" and rows[0].getRoleName() != "table column header",
          (rows[0].name, rows[0].getRoleName()))
    said = {row.name: (row.getRoleName(), "checked" in states(row)) for row in rows}
    check("items say their role and checked state",
          said["Bold"] == ("check box", False) and said["Italic"] == ("check box", True) and
          said["Left"] == ("radio button", True) and said["Right"] == ("radio button", False), said)
    check("sections open and close, and are not cached",
          all(s in states(rows[0]) for s in ("expandable", "expanded", "transient")), states(rows[0]))
    actions = rows[0].queryAction()
    check("a section offers Expand and Collapse",
          {"Expand", "Collapse"} <= {actions.getName(i) for i in range(actions.nActions)})
    check("an item's tag is its description", said and rows[1].description == "Shows new text in bold type",
          rows[1].description)
    check("the tree's description is not an item's tag", tree.description != rows[1].description, tree.description)
    check("a cell tells its row and column",
          [table.getRowAtIndex(i) for i in (0, 1, 22)] == [0, 1, 22] and table.getColumnAtIndex(1) == 0 and
          table.getAccessibleAt(1, 0).name == "Bold")

    # Tab into the tree: the current row takes the focus, the tree does not.
    focus = yield from tab_into(tree)
    check("Tab into the tree focuses the current row, not the tree", focus is not None and focus[2] != tree,
          focus and focus[3])
    check("the tree itself does not claim the focus then", "focused" not in states(tree), states(tree))
    current = focus[2] if focus else rows[0]
    check("the focused row says so", "focused" in states(current), states(current))

    # Space on Bold (Down from the first section).
    key("Home", "Down")
    yield from settle()
    mark_space = len(heard)
    key("space")
    got = yield from wait_for(lambda: [e for e in heard_since(mark_space, "object:state-changed:checked") if e[3] == "Bold"])
    check("Space on Bold tells it checked", got and heard_since(mark_space, "object:state-changed:checked")[0][1] == 1,
          heard_since(mark_space))

    # Clicks: a check box, then an option button, which switches another off.
    mark_click = len(heard)
    click(tree.getChildAtIndex(2))  # Italic
    yield from wait_for(lambda: heard_since(mark_click, "object:state-changed:checked"))
    changes = [(e[3], e[1]) for e in heard_since(mark_click, "object:state-changed:checked")]
    check("a click on Italic tells it unchecked", changes == [("Italic", 0)], changes)
    mark_click = len(heard)
    click(tree.getChildAtIndex(8))  # Right
    yield from wait_for(lambda: len(heard_since(mark_click, "object:state-changed:checked")) >= 2)
    changes = sorted((e[3], e[1]) for e in heard_since(mark_click, "object:state-changed:checked"))
    check("a click on Right tells Right checked and Left unchecked", changes == [("Left", 0), ("Right", 1)], changes)

    # Select all and invert on the first section (Bold is current), from
    # the buttons' keys; a last select all leaves every item on.
    key("Home", "Down")
    yield from settle()
    formatting = ["Bold", "Italic", "Underline", "Strikethrough"]
    for button, said_as, expected in [("alt+s", "Select all", [("Italic", 1), ("Strikethrough", 1), ("Underline", 1)]),
                                      ("alt+i", "Invert", sorted((name, 0) for name in formatting)),
                                      ("alt+s", "Select all again", sorted((name, 1) for name in formatting))]:
        mark_all = len(heard)
        key(button)
        yield from wait_for(lambda: len(heard_since(mark_all, "object:state-changed:checked")) >= len(expected))
        yield from settle(0.2)
        changes = sorted((e[3], e[1]) for e in heard_since(mark_all, "object:state-changed:checked"))
        check("%s on the first section tells what changed" % said_as, changes == expected, changes)

    # Opening and closing a section, from the keyboard.
    key("Home")
    yield from settle()
    mark_expand = len(heard)
    key("Left")
    yield from wait_for(lambda: heard_since(mark_expand, "object:state-changed:expanded"))
    key("Right")
    yield from wait_for(lambda: len(heard_since(mark_expand, "object:state-changed:expanded")) >= 2)
    changes = [(e[3], e[1]) for e in heard_since(mark_expand, "object:state-changed:expanded")]
    check("Left and Right close and open a section", changes == [("Text formatting", 0), ("Text formatting", 1)],
          changes)
    mark_expand = len(heard)
    key("ctrl+a")
    yield from settle()
    key("ctrl+a")
    yield from wait_for(lambda: len(heard_since(mark_expand, "object:state-changed:expanded")) >= 5)
    closed = {e[3] for e in heard_since(mark_expand, "object:state-changed:expanded") if e[1] == 0}
    check("Ctrl+A closes every section and says so", len(closed) == 5 and table.nRows == 5, (closed, table.nRows))
    key("ctrl+a")
    yield from wait_for(lambda: table.nRows == 23)

    # Another picture set, chosen in the combo box: the tree is built anew.
    key("alt+p")
    yield from settle()
    mark_pictures = len(heard)
    key("Down")
    yield from settle(1.0)
    from_tree = [(e[0], e[3]) for e in heard_since(mark_pictures, "focus:")
                 if e[2] == tree or e[4] in ("check box", "radio button", "table cell")]
    check("another picture set sends no focus to the tree while the keyboard is in the combo box", not from_tree,
          from_tree)
    rows = children(tree)
    said = {row.name: (row.getRoleName(), "checked" in states(row)) for row in rows}
    check("after another picture set the items keep their states",
          said.get("Bold") == ("check box", True) and said.get("Right") == ("radio button", True), said)

    check_every_event_came_from_a_living_object(program, mark)

    # Another program takes the keyboard; the window activated again gives
    # the focus back to the current row. (After the check of the events
    # above: the other program's objects go when it ends.)
    focus = yield from tab_into(tree)
    current = focus[2] if focus else rows[0]
    mark_other = len(heard)
    other = yield from open_program([HOST], "Three trees")
    subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", other.title, "windowfocus", "--sync"],
                   check=False)

    def window_left():
        # Qt tells it once it has given up waiting for the keyboard to come back.
        return [e for e in heard_since(mark_other, "window:deactivate") if e[3] == program.title]

    yield from wait_for(window_left)
    check("another program has the keyboard", window_left(), [(e[0], e[3]) for e in heard_since(mark_other)])
    mark_activation = len(heard)
    subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", program.title, "windowfocus", "--sync"],
                   check=False)
    yield from wait_for(lambda: heard_since(mark_activation, "focus:"), 3)
    focus = heard_since(mark_activation, "focus:")
    check("the window activated again focuses the current row",
          [(e[2], e[3]) for e in focus] == [(current, current.name)],
          (current.name, [(e[0], e[3], e[4]) for e in heard_since(mark_activation)]))
    other.stop()
    expect_warnings_free(program, program.stop())


def host():
    program = yield from open_program([HOST], "Three trees")
    mark = len(heard)
    trees = {t.name: t for t in program.trees()}
    check("the host shows three named trees", set(trees) == {"Model view", "Widget view", "Plain tree"}, list(trees))
    for name, tree in trees.items():
        check("%s: table interface, manages descendants" % name,
              "Table" in tree.get_interfaces() and "manages descendants" in states(tree), states(tree))
    plain_first = trees["Plain tree"].getChildAtIndex(0)
    check("beside a plain QTreeWidget, which lists its hidden header first",
          plain_first.getRoleName() == "table column header", plain_first.getRoleName())
    for name in ("Model view", "Widget view"):
        tree = trees[name]
        first = tree.getChildAtIndex(0)
        check("%s: the first child is the section" % name, first.name == "Options", first.name)
        option = tree.getChildAtIndex(1)
        check("%s: a check box that shows says so" % name, "showing" in states(option), states(option))
        mark_scroll = len(heard)
        click(tree.getChildAtIndex(2))
        key("End")
        yield from wait_for(lambda: [e for e in heard_since(mark_scroll, "object:state-changed:showing")
                                     if e[2] == option and e[1] == 0])
        check("%s: a check box scrolled away says it no longer shows" % name,
              [e for e in heard_since(mark_scroll, "object:state-changed:showing") if e[2] == option and e[1] == 0])
        check("%s: and no reader keeps it as showing" % name, "showing" not in states(option), states(option))
        key("Home")
        yield from wait_for(lambda: "showing" in states(option))
        check("%s: scrolled back, it shows again" % name, "showing" in states(option), states(option))
    # The tree built anew while a row of it has the focus: the row that is
    # gone may still hear that it lost the focus, and the focus comes back
    # to the tree.
    tree = trees["Model view"]
    click(tree.getChildAtIndex(2))
    yield from wait_for(lambda: "focused" in states(tree.getChildAtIndex(2)))
    mark_rebuild = len(heard)
    key("F5")
    yield from wait_for(lambda: [e for e in heard_since(mark_rebuild, "focus:") if e[2] == tree])
    check("built anew under the keyboard, the tree has the focus again",
          [e for e in heard_since(mark_rebuild, "focus:") if e[2] == tree], [(e[0], e[3]) for e in heard_since(mark_rebuild)])
    check("and lists the new rows", tree.childCount == 31 and tree.getChildAtIndex(1).name == "Option 1",
          tree.childCount)
    check_every_event_came_from_a_living_object(program, mark)
    expect_warnings_free(program, program.stop())


def python_demo():
    """The Python demo: the manager on a PyQt6 QTreeView, then on a QTreeWidget, through sarn10b.qt.tree_view."""
    import importlib.util
    if importlib.util.find_spec("PyQt6") is None:
        print("skip the PyQt6 demo: PyQt6 is not installed (python3-pyqt6)", flush=True)
        return
    if not glob.glob(os.path.join(PYTHON_MODULE, "sarn10b*.so")):
        print("skip the PyQt6 demo: the Python module is not built in %s" % PYTHON_MODULE, flush=True)
        return
    yield from demo(["/usr/bin/python3", PYTHON_DEMO], {"PYTHONPATH": PYTHON_MODULE})
    yield from demo(["/usr/bin/python3", PYTHON_DEMO, "--tree-widget"], {"PYTHONPATH": PYTHON_MODULE})


def run_all():
    try:
        yield from demo()
        yield from host()
        yield from python_demo()
    except Exception:
        check("the checks ran to the end", False, traceback.format_exc())


def main():
    steps = run_all()

    def step():
        try:
            wait = next(steps)
        except StopIteration:
            pyatspi.Registry.stop()
            return False
        GLib.timeout_add(int(wait * 1000), step)
        return False

    GLib.timeout_add(10, step)
    pyatspi.Registry.start()
    for helper in reversed(helpers):
        helper.terminate()
        helper.wait(timeout=5)
    shutil.rmtree(scratch, ignore_errors=True)
    print("%d passed, %d failed" % (passed, failed), flush=True)
    return 1 if failed or not passed else 0


if __name__ == "__main__":
    sys.exit(main())
