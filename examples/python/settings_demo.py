#!/usr/bin/python3
"""The style manager on a PyQt6 window: an editor's settings dialog.

Usage: settings_demo.py [--screenshot FILE] [--picture-set 0-3] [--tree-widget]

Without a display (no DISPLAY or WAYLAND_DISPLAY) the window is drawn on Qt's
offscreen platform and --screenshot defaults to python-demo.png. With a
screenshot to take, the demo plays a short session through the widget's own
key and mouse events (a query with no section selected; Home, Down three
times and Space, which switches Underline on; four clicks; a query of the
section clicked last; then the picture set asked for), writes the window as
PNG, prints the tree as text, the query's result and the reports of the
error channel, and ends. Otherwise the window stays open. With --tree-widget
the tree is a QTreeWidget, whose items the manager's nodes become, instead of
a QTreeView over the nodes' own item model.
"""

import argparse
import os
import sys

if not os.environ.get("DISPLAY") and not os.environ.get("WAYLAND_DISPLAY"):
    os.environ.setdefault("QT_QPA_PLATFORM", "offscreen")

from PyQt6.QtCore import QEvent, QPointF, Qt, qFormatLogMessage, qInstallMessageHandler  # noqa: E402
from PyQt6.QtGui import QKeyEvent, QMouseEvent, QTextDocumentFragment  # noqa: E402
from PyQt6.QtWidgets import (  # noqa: E402
    QApplication, QCheckBox, QComboBox, QDialogButtonBox, QGridLayout, QGroupBox, QHBoxLayout, QLabel,
    QListWidget, QPushButton, QTreeView, QTreeWidget, QVBoxLayout, QWidget)

import sarn10b  # noqa: E402

# The settings of a new dialog: sections of check boxes (style 1 off, 2 on)
# and option buttons (3 off, 4 on), each with its note (its tag).
SECTIONS = [
    ("S1", "Text formatting", "How new text looks", [
        ("CBbold", "Bold", 1, "Shows new text in bold type"),
        ("CBitalic", "Italic", 2, "Slants new text"),
        ("CBunder", "Underline", 1, "Draws a line under new text"),
        ("CBstrike", "Strikethrough", 1, "Draws a line through new text")]),
    ("S2", "Alignment", "Where lines start and end", [
        ("OBleft", "Left", 4, "Lines start at the left margin"),
        ("OBcentre", "Centred", 3, "Lines are centred between the margins"),
        ("OBright", "Right", 3, "Lines end at the right margin"),
        ("OBjustify", "Justified", 3, "Lines reach both margins")]),
    ("S3", "Saving", "When and how documents are saved", [
        ("CBautosave", "Save automatically every 10 minutes", 2, "Saves open documents"),
        ("CBbackup", "Keep a backup copy", 1, "Keeps the previous version beside it"),
        ("OBplain", "Save as plain text", 4, "Only the characters are saved"),
        ("OBrich", "Save as rich text", 3, "Formatting is saved too")]),
    ("S4", "Line endings", "How lines end in saved files", [
        ("OBlf", "LF only", 4, "One line feed"),
        ("OBcrlf", "CR LF", 3, "Carriage return and line feed"),
        ("OBcr", "CR only", 3, "One carriage return")]),
    ("S5", "Spelling", "What the spelling check looks at", [
        ("CBastype", "Check spelling as you type", 2, "Marks unknown words at once"),
        ("CBcaps", "Ignore words in capitals", 2, "Skips words written in capitals only"),
        ("CBdigits", "Ignore words with numbers", 1, "Skips words such as A4")]),
]

KEY_OF_TEXT = {text: key for section in SECTIONS for key, text, *_ in [section[:2]] + section[3]}

PICTURE_SETS = ["Check boxes", "Wrong and right marks", "Wrong and right marks in colour", "Locked and unlocked"]


