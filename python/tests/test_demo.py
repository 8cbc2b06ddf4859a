"""The PyQt6 demo plays its session offscreen and shows what it did."""

import os
import subprocess
import sys
import tempfile
import unittest

from support import sarn10b

DEMO = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "examples", "python", "settings_demo.py")


@unittest.skipUnless(hasattr(sarn10b, "qt"), "the module is built without Qt")
class DemoTest(unittest.TestCase):
    def test_the_session_changes_the_items_it_clicks_and_writes_a_screenshot(self):
        with tempfile.TemporaryDirectory() as folder:
            shot = os.path.join(folder, "demo.png")
            env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
            env.pop("DISPLAY", None)
            env.pop("WAYLAND_DISPLAY", None)
            run = subprocess.run([sys.executable, DEMO, "--screenshot", shot, "--picture-set", "2"], env=env,
                                 capture_output=True, text=True, timeout=120)
            self.assertEqual(run.returncode, 0, run.stderr)
            self.assertEqual(run.stderr, "")
            with open(shot, "rb") as f:
                self.assertEqual(f.read(8), b"\x89PNG\r\n\x1a\n")
        lines = run.stdout.splitlines()
        for expected in [
            'picture set "Wrong and right marks in colour"',
            '  CBunder "Underline" [chkon]',  # Home, Down three times, Space
            '  CBbold "Bold" [chkon]',
            '  OBleft "Left" [optoff]',
            '  OBright "Right" [opton]',
            '  OBrich "Save as rich text" [opton]',
            "option button states: False, True",
            "czAmbrTVS.QueryNodeCollection: error 35601: Element not found",
        ]:
            self.assertTrue(any(expected in line for line in lines), f"{expected!r} not in\n{run.stdout}")


if __name__ == "__main__":
    unittest.main()
