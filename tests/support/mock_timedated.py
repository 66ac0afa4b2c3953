"""A private system bus with a stand-in for systemd-timedated, for the tests.

Usage: /usr/bin/python3 mock_timedated.py FOLDER BEHAVIOUR

Starts dbus-daemon with a throwaway configuration whose socket lies in FOLDER
and, unless BEHAVIOUR is "absent", python3-dbusmock's timedated template on it,
with SetTime answering as BEHAVIOUR says and every call logged to
FOLDER/calls.log. Prints the bus address on one line once all is ready, and
stops everything when its standard input closes, so a test that dies leaves
nothing behind.
"""

import os
import subprocess
import sys
import time

import dbus

FAILURES = {
    "automatic-sync": (
        "org.freedesktop.timedate1.AutomaticTimeSyncEnabled",
        "Automatic time synchronization is enabled",
    ),
    "not-authorized": ("org.freedesktop.PolicyKit1.Error.NotAuthorized", "Not authorized"),
    "access-denied": ("org.freedesktop.DBus.Error.AccessDenied", "Access denied"),
}
# The code dbusmock runs for each SetTime call; None: no timedated at all.
SET_TIME_CODE = {
    "accept": "",
    # Blocks the stand-in's only thread, so no answer ever comes.
    "silent": "time.sleep(3600)",
    "absent": None,
}
for behaviour, (name, message) in FAILURES.items():
    SET_TIME_CODE[behaviour] = (
        f"raise dbus.exceptions.DBusException({message!r}, name={name!r})"
    )

CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path={socket}</listen>
  <auth>EXTERNAL</auth>
  <auth>ANONYMOUS</auth>
  <allow_anonymous/>
  <policy context="default">
    <allow send_destination="*"/>
    <allow receive_sender="*"/>
    <allow own="*"/>
  </policy>
</busconfig>
"""


def wait_for_timedated(address):
    bus = dbus.bus.BusConnection(address)
    for _ in range(200):
        if bus.name_has_owner("org.freedesktop.timedate1"):
            return bus.get_object("org.freedesktop.timedate1", "/org/freedesktop/timedate1")
        time.sleep(0.05)
    sys.exit("the timedated stand-in did not appear on the bus")


def main():
    folder, behaviour = sys.argv[1], sys.argv[2]
    code = SET_TIME_CODE[behaviour]
    config = os.path.join(folder, "bus.conf")
    socket = os.path.join(folder, "system_bus_socket")
    with open(config, "w", encoding="utf-8") as file:
        file.write(CONFIG.format(socket=socket))
    children = [
        subprocess.Popen(
            ["dbus-daemon", "--nofork", "--print-address=1", "--config-file=" + config],
            stdout=subprocess.PIPE,
            stderr=open(os.path.join(folder, "bus.log"), "w", encoding="utf-8"),
            text=True,
        )
    ]
    address = children[0].stdout.readline().strip()
    try:
        if code is not None:
            environment = dict(os.environ, DBUS_SYSTEM_BUS_ADDRESS=address)
            children.append(
                subprocess.Popen(
                    [sys.executable, "-m", "dbusmock", "--template", "timedated",
                     "--logfile", os.path.join(folder, "calls.log")],
                    env=environment,
                    stdout=subprocess.DEVNULL,
                )
            )
            timedated = wait_for_timedated(address)
            timedated.AddMethod("org.freedesktop.timedate1", "SetTime", "xbb", "", code,
                                dbus_interface="org.freedesktop.DBus.Mock")
        print(address, flush=True)
        sys.stdin.read()
    finally:
        for child in reversed(children):
            child.kill()
            child.wait()


if __name__ == "__main__":
    main()
