"""Reads the running main window through the accessibility bus, as a screen
reader does, and checks what an operator who cannot see it would hear."""
import sys
import time

import pyatspi


def walk(node, path=()):
    yield path + ((node.getRoleName(), node.name),)
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child, path + ((node.getRoleName(), node.name),))


def find_application(name, seconds):
    deadline = time.time() + seconds
    while time.time() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name == name:
                return app
        time.sleep(0.25)
    return None


app = find_application("QVZizaVure", 30)
if app is None:
    sys.exit("The program never appeared on the accessibility bus")
heard = {entry[-1] for entry in walk(app)}
expected = {
    ("frame", "QV ZizaVure"),
    ("text", "Status messages"),
    ("panel", "Detail Level"),
    ("radio button", "Low"),
    ("radio button", "Medium"),
    ("radio button", "High"),
    ("menu item", "File"),
    ("menu item", "Connect"),
    ("menu item", "Edit Setup Parameters"),
    ("push button", "Start Now"),
    ("label", "Service Stopped"),
}
missing = sorted(expected - heard)
if missing:
    sys.exit("Not heard: %s" % missing)
print("Heard %d things, among them every one expected" % len(heard))
