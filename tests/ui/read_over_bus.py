#!/usr/bin/python3
"""Reads the report text box as a screen reader does: over the accessibility
bus (AT-SPI). Runs one case of the test program that shows the text box and
holds it open, reads the text, a line, the caret and the selection, moves
the caret, and lets the case check that the move arrived.

Usage (ctest does this): dbus-run-session -- read_over_bus.py ORV_TESTS
"""
import os
import subprocess
import sys
import tempfile
import time
import warnings

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

# The line is asked with the older call, which Qt's bridge answers on Debian 12 and 13 alike.
warnings.filterwarnings("ignore", category=DeprecationWarning)

CASE = "LineViewAccessible.ReadsTextLinesWordsCaretAndSelectionAcrossParts"
HEAD = "Trainingsplan 2026\r\nKurs  Name\r\n"
BODY = "K1    Müller, Hans   250,50\r\nK2    Abel, Berta    250,00\r\n"
TEXT = HEAD + BODY

failures = []


def check(what, got, wanted):
    if got != wanted:
        failures.append(f"{what}: {got!r}, expected {wanted!r}")


def find_text_box(node, depth=0):
    if node is None or depth > 12:
        return None
    try:
        if node.get_role() == Atspi.Role.TEXT and node.get_name() == "Trainingsplan":
            return node
        for i in range(node.get_child_count()):
            found = find_text_box(node.get_child_at_index(i), depth + 1)
            if found:
                return found
    except GLib.Error:
        return None
    return None


def read(box):
    states = box.get_state_set()
    check("read-only", states.contains(Atspi.StateType.EDITABLE), False)
    check("multi-line", states.contains(Atspi.StateType.MULTI_LINE), True)
    check("character count", Atspi.Text.get_character_count(box), len(TEXT))
    check("text", Atspi.Text.get_text(box, 0, -1), TEXT)
    hans, abel = TEXT.index("Hans"), TEXT.index("Abel")
    line = Atspi.Text.get_text_at_offset(box, hans, Atspi.TextBoundaryType.LINE_START)
    check("line", line.content, "K1    Müller, Hans   250,50\r\n")
    check("caret", Atspi.Text.get_caret_offset(box), hans + 4)
    check("selections", Atspi.Text.get_n_selections(box), 1)
    sel = Atspi.Text.get_selection(box, 0)
    check("selection", TEXT[sel.start_offset:sel.end_offset], "Hans")
    # The reader puts the caret on "Abel"; the text box moves it and
    # says where it went, as it does for every caret move.
    heard = []
    listener = Atspi.EventListener.new(lambda e: heard.append(e.detail1))
    listener.register("object:text-caret-moved")
    Atspi.Text.set_caret_offset(box, abel)
    until = time.monotonic() + 10
    while not heard and time.monotonic() < until:
        GLib.MainContext.default().iteration(False)
        time.sleep(0.02)
    check("caret moved event", heard[:1], [abel])
    check("caret after the move", Atspi.Text.get_caret_offset(box), abel)


def main():
    Atspi.init()
    exe = sys.argv[1]
    hold = os.path.join(tempfile.mkdtemp(prefix="orv-a11y-"), "hold")
    if not os.environ.get("DISPLAY") and not os.environ.get("CTEST_RESOURCE_GROUP_COUNT"):
        print("needs an X display (DISPLAY, or ctest with scripts/test's display resources)", file=sys.stderr)
        return 1
    # The accessibility bridge exists on a real display only.
    env = dict(os.environ, ORV_A11Y_HOLD=hold, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
    program = subprocess.Popen([exe, f"--gtest_filter={CASE}"], env=env)
    deadline = time.monotonic() + 60
    while not os.path.exists(hold):
        if program.poll() is not None or time.monotonic() > deadline:
            print("the test program did not show the text box", file=sys.stderr)
            program.kill()
            return 1
        time.sleep(0.1)

    box = None
    while box is None and time.monotonic() < deadline:
        desktop = Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            box = find_text_box(desktop.get_child_at_index(i))
            if box:
                break
        else:
            # New applications reach the desktop's list through events.
            while GLib.MainContext.default().iteration(False):
                pass
            time.sleep(0.2)
    if box is None:
        failures.append("no text box named 'Trainingsplan' on the accessibility bus")
    else:
        try:
            read(box)
        except GLib.Error as e:
            failures.append(f"the text box did not answer: {e.message}")

    os.remove(hold)
    try:
        result = program.wait(timeout=60)
    except subprocess.TimeoutExpired:
        program.kill()
        result = 1
    for failure in failures:
        print("FAILED:", failure, file=sys.stderr)
    return 1 if failures or result != 0 else 0


if __name__ == "__main__":
    sys.exit(main())
