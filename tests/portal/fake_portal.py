#!/usr/bin/python3
"""A desktop portal with GlobalShortcuts (version 1) and the host registry, on the session bus named by
DBUS_SESSION_BUS_ADDRESS, for tests. It checks what a client sends and writes one line per event to --log:

  ready NAME                         the bus name is owned; NAME is the fake's unique name
  Register APP_ID                    the host registry was called
  CreateSession handle_token=T session_handle_token=S
  BindShortcuts parent_window=P
  shortcut ID TRIGGER DESCRIPTION    one line per shortcut of a BindShortcuts call, in the call's order
  Close SESSION_PATH                 the client closed its session
  activated ID | changed IDS | closed SESSION_PATH
  ERROR TEXT                         a call broke the protocol; the test fails on any such line

Every Request's Response is emitted before the call's reply goes out, as fast as a portal can be: a client
that subscribes to the predicted handle only after the call misses it.

Commands on stdin, one a line: "activate ID" (Activated for the last bound session), "changed ID,ID"
(ShortcutsChanged granting those ids), "close-session" (the portal ends the session), "quit".
"""
import argparse
import os
import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

PORTAL_NAME = "org.freedesktop.portal.Desktop"
PORTAL_PATH = "/org/freedesktop/portal/desktop"
SHORTCUTS = "org.freedesktop.portal.GlobalShortcuts"
REGISTRY = "org.freedesktop.host.portal.Registry"
REQUEST = "org.freedesktop.portal.Request"
SESSION = "org.freedesktop.portal.Session"
PROPERTIES = "org.freedesktop.DBus.Properties"


def sender_element(sender):
    return sender[1:].replace(".", "_")


class Log:
    def __init__(self, path):
        self.file = open(path, "a", encoding="utf-8")

    def __call__(self, line):
        self.file.write(line + "\n")
        self.file.flush()


class Request(dbus.service.Object):
    @dbus.service.signal(REQUEST, signature="ua{sv}")
    def Response(self, response, results):
        pass


class Session(dbus.service.Object):
    def __init__(self, bus, path, portal):
        super().__init__(bus, path)
        self.path = path
        self.portal = portal
        self.bound = False

    @dbus.service.method(SESSION, in_signature="", out_signature="")
    def Close(self):
        self.portal.log(f"Close {self.path}")
        self.portal.forget(self)

    @dbus.service.signal(SESSION, signature="a{sv}")
    def Closed(self, details):
        pass


