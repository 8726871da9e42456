#!/usr/bin/python3
"""Lists the accessibility tree of a running program as a screen reader gets it
over AT-SPI, one line per shown object, and fails on a shown control that has
no name.

    atspi-tree.py APPLICATION_NAME

Exit 0: listed, every shown control named; 1: an unnamed control; 2: no such
application on the accessibility bus.
"""
import sys

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

# What a person operates; each of these needs a name to be told apart.
CONTROLS = {
    Atspi.Role.PUSH_BUTTON, Atspi.Role.TOGGLE_BUTTON, Atspi.Role.RADIO_BUTTON,
    Atspi.Role.CHECK_BOX, Atspi.Role.SLIDER, Atspi.Role.SPIN_BUTTON,
    Atspi.Role.ENTRY, Atspi.Role.TEXT, Atspi.Role.PASSWORD_TEXT, Atspi.Role.PAGE_TAB,
    Atspi.Role.COMBO_BOX, Atspi.Role.MENU_ITEM, Atspi.Role.LINK,
}


def shown(node):
    states = node.get_state_set()
    return states.contains(Atspi.StateType.SHOWING) and states.contains(Atspi.StateType.VISIBLE)


def walk(node, depth, unnamed):
    if not shown(node):
        return
    role = node.get_role()
    name = node.get_name() or ""
    description = node.get_description() or ""
    line = "  " * depth + "%s %r" % (node.get_role_name(), name)
    if description:
        line += " (%s)" % description
    if role in CONTROLS:
        if not name.strip():
            unnamed.append(line.strip())
            line += "   <-- UNNAMED"
    print(line)
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is not None:
            walk(child, depth + 1, unnamed)


def main():
    wanted = sys.argv[1]
    desktop = Atspi.get_desktop(0)
    seen = []
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        seen.append(app.get_name() if app is not None else None)
        if app is None or app.get_name() != wanted:
            continue
        unnamed = []
        for j in range(app.get_child_count()):
            window = app.get_child_at_index(j)
            if window is not None:
                walk(window, 0, unnamed)
        if unnamed:
            print("unnamed controls: %d" % len(unnamed))
            for line in unnamed:
                print("  " + line)
            return 1
        return 0
    print("no application %r on the accessibility bus, only %r" % (wanted, seen))
    return 2


sys.exit(main())
