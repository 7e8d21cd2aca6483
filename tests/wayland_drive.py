"""Drives the running Corvane through the accessibility bus, as a screen
reader would: Delete Files, Yes, then OK on the report, which it prints."""
import sys
import time

import pyatspi


def wait_for(find, what, seconds=30):
    end = time.time() + seconds
    while time.time() < end:
        found = find()
        if found:
            return found
        time.sleep(0.2)
    sys.exit("not found: " + what)


def corvane():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "corvane":
            return app
    return None


def button(app, name):
    return pyatspi.findDescendant(
        app, lambda a: a.getRoleName() == "push button" and a.name == name)


def press(app, name):
    wait_for(lambda: button(app, name), name).queryAction().doAction(0)


app = wait_for(corvane, "Corvane on the accessibility bus")
press(app, "Delete Files")
press(app, "Yes")
ok = wait_for(lambda: button(app, "OK"), "the report", seconds=120)
labels = pyatspi.findAllDescendants(app, lambda a: a.getRoleName() == "label" and a.name)
print("\n".join(label.name for label in labels if label.name.endswith("!")))
ok.queryAction().doAction(0)
