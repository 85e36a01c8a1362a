#!/usr/bin/env python3
"""Puts a known word into what a screen reader says, after everything a
program has told it so far, for the end-to-end tests.

    speechmarker.py

reads lines of "WORD APPLICATION WINDOW" on stdin: a word, a program's name
on the accessibility bus and the id of one of its X windows. For each it
first makes sure the program has handled every key already sent to it and
has put out what that told the screen reader:

- a ping through the X server to the window, which the program answers in
  turn with the key events before it, and
- three questions in a row on the accessibility bus, each answered from the
  program's event loop after the events it sent before.

Only then does it show a notification named after the word, which the screen
reader takes from the same queue as the program's events, and so says after
them. It prints "marked WORD" once the notification is out, or "unmarked
WORD: " and what failed. A line of a word alone marks at once.
"""

import select
import sys
import time

import gi

gi.require_version("Atk", "1.0")
gi.require_version("Atspi", "2.0")
gi.require_version("Gtk", "3.0")
from gi.repository import Atk, Atspi, GLib, Gtk  # noqa: E402
from Xlib import X, display, protocol  # noqa: E402

ROUND_TRIPS = 3
TIMEOUT = 5


def application(name):
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app is not None and app.get_name() == name:
            return app
    return None


class Ping:
    """The window manager's ping: a window's program sends it back to the
    root window once it has read every event before it."""

    def __init__(self):
        self.x = display.Display()
        self.errors = []
        self.x.set_error_handler(lambda failure, *_: self.errors.append(failure))
        self.root = self.x.screen().root
        # Qt sends the answer to whoever listens to the root window's own
        # structure, Gtk to whoever listens to its children's.
        self.root.change_attributes(event_mask=X.SubstructureNotifyMask | X.StructureNotifyMask)
        self.protocols = self.x.intern_atom("WM_PROTOCOLS")
        self.ping = self.x.intern_atom("_NET_WM_PING")
        self.sent = 0

    def answered(self, wid):
        self.sent += 1
        window = self.x.create_resource_object("window", wid)
        ping = protocol.event.ClientMessage(
            window=window, client_type=self.protocols,
            data=(32, [self.ping, self.sent, wid, 0, 0]))
        window.send_event(ping, event_mask=X.NoEventMask)
        self.x.flush()
        deadline = time.monotonic() + TIMEOUT
        while time.monotonic() < deadline and not self.errors:
            while self.x.pending_events():
                event = self.x.next_event()
                if (event.type == X.ClientMessage and event.data[1][0] == self.ping
                        and event.data[1][1] == self.sent):
                    return True
            select.select([self.x.fileno()], [], [], max(0, deadline - time.monotonic()))
        return False


class Marker:
    def __init__(self):
        self.ping = Ping()
        # Never shown: a notification's name is all a screen reader says.
        self.window = Gtk.Window(type=Gtk.WindowType.POPUP)
        self.note = self.window.get_accessible()
        self.note.set_role(Atk.Role.NOTIFICATION)

    def caught_up(self, name, wid):
        """Whether the program has done with what it was sent: None, or
        what went wrong."""
        self.ping.errors.clear()
        if not self.ping.answered(wid):
            return f"window {wid:#x} did not answer the ping {self.ping.errors}"
        app = application(name)
        if app is None:
            return f"{name} is not on the accessibility bus"
        try:
            for _ in range(ROUND_TRIPS):
                app.get_attributes()
        except GLib.Error as failure:
            return f"{name} did not answer: {failure.message}"
        return None

    def mark(self, word, name=None, wid=None):
        problem = self.caught_up(name, int(wid, 0)) if name else None
        if problem:
            return f"unmarked {word}: {problem}"
        self.note.set_name(word)
        self.note.notify_state_change(Atk.StateType.SHOWING, True)
        return "marked " + word

    def read(self, channel, condition):
        line = channel.readline()
        if not line:
            Gtk.main_quit()
            return False
        if line.split():
            print(self.mark(*line.split()), flush=True)
        return True


def main():
    if len(sys.argv) != 1:
        print(__doc__)
        return 2
    Atspi.set_timeout(TIMEOUT * 1000, TIMEOUT * 1000)
    marker = Marker()
    channel = GLib.IOChannel.unix_new(sys.stdin.fileno())
    GLib.io_add_watch(channel, GLib.PRIORITY_DEFAULT, GLib.IO_IN | GLib.IO_HUP, marker.read)
    print("ready", flush=True)
    Gtk.main()
    return 0


if __name__ == "__main__":
    sys.exit(main())
