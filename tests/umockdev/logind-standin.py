#!/usr/bin/python3
# A stand-in for logind on a bus of its own (a session bus at argv[1], whose
# rules let anyone own a name): prints the bus's address, owns
# org.freedesktop.login1 and emits PrepareForSleep(true) for a "sleep" line on
# standard input, (false) for a "wake" line; ends with its bus at end of input.
import subprocess
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

daemon = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address",
                           "--address=unix:path=" + sys.argv[1]], stdout=subprocess.PIPE, text=True)
address = daemon.stdout.readline().strip()
DBusGMainLoop(set_as_default=True)
bus = dbus.bus.BusConnection(address)
name = dbus.service.BusName("org.freedesktop.login1", bus)


class Manager(dbus.service.Object):
    @dbus.service.signal("org.freedesktop.login1.Manager", signature="b")
    def PrepareForSleep(self, start):
        pass


manager = Manager(bus, "/org/freedesktop/login1")
loop = GLib.MainLoop()


def on_line(source, condition):
    line = sys.stdin.readline().strip()
    if not line:
        loop.quit()
        return False
    manager.PrepareForSleep(line == "sleep")
    return True


GLib.io_add_watch(sys.stdin, GLib.IO_IN | GLib.IO_HUP, on_line)
print(address, flush=True)
loop.run()
daemon.terminate()
