"""A GTK 3 text field for the 送る tests through IBus: it writes all it holds, as UTF-8, to the
file named by its argument after every change, replacing the file whole. GTK takes text from
the input method through its own module (ibus on X11, the compositor's text input on Wayland).

Usage: /usr/bin/python3 send_target_gtk.py OUTPUT
"""
import os
import sys

import gi

gi.require_version("Gtk", "3.0")
from gi.repository import Gtk  # noqa: E402

output = sys.argv[1]
window = Gtk.Window(title="send-target")
window.set_default_size(300, 120)
window.move(700, 600)  # on X11, out of the way of Lumeta's keys
view = Gtk.TextView()
window.add(view)
text = view.get_buffer()


def save(_buffer=None):
    with open(output + ".new", "w", encoding="utf-8", newline="") as f:
        f.write(text.get_text(text.get_start_iter(), text.get_end_iter(), True))
    os.replace(output + ".new", output)


text.connect("changed", save)
save()
window.connect("destroy", Gtk.main_quit)
window.show_all()
view.grab_focus()
Gtk.main()
