#!/usr/bin/python3
"""A desktop's side of the portal's global shortcuts, for tests: it binds what it is asked (or
refuses, as told), writes each preferred trigger to RECORD, and presses the shortcut once,
shortly after binding it. Usage: portal_backend.py RECORD ANSWER"""
import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

NAME = "org.freedesktop.impl.portal.desktop.linecaltest"
IMPL = "org.freedesktop.impl.portal.GlobalShortcuts"


class Session(dbus.service.Object):
    @dbus.service.method("org.freedesktop.impl.portal.Session", in_signature="", out_signature="")
    def Close(self):
        self.remove_from_connection()


class Shortcuts(dbus.service.Object):
    def __init__(self, bus, record, answer):
        super().__init__(bus, "/org/freedesktop/portal/desktop")
        self.bus, self.record, self.answer, self.sessions = bus, record, answer, []

    @dbus.service.method(IMPL, in_signature="oosa{sv}", out_signature="ua{sv}")
    def CreateSession(self, handle, session_handle, app_id, options):
        self.sessions.append(Session(self.bus, session_handle))
        return dbus.UInt32(0), dbus.Dictionary({}, signature="sv")

    @dbus.service.method(IMPL, in_signature="ooa(sa{sv})sa{sv}", out_signature="ua{sv}")
    def BindShortcuts(self, handle, session_handle, shortcuts, parent_window, options):
        with open(self.record, "a") as out:
            for shortcut_id, properties in shortcuts:
                out.write("%s %s\n" % (shortcut_id, properties.get("preferred_trigger", "")))
        if self.answer != 0:
            return dbus.UInt32(self.answer), dbus.Dictionary({}, signature="sv")
        bound = dbus.Array([dbus.Struct((i, dbus.Dictionary({"description": p.get("description", ""),
                                                              "trigger_description": "Press " + p.get("preferred_trigger", "")},
                                                             signature="sv")))
                            for i, p in shortcuts], signature="(sa{sv})")
        first = shortcuts[0][0]
        GLib.timeout_add(200, lambda: self.Activated(session_handle, first, dbus.UInt64(1), {}) and False)
        return dbus.UInt32(0), dbus.Dictionary({"shortcuts": bound}, signature="sv")

    @dbus.service.method(IMPL, in_signature="oo", out_signature="ua{sv}")
    def ListShortcuts(self, handle, session_handle):
        return dbus.UInt32(0), dbus.Dictionary({}, signature="sv")

    @dbus.service.signal(IMPL, signature="osta{sv}")
    def Activated(self, session_handle, shortcut_id, timestamp, options):
        pass


def main():
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    desktop = Shortcuts(bus, sys.argv[1], int(sys.argv[2]))
    name = dbus.service.BusName(NAME, bus)  # the name is held only while this object lives
    GLib.MainLoop().run()
    del desktop, name


if __name__ == "__main__":
    main()
