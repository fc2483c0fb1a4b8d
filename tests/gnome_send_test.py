"""送る through IBus on GNOME (Wayland), run by ibus_send_test.sh inside a private D-Bus session
once a headless GNOME Shell runs: the seat is given a keyboard focus by one key tapped through
mutter's RemoteDesktop API, Lumeta's keys are pressed through their accessible "Press" actions
(as an assistive tool presses them) and its text is read back over AT-SPI.

Usage: /usr/bin/python3 gnome_send_test.py LUMETA GTK_TARGET_SCRIPT QT_TARGET WORK
"""
import os
import re
import subprocess
import sys
import time
import traceback

from gi.repository import Gio, GLib

REGISTRY = "org.a11y.atspi.Registry"
ROOT = "/org/a11y/atspi/accessible/root"
lumeta, gtk_script, qt_target, work = sys.argv[1:5]
session = Gio.bus_get_sync(Gio.BusType.SESSION)
failures = []


def check(what, got, expected):
    print(("ok: GNOME: " if got == expected else "FAILED: GNOME: ") + what +
          ("" if got == expected else f": got {got!r}, expected {expected!r}"), flush=True)
    if got != expected:
        failures.append(what)


def wait_for(read, expected, seconds=20):
    deadline = time.time() + seconds
    got = read()
    while got != expected and time.time() < deadline:
        time.sleep(0.1)
        got = read()
    return got


def tap_shift():
    """Headless mutter has no keyboard until something types: one Shift tap gives the seat one."""
    desk = "org.gnome.Mutter.RemoteDesktop"
    path = session.call_sync(desk, "/org/gnome/Mutter/RemoteDesktop", desk, "CreateSession",
                             None, GLib.VariantType("(o)"), 0, -1, None).unpack()[0]
    for method, args in (("Start", None),
                         ("NotifyKeyboardKeysym", GLib.Variant("(ub)", (0xFFE1, True))),
                         ("NotifyKeyboardKeysym", GLib.Variant("(ub)", (0xFFE1, False)))):
        session.call_sync(desk, path, desk + ".Session", method, args, None, 0, -1, None)
    return path  # the session lives as long as this connection


A11Y = session.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress", None,
                         GLib.VariantType("(s)"), 0, -1, None).unpack()[0]
a11y = Gio.DBusConnection.new_for_address_sync(
    A11Y, Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT |
    Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)


def call(bus, path, interface, method, args=None):
    return a11y.call_sync(bus, path, interface, method, args, None, 0, 2000, None).unpack()


def children(bus, path):
    return call(bus, path, "org.a11y.atspi.Accessible", "GetChildren")[0]


def name(bus, path):
    return call(bus, path, "org.freedesktop.DBus.Properties", "Get",
                GLib.Variant("(ss)", ("org.a11y.atspi.Accessible", "Name")))[0]


def role(bus, path):
    return call(bus, path, "org.a11y.atspi.Accessible", "GetRoleName")[0]


class Lumeta:
    """A Lumeta window on GNOME, found on the accessibility bus; its keys pressed by name."""

    def __init__(self, state):
        self.log = os.path.join(work, "lumeta.log")
        env = dict(os.environ, QT_QPA_PLATFORM="wayland", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                   XDG_STATE_HOME=state)
        env.pop("QT_IM_MODULE", None)
        self.process = subprocess.Popen([lumeta], env=env, stdout=open(self.log, "w"),
                                        stderr=subprocess.STDOUT)
        self.bus = None
        deadline = time.time() + 30
        while self.bus is None and time.time() < deadline:
            time.sleep(0.3)
            for bus, path in children(REGISTRY, ROOT):
                try:
                    if name(bus, path) == "lumeta":
                        self.bus, self.app = bus, path
                except GLib.Error:
                    pass
        if self.bus is None:
            raise RuntimeError("Lumeta never appeared on the accessibility bus")
        time.sleep(1)
        self.found = {}
        self.walk(self.app, 0)

    def walk(self, path, depth):
        for b, p in children(self.bus, path):
            r = role(b, p)
            self.found.setdefault((r, name(b, p)), p)
            if depth < 6 and r not in ("list item", "table cell", "table"):
                self.walk(p, depth + 1)

    def press(self, *names):
        for key in names:
            path = self.found[("push button", key)]
            call(self.bus, path, "org.a11y.atspi.Action", "DoAction", GLib.Variant("(i)", (0,)))
            time.sleep(0.2)

    def text(self):
        path = self.found[("text", "入力テキスト")]
        return call(self.bus, path, "org.a11y.atspi.Text", "GetText",
                    GLib.Variant("(ii)", (0, -1)))[0]

    def pick_symbol(self, index):
        """A cell of the symbol picker's first page, pressed as a click would pick it."""
        grid = None
        deadline = time.time() + 10
        while grid is None and time.time() < deadline:
            time.sleep(0.2)
            self.found = {}
            self.walk(self.app, 0)
            grid = self.found.get(("table", "記号の一覧"))
        cell = children(self.bus, grid)[index]
        call(self.bus, cell[1], "org.a11y.atspi.Action", "DoAction", GLib.Variant("(i)", (0,)))
        return name(*cell)

    def said(self, words):
        with open(self.log, encoding="utf-8", errors="replace") as log:
            return words in log.read()

    def quit(self):
        time.sleep(1.5)  # the draft is written a second after the last change
        self.process.terminate()
        self.process.wait()


