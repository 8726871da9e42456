#!/usr/bin/python3
# A stand-in for logind on a private system bus: owns org.freedesktop.login1
# and emits the Manager's PrepareForSleep(true) for a "sleep" line on standard
# input, PrepareForSleep(false) for a "wake" line.
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

DBusGMainLoop(set_as_default=True)
bus = dbus.bus.BusConnection(sys.argv[1])
name = dbus.service.BusName("org.freedesktop.login1", bus)


class Manager(dbus.service.Object):
    @dbus.service.signal("org.freedesktop.login1.Manager", signature="b")
    def PrepareForSleep(self, start):
        pass


manager = Manager(bus, "/org/freedesktop/login1")
loop = GLib.MainLoop()


def on_line(source, condition):
    line = sys.stdin.readline()
    if not line:
        loop.quit()
        return False
    manager.PrepareForSleep(line.strip() == "sleep")
    print("sent", line.strip(), flush=True)
    return True


GLib.io_add_watch(sys.stdin, GLib.IO_IN | GLib.IO_HUP, on_line)
print("ready", flush=True)
loop.run()