class SettingsWindow(QWidget):
    def __init__(self, tree_widget=False):
        super().__init__()
        self.setWindowTitle("Editor settings")
        self.tree = QTreeWidget() if tree_widget else QTreeView()
        self.tree.setHeaderHidden(True)
        self.tree.setAccessibleName("Settings")
        self.tree.setAccessibleDescription("Space changes the current item, Left and Right close and open a section")
        # The window's own tree widget shows the nodes; the manager drives them.
        self.tv = sarn10b.qt.tree_view(self.tree)
        self.manager = sarn10b.create("Sarn10B.clsKwAmbrTvsA")
        self.manager.TreeViewObject = self.tv
        self.manager.TaginToolTip = True
        self.reports = QListWidget()
        window = self

        class ReportList:
            """The error channel's handler: each report becomes a line."""

            def ErrorHandlerMessageKw(self, app, err, text3, site, number5, text6, number7, optional8=None):
                window.add_report(f"{site}: error {err.Number}: {err.Description}")

        sarn10b.register("KwBrenta10.clsKwbrErrorHandlerA", ReportList)
        self.build_layout()
        self.add_settings()

    def closeEvent(self, event):
        sarn10b.unregister("KwBrenta10.clsKwbrErrorHandlerA")
        self.manager.TreeViewObject = None
        super().closeEvent(event)

    def build_layout(self):
        heading = QLabel(
            "<b>Editor settings</b><br>Click an item, or press Space on it, to change it. The arrow keys, Home and "
            "End move through the tree; Ctrl+A opens or closes every section; F10 tells about the item clicked "
            "last. Tab goes on to the buttons, and Alt with an underlined letter presses one.")
        heading.setWordWrap(True)

        self.picture_sets = QComboBox()
        self.picture_sets.addItems(PICTURE_SETS)
        self.picture_sets.currentIndexChanged.connect(self.use_picture_set)
        picture_label = QLabel("&Pictures:")
        picture_label.setBuddy(self.picture_sets)

        select_all = QPushButton("&Select all")
        invert = QPushButton("&Invert")
        expand = QPushButton("&Expand all")
        collapse = QPushButton("C&ollapse all")
        self.query = QPushButton("&Query section")
        select_all.clicked.connect(lambda: self.manager.CBSelectAll(self.selected_section(), True))
        invert.clicked.connect(lambda: self.manager.CBSelectAll(self.selected_section(), False, True))
        expand.clicked.connect(lambda: self.manager.ExpandAll(True))
        collapse.clicked.connect(lambda: self.manager.ExpandAll(False))
        self.query.clicked.connect(self.query_section)

        follow = QCheckBox("Selection &follows the pointer")
        tag_as_tip = QCheckBox("Show the item's &note as tool tip")
        tag_as_tip.setChecked(True)
        follow.toggled.connect(lambda on: setattr(self.manager, "HitTestOnMouseMove", on))
        tag_as_tip.toggled.connect(lambda on: setattr(self.manager, "TaginToolTip", on))

        picture_box = QGroupBox("Picture set")
        picture_layout = QHBoxLayout(picture_box)
        picture_layout.addWidget(picture_label)
        picture_layout.addWidget(self.picture_sets, 1)

        section_box = QGroupBox("Selected section")
        section_layout = QGridLayout(section_box)
        section_layout.addWidget(select_all, 0, 0)
        section_layout.addWidget(invert, 0, 1)
        section_layout.addWidget(self.query, 1, 0, 1, 2)

        tree_box = QGroupBox("Whole tree")
        tree_layout = QVBoxLayout(tree_box)
        expand_row = QHBoxLayout()
        expand_row.addWidget(expand)
        expand_row.addWidget(collapse)
        tree_layout.addLayout(expand_row)
        tree_layout.addWidget(follow)
        tree_layout.addWidget(tag_as_tip)

        self.result = QLabel("Select a section and press Query section.")
        self.result.setWordWrap(True)
        self.result.setAlignment(Qt.AlignmentFlag.AlignTop | Qt.AlignmentFlag.AlignLeft)
        self.result.setTextInteractionFlags(Qt.TextInteractionFlag.TextSelectableByMouse)
        result_box = QGroupBox("Query result")
        QVBoxLayout(result_box).addWidget(self.result)

        side = QVBoxLayout()
        for box, stretch in [(picture_box, 0), (section_box, 0), (tree_box, 0), (result_box, 1)]:
            side.addWidget(box, stretch)
        top = QHBoxLayout()
        top.addWidget(self.tree, 3)
        top.addLayout(side, 2)

        self.reports.setFixedHeight(92)
        report_box = QGroupBox("Reports of the error channel")
        QVBoxLayout(report_box).addWidget(self.reports)

        buttons = QDialogButtonBox(QDialogButtonBox.StandardButton.Close)
        buttons.rejected.connect(self.close)

        layout = QVBoxLayout(self)
        layout.addWidget(heading)
        layout.addLayout(top, 1)
        layout.addWidget(report_box)
        layout.addWidget(buttons)
        self.resize(860, 720)

        order = [self.tree, self.picture_sets, select_all, invert, self.query, expand, collapse, follow, tag_as_tip,
                 self.reports, buttons]
        for before, after in zip(order, order[1:]):
            self.setTabOrder(before, after)
        self.tree.setFocus()

    def add_settings(self, styles=None, opened=None):
        item = 0
        for number, (key, text, tag, items) in enumerate(SECTIONS):
            is_open = opened[number] if opened else True
            self.manager.AddNode(sKey=key, sText=text, enumTVSNodeStyle=sarn10b.TVSNodeStyle_Default,
                                 bExpanded=is_open, sTag=tag)
            for item_key, item_text, style, item_tag in items:
                self.manager.AddNode(key, sarn10b.tvwChild, item_key, item_text, styles[item] if styles else style,
                                     sTag=item_tag)
                item += 1

    def use_picture_set(self, picture_set):
        nodes = self.tv.Nodes
        opened = [bool(nodes.Item(key).Expanded) for key, _, _, _ in SECTIONS]
        styles = [self.manager.GetTVSNodeStyle(key, item[0]) for key, _, _, items in SECTIONS for item in items]
        current = self.key_of(self.tree.currentIndex())
        self.manager.Refresh()  # empties the tree and drops the pictures
        self.manager.TreeViewObject = self.tv
        self.manager.ImageStyles = picture_set
        self.add_settings(styles, opened)
        if current:
            self.tree.setCurrentIndex(self.index_of(current))

    # A row is found by its text, which every text of this dialog tells
    # apart: a QTreeWidget's items do not carry the nodes' keys.
    def index_of(self, key):
        model = self.tree.model()
        found = model.match(model.index(0, 0), Qt.ItemDataRole.DisplayRole, self.tv.Nodes.Item(key).Text, 1,
                            Qt.MatchFlag.MatchExactly | Qt.MatchFlag.MatchCaseSensitive | Qt.MatchFlag.MatchRecursive)
        return found[0] if found else None

    @staticmethod
    def key_of(index):
        return KEY_OF_TEXT.get(index.data(Qt.ItemDataRole.DisplayRole), "") if index.isValid() else ""

    def selected_section(self):
        index = self.tree.currentIndex()
        if not index.isValid():
            return ""
        return self.key_of(index.parent()) if index.parent().isValid() else self.key_of(index)

    def query_section(self):
        section = self.selected_section()
        # The manager adds to its text and key collections at every query.
        self.manager.QueryNodeTextCollection = None
        self.manager.QueryNodeKeysCollection = None
        if not section:
            self.manager.QueryNodeCollection(section)  # the manager says why it finds nothing
            self.result.setText("No section is selected: see the reports below.")
            return
        check_boxes = list(self.manager.QueryNodeCollection(section, sarn10b.TVSNodeType_CB))
        items = list(self.manager.QueryNodeTextCollection)
        options = list(self.manager.QueryNodeCollection(section, sarn10b.TVSNodeType_OB))
        self.manager.QueryNodeTextCollection = None
        self.manager.QueryNodeKeysCollection = None
        title = self.tv.Nodes.Item(section).Text

        def joined(values):
            return ", ".join(values) or "none"

        self.result.setText(f"<b>{title}</b> ({section})<br>check box states: {joined(check_boxes)}<br>"
                            f"option button states: {joined(options)}<br>items: {joined(items)}")

    def add_report(self, line):
        self.reports.addItem(line)
        self.reports.scrollToBottom()

    def tree_text(self):
        """Each node as key "text" [image key], indented under its parent."""
        lines = []

        def walk(node, depth):
            while node is not None:
                lines.append(f'{"  " * depth}{node.Key} "{node.Text}" [{node.Image}]')
                walk(node.Child, depth + 1)
                node = node.Next

        nodes = self.tv.Nodes
        if nodes.Count:
            walk(nodes.Item(1), 0)
        return "\n".join(lines)


