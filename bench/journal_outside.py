#!/usr/bin/env python3
"""What the journals of unsaved edits give back, measured from outside: the
program under a private X server, driven with xdotool, ended with SIGKILL
and started again, its documents saved with Ctrl+S and compared. Prints
figures only.

    journal_outside.py BINARY typing [KEYS]     characters lost when the
        kill comes right after the last key, and one second after it
    journal_outside.py BINARY paste [MB]        a paste of MB megabytes
        (500 by default) into a new document, killed 10 s after Ctrl+V:
        what comes back, and how long the paste and the recovery took
    journal_outside.py BINARY recovery [MB]     a document over a file of MB
        megabytes (1024 by default, kept in the page cache) edited at both
        ends, killed: the time from the start again to its first screen,
        and to its edits
    journal_outside.py BINARY endings           each way the program can end
        (SIGKILL, SIGTERM, SIGHUP, SIGINT, the X server killed, a logout
        request, Esci, Chiudi) with a new document and a Windows-1252 file
        edited: its exit status, the journals left, what the next start
        brings back
"""

import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))

from e2elib import App, Desktop, Processes, make_work_dir, poll, read_file  # noqa: E402


class Run:
    """One private desktop, a working folder, and one state folder that
    every start of the program shares."""

    def __init__(self, binary):
        self.binary = binary
        self.work = make_work_dir()
        self.processes = Processes(os.path.join(self.work, "logs"))
        self.desktop = Desktop(self.processes, self.work)
        self.desktop.start()
        self.cwd = os.path.join(self.work, "cwd")
        os.makedirs(self.cwd)
        self.state = os.path.join(self.work, "state")

    def start(self, args=(), focused=True, env=None):
        app = App(self.binary, self.desktop, self.processes, self.cwd,
                  dict(env or {}, XDG_STATE_HOME=self.state), args)
        started = time.monotonic()
        app.start(focused=focused)
        app.started = started
        return app

    def kill(self, app):
        os.kill(app.pid, signal.SIGKILL)
        app.wait_exit()

    def saved(self, app, name, size_at_least=0, timeout=120):
        """Saves the document in front and gives its file's bytes."""
        path = os.path.join(self.cwd, name)
        app.key("ctrl+s")
        poll(lambda: os.path.exists(path) and os.path.getsize(path) >= size_at_least,
             timeout, f"{name} to be saved")
        time.sleep(0.5)
        return read_file(path)

    def close(self):
        self.processes.stop_all()
        shutil.rmtree(self.work, ignore_errors=True)


def journal_bytes(run):
    folder = os.path.join(run.state, "vidizizor")
    return sum(os.path.getsize(os.path.join(folder, name)) for name in os.listdir(folder)
               if name.endswith(".journal")) if os.path.isdir(folder) else 0


