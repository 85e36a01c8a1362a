#!/usr/bin/env python3
"""A Gtk window that does what the program does, to hear what a screen
reader says for the same steps in the toolkit it knows best.

    gtkpeer.py [--message TEXT] [LINE...]

shows a window titled "Pari" with a menu bar (File: Nuovo, Apri..., Salva;
Modifica: Taglia, Copia, Incolla, each with its shortcut) over a text view
holding the lines given, with undo and redo (Ctrl+Z, Ctrl+Shift+Z, Ctrl+Y).
With --message it first shows a message box titled "Pari" with the text and
one OK button, as the program shows a failure. It prints the X id of its
window once it is shown. orca_cases.py lists what Orca says for each step
here.
"""

import argparse
import sys

import gi

gi.require_version("Gdk", "3.0")
gi.require_version("GdkX11", "3.0")
gi.require_version("Gtk", "3.0")
gi.require_version("GtkSource", "4")
from gi.repository import Gdk, GdkX11, Gtk, GtkSource  # noqa: E402,F401

MENUS = [
    ("_File", [("_Nuovo", "<Control>n"), ("_Apri...", "<Control>o"),
               ("_Salva", "<Control>s")]),
    ("_Modifica", [("_Taglia", "<Control>x"), ("_Copia", "<Control>c"),
                   ("_Incolla", "<Control>v")]),
]


def menu_bar(accelerators):
    bar = Gtk.MenuBar()
    for title, items in MENUS:
        top = Gtk.MenuItem.new_with_mnemonic(title)
        menu = Gtk.Menu()
        menu.set_accel_group(accelerators)
        for label, accelerator in items:
            item = Gtk.MenuItem.new_with_mnemonic(label)
            key, mods = Gtk.accelerator_parse(accelerator)
            item.add_accelerator("activate", accelerators, key, mods, Gtk.AccelFlags.VISIBLE)
            menu.append(item)
        top.set_submenu(menu)
        bar.append(top)
    return bar


def redo_on_ctrl_y(view, event):
    if event.keyval == Gdk.KEY_y and event.state & Gdk.ModifierType.CONTROL_MASK:
        if view.get_buffer().can_redo():
            view.get_buffer().redo()
        return True
    return False


def window(lines):
    win = Gtk.Window(title="Pari")
    win.set_default_size(640, 480)
    win.connect("destroy", Gtk.main_quit)
    accelerators = Gtk.AccelGroup()
    win.add_accel_group(accelerators)
    box = Gtk.Box(orientation=Gtk.Orientation.VERTICAL)
    box.pack_start(menu_bar(accelerators), False, False, 0)
    text = GtkSource.Buffer()
    text.begin_not_undoable_action()
    text.set_text("\n".join(lines))
    text.end_not_undoable_action()
    text.place_cursor(text.get_start_iter())
    view = GtkSource.View(buffer=text)
    view.connect("key-press-event", redo_on_ctrl_y)
    scroller = Gtk.ScrolledWindow()
    scroller.add(view)
    box.pack_start(scroller, True, True, 0)
    win.add(box)
    win.show_all()
    view.grab_focus()
    return win


def message(parent, text):
    box = Gtk.MessageDialog(transient_for=parent, modal=True, message_type=Gtk.MessageType.WARNING,
                            buttons=Gtk.ButtonsType.OK, text=text, title="Pari")
    box.connect("response", lambda dialog, _: dialog.destroy())
    box.show_all()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--message")
    parser.add_argument("lines", nargs="*")
    args = parser.parse_args()
    win = window(args.lines)
    print(f"window {win.get_window().get_xid()}", flush=True)
    if args.message:
        message(win, args.message)
    Gtk.main()
    return 0


if __name__ == "__main__":
    sys.exit(main())
