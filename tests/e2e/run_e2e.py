#!/usr/bin/env python3
"""End-to-end tests of the vidizizor binary.

The real program runs under a private X server with openbox, is driven from
the keyboard with xdotool (and with its mouse where only the mouse does the
thing: middle-click paste, drag and drop), and is checked from outside: files
on disk byte for byte, the X clipboard and primary selection through xclip,
the PDF that a private CUPS server's default printer writes, the pixels on
the screen, what the Orca screen reader says (orca_cases.py), and whether the
process is still running. A case fails when a screen reader asked the program
about an accessible object that had outlived what it stood for. Each step
leaves a screenshot in the artifacts folder.

    run_e2e.py --binary build/debug/vidizizor --artifacts build/debug/e2e
"""

import argparse
import datetime
import os
import re
import shutil
import signal
import sys
import tempfile
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from e2elib import (  # noqa: E402
    CASES, MESSAGE_TITLE, SCREEN_HEIGHT, SCREEN_WIDTH, AccessibilityBus, App, Clipboard, Desktop,
    Failure, PrivateCups, Processes, Unavailable, case, drag_file_onto, grab_when, make_work_dir,
    poll, read_file, run, runs, save_when_loaded, settle, snapshot_tree, wait_for_file)

OPEN_DIALOG = "Apri"
# What the toolkit prints when asked about an accessible object it keeps
# after what it stood for is gone.
INVALID_ACCESSIBLE = "Accessible invalid"
SAVE_DIALOG = "Salva come"
WHITE = b"\xff\xff\xff"

