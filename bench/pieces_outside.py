#!/usr/bin/env python3
"""A file larger than memory, from outside, as a person uses it: the program
under an address-space limit on a private Xvfb (the end-to-end tests'
desktop) opens FILE through Ctrl+O, then Ctrl+End and a key, a find that
misses (Ctrl+F, the word, Return; then F3), typing at both ends and Ctrl+S.
Beside it, in the same run and with the file in the page cache, the
commands it is held against: wc -l, grep -F of the same word, and
cp --reflink=never of the file followed by sync. Prints figures only.

    /usr/bin/python3 bench/pieces_outside.py build/release/vidizizor FILE [WORD]

The copy made for cp is written beside FILE and removed; FILE is saved by
the program (it gains "INIZIO " and "FINE"). Generate FILE with --make SIZE
(bytes of 64-byte UTF-8 lines with accents) first if it does not exist:

    /usr/bin/python3 bench/pieces_outside.py --make 6000000000 /tmp/enorme.txt
"""
import atexit
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from e2elib import App, Desktop, Processes, poll  # noqa: E402

import Xlib.X  # noqa: E402
import Xlib.XK  # noqa: E402
import Xlib.display  # noqa: E402
import Xlib.ext.xtest  # noqa: E402

LIMIT = 1_400_000_000
QUIET = 1.0
DARK = bytes(1 if value < 0x90 else 0 for value in range(256))


def make(path, size):
    line = "%09d lorem ipsum dolor sit amet perché città vòlta più x\n"
    block = b"".join((line % i).encode() for i in range(100_000))
    with open(path, "wb") as f:
        for _ in range(size // len(block)):
            f.write(block)


def timed(*argv):
    start = time.monotonic()
    subprocess.run(argv, stdout=subprocess.DEVNULL, check=False)
    return time.monotonic() - start


class Program:
    def __init__(self, binary, work):
        self.processes = Processes(os.path.join(work, "logs"))
        atexit.register(self.processes.stop_all)
        self.desktop = Desktop(self.processes, work)
        self.desktop.start()
        wrapper = os.path.join(work, "limited.sh")
        with open(wrapper, "w") as f:
            f.write(f"#!/bin/sh\nexec prlimit --as={LIMIT} '{os.path.abspath(binary)}'\n")
        os.chmod(wrapper, 0o755)
        self.app = App(wrapper, self.desktop, self.processes, work)
        self.app.start()
        self.window = None

    def cpu(self):
        with open(f"/proc/{self.app.pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return int(fields[11]) + int(fields[12])

    def status(self, key):
        with open(f"/proc/{self.app.pid}/status") as f:
            for line in f:
                if line.startswith(key):
                    return int(line.split()[1]) // 1024
        return 0

    def pixels(self):
        """The main window's pixels, read in this process: a grab through
        another program takes longer than the waits measured here."""
        if self.window is None:
            self.display = Xlib.display.Display(self.desktop.env["DISPLAY"])
            self.window = self.display.create_resource_object(
                "window", int(self.app.main_window, 0))
        geometry = self.window.get_geometry()
        return self.window.get_image(0, 0, geometry.width, geometry.height,
                                     Xlib.X.ZPixmap, 0xFFFFFFFF).data

    def dark(self):
        """How many dark bytes the window's pixels hold: its text."""
        return self.pixels().translate(DARK).count(1)

    def quiet_after(self, start):
        """Seconds from start to the last CPU tick before QUIET idle seconds."""
        last, ticks = time.monotonic(), self.cpu()
        while time.monotonic() - last < QUIET:
            time.sleep(0.02)
            now = self.cpu()
            if now != ticks:
                last, ticks = time.monotonic(), now
        return max(0.0, last - start)

    def press(self, names):
        """Presses the keys named together and lets them go, in this process:
        a key sent through another program comes tens of milliseconds late."""
        codes = [self.display.keysym_to_keycode(Xlib.XK.string_to_keysym(
            {"ctrl": "Control_L"}.get(name, name))) for name in names]
        for code in codes:
            Xlib.ext.xtest.fake_input(self.display, Xlib.X.KeyPress, code)
        for code in reversed(codes):
            Xlib.ext.xtest.fake_input(self.display, Xlib.X.KeyRelease, code)
        self.display.sync()

    def screen_changes(self, keys=None, text=None):
        """Seconds from a key to the first change of the screen."""
        self.app.require_focus()
        before = self.pixels()
        start = time.monotonic()
        self.press(keys.split("+") if keys else [text])
        return poll(lambda: self.pixels() != before and time.monotonic(), 60, "the screen",
                    0.002) - start


def measure(binary, path, word):
    work = tempfile.mkdtemp(prefix="pieces-outside-")
    copy = path + ".copia"
    subprocess.run(["cat", path], stdout=subprocess.DEVNULL, check=True)
    figures = {"wc -l": timed("wc", "-l", path),
               f"grep -F {word}": timed("grep", "-F", "-c", word, path),
               "cp + sync": timed("sh", "-c", f"cp --reflink=never '{path}' '{copy}' && sync")}
    os.remove(copy)
    subprocess.run(["cat", path], stdout=subprocess.DEVNULL, check=True)
    program = Program(binary, work)
    app = program.app
    blank = program.dark()
    app.key("ctrl+o")
    dialog = app.file_dialog(path, "Apri")
    start = time.monotonic()
    # The dialog's own pixels cover the window until it goes.
    poll(lambda: dialog not in program.desktop.visible_windows(app.pid), 10, "the dialog to go",
         0.002)
    figures["first screen"] = poll(lambda: program.dark() > blank + 3000 and time.monotonic(),
                                   60, "the first screen", 0.002) - start
    figures["counted (CPU idle)"] = program.quiet_after(start)
    figures["Ctrl+End"] = program.screen_changes(keys="ctrl+End")
    figures["a key after Ctrl+End"] = program.screen_changes(keys="F")
    app.key("ctrl+f")
    app.wait_dialog()
    app.type(word)
    start = time.monotonic()
    app.key("Return")
    figures["Trova, a miss"] = program.quiet_after(start)
    app.key("Escape")  # the message
    app.key("Escape")  # the dialog
    app.wait_main_active()
    start = time.monotonic()
    app.key("F3")
    figures["F3, a miss"] = program.quiet_after(start)
    app.key("Escape")
    app.wait_main_active()
    app.key("ctrl+Home")
    app.type("INIZIO ")
    inode = os.stat(path).st_ino
    start = time.monotonic()
    app.key("ctrl+s")
    poll(lambda: os.stat(path).st_ino != inode, 600, "the save", 0.01)
    figures["Ctrl+S after edits at both ends"] = time.monotonic() - start
    memory = f"VmHWM {program.status('VmHWM')} MB, VmPeak {program.status('VmPeak')} MB"
    app.stop()
    program.processes.stop_all()
    shutil.rmtree(work, ignore_errors=True)
    return figures, memory


def main():
    if sys.argv[1] == "--make":
        make(sys.argv[3], int(sys.argv[2]))
        return
    binary, path = sys.argv[1], sys.argv[2]
    word = sys.argv[3] if len(sys.argv) > 3 else "zqxjvw"
    figures, memory = measure(binary, path, word)
    print(f"{os.path.getsize(path):,} bytes, load {os.getloadavg()[0]:.2f}, limit --as={LIMIT}")
    for name, seconds in figures.items():
        print(f"  {name:34} {seconds:7.3f} s")
    print(f"  {memory}")


if __name__ == "__main__":
    main()
