#!/usr/bin/python3
"""A StatusNotifierItem host in miniature, for the end-to-end run.

  sni-watcher.py watch FILE            owns org.kde.StatusNotifierWatcher on the
                                       session bus; appends every item that
                                       registers to FILE, one service a line
  sni-watcher.py activate SERVICE      a left click on the item
  sni-watcher.py menu SERVICE LABEL    clicks the entry LABEL of the item's menu

Qt 5 takes the D-Bus tray (StatusNotifierItem) when the watcher says a host is
registered, as Plasma's and the AppIndicator extension's do.
"""
import sys

import dbus
import dbus.service

WATCHER = "org.kde.StatusNotifierWatcher"
ITEM = "org.kde.StatusNotifierItem"
MENU = "com.canonical.dbusmenu"
PROPERTIES = "org.freedesktop.DBus.Properties"


INTROSPECTION = """<node>
 <interface name="org.kde.StatusNotifierWatcher">
  <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
  <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
  <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
  <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
  <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
  <property name="ProtocolVersion" type="i" access="read"/>
 </interface>
 <interface name="org.freedesktop.DBus.Properties">
  <method name="Get"><arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="v" direction="out"/></method>
  <method name="GetAll"><arg type="s" direction="in"/><arg type="a{sv}" direction="out"/></method>
 </interface>
</node>"""


class Watcher(dbus.service.Object):
    def __init__(self, bus, record):
        super().__init__(bus, "/StatusNotifierWatcher")
        self.record = record
        self.items = []

    @dbus.service.method(WATCHER, in_signature="s", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        # An item may name its object path instead of a service name.
        if service.startswith("/"):
            service = sender
        self.items.append(service)
        with open(self.record, "a") as f:
            f.write(service + "\n")
        self.StatusNotifierItemRegistered(service)

    @dbus.service.method(WATCHER, in_signature="s")
    def RegisterStatusNotifierHost(self, service):
        pass

    @dbus.service.signal(WATCHER, signature="s")
    def StatusNotifierItemRegistered(self, service):
        pass

    def props(self):
        return {
            "RegisteredStatusNotifierItems": dbus.Array(self.items, signature="s"),
            "IsStatusNotifierHostRegistered": dbus.Boolean(True),
            "ProtocolVersion": dbus.Int32(0),
        }

    # Qt reads the properties through an interface built from this description,
    # so it has to list them (dbus-python's own leaves them out).
    @dbus.service.method("org.freedesktop.DBus.Introspectable", out_signature="s")
    def Introspect(self):
        return INTROSPECTION

    @dbus.service.method(PROPERTIES, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return self.props()[name]

    @dbus.service.method(PROPERTIES, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return self.props()


def watch(record):
    from dbus.mainloop.glib import DBusGMainLoop
    from gi.repository import GLib

    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    name = dbus.service.BusName(WATCHER, bus, do_not_queue=True)
    watcher = Watcher(bus, record)
    print("watching", flush=True)
    GLib.MainLoop().run()
    del name, watcher


def find_entry(layout, label):
    item_id, properties, children = layout
    if properties.get("label", "").replace("_", "") == label:
        return item_id
    for child in children:
        found = find_entry(child, label)
        if found is not None:
            return found
    return None


def main(argv):
    if len(argv) >= 3 and argv[1] == "watch":
        watch(argv[2])
        return 0
    bus = dbus.SessionBus()
    if len(argv) == 3 and argv[1] == "activate":
        item = bus.get_object(argv[2], "/StatusNotifierItem")
        item.Activate(dbus.Int32(0), dbus.Int32(0), dbus_interface=ITEM)
        return 0
    if len(argv) == 4 and argv[1] == "menu":
        item = bus.get_object(argv[2], "/StatusNotifierItem")
        path = item.Get(ITEM, "Menu", dbus_interface=PROPERTIES)
        menu = bus.get_object(argv[2], path)
        _, layout = menu.GetLayout(dbus.Int32(0), dbus.Int32(-1), dbus.Array([], signature="s"),
                                   dbus_interface=MENU)
        entry = find_entry(layout, argv[3])
        if entry is None:
            print("no menu entry", argv[3], file=sys.stderr)
            return 1
        menu.Event(dbus.Int32(entry), "clicked", dbus.Int32(0, variant_level=1), dbus.UInt32(0),
                   dbus_interface=MENU)
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
