"""The window as a screen reader sees it: on a private X server and session bus,
through the accessibility bus, after a retrieval pressed through that bus.

Usage: accessibility_test.py WINDOW_HARNESS
Exits 77 (skipped) with the reason where the X server or the buses cannot start.
"""
import os
import shutil
import subprocess
import sys
import time

SKIP = 77


def skip(reason):
    print("SKIPPED: " + reason)
    sys.exit(SKIP)


def main(harness):
    if not os.environ.get("BRISENDALE_PRIVATE_BUS"):
        if not shutil.which("dbus-run-session"):
            skip("dbus-run-session is not installed (package dbus)")
        env = dict(os.environ, BRISENDALE_PRIVATE_BUS="1")
        sys.exit(subprocess.call(["dbus-run-session", "--", sys.executable, __file__, harness],
                                 env=env))
    if not shutil.which("Xvfb"):
        skip("Xvfb is not installed (package xvfb)")
    try:
        import gi
        gi.require_version("Atspi", "2.0")
        import pyatspi
        from gi.repository import GLib
    except (ImportError, ValueError) as error:
        skip("pyatspi is not available (package python3-pyatspi): %s" % error)

    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "800x600x24",
                             "-nolisten", "tcp"], pass_fds=[write], stderr=subprocess.DEVNULL)
    os.close(write)
    display = os.read(read, 16).decode().strip()
    if not display:
        skip("Xvfb did not start")
    env = dict(os.environ, DISPLAY=":" + display, QT_QPA_PLATFORM="xcb",
               QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    window = subprocess.Popen([harness], env=env)
    try:
        return check_tree(pyatspi, GLib.MainContext.default(), os.path.basename(harness))
    finally:
        window.terminate()
        xvfb.terminate()


def check_tree(pyatspi, events_loop, app_name):
    announced = []

    def on_event(event):
        source = event.source
        if source.getRole() == pyatspi.ROLE_NOTIFICATION and event.detail1 == 1:
            if source.parent.getRole() == pyatspi.ROLE_STATUS_BAR:
                announced.append(source.name)

    def wait_for(condition, seconds=10):
        end = time.time() + seconds
        while time.time() < end:
            result = condition()
            if result:
                return result
            events_loop.iteration(False)
            time.sleep(0.02)
        return None

    def find_app():
        try:
            return next((a for a in pyatspi.Registry.getDesktop(0) if a and a.name == app_name),
                        None)
        except Exception as error:  # the registry on the bus is not reachable
            skip("the accessibility bus did not start: %s" % error)

    pyatspi.Registry.registerEventListener(on_event, "object:state-changed:showing")
    app = wait_for(find_app, 20)
    if app is None:
        print("FAILED: the window never appeared on the accessibility bus")
        return 1

    def find(role, name):
        return pyatspi.findDescendant(app, lambda o: o.getRole() == role and o.name == name)

    results = []

    def expect(condition, what):
        print(("ok: " if condition else "FAILED: ") + what)
        results.append(bool(condition))

    retrieve = find(pyatspi.ROLE_PUSH_BUTTON, "Retrieve Atomic Time")
    retrieve.queryAction().doAction(0)
    success = "Status: Atomic time successfully received."
    expect(wait_for(lambda: any(success in a and "07:00:00" in a for a in announced)),
           "a notification in the status bar announces the status and the time: %s" % announced)
    status = pyatspi.findDescendant(app, lambda o: o.getRole() == pyatspi.ROLE_STATUS_BAR)
    expect(status is not None and status.description == success,
           "the status bar describes the whole status text")
    time_field = find(pyatspi.ROLE_TEXT, "Atomic Time:")
    expect(time_field is not None and time_field.queryText().getText(0, -1) == "07:00:00"
           and time_field.getState().contains(pyatspi.STATE_FOCUSABLE),
           "the time is a focusable field named Atomic Time:")
    delay = find(pyatspi.ROLE_TEXT, "Syncronization delay:")
    expect(delay is not None and "second" in delay.description.lower(),
           "the delay field says its unit is seconds")
    expect(find(pyatspi.ROLE_TEXT, "Port:") is not None, "the port field is named by its label")
    image = pyatspi.findDescendant(app, lambda o: o.getRole() == pyatspi.ROLE_IMAGE)
    expect(image is not None and image.name, "the image has a name")
    for label in ("Server:", "GMT Decal:"):
        lists = pyatspi.findAllDescendants(app, lambda o: o.getRole() == pyatspi.ROLE_COMBO_BOX)
        expect(any(label in [r.getTarget(0).name for r in combo.getRelationSet()
                             if r.getRelationType() == pyatspi.RELATION_LABELLED_BY]
                   for combo in lists), "a list is labelled by %s" % label)
    print("%d passed, %d failed" % (results.count(True), results.count(False)))
    return 0 if all(results) else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
