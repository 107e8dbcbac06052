#!/usr/bin/python3
"""Reads and works linecal-app's preferences window the way assistive technology does.
Usage:
  atspi_prefs.py read          the controls by accessible name, as one JSON object
  atspi_prefs.py click NAME    presses the check box or button of that name
  atspi_prefs.py focus NAME    gives that control the keyboard focus"""
import json
import sys

import pyatspi

from atspi_dialog import find_app, walk

# What each control shows on the screen, which is also what a screen reader says.
NAMES = ("Give new items an alarm", "Minutes before the start", "Alarm type", "Sound", "E-mail to", "Event length",
         "Calendar", "Hot key", "Start linecal when I log in", "Show the icon in the tray", "Keep usage statistics")


def panel(app):
    for node in walk(app):
        if node.name == "linecal Preferences" and node.getRole() in (pyatspi.ROLE_DIALOG, pyatspi.ROLE_FRAME):
            return node
    return None


def labels(node):
    """The names of the labels that label this control, without their colons."""
    names = []
    for relation in node.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            names += [relation.getTarget(i).name.rstrip(":") for i in range(relation.getNTargets())]
    return names


def control(window, name):
    """The control that sets `name`: named so, or (a combo box, which Qt names after its value on
    Linux) described or labelled so."""
    for node in walk(window):
        role = node.getRole()
        if role in (pyatspi.ROLE_LABEL, pyatspi.ROLE_LIST_ITEM, pyatspi.ROLE_PANEL, pyatspi.ROLE_LIST):
            continue
        if node.name == name:
            return node
        if role == pyatspi.ROLE_COMBO_BOX and (node.description == name or name in labels(node)):
            return node
    return None


def describe(node):
    state = node.getState()
    info = {"role": node.getRoleName(), "enabled": state.contains(pyatspi.STATE_ENABLED)}
    if node.getRole() == pyatspi.ROLE_CHECK_BOX:
        info["checked"] = state.contains(pyatspi.STATE_CHECKED)
    if node.getRole() == pyatspi.ROLE_COMBO_BOX:
        items = [c for c in walk(node) if c.getRole() == pyatspi.ROLE_LIST_ITEM]
        info["items"] = [c.name for c in items]
        info["shown"] = next((c.name for c in items if c.getState().contains(pyatspi.STATE_SELECTED)), node.name)
    try:
        text = node.queryText()
        info["text"] = text.getText(0, text.characterCount)
    except NotImplementedError:
        pass
    info["description"] = node.description
    return info


def main():
    app = find_app("linecal-app")
    window = panel(app) if app else None
    if window is None:
        print(json.dumps({"error": "no preferences window"}))
        return 1
    command = sys.argv[1] if len(sys.argv) > 1 else "read"
    if command == "read":
        found = {name: describe(node) for name in NAMES if (node := control(window, name)) is not None}
        # Hidden widgets stay in the tree; only what is showing is on the screen.
        found["shownButtons"] = [n.name for n in walk(window) if n.getRole() == pyatspi.ROLE_PUSH_BUTTON
                                 and n.getState().contains(pyatspi.STATE_SHOWING)]
        print(json.dumps(found, ensure_ascii=False))
        return 0
    node = control(window, sys.argv[2])
    if node is None:
        print(json.dumps({"error": "no control " + sys.argv[2]}))
        return 1
    if command == "click":
        node.queryAction().doAction(0)
    elif command == "focus":
        node.queryComponent().grabFocus()
    print(json.dumps({"done": command}))
    return 0


if __name__ == "__main__":
    sys.exit(main())
