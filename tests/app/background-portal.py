#!/usr/bin/python3
"""The desktop's background portal in miniature, for the session-bus test.

  background-portal.py DELAY_MS   owns org.freedesktop.portal.Desktop; prints
                                  "ready", then one JSON line per
                                  RequestBackground call. Each call is answered
                                  DELAY_MS later, and its Request's Response
                                  (granted) follows, as xdg-desktop-portal does.
"""
import json
import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

BACKGROUND = "org.freedesktop.portal.Background"
REQUEST = "org.freedesktop.portal.Request"


class Request(dbus.service.Object):
    @dbus.service.signal(REQUEST, signature="ua{sv}")
    def Response(self, response, results):
        pass


class Portal(dbus.service.Object):
    def __init__(self, bus, delay):
        super().__init__(bus, "/org/freedesktop/portal/desktop")
        self.bus = bus
        self.delay = delay

    @dbus.service.method(BACKGROUND, in_signature="sa{sv}", out_signature="o", sender_keyword="sender",
                         async_callbacks=("reply", "error"))
    def RequestBackground(self, parent_window, options, sender=None, reply=None, error=None):
        print(json.dumps({"parent_window": str(parent_window),
                          "options": {str(k): (bool(v) if isinstance(v, dbus.Boolean) else str(v))
                                      for k, v in options.items()}}), flush=True)
        path = "/org/freedesktop/portal/desktop/request/%s/%s" % (
            sender[1:].replace(".", "_"), options.get("handle_token", "t"))
        request = Request(self.bus, path)

        def answer():
            reply(dbus.ObjectPath(path))
            request.Response(dbus.UInt32(0), {"background": True, "autostart": False})
            return False

        GLib.timeout_add(self.delay, answer)


def main():
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    portal = Portal(bus, int(sys.argv[1]))
    name = dbus.service.BusName("org.freedesktop.portal.Desktop", bus)
    print("ready", flush=True)
    GLib.MainLoop().run()
    del portal, name


if __name__ == "__main__":
    main()