class Portal(dbus.service.Object):
    def __init__(self, bus, args, log):
        super().__init__(bus, PORTAL_PATH)
        self.bus = bus
        self.args = args
        self.log = log
        self.registered = set()
        self.called = set()
        self.sessions = {}
        self.last_session = None

    def error(self, text):
        self.log(f"ERROR {text}")

    def note_call(self, sender):
        self.called.add(sender)

    def respond(self, sender, options, method, response, results):
        """Emits the Response on the handle predicted from handle_token and returns that handle."""
        token = options.get("handle_token")
        if not isinstance(token, dbus.String) or not token:
            self.error(f"{method} without a handle_token")
            token = "missing"
        path = f"{PORTAL_PATH}/request/{sender_element(sender)}/{token}"
        request = Request(self.bus, path)
        request.Response(dbus.UInt32(response), dbus.Dictionary(results, signature="sv"))
        request.remove_from_connection()
        return dbus.ObjectPath(path)

    def forget(self, session):
        self.sessions.pop(session.path, None)
        session.remove_from_connection()
        if self.last_session is session:
            self.last_session = None

    @dbus.service.method(REGISTRY, in_signature="sa{sv}", out_signature="", sender_keyword="sender")
    def Register(self, app_id, options, sender=None):
        if self.args.no_registry:
            raise dbus.exceptions.DBusException(
                "No such interface", name="org.freedesktop.DBus.Error.UnknownMethod")
        self.log(f"Register {app_id}")
        if sender in self.called:
            self.error("Register came after another portal call")
        if sender in self.registered:
            raise dbus.exceptions.DBusException("already registered", name="org.freedesktop.portal.Error.Failed")
        self.registered.add(sender)

    @dbus.service.method(PROPERTIES, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        if interface == SHORTCUTS and name == "version":
            return dbus.UInt32(1, variant_level=1)
        raise dbus.exceptions.DBusException("no such property", name="org.freedesktop.DBus.Error.InvalidArgs")

    @dbus.service.method(PROPERTIES, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return {"version": dbus.UInt32(1)} if interface == SHORTCUTS else {}

    @dbus.service.method(SHORTCUTS, in_signature="a{sv}", out_signature="o", sender_keyword="sender")
    def CreateSession(self, options, sender=None):
        self.note_call(sender)
        if not self.args.no_registry and sender not in self.registered:
            self.error("CreateSession before Register")
        session_token = options.get("session_handle_token")
        self.log(f"CreateSession handle_token={options.get('handle_token')} session_handle_token={session_token}")
        if not isinstance(session_token, dbus.String) or not session_token:
            self.error("CreateSession without a session_handle_token")
            session_token = "missing"
        path = f"{PORTAL_PATH}/session/{sender_element(sender)}/{session_token}"
        if path in self.sessions:
            self.error(f"session {path} exists already")
        session = Session(self.bus, path, self)
        self.sessions[path] = session
        self.last_session = session
        # Debian 12's frontend (1.16) sends the handle as a string; later ones as an object path.
        handle = dbus.String(path) if self.args.session_handle_type == "s" else dbus.ObjectPath(path)
        return self.respond(sender, options, "CreateSession", 0, {"session_handle": handle})

    @dbus.service.method(SHORTCUTS, in_signature="oa(sa{sv})sa{sv}", out_signature="o", sender_keyword="sender")
    def BindShortcuts(self, session_handle, shortcuts, parent_window, options, sender=None):
        self.note_call(sender)
        self.log(f"BindShortcuts parent_window={parent_window}")
        session = self.sessions.get(str(session_handle))
        if session is None:
            self.error(f"BindShortcuts on unknown session {session_handle}")
            return self.respond(sender, options, "BindShortcuts", 2, {})
        if session.bound:
            self.error("BindShortcuts twice on one session")
        session.bound = True
        ids = []
        for shortcut_id, properties in shortcuts:
            ids.append(str(shortcut_id))
            self.log(f"shortcut {shortcut_id} {properties.get('preferred_trigger')} {properties.get('description')}")
            unknown = set(properties) - {"description", "preferred_trigger"}
            if unknown:
                self.error(f"shortcut {shortcut_id} has unknown properties {sorted(unknown)}")
        answer = self.args.answer
        if answer == "cancel":
            return self.respond(sender, options, "BindShortcuts", 1, {})
        if answer == "fail":
            return self.respond(sender, options, "BindShortcuts", 2, {})
        if answer == "no-list":
            return self.respond(sender, options, "BindShortcuts", 0, {})
        granted = ids if answer == "grant" else answer.split(",")
        # A listed shortcut with an empty trigger is one the user left without a key.
        listed = [(i, {"description": "", "trigger_description": "F-key" if i in granted else ""}) for i in ids
                  if i in granted or self.args.list_refused]
        return self.respond(sender, options, "BindShortcuts", 0, {"shortcuts": shortcut_list(listed)})

    @dbus.service.signal(SHORTCUTS, signature="osta{sv}")
    def Activated(self, session_handle, shortcut_id, timestamp, options):
        pass

    @dbus.service.signal(SHORTCUTS, signature="oa(sa{sv})")
    def ShortcutsChanged(self, session_handle, shortcuts):
        pass

    def command(self, line):
        words = line.split()
        if not words:
            return True
        if words[0] == "quit":
            return False
        session = self.last_session
        if session is None:
            self.error(f"'{line}' with no session")
            return True
        path = dbus.ObjectPath(session.path)
        if words[0] == "activate" and len(words) == 2:
            self.Activated(path, words[1], dbus.UInt64(GLib.get_real_time() // 1000), dbus.Dictionary({}, signature="sv"))
            self.log(f"activated {words[1]}")
        elif words[0] == "changed" and len(words) == 2:
            ids = words[1].split(",")
            self.ShortcutsChanged(path, shortcut_list([(i, {"trigger_description": "F-key"}) for i in ids]))
            self.log(f"changed {words[1]}")
        elif words[0] == "close-session":
            session.Closed(dbus.Dictionary({}, signature="sv"))
            self.log(f"closed {session.path}")
            self.forget(session)
        else:
            self.error(f"unknown command '{line}'")
        return True


def shortcut_list(entries):
    return dbus.Array([dbus.Struct((i, dbus.Dictionary(p, signature="sv"))) for i, p in entries],
                      signature="(sa{sv})")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--log", required=True)
    parser.add_argument("--answer", default="grant",
                        help="grant | cancel | fail | no-list | ID,ID (grant only those)")
    parser.add_argument("--list-refused", action="store_true",
                        help="list the refused shortcuts too, with an empty trigger")
    parser.add_argument("--no-registry", action="store_true", help="act as a portal before the host registry")
    parser.add_argument("--session-handle-type", choices=("o", "s"), default="o")
    args = parser.parse_args()

    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    log = Log(args.log)
    portal = Portal(bus, args, log)
    name = dbus.service.BusName(PORTAL_NAME, bus, do_not_queue=True)
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
            if not portal.command(line.decode().strip()):
                loop.quit()
                return False
        return True

    GLib.io_add_watch(sys.stdin, GLib.IO_IN | GLib.IO_HUP, on_input)
    log(f"ready {bus.get_unique_name()}")
    loop.run()
    del name


if __name__ == "__main__":
    main()
