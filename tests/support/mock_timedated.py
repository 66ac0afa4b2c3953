"""A private system bus with dbusmock's timedated: mock_timedated.py FOLDER ANSWER.

ANSWER: "accept", "silent", "absent" or the D-Bus error to refuse SetTime with.
Prints the bus address (or "!" and why not), logs SetTime calls to
FOLDER/calls.log and ends everything when its standard input closes.
"""

import os
import subprocess
import sys

# A socket file and anonymous access, so that namespaced programs can use it too.
CONFIG = """<busconfig><type>system</type><listen>unix:path={}/bus</listen>
<auth>EXTERNAL</auth><auth>ANONYMOUS</auth><allow_anonymous/><policy context="default">
<allow send_destination="*"/><allow receive_sender="*"/><allow own="*"/></policy></busconfig>"""

folder, answer = sys.argv[1:]
bus = timedated = None
try:
    import dbusmock

    with open(os.path.join(folder, "bus.conf"), "w", encoding="utf-8") as config:
        config.write(CONFIG.format(folder))
    bus = subprocess.Popen(["dbus-daemon", "--nofork", "--print-address", "--config-file",
                            config.name], stdout=subprocess.PIPE, text=True)
    os.environ["DBUS_SYSTEM_BUS_ADDRESS"] = bus.stdout.readline().strip()
    if answer != "absent":
        timedated, mock = dbusmock.DBusTestCase.spawn_server_template(
            "timedated", stdout=subprocess.DEVNULL)
        code = f"open({folder!r} + '/calls.log', 'a').write('%d %d %d\\n' % tuple(args))\n"
        if answer == "silent":
            code += "time.sleep(3600)"  # blocks the stand-in's only thread
        elif answer != "accept":
            code += f"raise dbus.exceptions.DBusException('no', name={answer!r})"
        mock.AddMethod("org.freedesktop.timedate1", "SetTime", "xbb", "", code,
                       dbus_interface=dbusmock.MOCK_IFACE)
    print(os.environ["DBUS_SYSTEM_BUS_ADDRESS"], flush=True)
    sys.stdin.read()
except Exception as error:  # pylint: disable=broad-except
    print(f"!{type(error).__name__}: {error}".replace("\n", " "), flush=True)
finally:
    for child in (timedated, bus):
        if child:
            child.kill()
            child.wait()
