# The window as a screen reader sees it, on a private X server and session bus,
# after a retrieval pressed through the accessibility bus. Usage:
# accessibility_test.py WINDOW_HARNESS; exits 77 (skipped), saying why, where
# the X server or the buses cannot start.
import os
import shutil
import subprocess
import sys
import time


def skip(reason):
    print("SKIPPED: " + reason)
    sys.exit(77)


def main(harness):
    for tool, package in (("dbus-run-session", "dbus-daemon"), ("Xvfb", "xvfb")):
        if not shutil.which(tool):
            skip("%s is missing (package %s)" % (tool, package))
    if not os.environ.get("BRISENDALE_PRIVATE_BUS"):
        env = dict(os.environ, BRISENDALE_PRIVATE_BUS="1")
        sys.exit(subprocess.call(["dbus-run-session", "--", sys.executable, __file__, harness],
                                 env=env))
    try:
        import gi
        gi.require_version("Atspi", "2.0")
        import pyatspi
        from gi.repository import GLib
    except (ImportError, ValueError) as error:
        skip("pyatspi is missing (package python3-pyatspi): %s" % error)

    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-nolisten", "tcp"],
                            pass_fds=[write], stderr=subprocess.DEVNULL)
    os.close(write)
    display = os.read(read, 16).decode().strip()
    if not display:
        skip("Xvfb did not start")
    window = subprocess.Popen([harness], env=dict(os.environ, DISPLAY=":" + display,
                                                  QT_QPA_PLATFORM="xcb",
                                                  QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1"))
    try:
        return check(pyatspi, GLib.MainContext.default(), os.path.basename(harness))
    finally:
        window.terminate()
        xvfb.terminate()


def check(pyatspi, loop, app_name):
    announced = []

    def on_shown(event):
        source = event.source
        if (event.detail1 and source.getRole() == pyatspi.ROLE_NOTIFICATION
                and source.parent.getRole() == pyatspi.ROLE_STATUS_BAR):
            announced.append(source.name)

    def wait_for(condition, seconds=30):
        end = time.time() + seconds
        while time.time() < end and not condition():
            loop.iteration(False)
            time.sleep(0.02)
        return condition()

    def window_app():
        try:
            return next((a for a in pyatspi.Registry.getDesktop(0) if a and a.name == app_name),
                        None)
        except Exception as error:  # nobody answers on the accessibility bus
            skip("the accessibility bus did not start: %s" % error)

    pyatspi.Registry.registerEventListener(on_shown, "object:state-changed:showing")
    app = wait_for(window_app, 20)
    if not app:
        print("FAILED: the window never appeared on the accessibility bus")
        return 1

    def find(role, name=None):
        return pyatspi.findDescendant(
            app, lambda o: o.getRole() == role and (name is None or o.name == name))

    def labels_of(role):
        return [[r.getTarget(0).name for r in o.getRelationSet()
                 if r.getRelationType() == pyatspi.RELATION_LABELLED_BY]
                for o in pyatspi.findAllDescendants(app, lambda o: o.getRole() == role)]

    # A loaded machine may show the application before its window's controls.
    retrieve = wait_for(lambda: find(pyatspi.ROLE_PUSH_BUTTON, "Retrieve Atomic Time"))
    if not retrieve:
        print("FAILED: the Retrieve button never appeared on the accessibility bus")
        return 1
    retrieve.queryAction().doAction(0)
    success = "Status: Atomic time successfully received."
    time_field = find(pyatspi.ROLE_TEXT, "Atomic Time:")
    delay = find(pyatspi.ROLE_TEXT, "Syncronization delay:")
    checks = {
        "a notification in the status bar announces the status and the time":
            lambda: wait_for(lambda: any(success in a and "07:00:00" in a for a in announced)),
        "the status bar describes the whole status text":
            lambda: find(pyatspi.ROLE_STATUS_BAR).description == success,
        "the time is a focusable field named Atomic Time:":
            lambda: time_field.queryText().getText(0, -1) == "07:00:00"
            and time_field.getState().contains(pyatspi.STATE_FOCUSABLE),
        "the delay field says it counts seconds": lambda: "second" in delay.description.lower(),
        "the port field is named by its label": lambda: find(pyatspi.ROLE_TEXT, "Port:"),
        "the image has a name": lambda: find(pyatspi.ROLE_IMAGE).name,
        "each list is labelled by its label": lambda: sorted(
            n for names in labels_of(pyatspi.ROLE_COMBO_BOX) for n in names if n.endswith(":"))
            == ["GMT Decal:", "Server:"],
    }
    failed = 0
    for what, check_passes in checks.items():
        try:
            passed = bool(check_passes())
        except AttributeError:  # a control that is not there
            passed = False
        print(("ok: " if passed else "FAILED: ") + what + ("" if passed else ": %s" % announced))
        failed += not passed
    print("%d passed, %d failed" % (len(checks) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
