"""End-to-end cases of the MDI frame under openbox: where the keyboard goes
when documents are minimised, the frame's keys (F10, a lone Alt, Alt+-,
Ctrl+F4, Ctrl+F6), many documents tiled and cascaded, and the About box that
a window manager must not be able to hide.

Each case drives the program from the keyboard only and checks the files it
saves, the windows on the screen and their pixels.
"""

import os
import re

from e2elib import (Failure, case, grab_when, poll, read_file, run, runs,
                    wait_for_file)

WHITE = b"\xff\xff\xff"
ABOUT_TITLE = "Informazioni su Vidizizor  V. 1.0"


def minimise_active(app):
    """Alt+- opens the active document's window menu; Mi&nimizza."""
    app.key("alt+minus")
    poll(lambda: app.desktop.popups(app.pid), 10, "the document's window menu")
    app.desktop.xdotool("key", "--delay", "40", "n")
    poll(lambda: not app.desktop.popups(app.pid), 10, "the window menu to close")


def saved_again(t, app, name, expected):
    """Saves the active document afresh and waits for its file."""
    path = t.path(name)
    if os.path.exists(path):
        os.remove(path)
    app.key("ctrl+s")
    wait_for_file(path, expected)


@case("focus_minimised",
      "minimising the active document moves the keyboard to a visible one; with every "
      "document minimised, typing, Paste and Ora/Data change nothing")
def focus_after_minimise(t):
    app = t.start_app()
    app.type("uno")
    app.key("ctrl+n")
    app.type("due")
    minimise_active(app)  # Documento2
    t.shot("documento2-minimised")
    app.type("!")
    saved_again(t, app, "Documento1", b"uno!")

    minimise_active(app)  # Documento1: every document is an icon now
    t.shot("all-minimised")
    t.clipboard.write(b"appunti")
    app.type("perso")
    app.key("Return", "ctrl+v", "ctrl+x", "F5", "BackSpace")
    saved_again(t, app, "Documento1", b"uno!")
    t.check(not os.path.exists(t.path("Documento2")), "Documento2 was saved")


@case("focus_failed_open",
      "after a failed Open the keyboard is back in the visible document, not in an icon")
def focus_after_failed_open(t):
    app = t.start_app()
    app.type("a")
    app.key("ctrl+n")
    minimise_active(app)  # Documento2, an icon that was active just now
    app.key("ctrl+o")
    app.file_dialog("/dev/zero", "Apri")  # a device, not a file: Open refuses it
    app.wait_active(re.escape("Vidizizor"))  # the message box
    t.shot("open-refused")
    app.key("Return")
    app.wait_main_active()
    app.type("b")
    saved_again(t, app, "Documento1", b"ab")


@case("menu_bar_keys", "F10 or a lone Alt puts the focus on the menu bar, as on the platform",
      rows=[("f10", "F10"), ("alt", "alt")])
def menu_bar_keys(t, key):
    app = t.start_app()
    app.key(key)
    t.shot("menu-bar-focused")
    t.check(not app.desktop.popups(app.pid), f"{key} opened a menu instead of marking the bar")
    app.key("Escape")  # back to the document
    app.type("x")
    saved_again(t, app, "Documento1", b"x")

    app.key(key)
    app.key("Down")  # opens File
    poll(lambda: app.desktop.popups(app.pid), 10, "the File menu")
    t.shot("file-menu")
    app.desktop.xdotool("key", "--delay", "40", "o")  # Nu&ovo
    poll(lambda: not app.desktop.popups(app.pid), 10, "the menu to close")
    saved_again(t, app, "Documento2", b"")


@case("document_keys", "Ctrl+F6 goes to the next document, Ctrl+F4 closes one, Ctrl+W does not")
def document_keys(t):
    app = t.start_app()
    app.type("1")
    app.key("ctrl+n")
    app.type("2")
    app.key("ctrl+F6")  # back to Documento1
    app.type("x")
    saved_again(t, app, "Documento1", b"1x")
    app.key("ctrl+F4")
    app.key("ctrl+w")
    app.type("y")
    saved_again(t, app, "Documento2", b"2y")
    t.shot("documento2-left")
    app.key("ctrl+shift+F6")  # the only document stays active
    app.type("z")
    saved_again(t, app, "Documento2", b"2yz")


