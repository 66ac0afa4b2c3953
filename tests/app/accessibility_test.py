# The window as a screen reader sees it, after a retrieval pressed through the
# accessibility bus: accessibility_test.py WINDOW_HARNESS, on a display and a
# session bus of its own; exits 77 (skipped) where pyatspi or the bus is missing.
import os
import subprocess
import sys
import time


def skip(reason):
    print("SKIPPED: " + reason)
    sys.exit(77)


def main(harness):
    try:
        import gi
        gi.require_version("Atspi", "2.0")
        import pyatspi
        from gi.repository import GLib
    except (ImportError, ValueError) as error:
        skip("pyatspi is missing (package python3-pyatspi): %s" % error)
    # Five hours behind all year: the first start's zone shows the server's noon as 07:00:00.
    window = subprocess.Popen([harness], env=dict(os.environ, QT_QPA_PLATFORM="xcb", TZ="EST5",
                                                  QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1"))
    try:
        return check(pyatspi, GLib.MainContext.default(), os.path.basename(harness))
    finally:
        window.terminate()


def check(pyatspi, loop, app_name):
    announced = []
    pyatspi.Registry.registerEventListener(
        lambda event: event.detail1 and event.source.getRole() == pyatspi.ROLE_NOTIFICATION
        and event.source.parent.getRole() == pyatspi.ROLE_STATUS_BAR
        and announced.append(event.source.name), "object:state-changed:showing")

    def wait_for(condition, seconds=30):
        end = time.time() + seconds
        while time.time() < end and not condition():
            loop.iteration(False)
            time.sleep(0.02)
        return condition()

    def find(role, name=None):
        try:
            app = next((a for a in pyatspi.Registry.getDesktop(0) if a and a.name == app_name), None)
        except Exception as error:  # nobody answers on the accessibility bus
            skip("the accessibility bus did not start: %s" % error)
        return app and pyatspi.findDescendant(app, lambda o: o.getRole() == role
                                              and name in (None, o.name))

    # A loaded machine may show the application before its window's controls.
    retrieve = wait_for(lambda: find(pyatspi.ROLE_PUSH_BUTTON, "Retrieve Atomic Time"))
    assert retrieve, "the Retrieve button never appeared on the accessibility bus"
    retrieve.queryAction().doAction(0)
    success = "Status: Atomic time successfully received."
    checks = {
        "a notification in the status bar announces the status and the time":
            lambda: wait_for(lambda: any(success in a and "07:00:00" in a for a in announced)),
        "the status bar describes the whole status text":
            lambda: find(pyatspi.ROLE_STATUS_BAR).description == success,
        "the delay field says it counts seconds": lambda: "second" in find(
            pyatspi.ROLE_TEXT, "Syncronization delay:").description.lower(),
        "the image has a name": lambda: find(pyatspi.ROLE_IMAGE).name,
    }
    failed = [what for what, passes in checks.items() if not passes()]
    print("\n".join(("FAILED: " if what in failed else "ok: ") + what for what in checks))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