def read(path):
    try:
        with open(path, encoding="utf-8") as f:
            return f.read()
    except OSError:
        return None


def start(command, env_extra, received=None):
    """Starts a target; the GTK one writes its empty text once it is up, the Qt one only after
    a change, so it is given two seconds."""
    env = dict(os.environ, **env_extra)
    process = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    if received:
        wait_for(lambda: read(received) is not None, True)
    time.sleep(1 if received else 2)
    return process


def main():
    tap_shift()
    state = os.path.join(work, "state")
    received = os.path.join(work, "gtk.txt")
    gtk = start(["/usr/bin/python3", gtk_script, received], {"GDK_BACKEND": "wayland"},
                received)
    # Lumeta opens over the GTK field and has the focus, as after the user turned to it.
    app = Lumeta(state)
    app.press("キー K", "キー A", "キー I", "下", "決定", "決定", "モード", "キー A", "キー H",
              "キー H", "キー T", "キー T", "キー T", "モード")
    symbol = app.pick_symbol(113)  # 「
    app.press("決定")  # leaves symbol mode
    wanted = "回\nABC" + symbol
    check("Lumeta holds the text to send", wait_for(app.text, wanted), wanted)
    app.press("送る")
    check("the GTK field received the text through IBus, byte for byte",
          wait_for(lambda: read(received), wanted), wanted)
    check("Lumeta says what was sent",
          wait_for(lambda: app.said(f"{len(wanted)} 文字を送りました"), True), True)
    check("nothing went on the clipboard", app.said("クリップボード"), False)
    check("Lumeta's text is empty after sending", wait_for(app.text, ""), "")
    app.press("元に戻す")
    check("元に戻す brings the sent text back", wait_for(app.text, wanted), wanted)
    app.quit()
    gtk.terminate()
    gtk.wait()

    # A Qt 6 field takes IBus's text on GNOME when started with IBus's Qt module.
    received = os.path.join(work, "qt.txt")
    qt = start([qt_target, received], {"QT_QPA_PLATFORM": "wayland", "QT_IM_MODULE": "ibus"})
    app = Lumeta(state)
    app.press("元に戻す")  # the draft of the last run
    check("the draft comes back", wait_for(app.text, wanted), wanted)
    app.press("送る")
    check("the Qt field (QT_IM_MODULE=ibus) received the text",
          wait_for(lambda: read(received), wanted), wanted)
    check("Lumeta's text is empty after sending to Qt", wait_for(app.text, ""), "")
    app.press("元に戻す")
    app.quit()
    qt.terminate()
    qt.wait()

    # A Qt field without IBus's module takes nothing on GNOME: after a short wait the text goes
    # on the clipboard, Lumeta says so, and the text stays.
    received = os.path.join(work, "qt-plain.txt")
    qt = start([qt_target, received], {"QT_QPA_PLATFORM": "wayland", "QT_IM_MODULE": ""})
    app = Lumeta(state)
    app.press("元に戻す")
    wait_for(app.text, wanted)
    app.press("送る")
    check("with nothing taking the text Lumeta says it used the clipboard",
          wait_for(lambda: app.said("貼り付けてください"), True), True)
    check("the text stays in Lumeta", wait_for(app.text, wanted), wanted)
    check("nothing arrived in the field", read(received) or "", "")
    app.quit()
    qt.terminate()
    qt.wait()
    print(f"GNOME: {len(failures)} failed", flush=True)
    return 1 if failures else 0


def last_words():
    with open(os.path.join(work, "lumeta.log"), encoding="utf-8", errors="replace") as log:
        print("the last Lumeta said:\n" + log.read()[-2000:], flush=True)


if __name__ == "__main__":
    try:
        status = main()
    except (GLib.Error, RuntimeError, KeyError):
        traceback.print_exc()
        status = 1
    if status:
        last_words()
    sys.exit(status)