def white_runs(picture, y=None, x=None, top=0, bottom=None):
    """Runs of white (document text) at least 20 pixels long, across row y
    or down column x."""
    line = picture.row(y) if x is None else picture.column(x, top, bottom)
    return runs(line, WHITE, 20)


@case("many_documents",
      "with twelve documents the Finestra menu numbers nine and offers the rest, tiling makes "
      "a grid of usable windows and the cascade fills the frame")
def many_documents(t):
    app = t.start_app()
    app.desktop.xdotool("windowsize", app.main_window, "1200", "900")
    app.desktop.xdotool("windowmove", app.main_window, "40", "40")
    app.menu("f", "c")
    empty = grab_when(app, lambda p: p.band(p.most_common_colour()), "the empty document area")
    top, bottom = empty.band(empty.most_common_colour())
    for _ in range(11):
        app.key("ctrl+n")
    app.open_menu("n")
    t.shot("window-menu-11")
    app.key("Escape")
    app.wait_main_active()
    app.key("ctrl+n")

    app.menu("n", "v")  # Affianca verticalmente: 4 columns of 3
    side = grab_when(app, lambda p: len(white_runs(p, y=(top + bottom) // 2)) == 4,
                     "four columns of documents")
    t.shot("tiled-vertically-12")
    t.check(min(white_runs(side, y=(top + bottom) // 2)) > 150,
            f"tiled columns too narrow: {white_runs(side, y=(top + bottom) // 2)}")

    app.menu("n", "o")  # Affianca orizzontalmente: 4 rows of 3
    middle = empty.width // 2
    stacked = grab_when(app, lambda p: len(white_runs(p, x=middle, top=top, bottom=bottom)) == 4,
                        "four rows of documents")
    t.shot("tiled-horizontally-12")
    heights = white_runs(stacked, x=middle, top=top, bottom=bottom)
    t.check(min(heights) > 80, f"tiled rows too low: {heights}")

    app.menu("n", "s")  # Sovrapponi
    row = bottom - 40
    cascade = grab_when(app, lambda p: max(white_runs(p, y=row) or [0]) > empty.width * 0.6,
                        "the front window of the cascade to fill the frame")
    t.shot("cascaded-12")
    t.check(cascade is not None, "no cascade")


def x_property(app, wid, name):
    return run(["xprop", "-id", wid, name], env=app.desktop.env).stdout.decode()


def viewable(app, wid):
    info = run(["xwininfo", "-id", wid], env=app.desktop.env, check=False).stdout.decode()
    return "IsViewable" in info


@case("about_box", "the About box asks for a close box only, and minimising it brings it "
      "back together with the main window")
def about_box(t):
    app = t.start_app()
    app.key("F10", "Left", "Down")  # the last menu, "?"
    poll(lambda: app.desktop.popups(app.pid), 10, "the ? menu")
    app.desktop.xdotool("key", "--delay", "40", "i")
    dialog = app.wait_active(re.escape(ABOUT_TITLE))
    t.shot("about")

    hints = x_property(app, dialog, "_MOTIF_WM_HINTS")
    numbers = [int(n, 0) for n in re.findall(r"0x[0-9a-fA-F]+|\d+", hints.split("=", 1)[-1])]
    if len(numbers) < 2:
        raise Failure(f"the About box carries no window hints: {hints!r}")
    functions = numbers[1]
    t.check(functions & 0x20 and not functions & (0x8 | 0x10),  # close; no minimise, maximise
            f"the About box asks for the functions {functions:#x}")
    sizes = x_property(app, dialog, "WM_NORMAL_HINTS")
    smallest = re.search(r"minimum size: (\d+) by (\d+)", sizes)
    largest = re.search(r"maximum size: (\d+) by (\d+)", sizes)
    t.check(smallest and largest and smallest.groups() == largest.groups(),
            f"the About box can be resized: {sizes!r}")

    app.desktop.xdotool("windowminimize", dialog)
    poll(lambda: viewable(app, dialog) and viewable(app, app.main_window)
         and app.active_is(dialog), 10, "the About box and the main window to come back")
    t.shot("about-back")
    app.key("Escape")
    app.wait_main_active()
    app.type("dopo")
    saved_again(t, app, "Documento1", b"dopo")
    t.check(read_file(t.path("Documento1")) == b"dopo", "the document lost its text")
