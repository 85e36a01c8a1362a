"""End-to-end cases of a screen reader's view: the program on a private
accessibility bus, heard by screenreader.py as a screen reader hears it.

Every change of the text must reach it with the text that came or went, a
field must be told as focused before its selection, an outcome of find and
replace must be said, as must a change another program makes to an open
file, and no question a screen reader asks may hang the program: the find
field and the file dialog's name field are asked every item at every
offset, as Orca does when the user moves by words there.
"""

from e2elib import AccessibilityBus, Failure, case, poll, read_file, wait_for_file

# What a person does in the text box, and what a screen reader must hear for
# it, in order (other events may come between). The text box holds
# "uno due " and the caret is at its end when the first row starts; each row
# starts where the one before left off.
EDITS = [
    ("a word typed", ("type", "xyz"),
     ["insert 8 x", "insert 9 y", "insert 10 z", "caret 11"]),
    ("Ctrl+Z of it", ("key", "ctrl+z"), ["delete 8 xyz", "caret 8"]),
    ("Ctrl+Y", ("key", "ctrl+y"), ["insert 8 xyz", "caret 11"]),
    ("a paste", ("paste", b"tre"), ["insert 11 tre", "caret 14"]),
    ("Ctrl+Z of the paste", ("key", "ctrl+z"), ["delete 11 tre", "caret 11"]),
    ("Sostituisci tutto", ("replace_all", "uno", "un"),
     ["delete 0 uno", "insert 0 un", "shown notification 1 sostituzione"]),
    ("Ctrl+Z of Sostituisci tutto", ("key", "Escape", "ctrl+z"),
     ["delete 0 un", "insert 0 uno"]),
    ("Ctrl+Shift+Z", ("key", "ctrl+shift+z"), ["delete 0 uno", "insert 0 un"]),
]


def heard_in_order(bus, mark, expected, timeout=8):
    """Waits until the events heard since mark hold expected in order."""
    def holds():
        heard = iter(bus.heard_since(mark))
        return all(any(line == wanted for line in heard) for wanted in expected)

    try:
        poll(holds, timeout, "the screen reader to hear " + ", ".join(expected))
    except Failure:
        raise Failure(f"expected {expected}, heard {bus.heard_since(mark)}")


def act(t, app, action):
    kind, *args = action
    if kind == "type":
        app.type(args[0])
    elif kind == "key":
        app.key(*args)
    elif kind == "paste":
        t.clipboard.write(args[0])
        app.key("ctrl+v")
    elif kind == "replace_all":
        find, replacement = args
        app.key("ctrl+h")
        app.wait_dialog()
        # With nothing to find yet, Ctrl+H starts in Trova.
        app.type(find)
        app.key("Tab")
        app.type(replacement)
        app.key("alt+u")


def asked_everything(t, bus, where):
    answered, said = bus.ask()
    t.check(answered, f"{where}: a question went unanswered: {said.strip()}")
    return said


@case("screen_reader",
      "a screen reader on the accessibility bus hears one focus at start, every edit with its "
      "text, the find dialog's fields focused before selected and its outcomes; every item "
      "asked of the find field and the file dialog's field is answered")
def screen_reader(t):
    bus = AccessibilityBus(t.session.processes, t.desktop)
    bus.start()
    try:
        bus.listen()
        app = t.start_app(env_extra=bus.app_env())
        poll(lambda: any(line.startswith("focus") for line in bus.heard()), 10,
             "the first focus")
        app.type("uno due ")
        focuses = [line for line in bus.heard() if line.startswith("focus")]
        t.check(focuses == ["focus text Documento1"],
                f"at start a screen reader heard the focus {focuses}")
        for name, action, expected in EDITS:
            mark = bus.mark()
            act(t, app, action)
            try:
                heard_in_order(bus, mark, expected)
            except Failure as failure:
                t.check(False, f"{name}: {failure}")
        t.shot("edited")

        # The find dialog: Tab into Sostituisci con is told as focus first.
        app.key("ctrl+f")
        app.wait_dialog()
        mark = bus.mark()
        app.key("Tab")
        field = "text Sostituisci con:"
        heard_in_order(bus, mark, ["focus " + field, "selection " + field])
        about = [line for line in bus.heard_since(mark) if line.endswith(field)]
        t.check(about[0] == "focus " + field, f"Tab into the field first told {about[0]!r}")
        # A miss is said, not only shown.
        app.key("shift+Tab", "ctrl+a")
        app.type("assente")
        mark = bus.mark()
        app.key("Return")
        heard_in_order(bus, mark, ['shown notification Testo non trovato: "assente"'])
        # Moving by words at the end of the field, as Orca does on Ctrl+Left.
        app.key("ctrl+a")
        app.type("due parole")
        app.key("ctrl+Left")
        said = asked_everything(t, bus, "the find field")
        t.check("word at the end 'parole'" in said, f"the find field: {said.strip()}")
        app.key("Escape")
        app.wait_main_active()

        # The file dialog's name field, the toolkit's own.
        app.key("ctrl+o")
        app.wait_dialog()
        app.type("due parole")
        asked_everything(t, bus, "the file dialog's name field")
        t.shot("file-dialog-asked")
        app.key("Escape")
        app.wait_main_active()
        t.check(app.running(), "the program ended")
    finally:
        bus.stop()


@case("file_changed_on_disk",
      "a line another program appends to an open file is said to a screen reader; Ctrl+S then "
      "writes the document and keeps the other program's version beside the file")
def file_changed_on_disk(t):
    source = t.write("nota.txt", b"uno\n")
    bus = AccessibilityBus(t.session.processes, t.desktop)
    bus.start()
    try:
        bus.listen()
        app = t.start_app(args=[source], env_extra=bus.app_env())
        poll(lambda: "focus text nota.txt" in bus.heard(), 10, "the file's document in front")
        mark = bus.mark()
        with open(source, "ab") as file:
            file.write(b"altro\n")
        heard_in_order(bus, mark, ['shown notification Il file "nota.txt" è stato modificato da '
                                   "un altro programma."])
        t.shot("told")
        app.type("mia")
        app.key("ctrl+s")
        wait_for_file(source, b"miauno\n")
        kept = read_file(source + ".esterno")
        t.check(kept == b"uno\naltro\n", f"the other program's version was not kept: {kept!r}")
        t.shot("saved")
    finally:
        bus.stop()
