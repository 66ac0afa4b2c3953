"""private_bus.py FOLDER TEMPLATE ANSWER (see private_bus.h): prints the bus address, or "!" and
why not; logs calls to FOLDER/calls.log; ends everything once its output is closed."""

import os
import select
import subprocess
import sys

# A socket file and anonymous access, so that namespaced programs can use it too.
CONFIG = """<busconfig><type>{}</type><listen>unix:path={}/bus</listen>
<auth>EXTERNAL</auth><auth>ANONYMOUS</auth><allow_anonymous/><policy context="default">
<allow send_destination="*"/><allow receive_sender="*"/><allow own="*"/></policy></busconfig>"""

# Each stand-in's logged method: interface, name, signatures in and out, log line, return value.
METHODS = {
    "timedated": ("org.freedesktop.timedate1", "SetTime", "xbb", "",
                  "'%d %d %d' % tuple(args)", None),
    "notification_daemon": ("org.freedesktop.Notifications", "Notify", "susssasa{sv}i", "u",
                            "__import__('json').dumps(args[:6] + [{k: [type(v).__name__, v] "
                            "for k, v in args[6].items()}] + args[7:], sort_keys=True)", 1),
}

folder, template, answer = sys.argv[1:]
kind = "system" if template == "timedated" else "session"
variable = f"DBUS_{kind.upper()}_BUS_ADDRESS"
children = []
try:
    import dbusmock

    with open(os.path.join(folder, "bus.conf"), "w", encoding="utf-8") as config:
        config.write(CONFIG.format(kind, folder))
    children.append(subprocess.Popen(["dbus-daemon", "--nofork", "--print-address",
                                      "--config-file", config.name],
                                     stdout=subprocess.PIPE, text=True))
    os.environ[variable] = children[0].stdout.readline().strip()
    if answer != "absent":
        stand_in, mock = dbusmock.DBusTestCase.spawn_server_template(
            template, stdout=subprocess.DEVNULL)
        children.append(stand_in)
        interface, name, signature, out, line, ret = METHODS[template]
        code = f"open({folder!r} + '/calls.log', 'a').write({line} + '\\n')\nret = {ret}\n"
        if answer == "silent":
            code += "time.sleep(3600)"  # blocks the stand-in's only thread
        elif answer != "accept":
            code += f"raise dbus.exceptions.DBusException('no', name={answer!r})"
        mock.AddMethod(interface, name, signature, out, code, dbus_interface=dbusmock.MOCK_IFACE)
    print(os.environ[variable], flush=True)
    poller = select.poll()
    poller.register(sys.stdout, 0)  # a pipe without a reader reports an error
    poller.poll()
except Exception as error:  # pylint: disable=broad-except
    print(f"!{type(error).__name__}: {error}".replace("\n", " "), flush=True)
finally:
    for child in reversed(children):
        child.kill()
        child.wait()