def settle():
    for _ in range(3):
        QApplication.processEvents()


def click(window, key):
    """A left click in the middle of a node's row, as the mouse gives it."""
    index = window.index_of(key)
    window.tree.scrollTo(index)
    at = QPointF(window.tree.visualRect(index).center())
    viewport = window.tree.viewport()
    for kind, buttons in [(QEvent.Type.MouseButtonPress, Qt.MouseButton.LeftButton),
                          (QEvent.Type.MouseButtonRelease, Qt.MouseButton.NoButton)]:
        event = QMouseEvent(kind, at, viewport.mapToGlobal(at), Qt.MouseButton.LeftButton, buttons,
                            Qt.KeyboardModifier.NoModifier)
        QApplication.sendEvent(viewport, event)
    settle()


def press(window, key):
    """A key pressed and released on the tree, as the keyboard gives it."""
    text = " " if key == Qt.Key.Key_Space else ""
    for kind in (QEvent.Type.KeyPress, QEvent.Type.KeyRelease):
        QApplication.sendEvent(window.tree, QKeyEvent(kind, key, Qt.KeyboardModifier.NoModifier, text))
    settle()


def play_and_save(window, path, picture_set):
    settle()
    window.tree.setCurrentIndex(window.tree.model().index(-1, -1))
    window.query.click()  # no section is selected: the manager reports
    for key in [Qt.Key.Key_Home, Qt.Key.Key_Down, Qt.Key.Key_Down, Qt.Key.Key_Down, Qt.Key.Key_Space]:
        press(window, key)
    for key in ["CBbold", "OBright", "CBbackup", "OBrich"]:
        click(window, key)
    window.query.click()
    window.picture_sets.setCurrentIndex(picture_set)
    settle()

    folder = os.path.dirname(os.path.abspath(path))
    os.makedirs(folder, exist_ok=True)
    shot = window.grab()
    if not shot.save(path, "PNG"):
        print(f"cannot write {path}", file=sys.stderr)
        return 1
    print(f"Screenshot of the window ({shot.width()} x {shot.height()}): {path}\n")
    print(f'-- the tree (key "text" [image key]), picture set "{window.picture_sets.currentText()}"')
    print(window.tree_text())
    print("\n-- query result")
    print(QTextDocumentFragment.fromHtml(window.result.text()).toPlainText())
    print("\n-- reports of the error channel")
    for row in range(window.reports.count()):
        print(window.reports.item(row).text())
    return 0


