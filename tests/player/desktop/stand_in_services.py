#!/usr/bin/python3
# Stand-ins for desktop services a test machine lacks, on the buses the
# environment names: the notification server and the desktop portal's
# Inhibit on the session bus, logind's Inhibit on the system bus. Every call
# is written to the log (one JSON object a line) as it arrives.
#   stand_in_services.py LOG [notifications] [portal] [logind]
import json
import os
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

log_path = sys.argv[1]
wanted = set(sys.argv[2:])


def log(**entry):
    with open(log_path, "a") as f:
        f.write(json.dumps(entry) + "\n")


def plain(value):
    if isinstance(value, (dbus.Dictionary, dict)):
        return {str(k): plain(v) for k, v in value.items()}
    if isinstance(value, (dbus.Array, list)):
        return [plain(v) for v in value]
    if isinstance(value, (dbus.Boolean,)):
        return bool(value)
    if isinstance(value, (dbus.Int32, dbus.UInt32, dbus.Int64, dbus.UInt64, dbus.Byte)):
        return int(value)
    return str(value)


class Notifications(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, "/org/freedesktop/Notifications")
        self.next_id = 0

    @dbus.service.method("org.freedesktop.Notifications", in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app_name, replaces_id, app_icon, summary, body, actions, hints, timeout):
        if replaces_id:
            nid = replaces_id
        else:
            self.next_id += 1
            nid = self.next_id
        log(call="Notify", id=nid, app_name=str(app_name), replaces_id=int(replaces_id), app_icon=str(app_icon),
            summary=str(summary), body=str(body), hints=plain(hints))
        return nid

    @dbus.service.method("org.freedesktop.Notifications", out_signature="as")
    def GetCapabilities(self):
        return ["body", "icon-static"]

    @dbus.service.method("org.freedesktop.Notifications", out_signature="ssss")
    def GetServerInformation(self):
        return ("stand-in", "corvalle-tests", "1", "1.2")


class Request(dbus.service.Object):
    def __init__(self, bus, path):
        super().__init__(bus, path)
        self.path = path

    @dbus.service.method("org.freedesktop.portal.Request")
    def Close(self):
        log(call="Close", handle=self.path)
        self.remove_from_connection()


class Portal(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, "/org/freedesktop/portal/desktop")
        self.bus = bus
        self.count = 0

    @dbus.service.method("org.freedesktop.portal.Inhibit", in_signature="sua{sv}", out_signature="o")
    def Inhibit(self, window, flags, options):
        self.count += 1
        path = "/org/freedesktop/portal/desktop/request/stand_in/t%d" % self.count
        Request(self.bus, path)
        log(call="Inhibit", flags=int(flags), options=plain(options), handle=path)
        return dbus.ObjectPath(path)


class Logind(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, "/org/freedesktop/login1")
        self.count = 0

    @dbus.service.method("org.freedesktop.login1.Manager", in_signature="ssss", out_signature="h")
    def Inhibit(self, what, who, why, mode):
        self.count += 1
        lock = self.count
        ours, theirs = os.pipe()
        log(call="LogindInhibit", what=str(what), who=str(who), why=str(why), mode=str(mode), lock=lock)

        def released(fd, condition):
            log(call="LogindReleased", lock=lock)
            os.close(fd)
            return False

        GLib.io_add_watch(ours, GLib.IO_HUP | GLib.IO_ERR, released)
        handle = dbus.types.UnixFd(theirs)
        os.close(theirs)
        return handle


DBusGMainLoop(set_as_default=True)
names = []
if "notifications" in wanted or "portal" in wanted:
    session = dbus.SessionBus()
    if "notifications" in wanted:
        Notifications(session)
        names.append(dbus.service.BusName("org.freedesktop.Notifications", session))
    if "portal" in wanted:
        Portal(session)
        names.append(dbus.service.BusName("org.freedesktop.portal.Desktop", session))
if "logind" in wanted:
    system = dbus.SystemBus()
    Logind(system)
    names.append(dbus.service.BusName("org.freedesktop.login1", system))
log(call="ready")
GLib.MainLoop().run()
