# SPDX-License-Identifier: MIT
"""What the end-to-end tests ask of a desktop over D-Bus: a stand-in StatusNotifier tray host
and the clicks a panel sends to an item, and screenshots of a KWin Wayland session.

  desktop.py watcher      own org.kde.StatusNotifierWatcher until killed
  desktop.py items        the registered items, one a line
  desktop.py activate     a plain click on the first item (Activate)
  desktop.py menu         the item's menu labels in order ("-" for a separator)
  desktop.py click LABEL  clicks the menu entry LABEL through dbusmenu
  desktop.py screenshot FILE   the whole KWin screen as PNG
"""
import os
import sys
import time

import dbus
import dbus.service

WATCHER = 'org.kde.StatusNotifierWatcher'
WATCHER_PATH = '/StatusNotifierWatcher'
ITEM = 'org.kde.StatusNotifierItem'
MENU = 'com.canonical.dbusmenu'
PROPERTIES = 'org.freedesktop.DBus.Properties'

# Qt reads IsStatusNotifierHostRegistered through introspection: without it in this XML it
# takes the tray for absent.
INTROSPECTION = f'''<node>
 <interface name="{WATCHER}">
  <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
  <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
  <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
  <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
  <property name="ProtocolVersion" type="i" access="read"/>
  <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
  <signal name="StatusNotifierHostRegistered"/>
 </interface>
 <interface name="org.freedesktop.DBus.Introspectable">
  <method name="Introspect"><arg type="s" direction="out"/></method>
 </interface>
</node>'''


class Watcher(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, WATCHER_PATH)
        self.items = []

    @dbus.service.method('org.freedesktop.DBus.Introspectable', out_signature='s')
    def Introspect(self):
        return INTROSPECTION

    @dbus.service.method(WATCHER, in_signature='s', sender_keyword='sender')
    def RegisterStatusNotifierItem(self, service, sender=None):
        # Qt hands its unique name; other clients a well-known name or an object path.
        item = service if service.startswith(':') or '.' in service else sender + service
        if item not in self.items:
            self.items.append(item)
            self.StatusNotifierItemRegistered(item)

    @dbus.service.method(WATCHER, in_signature='s')
    def RegisterStatusNotifierHost(self, service):
        pass

    def forget(self, name, old_owner, new_owner):
        """An item whose program left the bus goes, as with the desktops' watchers."""
        if not new_owner:
            self.items = [i for i in self.items if i.partition('/')[0] not in (name, old_owner)]

    @dbus.service.signal(WATCHER, signature='s')
    def StatusNotifierItemRegistered(self, item):
        pass

    def properties(self):
        return {'RegisteredStatusNotifierItems': dbus.Array(self.items, signature='s'),
                'IsStatusNotifierHostRegistered': dbus.Boolean(True),
                'ProtocolVersion': dbus.Int32(0)}

    @dbus.service.method(PROPERTIES, in_signature='ss', out_signature='v')
    def Get(self, interface, name):
        return self.properties()[name]

    @dbus.service.method(PROPERTIES, in_signature='s', out_signature='a{sv}')
    def GetAll(self, interface):
        return self.properties()


def run_watcher():
    from dbus.mainloop.glib import DBusGMainLoop
    from gi.repository import GLib
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    watcher = Watcher(bus)
    bus.add_signal_receiver(watcher.forget, 'NameOwnerChanged', 'org.freedesktop.DBus')
    name = dbus.service.BusName(WATCHER, bus)  # released when collected
    GLib.MainLoop().run()
    del watcher, name


def first_item(bus):
    watcher = bus.get_object(WATCHER, WATCHER_PATH)
    items = watcher.Get(WATCHER, 'RegisteredStatusNotifierItems', dbus_interface=PROPERTIES)
    if not items:
        sys.exit('no item registered')
    service, _, path = str(items[0]).partition('/')
    return bus.get_object(service, '/' + path if path else '/StatusNotifierItem')


def menu_entries(bus):
    """(id, label) of the visible top-level entries, "-" for a separator."""
    item = first_item(bus)
    path = item.Get(ITEM, 'Menu', dbus_interface=PROPERTIES)
    menu = dbus.Interface(bus.get_object(item.requested_bus_name, path), MENU)
    _, (_, _, children) = menu.GetLayout(0, 1, dbus.Array([], signature='s'))
    entries = [(int(i), '-' if p.get('type') == 'separator' else str(p.get('label', '')))
               for i, p, _ in children if p.get('visible', True)]
    return menu, entries


def screenshot(bus, path):
    from PIL import Image
    kwin = bus.get_object('org.kde.KWin', '/org/kde/KWin/ScreenShot2')
    read_end, write_end = os.pipe()
    meta = kwin.CaptureActiveScreen({}, dbus.types.UnixFd(write_end),
                                    dbus_interface='org.kde.KWin.ScreenShot2')
    os.close(write_end)
    with os.fdopen(read_end, 'rb') as pipe:
        data = pipe.read()
    size = (int(meta['width']), int(meta['height']))
    # Raw ARGB32 in the machine's order: B, G, R, A bytes.
    Image.frombuffer('RGBA', size, data, 'raw', 'BGRA', int(meta['stride']), 1).save(path)


def main():
    command = sys.argv[1] if len(sys.argv) > 1 else ''
    if command == 'watcher':
        return run_watcher()
    bus = dbus.SessionBus()
    if command == 'items':
        watcher = bus.get_object(WATCHER, WATCHER_PATH)
        for item in watcher.Get(WATCHER, 'RegisteredStatusNotifierItems',
                                dbus_interface=PROPERTIES):
            print(item)
    elif command == 'activate':
        first_item(bus).Activate(dbus.Int32(0), dbus.Int32(0), dbus_interface=ITEM)
    elif command == 'menu':
        for _, label in menu_entries(bus)[1]:
            print(label)
    elif command == 'click':
        menu, entries = menu_entries(bus)
        ids = [i for i, label in entries if label == sys.argv[2]]
        if not ids:
            sys.exit('no menu entry ' + sys.argv[2])
        menu.Event(ids[0], 'clicked', dbus.Int32(0), dbus.UInt32(int(time.time())))
    elif command == 'screenshot':
        screenshot(bus, sys.argv[2])
    else:
        sys.exit(__doc__)


if __name__ == '__main__':
    main()