def quiet_offscreen(kind, context, message):
    # Drawing offscreen, the platform says what it cannot do for a window
    # that no one sees; that is no news for the reader of the demo's output.
    if message.startswith(("This plugin does not support", "QStandardPaths: XDG_RUNTIME_DIR not set")):
        return
    print(qFormatLogMessage(kind, context, message), file=sys.stderr)


def main(argv):
    parser = argparse.ArgumentParser(description="The style manager on a PyQt6 settings dialog.")
    parser.add_argument("--screenshot", metavar="FILE")
    parser.add_argument("--picture-set", type=int, choices=range(4), default=0, metavar="0-3")
    parser.add_argument("--tree-widget", action="store_true", help="show the tree in a QTreeWidget")
    args = parser.parse_args(argv[1:])
    screenshot = args.screenshot
    if screenshot is None and os.environ.get("QT_QPA_PLATFORM") == "offscreen":
        screenshot = "python-demo.png"

    if os.environ.get("QT_QPA_PLATFORM") == "offscreen":
        qInstallMessageHandler(quiet_offscreen)
    app = QApplication(argv)
    window = SettingsWindow(args.tree_widget)
    # F10 shows the manager's message as a modal dialog over the window.
    sarn10b.qt.install_message_box(window)
    window.show()
    window.activateWindow()
    if screenshot is None:
        window.picture_sets.setCurrentIndex(args.picture_set)
        return app.exec()
    code = play_and_save(window, screenshot, args.picture_set)
    window.close()
    return code


if __name__ == "__main__":
    sys.exit(main(sys.argv))