def typing(binary, keys=200):
    text = ("journal" * (keys // 7 + 1))[:keys]
    for pause in (0.0, 1.0):
        run = Run(binary)
        app = run.start()
        app.desktop.xdotool("type", "--delay", "30", "--", text)
        time.sleep(pause)
        run.kill(app)
        again = run.start()
        time.sleep(1)
        back = run.saved(again, "Documento2") or b""
        print(f"typing: {keys} keys 30 ms apart, killed {pause:.0f} s after the last: "
              f"{keys - len(back)} characters lost", flush=True)
        run.close()


def paste(binary, megabytes=500):
    run = Run(binary)
    source = os.path.join(run.work, "paste.txt")
    line = b"riga incollata di prova, con parole e numeri 0123456789\n"
    with open(source, "wb") as f:
        f.write(line * (megabytes * 1_000_000 // len(line)))
    expected = read_file(source)  # a paste keeps its line ends
    clip = run.processes.start("xclip", ["xclip", "-selection", "clipboard", "-loops", "1",
                                         "-i", source], env=run.desktop.env)
    app = run.start()
    pasted_at = time.monotonic()
    app.key("ctrl+v")
    journalled = None
    while time.monotonic() - pasted_at < 10:
        if journalled is None and journal_bytes(run) >= len(expected):
            journalled = time.monotonic() - pasted_at
        time.sleep(0.05)
    run.kill(app)
    clip.wait(timeout=60)
    again = run.start()
    back = run.saved(again, "Documento2", len(expected), timeout=300) or b""
    whole = back == expected
    print(f"paste: {megabytes} MB in the journal "
          f"{journalled:.1f} s after Ctrl+V" if journalled else "paste: not journalled in 10 s")
    print(f"paste: {megabytes} MB pasted, killed 10 s after Ctrl+V "
          f"({time.monotonic() - pasted_at:.0f} s ago): "
          f"{'recovered whole' if whole else f'{len(back)} of {len(expected)} bytes back'}; "
          f"start to saved {time.monotonic() - again.started:.1f} s", flush=True)
    run.close()


def frame(run, window):
    """The main window's pixels."""
    return subprocess.run(["import", "-window", window, "-depth", "8", "rgb:-"],
                          env=run.desktop.env, capture_output=True).stdout


def blacks(pixels):
    return pixels.count(b"\x00\x00\x00")


def top(pixels):
    return pixels[:len(pixels) // 2]


def differing(a, b):
    return sum(x != y for x, y in zip(a, b)) if len(a) == len(b) else len(a)


def frames(run, app, seconds):
    """The main window's frames from the start, each with its time."""
    taken = []
    while time.monotonic() - app.started < seconds:
        taken.append((time.monotonic() - app.started, frame(run, app.main_window)))
    return taken


def recovery(binary, megabytes=1024):
    run = Run(binary)
    block = b"".join(b"%08d una riga del file di un gigabyte\r\n" % i for i in range(10_000))
    big = os.path.join(run.work, "grande.txt")
    with open(big, "wb") as f:
        for _ in range(megabytes * 1_000_000 // len(block)):
            f.write(block)
    subprocess.run(["cat", big], stdout=subprocess.DEVNULL)  # into the page cache
    empty = run.start()
    time.sleep(2)
    baseline = blacks(frame(run, empty.main_window))  # Documento1 alone
    empty.key("ctrl+o")
    empty.file_dialog(big, "Apri")
    empty.wait_main_active()
    empty.key("ctrl+Home")
    empty.type("INIZIO ")
    empty.key("ctrl+End")
    empty.type("FINE")
    time.sleep(5)  # the load has ended and the edits are synced
    run.kill(empty)
    app = run.start(focused=False)
    taken = frames(run, app, 6)
    # The file's first screen: its lines' text on top of what Documento1
    # alone shows; its edits: the first line moved on by "INIZIO ", in the
    # window's top half (the status bar, with the load's progress, is in
    # the other).
    first = next((when, pixels) for when, pixels in taken if blacks(pixels) > baseline + 200)
    edited = next(when for when, pixels in taken
                  if when > first[0] and differing(top(pixels), top(first[1])) > 3000)
    keep = os.environ.get("JOURNAL_FRAMES")  # a folder for the two frames, to look at
    if keep:
        size = subprocess.run(["xwininfo", "-id", app.main_window], env=run.desktop.env,
                              capture_output=True, text=True).stdout
        w = re.search(r"Width: (\d+)", size).group(1)
        h = re.search(r"Height: (\d+)", size).group(1)
        for name, pixels in (("first", first[1]), ("edited", dict(taken)[edited])):
            subprocess.run(["convert", "-size", f"{w}x{h}", "-depth", "8", "rgb:-",
                            os.path.join(keep, name + ".png")], input=pixels)
    print(f"recovery: {megabytes} MB file edited at both ends: {first[0]:.2f} s from the "
          f"start to the file's first screen, {edited:.2f} s to its edits "
          f"({len(taken)} frames)", flush=True)
    size = os.path.getsize(big)
    app.key("ctrl+s")
    poll(lambda: os.path.getsize(big) == size + len("INIZIO FINE"), 120, "the Save")
    with open(big, "rb") as f:
        head = f.read(7)
        f.seek(-4, os.SEEK_END)
        tail = f.read()
    print("recovery: saved " + ("as edited" if (head, tail) == (b"INIZIO ", b"FINE")
                                else "WRONG"), flush=True)
    run.close()


LETTER = b"Perch\xe9 la citt\xe0 \xe8 pi\xf9 bella\r\n"  # Windows-1252


def session_manager(run, binary):
    """The tests' session manager, and the address the program joins it at."""
    manager = run.processes.start(
        "sessionmanager", [os.path.join(os.path.dirname(binary), "tests", "e2e",
                                        "e2e_sessionmanager")],
        env=run.desktop.env, stdin=subprocess.PIPE)
    said = run.processes.logs[manager.pid]
    address = poll(lambda: re.search(rb"SESSION_MANAGER=(\S+)", read_file(said) or b""), 10,
                   "the session manager's address").group(1).decode()
    return manager, said, address


def end(run, app, how, manager):
    """Ends the program one way; gives its exit status."""
    if isinstance(how, int):
        os.kill(app.pid, how)
    elif how == "display":
        os.kill(run.desktop.xvfb.pid, signal.SIGKILL)
    elif how == "logout":
        manager.stdin.write(b"logout\n")
        manager.stdin.flush()
    elif how == "Esci":
        app.menu("f", "e")
    elif how == "Chiudi":
        for _ in range(3):  # the new document, the file's, Documento1
            app.menu("f", "c")
        time.sleep(1.2)
        os.kill(app.pid, signal.SIGKILL)
    return app.wait_exit(30)


def back_after(run, app):
    """What the next start brings back: every document saved in turn."""
    deadline = time.monotonic() + 8
    while time.monotonic() < deadline:
        app.key("ctrl+s")
        time.sleep(0.4)
        app.key("ctrl+F6")
    letter = read_file(os.path.join(run.cwd, "lettera.txt"))
    new = [name for name in os.listdir(run.cwd)
           if name.startswith("Documento") and read_file(os.path.join(run.cwd, name))]
    found = []
    if letter == LETTER + b"\xe8":
        found.append("the file with its e grave")
    found += [f"{name}: {read_file(os.path.join(run.cwd, name))!r}" for name in sorted(new)]
    return ", ".join(found) or "nothing"


ENDINGS = (signal.SIGKILL, signal.SIGTERM, signal.SIGHUP, signal.SIGINT, "display", "logout",
           "Esci", "Chiudi")


def endings(binary, ways=ENDINGS):
    for how in ways:
        run = Run(binary)
        letter = os.path.join(run.cwd, "lettera.txt")
        with open(letter, "wb") as f:
            f.write(LETTER)
        manager, said, address = session_manager(run, binary) if how == "logout" else (None,) * 3
        app = run.start([letter], env={"SESSION_MANAGER": address} if address else None)
        if said:
            poll(lambda: b"registered" in read_file(said), 10, "the program to join the session")
        app.key("ctrl+End")
        app.type("è")
        app.key("ctrl+n")
        app.type("testo nuovo")
        time.sleep(1.2)
        status = end(run, app, how, manager)
        left = sum(name.endswith(".journal")
                   for name in os.listdir(os.path.join(run.state, "vidizizor")))
        if how == "display":
            run.desktop = Desktop(run.processes, run.work)
            run.desktop.start()
        again = run.start()
        name = how if isinstance(how, str) else signal.Signals(how).name
        print(f"ending {name}: exit status {status}, {left} journals left; the next start "
              f"brings back {back_after(run, again)}", flush=True)
        run.close()


def main():
    binary = os.path.abspath(sys.argv[1])
    what = sys.argv[2]
    numbers = [int(n) for n in sys.argv[3:]]
    {"typing": typing, "paste": paste, "recovery": recovery,
     "endings": endings}[what](binary, *numbers)


if __name__ == "__main__":
    main()
