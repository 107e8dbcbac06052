#!/usr/bin/python3
"""Prints what a screen reader finds in linecal-app's entry dialog, as one JSON object:
the entry text, the preview and alarm lines, the add button's name and the help button's state,
and after a failed save the alert that says what to do, with whether it lies inside the window;
the notice about damaged settings; the other reading offered under the preview; the entry's description
and the name of what has the keyboard focus. With `click NAME` it presses the dialog's button of that name.
Usage: atspi_dialog.py [APPLICATION_NAME [click BUTTON_NAME]]"""
import json
import sys
import time

import pyatspi


def walk(node, depth=0):
    if node is None or depth > 40:
        return
    yield node
    for i in range(node.childCount):
        try:
            yield from walk(node.getChildAtIndex(i), depth + 1)
        except Exception:  # a node that vanished while walking
            continue


def find_app(name, seconds=2.0):
    """The application's accessible root; it registers a moment after its first window shows."""
    deadline = time.monotonic() + seconds
    while True:
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            child = desktop.getChildAtIndex(i)
            if child is not None and child.name == name:
                return child
        if time.monotonic() > deadline:
            return None
        time.sleep(0.05)


def window_of(node):
    while node is not None and node.getRoleName() not in ("dialog", "frame", "window"):
        node = node.parent
    return node


def inside(node, window):
    """Whether the node is drawn within the window's bounds, so nothing of it is cut off."""
    if window is None:
        return False
    a = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    w = window.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return (a.width > 0 and a.x >= w.x and a.y >= w.y and a.x + a.width <= w.x + w.width
            and a.y + a.height <= w.y + w.height)


def main():
    app_name = sys.argv[1] if len(sys.argv) > 1 else "linecal-app"
    app = find_app(app_name)
    if app is None:
        print(json.dumps({"error": "no accessible application " + app_name}))
        return 1
    found = {}
    clicking = len(sys.argv) > 3 and sys.argv[2] == "click"
    for node in walk(app):
        role, name, description = node.getRoleName(), node.name, node.description
        if node.getState().contains(pyatspi.STATE_FOCUSED):
            found["focused"] = name
        if name == "Entry" and role in ("text", "entry"):
            text = node.queryText()
            found["entry"] = text.getText(0, text.characterCount)
            found["entryDescription"] = description
        elif description == "Preview":
            found["preview"] = name
        elif description == "Alarms":
            found["alarms"] = name
        elif name == "Other reading" and node.getState().contains(pyatspi.STATE_SHOWING):
            found["other"] = description
        elif role == "push button" and name.startswith("Add"):
            found["add"] = name
            found["addEnabled"] = node.getState().contains(pyatspi.STATE_ENABLED)
        elif role == "alert" and node.getState().contains(pyatspi.STATE_SHOWING):
            key = "settings" if description == "Settings" else "failure"
            found[key] = name
            found[key + "Inside"] = inside(node, window_of(node))
        elif clicking and role == "push button" and name == sys.argv[3]:
            node.queryAction().doAction(0)
            found["clicked"] = name
        elif name == "Help" and role in ("push button", "toggle button", "check box"):
            found["help"] = node.getState().contains(pyatspi.STATE_CHECKED)
    print(json.dumps(found, ensure_ascii=False))
    return 0


if __name__ == "__main__":
    sys.exit(main())