class Context:
    """What a case works with: its own working folder, its screenshots, the
    shared desktop, clipboard and printer, and the programs it starts."""

    def __init__(self, session, slug):
        self.session = session
        self.dir = os.path.join(session.work_dir, "cases", slug)
        self.shots = os.path.join(session.artifacts, slug)
        os.makedirs(self.dir)
        shutil.rmtree(self.shots, ignore_errors=True)
        os.makedirs(self.shots)
        self.step = 0
        self.apps = []
        self.problems = []
        self.desktop = session.desktop
        self.clipboard = session.clipboard
        self.cups = session.cups

    def path(self, *parts):
        return os.path.join(self.dir, *parts)

    def write(self, relative, data):
        path = self.path(relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
        return path

    def start_app(self, env_extra=None, binary=None, args=(), focused=True):
        app = App(binary or self.session.binary, self.desktop, self.session.processes, self.dir,
                  env_extra, args)
        self.apps.append(app)
        app.start(focused=focused)
        self.shot("started")
        return app

    def shot(self, label):
        self.step += 1
        path = os.path.join(self.shots, f"{self.step:02d}-{label}.png")
        try:
            self.desktop.screenshot(path)
        except Failure as error:
            self.problems.append(f"screenshot {label}: {error}")
        return path

    def check(self, condition, message):
        """A check whose failure does not stop the case."""
        if not condition:
            self.problems.append(message)
        return condition

    def files(self):
        return sorted(os.listdir(self.dir))

    def finish(self):
        for app in self.apps:
            app.stop()
        self.clipboard.release()


# Start-up, New, Close, Save of a new document


@case("startup",
      "starts centred with Documento1; New numbers documents; Close never frees a number")
def startup_and_numbering(t):
    app = t.start_app()
    dx, dy, frame = app.screen_centre_offset()
    t.check(abs(dx) <= 1.5 and abs(dy) <= 1.5,
            f"the main window with its frame at {frame} is not centred on the "
            f"{SCREEN_WIDTH}x{SCREEN_HEIGHT} screen: off by {dx:+g}, {dy:+g} pixels")

    # Save of a document that never had a file writes DocumentoN in the
    # working folder, which shows from outside which document is active.
    app.type("uno\ndue")
    app.key("ctrl+s")
    wait_for_file(t.path("Documento1"), b"uno\r\ndue")
    app.key("ctrl+n")
    app.type("secondo")
    app.key("ctrl+s")
    wait_for_file(t.path("Documento2"), b"secondo")
    app.key("ctrl+n", "ctrl+s")
    wait_for_file(t.path("Documento3"), b"")
    t.shot("three-documents")

    app.menu("f", "c")  # Chiudi: Documento3
    app.key("ctrl+n")
    app.type("quattro")
    app.key("ctrl+s")
    wait_for_file(t.path("Documento4"), b"quattro")
    for _ in range(3):
        app.menu("f", "c")
    t.shot("all-closed")
    app.key("ctrl+n")
    app.type("cinque")
    app.menu("f", "s")  # Salva, from the menu this time
    wait_for_file(t.path("Documento5"), b"cinque")
    t.shot("documento5")
    t.check(t.files() == [f"Documento{n}" for n in range(1, 6)],
            f"unexpected files in the working folder: {t.files()}")
    t.check(read_file(t.path("Documento1")) == b"uno\r\ndue",
            "closing the windows changed a saved file")


# Open, Save As and the text file format


def plain_lines(size, line_end=b"\r\n"):
    """Lines of plain ASCII, numbered, to about size bytes: a file large
    enough that the program keeps its text where it read it."""
    block = b"".join(b"%08d riga di testo semplice, senza accenti" % i + line_end
                     for i in range(10_000))
    return (block * (size // len(block) + 1))[:size].rsplit(line_end, 1)[0] + line_end


ITALIAN_1252 = b"Perch\xe9 la citt\xe0 \xe8 pi\xf9 bella\r\n"
LARGE_1252 = ITALIAN_1252 + plain_lines(6_500_000)
LARGE_UTF8_MARK = b"\xef\xbb\xbfpi\xc3\xb9\r\n" + plain_lines(7_000_000)
LARGE_UNIX = plain_lines(7_000_000, b"\n")


FORMAT_ROWS = [
    # (row, file content, content after Open and Save As)
    ("crlf_lines", b"prima\r\nseconda\r\n", b"prima\r\nseconda\r\n"),
    ("cr_only", b"prima\rseconda\r", b"prima\r\nseconda\r\n"),
    ("lf_only", b"prima\nseconda\n", b"prima\nseconda\n"),
    ("no_final_line_end", b"prima\r\nseconda", b"prima\r\nseconda\r\n"),
    ("mixed_line_ends", b"a\r\nb\rc\nd", b"a\r\nb\r\nc\nd\r\n"),
    ("empty_last_lines_kept", b"a\r\n\r\n\r\n", b"a\r\n\r\n\r\n"),
    ("not_utf8", b"caf\xe9 \xe0 l\xe0\r\n\xff\xfe\x80\x81 \xc3\r\n",
     b"caf\xe9 \xe0 l\xe0\r\n\xff\xfe\x80\x81 \xc3\r\n"),
    ("bom_nul_and_unicode", b"\xef\xbb\xbfciao\x00mondo \xc3\xa8 \xe2\x80\xa8 \xc2\xa0\r\n",
     b"\xef\xbb\xbfciao\x00mondo \xc3\xa8 \xe2\x80\xa8 \xc2\xa0\r\n"),
    ("empty", b"", b""),
    ("windows_1252", b"Perch\xe9 la citt\xe0 \xe8 pi\xf9 bella\r\n",
     b"Perch\xe9 la citt\xe0 \xe8 pi\xf9 bella\r\n"),
    ("utf16_le_with_mark", b"\xff\xfe" + "Perché la città\r\nè più bella\r\n".encode("utf-16-le"),
     b"\xff\xfe" + "Perché la città\r\nè più bella\r\n".encode("utf-16-le")),
    ("unix_lines", b"uno\ndue\n", b"uno\ndue\n"),
    ("large_windows_1252", LARGE_1252, LARGE_1252),
    ("large_utf8_with_mark", LARGE_UTF8_MARK, LARGE_UTF8_MARK),
]


ENCODED_ROWS = [
    ("windows_1252", b"Perch\xe9 la citt\xe0\r\n", b"Perch\xe9 la citt\xe0\r\n\xe8"),
    ("twelve_bytes_of_windows_1252", b"Costo: 5 \x80\r\n", b"Costo: 5 \x80\r\n\xe8"),
    ("utf16_be_with_mark", b"\xfe\xff" + "più\r\n".encode("utf-16-be"),
     b"\xfe\xff" + "più\r\nè".encode("utf-16-be")),
    ("large_windows_1252", LARGE_1252, LARGE_1252 + b"\xe8"),
    ("large_unix_lines", LARGE_UNIX, LARGE_UNIX + b"\xc3\xa8"),
]


@case("typed_in_the_file_encoding", "a letter typed at the end is saved in the file's encoding",
      rows=ENCODED_ROWS)
def typed_in_the_file_encoding(t, content, expected):
    source = t.write("lettera.txt", content)
    app = t.start_app()
    app.key("ctrl+o")
    app.file_dialog(source, OPEN_DIALOG)
    app.wait_main_active()
    app.key("ctrl+End")
    app.type("è")
    t.shot("typed")
    app.key("ctrl+s")
    wait_for_file(source, expected)


@case("shell_script_runs", "a Unix shell script with a line added by Enter still runs")
def shell_script_runs(t):
    source = t.write("script.sh", b"#!/bin/sh\necho uno\n")
    app = t.start_app()
    app.key("ctrl+o")
    app.file_dialog(source, OPEN_DIALOG)
    app.wait_main_active()
    app.key("ctrl+End")
    app.type("echo due\necho tre")
    app.key("ctrl+s")
    wait_for_file(source, b"#!/bin/sh\necho uno\necho due\necho tre")
    output = run(["sh", source]).stdout
    t.check(output == b"uno\ndue\ntre\n", f"the script printed {output!r}")


# The encoding menu, reached from the text box's context menu (the Menu
# key, then "Codifica e fine riga") or from the status bar. Opened from the
# keyboard, a submenu starts on its first entry; the encodings have no
# access keys, so they are reached with Down. The lists are those of a user
# whose language writes in Windows-1252 (the cases run in the C locale):
# Riapri con codifica: UTF-8, UTF-16 LE, UTF-16 BE, Windows-1252, ...;
# its Altre codifiche: IBM850, macintosh, Windows-1250, ISO-8859-2,
# Windows-1251, ...; Converti in: UTF-8, UTF-8 con BOM, ...
def choose_format(app, *keys):
    """Opens the encoding menu from the text box's context menu and presses
    keys in it; waits until it has closed."""
    app.key("Menu")
    poll(lambda: app.desktop.popups(app.pid), 10, "the context menu to open")
    app.desktop.xdotool("key", "--clearmodifiers", "--delay", "150", "o", *keys)
    poll(lambda: not app.desktop.popups(app.pid), 10, "the menus to close")


def open_from_command_line(t, name, content):
    source = t.write(name, content)
    app = t.start_app(args=[source])
    return source, app


@case("emoji_converted_to_utf8",
      "an emoji pasted into a Windows-1252 file is refused by Save; converted to UTF-8 from "
      "the text box's menu, the file is saved in UTF-8")
def emoji_converted_to_utf8(t):
    source, app = open_from_command_line(t, "lettera.txt", ITALIAN_1252)
    t.clipboard.write("😀".encode())
    app.key("ctrl+End", "ctrl+v")
    app.key("ctrl+s")
    app.wait_active(re.escape(MESSAGE_TITLE))  # the refusal
    t.shot("refused")
    app.key("Return")
    app.wait_main_active()
    t.check(read_file(source) == ITALIAN_1252, "the refused Save changed the file")
    choose_format(app, "i", "Return")  # Converti in > UTF-8
    t.shot("converted")
    app.key("ctrl+s")
    wait_for_file(source, ITALIAN_1252.decode("cp1252").encode() + "😀".encode())


@case("cyrillic_read_again",
      "a Windows-1251 file read again as Windows-1251 takes a Cyrillic letter and saves it "
      "in that page")
def cyrillic_read_again(t):
    cyrillic = "Привет, мир!\r\nКак дела?\r\n".encode("cp1251")
    source, app = open_from_command_line(t, "russo.txt", cyrillic)
    # Riapri con codifica > Altre codifiche > Windows-1251
    choose_format(app, "r", "a", "Down", "Down", "Down", "Down", "Return")
    t.shot("read-again")
    app.key("ctrl+End")
    app.type("ж")
    app.key("ctrl+s")
    wait_for_file(source, cyrillic + "ж".encode("cp1251"))


@case("script_converted_to_lf",
      "a shell script with CR LF line ends converted to LF, a line added, runs")
def script_converted_to_lf(t):
    source, app = open_from_command_line(t, "script.sh", b"#!/bin/sh\r\necho uno\r\n")
    choose_format(app, "f", "Down", "Return")  # Fine riga > LF (Unix)
    app.key("ctrl+End")
    app.type("echo due\n")
    app.key("ctrl+s")
    wait_for_file(source, b"#!/bin/sh\necho uno\necho due\n")
    output = run(["sh", source]).stdout
    t.check(output == b"uno\ndue\n", f"the script printed {output!r}")


@case("italian_bytes_read_again",
      "twelve Italian bytes in Windows-1252, read again as such from the status bar's menu, "
      "take an e grave and save it as E8")
def italian_bytes_read_again(t):
    source, app = open_from_command_line(t, "costo.txt", b"Costo: 5 \x80\r\n")
    # The encoding's part of the status bar ends left of the date and the
    # time, two panels of 1440 twips (96 pixels here), and of the size grip.
    x, y, w, h = app.desktop.frame_geometry(app.main_window)
    t.desktop.xdotool("mousemove", str(x + w - 240), str(y + h - 14), "click", "1")
    poll(lambda: app.desktop.popups(app.pid), 10, "the encoding menu to open")
    t.shot("status-bar-menu")
    # Riapri con codifica > Windows-1252
    t.desktop.xdotool("key", "--delay", "150", "r", "Down", "Down", "Down", "Return")
    poll(lambda: not app.desktop.popups(app.pid), 10, "the menus to close")
    t.desktop.xdotool("mousemove", str(SCREEN_WIDTH - 1), str(SCREEN_HEIGHT - 1))
    app.wait_main_active()
    app.key("ctrl+End")
    app.type("è")
    app.key("ctrl+s")
    wait_for_file(source, b"Costo: 5 \x80\r\n\xe8")


@case("open_save_as", "Open then Save As writes the file back", rows=FORMAT_ROWS)
def open_then_save_as(t, content, expected):
    source = t.write(os.path.join("cartella con spazi", "originale.txt"), content)
    copy = t.path("copie", "copia salvata.txt")
    os.makedirs(os.path.dirname(copy))
    app = t.start_app()
    app.key("ctrl+o")
    app.file_dialog(source, OPEN_DIALOG)
    app.wait_main_active()
    t.shot("opened")
    app.menu("f", "v")  # Salva con nome...
    app.file_dialog(copy, SAVE_DIALOG)
    app.wait_main_active()
    wait_for_file(copy, expected)
    t.shot("saved-as")
    t.check(read_file(source) == content, "Open or Save As changed the file that was opened")


@case("long_line", "a 10 MB line stays one editable line: typed at its end and saved back")
def long_line(t):
    words = [b"lorem ", b"ipsum ", b"perch\xc3\xa9 ", b"citt\xc3\xa0 ", b"dolor ", b"sit "]
    line = b"".join(words[(i * 7) % len(words)] for i in range(1_700_000))[:10_000_000]
    source = t.write("riga lunga.txt", line)
    bus = AccessibilityBus(t.session.processes, t.desktop)
    bus.start()
    try:
        bus.listen()
        app = t.start_app(env_extra=bus.app_env())
        app.key("ctrl+o")
        app.file_dialog(source, OPEN_DIALOG)
        app.wait_main_active()
        t.shot("opened")
        # The line's end is where it is once the whole line is in: Ctrl+S
        # is refused until then, and saves then.
        before = stamp(source)
        save_when_loaded(app, bus, lambda: stamp(source) != before, 30)
        # The end of the first line, then words typed there; the file gets
        # its line end on loading.
        app.key("ctrl+Home", "End")
        app.type(" FINE")
        app.key("Home")
        app.type("INIZIO ")
        t.shot("typed")
        app.key("ctrl+s")
        expected = b"INIZIO " + line + b" FINE\r\n"
        poll(lambda: os.path.getsize(source) == len(expected), 30, "the long line to be saved")
    finally:
        bus.stop()
    saved = read_file(source)
    t.check(saved == expected,
            f"the saved line differs: starts {saved[:20]!r}, ends {saved[-20:]!r}")


def stamp(path):
    """What changes whenever a file is written or replaced."""
    status = os.stat(path)
    return status.st_ino, status.st_mtime_ns, status.st_size


def large_file(lines):
    """About 60 bytes a line, each line numbered."""
    block = b"".join(b"%09d lorem ipsum dolor sit amet perch\xc3\xa9 citt\xc3\xa0 x\r\n" % i
                     for i in range(100_000))
    return block * (lines // 100_000)


@case("type_and_close_while_loading",
      "typing during a 200 MB load lands before the text, and after Ctrl+End after the "
      "file's last byte, and is saved with it; closing the program during a load ends it "
      "at once")
def type_and_close_while_loading(t):
    content = large_file(3_400_000)
    source = t.write("grande.txt", content)
    bus = AccessibilityBus(t.session.processes, t.desktop)
    bus.start()
    try:
        bus.listen()
        app = t.start_app(env_extra=bus.app_env())
        app.key("ctrl+o")
        app.file_dialog(source, OPEN_DIALOG)
        # The caret stays at the start while the text comes in after it.
        app.type("INIZIO ")
        t.shot("typed-while-loading")
        # Ctrl+End is the end of the file, not of what has come so far.
        app.key("ctrl+End")
        app.type("FINE")
        expected = b"INIZIO " + content + b"FINE"
        # The file is replaced whole, so its size is that of the whole save.
        save_when_loaded(app, bus, lambda: os.path.getsize(source) == len(expected))
        t.check(read_file(source) == expected,
                "the saved text is not the typed words then the file")

        app.key("ctrl+o")
        app.file_dialog(source, OPEN_DIALOG)
        app.key("alt+F4")
        status = app.wait_exit()
    finally:
        bus.stop()
    t.check(status == 0, f"the program ended with status {status}")
    t.check(os.path.getsize(source) == len(expected), "closing during a load changed the file")


@case("close_during_command_line_load",
      "Alt+F4 while a file named on the command line loads ends the program at once")
def close_during_command_line_load(t):
    content = large_file(10_000_000)
    source = t.write("grande.txt", content)
    app = t.start_app(args=[source])
    app.key("alt+F4")
    status = app.wait_exit(timeout=10)
    t.check(status == 0, f"the program ended with status {status}")
    t.check(os.path.getsize(source) == len(content), "closing during a load changed the file")


def holds_open(pid, path):
    """Whether the process has the file open."""
    folder = f"/proc/{pid}/fd"
    for fd in os.listdir(folder):
        try:
            if os.readlink(os.path.join(folder, fd)) == path:
                return True
        except OSError:
            pass
    return False


def memory_available():
    with open("/proc/meminfo") as meminfo:
        for line in meminfo:
            if line.startswith("MemAvailable:"):
                return int(line.split()[1]) * 1024
    return 0


@case("truncated_during_load",
      "a 4 GB file named on the command line, cut to nothing by another program while it "
      "loads: a message says so, its window goes, and the file is left as the other program "
      "left it")
def truncated_during_load(t):
    size = 4 << 30
    if shutil.disk_usage(t.dir).free < size + (1 << 30):
        raise Unavailable("the disk has less than 5 GB free for the 4 GB file")
    if memory_available() < size + (2 << 30):
        raise Unavailable("less than 6 GB of memory is available to load the 4 GB file")
    source = t.path("enorme.txt")
    # Lines at the start, then a line end every megabyte: a sparse file
    # that takes a few megabytes of disk and is written at once.
    with open(source, "wb") as f:
        f.write(plain_lines(1 << 20))
        for offset in range(2 << 20, size, 1 << 20):
            os.pwrite(f.fileno(), b"\r\n", offset)
        f.truncate(size)
    app = t.start_app(args=[source], focused=False)
    poll(lambda: holds_open(app.pid, source), 20, "the program to open the file", 0.005)
    os.truncate(source, 0)
    app.wait_active(re.escape(MESSAGE_TITLE))  # the message that the file was cut
    t.shot("cut-reported")
    app.key("Return")
    app.wait_main_active()
    # Documento1 is in front again: the file's window went with its part.
    app.key("ctrl+s")
    wait_for_file(t.path("Documento1"), b"")
    t.check(os.path.getsize(source) == 0, "the cut file was written to")
    t.check(t.files() == ["Documento1", "enorme.txt"], f"unexpected files: {t.files()}")


@case("stray_byte_of_utf16",
      "Return and a letter typed after the odd last byte of a UTF-16 file are saved on whole "
      "units, and read back as typed")
def stray_byte_of_utf16(t):
    content = b"\xff\xfe" + "uno\r\nZ".encode("utf-16-le") + b"A"
    source = t.write("dispari.txt", content)
    app = t.start_app()
    app.key("ctrl+o")
    app.file_dialog(source, OPEN_DIALOG)
    app.wait_main_active()
    app.key("ctrl+End")
    app.type("\nY")
    app.key("ctrl+s")
    # The stray byte made a whole unit with a zero byte, then what was typed.
    wait_for_file(source, b"\xff\xfe" + "uno\r\nZ\r\n".encode("utf-16-le") + b"A\x00"
                  + "\r\nY".encode("utf-16-le"))
    app.menu("f", "c")  # Chiudi
    app.key("ctrl+o")
    app.file_dialog(source, OPEN_DIALOG)
    app.wait_main_active()
    app.menu("m", "s")  # Seleziona Tutto
    app.key("ctrl+c")
    t.clipboard.wait_for("uno\r\nZ\r\nA\r\nY\r\n".encode())


@case("exit_during_stuck_read",
      "Esci while a FIFO that nobody writes to is read ends the program at once")
def exit_during_stuck_read(t):
    fifo = t.path("tubo")
    os.mkfifo(fifo)
    writer = os.open(fifo, os.O_RDWR)  # a writer that never writes
    try:
        app = t.start_app(args=[fifo])
        poll(lambda: holds_open(app.pid, fifo), 10, "the program to open the FIFO")
        app.wait_main_active()
        app.menu("f", "e")  # Esci
        status = app.wait_exit(timeout=10)
        t.check(status == 0, f"the program ended with status {status}")
    finally:
        os.close(writer)


@case("file_larger_than_memory",
      "a file larger than the memory the program may use is refused with a message; the "
      "typed document keeps its text and the program goes on")
def file_larger_than_memory(t):
    huge = t.path("enorme.txt")
    with open(huge, "wb") as f:  # sparse: 3 GB of size, no disk
        f.truncate(3 << 30)
    # The program under an address-space limit of about 1.5 GB (ulimit counts KiB).
    wrapper = t.write("limited.sh",
                      f"#!/bin/sh\nulimit -v 1500000\nexec '{t.session.binary}'\n".encode())
    os.chmod(wrapper, 0o755)
    app = t.start_app(binary=wrapper)
    app.type("testo scritto")
    app.key("ctrl+o")
    app.file_dialog(huge, OPEN_DIALOG)
    app.wait_active(re.escape(MESSAGE_TITLE))  # the message, not the end of the program
    t.shot("refused")
    app.key("Return")
    app.wait_main_active()
    app.menu("m", "s")  # Seleziona Tutto
    app.key("ctrl+c")
    t.clipboard.wait_for(b"testo scritto")
    app.require_running()


@case("file_of_six_gigabytes",
      "a 6 GB file opens under an address-space limit of 1.4 GB, shows at once, takes "
      "typing at both ends, comes back with it after a kill and is saved whole")
def file_of_six_gigabytes(t):
    if shutil.disk_usage(t.dir).free < (12 << 30):
        raise Unavailable("the disk has less than 12 GB free for the 6 GB file and its save")
    source = t.path("enorme.txt")
    block = large_file(100_000)
    bus = AccessibilityBus(t.session.processes, t.desktop)
    try:
        with open(source, "wb") as f:
            for _ in range(6_000_000_000 // len(block)):
                f.write(block)
        size = os.path.getsize(source)
        wrapper = t.write("limited.sh", f"#!/bin/sh\nexec prlimit --as=1400000000 "
                                        f"'{t.session.binary}'\n".encode())
        os.chmod(wrapper, 0o755)
        bus.start()
        bus.listen()
        state = tempfile.mkdtemp(prefix="state-", dir=t.session.work_dir)
        env = dict(bus.app_env(), XDG_STATE_HOME=state)
        app = t.start_app(binary=wrapper, env_extra=env)
        app.key("ctrl+o")
        app.file_dialog(source, OPEN_DIALOG)
        app.wait_main_active()
        app.type("INIZIO ")
        t.shot("first-screen")
        app.key("ctrl+End")
        app.type("FINE")
        expected_size = size + len("INIZIO FINE")
        reads_the_end(app, bus, size // len(block) * block.count(b"\n") + 1)
        # Killed, the program brings both edits back onto the file at its
        # next start, under the same limit.
        sizes = []

        def journal_written():  # each key is written within a second
            sizes.append(journal_size(state))
            return sizes[-1] > 0 and sizes[-1] == sizes[-2 if len(sizes) > 1 else -1]
        settle(journal_written, 30, "the journal to hold every key", period=1.5)
        os.kill(app.pid, signal.SIGKILL)
        app.wait_exit()
        app = t.start_app(binary=wrapper, env_extra=env)

        def saving():  # the file the save writes beside it, or the file saved
            return (os.path.getsize(source) == expected_size
                    or any(name not in ("enorme.txt", "limited.sh") for name in t.files()))

        def save_started():
            app.key("ctrl+s")  # refused while the file is still counted
            deadline = time.monotonic() + 2
            while not saving() and time.monotonic() < deadline:
                time.sleep(0.05)
            return saving()
        poll(save_started, 60, "the counted file to be saved")
        poll(lambda: os.path.getsize(source) == expected_size and t.files() == [
            "enorme.txt", "limited.sh"], 60, "the save to end")
        t.shot("saved")
        with open(source, "rb") as f:
            head = f.read(len(block) + 7)
            f.seek(7 + len(block) * (size // len(block) // 2))
            middle = f.read(len(block))
            f.seek(expected_size - len(block) - 4)
            tail = f.read()
        t.check(head == b"INIZIO " + block, f"the saved file starts {head[:40]!r}")
        t.check(middle == block, f"the middle of the saved file is {middle[:40]!r}")
        t.check(tail == block + b"FINE", f"the saved file ends {tail[-40:]!r}")
        app.require_running()
    finally:
        bus.stop()
        for name in t.files():
            if os.path.getsize(t.path(name)) > (1 << 30):
                os.remove(t.path(name))


def journal_size(state):
    """How many bytes the journals of unsaved edits in the state folder hold."""
    folder = os.path.join(state, "vidizizor")
    names = os.listdir(folder) if os.path.isdir(folder) else []
    return sum(os.path.getsize(os.path.join(folder, name)) for name in names
               if name.endswith(".journal"))


def reads_the_end(app, bus, lines):
    """Once the last letter typed at the end has landed, that is once the
    whole file has come, a screen reader reads the end of a text past its
    offsets' reach after Ctrl+Home and Ctrl+End, in a window around the
    caret, and hears the last line's number."""
    poll(lambda: any(line.startswith("insert ") and line.endswith(" E") for line in bus.heard()),
         120, "the letters typed at the end to land")
    mark = bus.mark()
    app.key("ctrl+Home", "ctrl+End")

    def line_number_said():  # in the locale's digit grouping
        return any(re.sub(r"\D", "", line) == str(lines) for line in bus.heard_since(mark)
                   if line.startswith("shown notification Riga "))
    poll(line_number_said, 30, f"the line number {lines} to be said")
    said = bus.caret()
    match = re.fullmatch(r"caret (\d+) of (\d+): (.*)", said)
    if not (match and match[1] == match[2] and match[3] == "FINE"):
        raise Failure(f"after Ctrl+End the screen reader reads {said!r}")


def mapped_bytes(pid):
    """The address space a process has mapped (VmSize)."""
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmSize:"):
                return int(line.split()[1]) * 1024
    raise Failure(f"no VmSize for process {pid}")


@case("file_within_memory",
      "a file just small enough for the memory the program may use loads whole, takes "
      "typing at its end and is saved")
def file_within_memory(t):
    limit = 1_500_000  # KiB, for ulimit
    wrapper = t.write("limited.sh",
                      f"#!/bin/sh\nulimit -v {limit}\nexec '{t.session.binary}'\n".encode())
    os.chmod(wrapper, 0o755)
    bus = AccessibilityBus(t.session.processes, t.desktop)
    bus.start()
    try:
        bus.listen()
        within_memory(t, bus, t.start_app(binary=wrapper, env_extra=bus.app_env()), limit)
    finally:
        bus.stop()


def within_memory(t, bus, app, limit):
    """The case in the program started under the limit, a screen reader listening."""
    # A small file first, so that the file dialog has taken its memory.
    app.key("ctrl+o")
    app.file_dialog(t.write("piccolo.txt", b"piccolo\r\n"), OPEN_DIALOG)
    app.wait_main_active()
    # As the program counts it before a load: a file takes its size, a
    # sixteenth more and a megabyte, out of the limit less what is mapped
    # and 64 MB kept for the program's own work. 16 MB less than that.
    room = limit * 1024 - mapped_bytes(app.proc.pid) - (64 << 20)
    size = int((room - (1 << 20)) * 16 / 17) - (16 << 20)
    source = t.path("quasi troppo grande.txt")
    block = plain_lines(1 << 20)
    with open(source, "wb") as f:
        for _ in range(size // len(block)):
            f.write(block)
    size = os.path.getsize(source)
    app.key("ctrl+o")
    app.file_dialog(source, OPEN_DIALOG)
    app.wait_main_active()
    app.key("ctrl+End")
    app.type("fine")
    save_when_loaded(app, bus, lambda: os.path.getsize(source) == size + 4)
    with open(source, "rb") as f:
        f.seek(size - len(block))
        tail = f.read()
    t.check(tail == block + b"fine", f"the file ends in {tail[-60:]!r}")
    app.require_running()


@case("find_type_over",
      "Ctrl+F, a word and Return select its first occurrence; Escape gives the keyboard "
      "back to the text, where typing replaces only that occurrence")
def find_type_over(t):
    source = t.write("ricerca.txt", b"il gatto dorme\r\nun altro gatto\r\n")
    app = t.start_app()
    app.key("ctrl+o")
    app.file_dialog(source, OPEN_DIALOG)
    app.wait_main_active()
    app.key("ctrl+f")
    _, title = app.wait_dialog()
    t.check(title == "Trova e sostituisci", f"Ctrl+F opened {title!r}")
    app.type("gatto")
    app.key("Return")
    t.shot("found")
    app.key("Escape")
    app.wait_main_active()
    app.type("cane")
    app.key("ctrl+s")
    wait_for_file(source, b"il cane dorme\r\nun altro gatto\r\n")
    t.shot("typed-over")


@case("undo_select_all", "Ctrl+A, a letter, Ctrl+Z: Save writes the file's own bytes back")
def undo_select_all(t):
    content = b"prima riga\r\nseconda riga\r\n"
    source = t.write("annulla.txt", content)
    app = t.start_app()
    app.key("ctrl+o")
    app.file_dialog(source, OPEN_DIALOG)
    app.wait_main_active()
    app.key("ctrl+a")
    app.type("x")
    t.shot("replaced")
    # Undone and made again, the edit is saved; undone again, the file's own
    # bytes are.
    app.key("ctrl+z", "ctrl+y", "ctrl+s")
    wait_for_file(source, b"x")
    app.key("ctrl+z")
    t.shot("undone")
    app.key("ctrl+s")
    wait_for_file(source, content)


@case("save_as_then_save",
      "Save As keeps the title: a later Save goes to the opened file; Open uses a number")
def save_as_then_save(t):
    source = t.write("lettera.txt", b"a\r\nb\r\n")
    copy = t.path("copia.txt")
    app = t.start_app()
    app.key("ctrl+o")
    app.file_dialog(source, OPEN_DIALOG)
    app.wait_main_active()
    app.menu("f", "v")
    app.file_dialog(copy, SAVE_DIALOG)
    app.wait_main_active()
    wait_for_file(copy, b"a\r\nb\r\n")
    app.key("ctrl+End")
    app.type("c")
    app.key("ctrl+s")
    wait_for_file(source, b"a\r\nb\r\nc")
    t.check(read_file(copy) == b"a\r\nb\r\n", "Save changed the Save As copy")
    # Documento1 at start, Documento2 taken by Open: New gives Documento3.
    app.key("ctrl+n", "ctrl+s")
    wait_for_file(t.path("Documento3"), b"")
    t.shot("after-save")
    t.check(t.files() == ["Documento3", "copia.txt", "lettera.txt"],
            f"unexpected files in the working folder: {t.files()}")


@case("cancelled_dialogs", "cancelled Open and Save As change nothing and use no number")
def cancelled_dialogs(t):
    app = t.start_app()
    app.type("x")
    app.key("ctrl+o")
    app.wait_dialog()
    t.shot("open-dialog")
    app.key("Escape")
    app.wait_main_active()
    app.type("y")  # the focus is back in the same document
    app.key("ctrl+s")
    wait_for_file(t.path("Documento1"), b"xy")
    app.menu("f", "v")
    app.wait_dialog()
    t.shot("save-dialog")
    app.key("Escape")
    app.wait_main_active()
    app.key("ctrl+n", "ctrl+s")
    wait_for_file(t.path("Documento2"), b"")
    t.check(t.files() == ["Documento1", "Documento2"],
            f"unexpected files in the working folder: {t.files()}")


@case("failed_saves", "a failed save shows its message, touches nothing and loses no text")
def failed_saves(t):
    # A folder where Save wants to write the file Documento1.
    kept = t.write(os.path.join("Documento1", "dentro.txt"), b"resta")
    app = t.start_app()
    app.type("testo prezioso")
    app.key("ctrl+s")
    app.wait_active(re.escape(MESSAGE_TITLE))  # the message box
    t.shot("save-refused")
    app.key("Return")
    app.wait_main_active()
    t.check(os.path.isdir(t.path("Documento1")) and read_file(kept) == b"resta",
            "the failed Save changed what was at its path")

    app.menu("f", "v")
    app.file_dialog(t.path("manca", "x.txt"), SAVE_DIALOG)
    app.wait_active(re.escape(MESSAGE_TITLE))  # the message box
    t.shot("save-as-refused")
    app.key("Return")
    app.wait_main_active()
    t.check(not os.path.exists(t.path("manca")), "the failed Save As created its folder")

    app.menu("f", "v")
    app.file_dialog(t.path("salvato.txt"), SAVE_DIALOG)
    app.wait_main_active()
    wait_for_file(t.path("salvato.txt"), b"testo prezioso")


@case("save_past_size_limit",
      "a save that runs into the file-size limit is reported and puts the old bytes back")
def save_past_size_limit(t):
    old = b"vecchio testo\r\n"
    original = t.write("a.txt", old)
    os.link(original, t.path("b.txt"))  # two names: the save rewrites the file in place
    # The program under a limit of 1024 bytes a file (ulimit counts 512-byte blocks).
    wrapper = t.write("limited.sh", f"#!/bin/sh\nulimit -f 2\nexec '{t.session.binary}'\n".encode())
    os.chmod(wrapper, 0o755)
    app = t.start_app(binary=wrapper)
    app.key("ctrl+o")
    app.file_dialog(original, OPEN_DIALOG)
    app.wait_main_active()
    t.clipboard.write(b"x" * 5000)
    app.key("ctrl+End", "ctrl+v", "ctrl+s")
    app.wait_active(re.escape(MESSAGE_TITLE))  # the message, not the end of the program
    t.shot("save-refused")
    app.key("Return")
    app.wait_main_active()
    t.check(read_file(original) == old and read_file(t.path("b.txt")) == old,
            "the failed save did not put the old bytes back")
    t.check(t.files() == ["a.txt", "b.txt", "limited.sh"],
            f"the failed save left files behind: {t.files()}")


# Edit commands and the clipboard


@case("clipboard",
      "Select All and Copy put the text with CR LF on the X clipboard; Cut; Paste from xclip")
def clipboard_exchange(t):
    app = t.start_app()
    app.type("uno\ndue\n")
    app.menu("m", "s")  # Seleziona Tutto
    app.key("ctrl+c")
    t.clipboard.wait_for(b"uno\r\ndue\r\n")
    t.shot("copied")

    t.clipboard.write(b"sovrascritto")
    app.menu("m", "c")  # Copia, from the menu: the selection is still all
    t.clipboard.wait_for(b"uno\r\ndue\r\n")

    app.key("ctrl+x")
    t.clipboard.wait_for(b"uno\r\ndue\r\n")
    app.key("ctrl+s")
    wait_for_file(t.path("Documento1"), b"")

    t.clipboard.write("fuori da xclip\r\nseconda è qui".encode())
    app.key("ctrl+n", "ctrl+v")
    app.key("ctrl+s")
    wait_for_file(t.path("Documento2"), "fuori da xclip\r\nseconda è qui".encode())
    t.shot("pasted")

    # Copy with nothing selected leaves no text on the clipboard: an empty
    # text, or none at all, but never the old one.
    t.clipboard.write(b"qualcosa")
    app.key("ctrl+End", "ctrl+c")
    t.clipboard.wait_for(b"", or_no_text=True)


PASTE_ROWS = [
    # (row, text typed, keys before Paste, clipboard text, saved after Paste and "Z")
    ("caret_after_insert", "ab", ["Left"], b"XY", b"aXYZb"),
    ("selection_replaced", "abcdefgh", ["Left"] * 4 + ["shift+Left"] * 2, b"123",
     b"ab123Zefgh"),
    ("across_lines", "uno\ndue", ["Up", "End"], b"-\r\n+", b"uno-\r\n+Z\r\ndue"),
    ("lone_lf_kept", "", [], b"a\nb", b"a\nbZ"),
    ("empty_clipboard_removes_selection", "abcd", ["Left", "shift+Left"], b"", b"abZd"),
]


@case("paste",
      "Paste replaces the selection and leaves the caret after the pasted text", rows=PASTE_ROWS)
def paste(t, typed, keys, clip, expected):
    app = t.start_app()
    if typed:
        app.type(typed)
    if keys:
        app.key(*keys)
    t.clipboard.write(clip)
    app.key("ctrl+v")
    app.type("Z")
    app.key("ctrl+s")
    wait_for_file(t.path("Documento1"), expected)
    t.shot("pasted")


def read_primary(t):
    """The X primary selection's text as bytes, or None."""
    result = run(["xclip", "-selection", "primary", "-t", "UTF8_STRING", "-o"],
                 env=t.desktop.env, check=False, timeout=10)
    return result.stdout if result.returncode == 0 else None


def text_box(picture):
    """The rows of the first white area at least 100 pixels wide and 40 high
    (the inside of a text box), each with its first wide white span."""
    def first_wide_span(y):
        x = 0
        while x < picture.width:
            if picture.pixel(x, y) != WHITE:
                x += 1
                continue
            start = x
            while x < picture.width and picture.pixel(x, y) == WHITE:
                x += 1
            if x - start >= 100:
                return start, x
        return None

    band = []
    for y in range(picture.height):
        span = first_wide_span(y)
        if span:
            band.append((y, span))
        elif len(band) >= 40:
            break
        else:
            band = []
    if len(band) < 40:
        raise Failure("no white text box found in the main window")
    return band


def white_spot(picture):
    """(x, y) in the middle of the text box."""
    band = text_box(picture)
    y, (x0, x1) = band[len(band) // 2]
    return (x0 + x1) // 2, y


@case("primary_selection",
      "selected text goes on the X primary selection; the middle button pastes it where clicked")
def primary_selection(t):
    app = t.start_app()
    app.type("uno due")
    app.key("shift+Home")
    poll(lambda: read_primary(t) == b"uno due", 10, "the selection on the primary selection")

    path = t.write("primary-in", "è fuori".encode())
    owner = t.session.processes.start(
        "xclip-primary", ["xclip", "-quiet", "-selection", "primary", "-t", "UTF8_STRING", "-i",
                          path], env=t.desktop.env)
    try:
        poll(lambda: read_primary(t) == "è fuori".encode(), 10, "xclip to own the selection")
        app.key("End")
        # Below the only line and right of its end: the paste goes at its end.
        x, y = white_spot(app.desktop.grab(app.main_window))
        t.desktop.xdotool("mousemove", "--window", app.main_window, str(x), str(y), "click", "2")
        t.desktop.xdotool("mousemove", str(SCREEN_WIDTH - 1), str(SCREEN_HEIGHT - 1))
        app.key("ctrl+s")
        wait_for_file(t.path("Documento1"), "uno dueè fuori".encode())
        t.shot("pasted")
    finally:
        t.session.processes.stop(owner)


@case("primary_same_document",
      "a word selected with a double click is pasted by the middle button in the same document")
def primary_same_document(t):
    app = t.start_app()
    app.type("parola altro")
    band = text_box(app.desktop.grab(app.main_window))
    top, (left, _) = band[0]
    # Over the "a" of "parola": the first line starts 4 pixels into the box.
    wid = app.main_window
    t.desktop.xdotool("mousemove", "--window", wid, str(left + 12), str(top + 10),
                      "click", "--repeat", "2", "--delay", "80", "1")
    poll(lambda: read_primary(t) == b"parola", 10, "the word on the primary selection")
    t.shot("word selected")
    app.key("End")  # deselected: the word stays the primary selection
    x, y = white_spot(app.desktop.grab(wid))  # below the only line: its end
    t.desktop.xdotool("mousemove", "--window", wid, str(x), str(y), "click", "2")
    t.desktop.xdotool("mousemove", str(SCREEN_WIDTH - 1), str(SCREEN_HEIGHT - 1))
    app.key("ctrl+s")
    wait_for_file(t.path("Documento1"), b"parola altroparola")
    t.shot("pasted")


MENU_KEY_ROWS = [
    # (row, the key that opens the context menu)
    ("menu_key", "Menu"),
    ("shift_f10", "shift+F10"),
]


@case("context_menu_keys",
      "the Menu key and Shift+F10 open the text box's menu; its Copia letter copies",
      rows=MENU_KEY_ROWS)
def context_menu_keys(t, opener):
    app = t.start_app()
    app.type("uno due")
    app.key("shift+Home")
    t.clipboard.write(b"prima")
    app.key(opener)
    poll(lambda: app.desktop.popups(app.pid), 10, "the context menu to open")
    t.shot("menu")
    app.key("c")
    t.clipboard.wait_for(b"uno due")
    poll(lambda: not app.desktop.popups(app.pid), 10, "the context menu to close")


SELECTED = b"\x30\x8c\xc6"  # the selection's colour in Qt's standard palette


def selected_spot(picture):
    """(x, y) in the middle of the selected text on the text box's first
    row that shows any."""
    for y, _ in text_box(picture):
        xs = [x for x in range(picture.width) if picture.pixel(x, y) == SELECTED]
        if len(xs) > 5:
            return (xs[0] + xs[-1]) // 2, y
    raise Failure("no selection shows in the text box")


@case("drag_and_drop",
      "a selection dragged with the mouse moves within the text; the saved bytes show it")
def drag_and_drop(t):
    app = t.start_app()
    app.type("uno due\ntre")
    app.key("ctrl+Home", "ctrl+shift+Right")  # "uno "
    picture = grab_when(app, lambda p: any(SELECTED in p.row(y) for y in range(p.height)),
                        "the selection to show")
    t.shot("selected")
    sx, sy = selected_spot(picture)
    x, y = white_spot(picture)  # below the last line, right of its end
    wid = app.main_window
    t.desktop.xdotool("mousemove", "--window", wid, str(sx), str(sy), "mousedown", "1")
    for step in range(1, 11):
        t.desktop.xdotool("mousemove", "--window", wid, str(sx + (x - sx) * step // 10),
                          str(sy + (y - sy) * step // 10))
        time.sleep(0.05)
    t.shot("dragging")  # a caret shows where the text would go
    t.desktop.xdotool("mouseup", "1")
    t.desktop.xdotool("mousemove", str(SCREEN_WIDTH - 1), str(SCREEN_HEIGHT - 1))
    app.key("ctrl+s")
    wait_for_file(t.path("Documento1"), b"due\r\ntreuno ")
    t.shot("dropped")


@case("drag_to_another_program",
      "a selection dragged onto another program's window arrives there whole")
def drag_to_another_program(t):
    half = SCREEN_WIDTH // 2
    source = t.start_app()
    t.desktop.xdotool("windowsize", "--sync", source.main_window, str(half), str(SCREEN_HEIGHT))
    t.desktop.xdotool("windowmove", "--sync", source.main_window, "0", "0")
    source.type("uno due")
    source.key("ctrl+Home", "ctrl+shift+Right")  # "uno "
    picture = grab_when(source, lambda p: any(SELECTED in p.row(y) for y in range(p.height)),
                        "the selection to show")
    sx, sy = selected_spot(picture)
    # The other program is a second run of this one, saving in a folder of its own.
    elsewhere = t.path("altrove")
    os.makedirs(elsewhere)
    target = App(t.session.binary, t.desktop, t.session.processes, elsewhere)
    t.apps.append(target)
    target.start()
    t.desktop.xdotool("windowsize", "--sync", target.main_window, str(half), str(SCREEN_HEIGHT))
    t.desktop.xdotool("windowmove", "--sync", target.main_window, str(half), "0")
    x, y = white_spot(t.desktop.grab(target.main_window))
    t.desktop.xdotool("mousemove", "--window", source.main_window, str(sx), str(sy),
                      "mousedown", "1")
    for step in range(11):
        t.desktop.xdotool("mousemove", "--window", target.main_window,
                          str(x * step // 10), str(y))
        time.sleep(0.05)
    t.shot("dragging")
    t.desktop.xdotool("mouseup", "1")
    t.desktop.xdotool("mousemove", str(SCREEN_WIDTH - 1), str(SCREEN_HEIGHT - 1))
    t.desktop.xdotool("windowactivate", "--sync", target.main_window, check=False)
    target.wait_main_active()
    target.key("ctrl+s")
    wait_for_file(os.path.join(elsewhere, "Documento1"), b"uno ")
    t.shot("dropped")


# Files from the command line and from outside


@case("command_line",
      "files named on the command line open after Documento1, in order; a missing one is "
      "reported")
def command_line(t):
    text = "prima riga\r\nseconda è qui\r\n".encode()
    letter = t.write("lettera.txt", text)
    # Relative to the program's working folder, then a file:// address.
    app = t.start_app(args=["manca.txt", "file://" + letter], focused=False)
    app.wait_active(re.escape(MESSAGE_TITLE))  # the message for manca.txt
    t.shot("missing-reported")
    app.key("Return")
    app.wait_main_active()
    t.shot("opened")
    app.menu("m", "s")  # Seleziona Tutto, in the file's window, in front
    app.key("ctrl+c")
    t.clipboard.wait_for(text)
    app.menu("f", "c")  # Chiudi: Documento1 is left, empty
    app.key("ctrl+s")
    wait_for_file(t.path("Documento1"), b"")
    # Documento2 went to manca.txt, Documento3 to the letter.
    app.key("ctrl+n", "ctrl+s")
    wait_for_file(t.path("Documento4"), b"")
    t.check(t.files() == ["Documento1", "Documento4", "lettera.txt"],
            f"unexpected files in the working folder: {t.files()}")
    t.check(read_file(letter) == text, "opening changed the file")


ANSWERS = [
    # (arguments, exit status, what the output or the errors start with, and hold)
    (["--version"], 0, "Vidizizor 1.", "\n"),
    (["--help"], 0, "Utilizzo: ", "vidizizor [opzioni] [file...]\n"),
    (["--sconosciuta"], 2, "Opzione sconosciuta 'sconosciuta'.", "[opzioni] [file...]\n"),
]


@case("command_line_answers",
      "--version and --help print in Italian and end, and an unknown option ends with status "
      "2, all with no display; none opens a window")
def command_line_answers(t):
    env = dict(t.desktop.env, QT_QPA_PLATFORM="xcb")
    no_display = {key: value for key, value in env.items() if key != "DISPLAY"}
    for arguments, status, start, held in ANSWERS:
        result = run([t.session.binary] + arguments, env=no_display,
                     timeout=15, check=False)
        printed = (result.stdout if status == 0 else result.stderr).decode()
        t.check(result.returncode == status,
                f"{arguments}: exit status {result.returncode}, expected {status}")
        t.check(printed.startswith(start) and held in printed,
                f"{arguments} printed {printed!r}")
    t.check(not run(["xdotool", "search", "--name", "Vidizizor"], env=env,
                    check=False).stdout.strip(), "a window was left open")


DROP_ROWS = [
    # (row, where on the main window the file is dropped, as fractions of its size)
    ("frame", (0.5, -6)),  # the status bar, outside any document
    ("text_box", (0.25, 0.5)),  # the text box of Documento1, which keeps its text
]


@case("drop_files",
      "a file dragged from another program onto the main window opens; the file stays",
      rows=DROP_ROWS)
def drop_files(t, where):
    if not t.session.drag_source:
        raise Failure("no drag source program given (--drag-source)")
    text = b"trascinato\r\nqui\r\n"
    dropped = t.write("trascinato.txt", text)
    app = t.start_app()
    log = drag_file_onto(t, app, dropped, where)
    t.check("dropped: copy" in log, f"the drop did not take a copy: {log!r}")
    app.wait_main_active()  # the drop brings the main window to the front
    t.shot("dropped")
    app.menu("m", "s")  # Seleziona Tutto, in the dropped file's window
    app.key("ctrl+c")
    t.clipboard.wait_for(text)
    app.menu("f", "c")  # Chiudi: Documento1 is left, as it was
    app.key("ctrl+s")
    wait_for_file(t.path("Documento1"), b"")
    t.check(read_file(dropped) == text, "the dropped file changed or went")


@case("hand_over",
      "with the program running in the session, `vidizizor FILE` opens FILE in its window, "
      "brings it back from an icon to the front, and ends")
def hand_over(t):
    bus = t.path("bus")
    daemon = t.session.processes.start(
        "dbus-daemon", ["dbus-daemon", "--session", "--nofork", f"--address=unix:path={bus}"],
        env=t.desktop.env)
    try:
        poll(lambda: os.path.exists(bus), 10, "the session bus")
        session = {"DBUS_SESSION_BUS_ADDRESS": f"unix:path={bus}"}
        app = t.start_app(env_extra=session)
        text = "consegnato alla finestra\r\n".encode()
        t.write("consegnato.txt", text)
        t.desktop.xdotool("windowminimize", "--sync", app.main_window)
        # Relative to the working folder of the start that hands it over.
        handed = run([t.session.binary, "consegnato.txt"], env=app.env, timeout=30, check=False,
                     cwd=t.dir)
        t.check(handed.returncode == 0, f"the second start ended with {handed.returncode}")
        app.wait_main_active()
        t.shot("handed-over")
        mains = run(["xdotool", "search", "--onlyvisible", "--name", re.escape("Vidizizor  V.")],
                    env=t.desktop.env, check=False).stdout.split()
        t.check(len(mains) == 1, f"{len(mains)} main windows are shown")
        app.menu("m", "s")  # Seleziona Tutto, in the handed file's window, in front
        app.key("ctrl+c")
        t.clipboard.wait_for(text)
        app.menu("f", "c")  # Chiudi: Documento1 is left, as it was
        app.key("ctrl+s")
        wait_for_file(t.path("Documento1"), b"")
    finally:
        for app in t.apps:
            app.stop()
        t.session.processes.stop(daemon)


TIME_DATE_ROWS = [
    # (row, text typed, keys before, use the menu, expected shape around s)
    ("f5_at_caret", "[]", ["Left"], False, (b"[", b"|]")),
    ("menu_over_selection", "vecchio testo", ["shift+Home"], True, (b"", b"|")),
]


@case("time_date",
      "Ora/Data inserts the time, one blank and the date, caret after it", rows=TIME_DATE_ROWS)
def time_and_date(t, typed, keys, use_menu, shape):
    app = t.start_app()
    app.type(typed)
    app.key(*keys)
    before = datetime.datetime.now()
    if use_menu:
        app.menu("m", "d")
    else:
        app.key("F5")
    app.type("|")
    app.key("ctrl+s")
    saved = poll(lambda: read_file(t.path("Documento1")), 15, "Documento1 to be saved")
    after = datetime.datetime.now()
    t.shot("inserted")
    prefix, suffix = shape
    if not (saved.startswith(prefix) and saved.endswith(suffix)):
        raise Failure(f"saved {saved!r}: the time and date did not go where the caret was")
    inserted = saved[len(prefix):len(saved) - len(suffix)].decode(errors="replace")
    match = re.fullmatch(r"(\d{1,2})[:.](\d{2})[:.](\d{2}) (\S.*\S|\S)", inserted)
    if not match or "\r" in inserted or "\n" in inserted:
        raise Failure(f"inserted {inserted!r}: not the time with seconds, one blank and a date")
    clock = datetime.datetime.combine(before.date(), datetime.time(*map(int, match.groups()[:3])))
    t.check(any(abs((clock + datetime.timedelta(days=d) - moment).total_seconds()) < 120
                for d in (-1, 0, 1) for moment in (before, after)),
            f"inserted time {match.group(0)!r} is not the current time ({before:%H:%M:%S})")
    date = match.group(4)
    days = {before.date(), after.date()}
    t.check(any(re.search(rf"(^|\D)0?{day.day}(\D|$)", date)
                and (str(day.year) in date or f"{day.year % 100:02d}" in date) for day in days),
            f"inserted date {date!r} does not show today's day and year")


# View and Window menus: measured on the screen


@case("view",
      "Visualizza hides and shows the toolbar and the status bar; the document area follows")
def view_toggles(t):
    app = t.start_app()
    app.menu("f", "c")  # an empty document area is all one colour
    empty = grab_when(app, lambda p: p.band(p.most_common_colour()), "the empty document area")
    background = empty.most_common_colour()
    top, bottom = empty.band(background)
    t.shot("empty-area")
    last_row = empty.height - 1

    app.menu("v", "s")  # Barra degli strumenti: hide
    hidden = grab_when(app, lambda p: (p.band(background) or (top, 0))[0] < top,
                       "the document area to grow upwards")
    t.shot("toolbar-hidden")
    t.check(hidden.band(background)[1] == bottom, "hiding the toolbar moved the area's foot")

    app.menu("v", "b")  # Barra di stato: hide
    both = grab_when(app, lambda p: (p.band(background) or (0, 0))[1] > bottom,
                     "the document area to grow downwards")
    t.shot("both-hidden")
    t.check(both.band(background)[1] >= last_row - 2,
            f"with the status bar hidden the area ends at row {both.band(background)[1]} "
            f"of {last_row}")
    t.check(both.band(background)[0] == hidden.band(background)[0],
            "hiding the status bar moved the area's top")

    app.menu("v", "s")  # show the toolbar again
    grab_when(app, lambda p: (p.band(background) or (0, 0))[0] == top,
              "the toolbar to take its place back")
    app.menu("v", "b")  # show the status bar again
    grab_when(app, lambda p: p.band(background) == (top, bottom),
              "the status bar to take its place back")
    t.shot("both-shown")


@case("windows", "Finestra tiles and cascades three documents and its list activates a document")
def window_arrangements(t):
    app = t.start_app()
    app.menu("f", "c")
    empty = grab_when(app, lambda p: p.band(p.most_common_colour()), "the empty document area")
    background = empty.most_common_colour()
    top, bottom = empty.band(background)
    middle_row = (top + bottom) // 2
    middle_column = empty.width // 2

    texts = ["Prima finestra\nuno", "Seconda finestra\ndue", "Terza finestra\ntre"]
    for text in texts:
        app.key("ctrl+n")
        app.type(text)

    def white_runs_across(p):
        return runs(p.row(middle_row), WHITE, 20)

    def white_runs_down(p):
        return runs(p.column(middle_column, top, bottom + 1), WHITE, 20)

    def three_even(lengths):
        return len(lengths) == 3 and max(lengths) - min(lengths) <= max(lengths) // 5

    app.menu("n", "v")  # Affianca verticalmente: side by side
    side = grab_when(app, lambda p: three_even(white_runs_across(p)),
                     "three documents side by side")
    t.check(len(white_runs_down(side)) == 1, "side by side, the documents are also stacked")
    area = (bottom - top + 1) * empty.width
    uncovered = side.count(background, top, bottom)
    t.check(uncovered < area // 50,
            f"tiled side by side, the documents leave {uncovered} of {area} pixels uncovered")
    t.shot("tiled-vertically")

    # The picture for the README: three documents tiled, a menu open.
    app.open_menu("n")
    x, y, w, h = app.desktop.frame_geometry(app.main_window)
    t.shot("window-menu-open")
    readme = os.path.join(t.session.artifacts, "readme-screenshot.png")
    app.desktop.crop_screenshot(readme, x, y, w, h)
    # The list below the fixed items: Documento2, Documento3, Documento4.
    app.desktop.xdotool("key", "--delay", "40", "Down", "Down", "Down", "Down", "Return")
    poll(lambda: not app.desktop.popups(app.pid), 10, "the menu to close")
    app.type("!")
    app.key("ctrl+s")
    wait_for_file(t.path("Documento2"), b"Prima finestra\r\nuno!")

    app.menu("n", "o")  # Affianca orizzontalmente: one above another
    stacked = grab_when(app, lambda p: three_even(white_runs_down(p)),
                        "three documents one above another")
    t.check(len(white_runs_across(stacked)) == 1,
            "one above another, the documents are also side by side")
    t.shot("tiled-horizontally")

    app.menu("n", "s")  # Sovrapponi: each as large as the area less the steps
    grab_when(app, lambda p: 0 < p.count(background, top, bottom) < area // 4,
              "the cascade to step the documents down across the area")
    t.shot("cascaded")
    if t.session.docs_screenshot:
        shutil.copyfile(readme, t.session.docs_screenshot)


# Ending the program


@case("exit_menu", "Esci ends the program at once, saving nothing")
def exit_from_menu(t):
    app = t.start_app()
    app.type("non salvato")
    app.key("ctrl+n")
    app.type("nemmeno questo")
    app.menu("f", "e")
    status = app.wait_exit()
    t.check(status == 0, f"the program ended with status {status}")
    t.check(t.files() == [], f"Esci wrote files: {t.files()}")


@case("close_main_window", "closing the main window ends the program, saving nothing")
def close_main_window(t):
    app = t.start_app()
    app.type("non salvato")
    app.key("ctrl+n")
    app.key("alt+F4")  # the window manager's close command
    status = app.wait_exit()
    t.check(status == 0, f"the program ended with status {status}")
    t.check(t.files() == [], f"closing the window wrote files: {t.files()}")


# Printing


def printed_lines(text):
    return [line.strip() for line in text.replace("\f", "\n").splitlines() if line.strip()]


@case("print",
      "Stampa prints the whole text on the default printer and leaves the document", printer=True)
def print_document(t):
    cups = t.cups
    app = t.start_app({"CUPS_SERVER": cups.socket})
    app.type("prima riga\nseconda riga")
    app.key("shift+Home")  # a selection: the whole text is printed anyway
    known = cups.completed_jobs()
    cups.forget_output()
    app.key("ctrl+p")
    text = cups.wait_for_job_after(known)
    t.shot("printed")
    lines = printed_lines(text)
    t.check(lines == ["prima riga", "seconda riga"],
            f"the printout reads {lines!r}: expected the two lines and nothing else")

    # The selection survived: typing replaces it.
    app.type("X")
    app.key("ctrl+s")
    wait_for_file(t.path("Documento1"), b"prima riga\r\nX")

    known = cups.completed_jobs()
    cups.forget_output()
    app.menu("f", "t")  # Stampa...
    lines = printed_lines(cups.wait_for_job_after(known))
    t.check(lines == ["prima riga", "X"], f"the second printout reads {lines!r}")


@case("print_no_printer",
      "with no default printer Stampa shows its message and the program goes on")
def print_without_printer(t):
    app = t.start_app({"CUPS_SERVER": t.path("nessun-server.sock")})
    app.type("resta")
    app.key("ctrl+p")
    app.wait_active(re.escape(MESSAGE_TITLE))  # the message box
    t.shot("no-printer")
    app.key("Return")
    app.wait_main_active()
    app.type("!")
    app.key("ctrl+s")
    wait_for_file(t.path("Documento1"), b"resta!")
    t.check(app.running(), "the program ended")


import frame_cases  # noqa: E402,F401  (registers the cases of the MDI frame)
import journal_cases  # noqa: E402,F401  (registers the cases of the unsaved edits' journals)
import screenreader_cases  # noqa: E402,F401  (registers the cases of a screen reader)
import orca_cases  # noqa: E402,F401  (registers the case of Orca itself)


# Runner


class Session:
    def __init__(self, args):
        self.binary = os.path.abspath(args.binary)
        self.drag_source = args.drag_source and os.path.abspath(args.drag_source)
        self.session_manager = args.session_manager and os.path.abspath(args.session_manager)
        self.artifacts = os.path.abspath(args.artifacts)
        self.docs_screenshot = args.docs_screenshot
        self.work_dir = make_work_dir()
        # Screenshots of an earlier full run go, but only from a folder that
        # this script made (it carries a marker file).
        marker = os.path.join(self.artifacts, ".vidizizor-e2e")
        if not args.only and os.path.exists(marker):
            shutil.rmtree(self.artifacts, ignore_errors=True)
        os.makedirs(self.artifacts, exist_ok=True)
        open(marker, "w").close()
        self.processes = Processes(os.path.join(self.work_dir, "logs"))
        self.desktop = Desktop(self.processes, self.work_dir)
        self.clipboard = Clipboard(self.desktop, self.processes)
        self.cups = None
        self.cups_problem = None


def cups_state():
    """The machine's own CUPS configuration, to prove it is left alone."""
    return {path: snapshot_tree(path)
            for path in ("/etc/cups", os.path.expanduser("~/.cups"))}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--binary", required=True)
    parser.add_argument("--artifacts", required=True)
    parser.add_argument("--drag-source",
                        help="the program that drags files from outside, as a file manager does")
    parser.add_argument("--session-manager",
                        help="the session manager that asks the program to save for a logout")
    parser.add_argument("--only", help="run only the cases whose name matches this pattern")
    parser.add_argument("--docs-screenshot",
                        help="also copy the README screenshot to this path")
    args = parser.parse_args()

    # A termination request still runs the clean-up below.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))

    if not os.access(args.binary, os.X_OK):
        print(f"not an executable: {args.binary}")
        return 2

    session = Session(args)
    passed, failed, skipped = [], [], []
    cups_before = cups_state()
    started = time.monotonic()
    try:
        run_cases(args, session, passed, failed, skipped)
    except (Unavailable, Failure) as error:
        failed.append("set-up")
        print(f"FAIL set-up: {error}", flush=True)
    finally:
        session.processes.stop_all()
        logs = os.path.join(session.artifacts, "logs")
        shutil.rmtree(logs, ignore_errors=True)
        shutil.copytree(session.processes.log_dir, logs, dirs_exist_ok=True)
        if session.cups is not None:
            shutil.copytree(os.path.join(session.cups.dir, "log"), os.path.join(logs, "cups"),
                            dirs_exist_ok=True)
        shutil.rmtree(session.work_dir, ignore_errors=True)

    name = "the machine's CUPS configuration is left as it was"
    if cups_state() == cups_before:
        passed.append(name)
        print(f"ok   {name}")
    else:
        failed.append(name)
        print(f"FAIL {name}")

    print(f"screenshots in {session.artifacts} ({time.monotonic() - started:.0f} s)")
    summary = f"{len(passed)} passed, {len(failed)} failed"
    if skipped:
        summary += f" ({len(skipped)} skipped)"
    print(summary)
    return 1 if failed else 0


def outlived(apps):
    """A screen reader that asked about an object the program had already let
    go of: the toolkit says so in the program's output."""
    said = sum(app.full_log().count(INVALID_ACCESSIBLE) for app in apps)
    return [f"the program was asked {said} times about accessible objects that had "
            f"outlived what they stood for ({INVALID_ACCESSIBLE!r})"] if said else []


def run_cases(args, session, passed, failed, skipped):
    session.desktop.start()
    print(f"display {session.desktop.display}, work folder {session.work_dir}", flush=True)
    selected = []
    for ident, description, function, rows, printer in CASES:
        for row in rows or [None]:
            slug = f"{ident}-{row[0]}" if row else ident
            full = f"{slug}: {description}"
            if not args.only or re.search(args.only, full):
                selected.append((slug, full, function, row, printer))
    if any(printer for *_, printer in selected):
        try:
            cups = PrivateCups(session.processes, session.work_dir)
            cups.start(session.desktop.env)
            session.cups = cups
        except (Unavailable, Failure) as error:
            session.cups_problem = str(error)

    for slug, full, function, row, printer in selected:
        if printer and session.cups is None:
            print(f"SKIP {full}: no printer ({session.cups_problem})", flush=True)
            skipped.append(full)
            continue
        t = Context(session, slug)
        t0 = time.monotonic()
        error = None
        try:
            function(t, *row[1:]) if row else function(t)
        except Failure as failure:
            error = str(failure)
        except Unavailable as reason:
            t.finish()
            print(f"SKIP {full}: {reason}", flush=True)
            skipped.append(full)
            continue
        except Exception:  # a fault of the harness itself
            error = traceback.format_exc()
        problems = ([error] if error else []) + t.problems
        if problems:
            t.shot("failure")
        logs = "\n".join(app.log() for app in t.apps if app.log())
        t.finish()
        problems += outlived(t.apps)
        took = time.monotonic() - t0
        if problems:
            failed.append(full)
            print(f"FAIL {full} ({took:.1f} s)", flush=True)
            for problem in problems:
                print("     " + problem.replace("\n", "\n     "))
            if logs:
                print("     program output:\n       " + logs.replace("\n", "\n       "))
        else:
            passed.append(full)
            print(f"ok   {full} ({took:.1f} s)", flush=True)


if __name__ == "__main__":
    sys.exit(main())
