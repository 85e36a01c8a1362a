#!/usr/bin/env python3
"""Records what Orca says for the steps of orca_cases.py marked GTK when they
are done in a Gtk text view (gtkpeer.py) instead of the program, and prints
one line a step: its row and Orca's words, to put into the table.

    orca_gtk_words.py --artifacts /tmp/orca-gtk

Everything runs as in the end-to-end tests: a private X server, Orca on a
private accessibility bus, speech written to a file.
"""

import argparse
import os
import shutil
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from e2elib import AccessibilityBus, Desktop, Processes, make_work_dir, poll  # noqa: E402
from orca_cases import GTK, STEPS, Keys  # noqa: E402
from orcalib import ScreenReader  # noqa: E402

PEER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "gtkpeer.py")


def start_peer(processes, desktop, bus):
    peer = processes.start("gtkpeer", [sys.executable, PEER], env=bus.env)

    def window():
        with open(processes.logs[peer.pid]) as f:
            return next((line.split()[1] for line in f if line.startswith("window ")), None)

    wid = poll(window, 20, "the Gtk window")
    poll(lambda: (desktop.active_window() or (None,))[0] == wid, 20, "the Gtk window's focus")
    return wid


def do(desktop, keys, kind, *args, last=True):
    if kind == "key":
        keys.press(*args, hold=last)
    elif kind == "type":
        desktop.xdotool("type", "--clearmodifiers", "--delay", "15", "--", *args)
    else:
        raise SystemExit(f"a Gtk text view has no step {kind!r}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--artifacts", required=True)
    args = parser.parse_args()
    work = make_work_dir()
    processes = Processes(os.path.join(work, "logs"))
    try:
        desktop = Desktop(processes, work)
        desktop.start()
        bus = AccessibilityBus(processes, desktop)
        bus.start()
        reader = ScreenReader(processes, bus, work)
        reader.start()
        program = ("gtkpeer.py", start_peer(processes, desktop, bus))
        reader.heard(program)
        keys = Keys(desktop)
        for name, actions, _, source in STEPS:
            if source != GTK:
                continue
            for n, action in enumerate(actions, 1):
                do(desktop, keys, *action, last=n == len(actions))
            print(f"{name}: {reader.heard(program)}", flush=True)
            keys.release()
    finally:
        processes.stop_all()
        shutil.copytree(processes.log_dir, args.artifacts, dirs_exist_ok=True)
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
