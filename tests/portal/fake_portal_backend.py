#!/usr/bin/python3
"""A GlobalShortcuts backend (org.freedesktop.impl.portal.GlobalShortcuts) for Debian's own
xdg-desktop-portal frontend, on the session bus named by DBUS_SESSION_BUS_ADDRESS. The frontend finds it
through a .portal file. It grants the shortcuts it is asked to bind (all, or those --refuse does not name:
those it lists with an empty trigger, as a user who left them without a key) and writes one line per event
to --log:

  ready NAME | CreateSession APP_ID | shortcut ID TRIGGER DESCRIPTION | Close SESSION_PATH | activated ID

Commands on stdin, one a line: "activate ID" (Activated for the last session), "quit".
"""
import argparse
import os
import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

IMPL = "org.freedesktop.impl.portal.GlobalShortcuts"
SESSION = "org.freedesktop.impl.portal.Session"
PROPERTIES = "org.freedesktop.DBus.Properties"
PATH = "/org/freedesktop/portal/desktop"


class Session(dbus.service.Object):
    def __init__(self, bus, path, log):
        super().__init__(bus, path)
        self.path = path
        self.log = log

    @dbus.service.method(SESSION, in_signature="", out_signature="")
    def Close(self):
        self.log(f"Close {self.path}")
        self.remove_from_connection()

    @dbus.service.signal(SESSION, signature="")
    def Closed(self):
        pass


class Backend(dbus.service.Object):
    def __init__(self, bus, log, refused):
        super().__init__(bus, PATH)
        self.bus = bus
        self.log = log
        self.refused = refused
        self.session = None

    @dbus.service.method(PROPERTIES, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return dbus.UInt32(1, variant_level=1)

    @dbus.service.method(PROPERTIES, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return {"version": dbus.UInt32(1)}

    @dbus.service.method(IMPL, in_signature="oosa{sv}", out_signature="ua{sv}")
    def CreateSession(self, handle, session_handle, app_id, options):
        self.log(f"CreateSession app_id={app_id}")
        self.session = Session(self.bus, str(session_handle), self.log)
        return dbus.UInt32(0), dbus.Dictionary({}, signature="sv")

    @dbus.service.method(IMPL, in_signature="ooa(sa{sv})sa{sv}", out_signature="ua{sv}")
    def BindShortcuts(self, handle, session_handle, shortcuts, parent_window, options):
        listed = []
        for shortcut_id, properties in shortcuts:
            self.log(f"shortcut {shortcut_id} {properties.get('preferred_trigger')} {properties.get('description')}")
            listed.append(dbus.Struct((shortcut_id, dbus.Dictionary(
                {"description": properties.get("description", ""),
                 "trigger_description": "" if shortcut_id in self.refused
                 else properties.get("preferred_trigger", "")}, signature="sv"))))
        return dbus.UInt32(0), dbus.Dictionary(
            {"shortcuts": dbus.Array(listed, signature="(sa{sv})")}, signature="sv")

    @dbus.service.method(IMPL, in_signature="oo", out_signature="ua{sv}")
    def ListShortcuts(self, handle, session_handle):
        return dbus.UInt32(0), dbus.Dictionary({}, signature="sv")

    @dbus.service.signal(IMPL, signature="osta{sv}")
    def Activated(self, session_handle, shortcut_id, timestamp, options):
        pass

    @dbus.service.signal(IMPL, signature="osta{sv}")
    def Deactivated(self, session_handle, shortcut_id, timestamp, options):
        pass

    @dbus.service.signal(IMPL, signature="oa(sa{sv})")
    def ShortcutsChanged(self, session_handle, shortcuts):
        pass


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--log", required=True)
    parser.add_argument("--name", required=True, help="the bus name the .portal file gives")
    parser.add_argument("--refuse", default="", help="ids to leave without a trigger, comma-separated")
    args = parser.parse_args()
    log_file = open(args.log, "a", encoding="utf-8")

    def log(line):
        log_file.write(line + "\n")
        log_file.flush()

    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    backend = Backend(bus, log, set(filter(None, args.refuse.split(","))))
    name = dbus.service.BusName(args.name, bus, do_not_queue=True)
    loop = GLib.MainLoop()
    pending = b""

    # Raw reads: a buffered readline would keep later lines in Python's buffer, where GLib cannot see them.
    def on_input(source, condition):
        nonlocal pending
        chunk = os.read(sys.stdin.fileno(), 4096)
        if not chunk:
            loop.quit()
            return False
        pending += chunk
        while b"\n" in pending:
            line, pending = pending.split(b"\n", 1)
            words = line.decode().split()
            if words[:1] == ["quit"]:
                loop.quit()
                return False
            if len(words) == 2 and words[0] == "activate" and backend.session:
                backend.Activated(dbus.ObjectPath(backend.session.path), words[1],
                                  dbus.UInt64(GLib.get_real_time() // 1000), dbus.Dictionary({}, signature="sv"))
                log(f"activated {words[1]}")
        return True

    GLib.io_add_watch(sys.stdin, GLib.IO_IN | GLib.IO_HUP, on_input)
    log(f"ready {bus.get_unique_name()}")
    loop.run()
    del name


if __name__ == "__main__":
    main()
