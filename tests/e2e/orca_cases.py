"""End-to-end case of the Orca screen reader itself: what a blind user hears.

Orca runs in Italian on a private accessibility bus and speaks into a file
(orcalib.py). The program is worked from the keyboard as a person works it,
one step of STEPS after another; after each step a marker is put into the
speech, and what Orca said between the step and its marker must be the
step's words, no more and no less.

The rows marked GTK are worded as Orca words the same steps in a Gtk text
view (gtkpeer.py); orca_gtk_words.py does them there and prints what Orca
says, to record them again.
"""

from Xlib import X, display

from e2elib import AccessibilityBus, Failure, case, drag_file_onto, run
from orcalib import ScreenReader

GTK = "gtk"
OURS = ""

LINES = ["uno due tre", "quattro cinque", "sei sette"]
# A document's format, which Orca says after its name and its line.
UTF8 = "UTF-8, CR LF."
WINDOWS = "Windows-1252, CR LF."
MISSING = "manca.txt"

# (row, steps, what Orca says or None where it is not checked, GTK when the
# words are Orca's for Gtk).
# A step is (kind, argument): "key" presses keys, "type" types text, "drop"
# drags a file of the case's folder onto the main window from another
# program, "hand" gives one to a second start of the program, "dialog"
# presses keys that open a dialog, "main" presses keys that close one. Each
# key step presses one key or chord, so that what Orca says of it cannot mix
# with what it says of the next.
STEPS = [
    ("start", [], ["Vidizizor V. 1.0 cornice.", "Documento1 testo.", UTF8], OURS),
    # Typing says nothing while key echo is off; the lines are typed one by
    # one, as Orca takes a key that comes before it has spoken the last
    # letter for the cause of that letter.
    *[(f"line {n} typed", [("key", "Return")] * bool(n) + [("type", line)], None, GTK)
      for n, line in enumerate(LINES)],
    ("Ctrl+Home", [("key", "ctrl+Home")], ["uno due tre"], GTK),
    # Selections by line and by page, each with the text it takes or gives back.
    ("Shift+Down", [("key", "shift+Down")], ["uno due tre", "selezionato"], GTK),
    ("Shift+Down again", [("key", "shift+Down")], ["quattro cinque", "selezionato"], GTK),
    ("Shift+Up", [("key", "shift+Up")], ["quattro cinque", "non selezionato"], GTK),
    ("Ctrl+Shift+End", [("key", "ctrl+shift+End")],
     ["documento selezionato dalla posizione del cursore"], GTK),
    ("Ctrl+Home after a selection", [("key", "ctrl+Home")],
     ["Testo non selezionato.", "uno due tre"], GTK),
    ("Shift+Page_Down", [("key", "shift+Page_Down")],
     ["pagina selezionata dalla posizione del cursore"], GTK),
    ("Shift+Page_Up", [("key", "shift+Page_Up")],
     ["pagina deselezionata fino alla posizione del cursore"], GTK),
    ("Ctrl+End", [("key", "ctrl+End")], ["sei sette"], GTK),
    ("Ctrl+Shift+Home", [("key", "ctrl+shift+Home")],
     ["documento selezionato fino alla posizione del cursore"], GTK),
    # One undo or redo: heard once.
    ("Ctrl+End after a selection", [("key", "ctrl+End")],
     ["Testo non selezionato.", "sei sette"], GTK),
    ("Ctrl+Shift+Left", [("key", "ctrl+shift+Left")], ["sette", "selezionato"], GTK),
    ("a word typed over it", [("type", "otto")], ["Selezione eliminata."], GTK),
    ("Ctrl+Z", [("key", "ctrl+z")], ["annulla"], GTK),
    ("Ctrl+Y", [("key", "ctrl+y")], ["tto"], GTK),
    ("Ctrl+Z again", [("key", "ctrl+z")], ["annulla"], GTK),
    ("Ctrl+Shift+Z", [("key", "ctrl+shift+z")], ["ripeti", "tto"], GTK),
    ("Ctrl+Z of the typing", [("key", "ctrl+z")], ["annulla"], GTK),
    ("Ctrl+Z of the replaced word", [("key", "ctrl+z")],
     ["annulla", "Selezione ripristinata."], GTK),
    ("the text box's menu", [("key", "shift+F10")], ["Annulla Ctrl+Z."], OURS),
    ("its Annulla", [("key", "Return")],
     ["Testo non selezionato.", "Documento1 testo.", "sei", UTF8], OURS),
    ("the text box's menu again", [("key", "shift+F10")], ["Annulla Ctrl+Z."], OURS),
    ("down to Ripeti", [("key", "Down")], ["Ripeti Ctrl+Y."], OURS),
    ("its Ripeti", [("key", "Return")], ["Documento1 testo.", "sei sette.", UTF8, "sette"],
     OURS),
    # Menus: each entry with its shortcut.
    ("Alt+F", [("key", "alt+f")], ["Nuovo Ctrl+N."], OURS),
    ("Down in a menu", [("key", "Down")], ["Apri Ctrl+O."], OURS),
    ("Right to the next menu", [("key", "Right")], ["Taglia Ctrl+X."], OURS),
    ("Escape from a menu", [("key", "Escape")], ["Modifica."], OURS),
    ("Escape from the menu bar", [("key", "Escape")],
     ["Documento1 testo.", "sei sette.", UTF8], OURS),
    # Every way a document comes to the front: one focus, its name once, its line.
    ("New", [("key", "ctrl+n")], ["Documento2 testo.", UTF8], OURS),
    ("Ctrl+F6", [("key", "ctrl+F6")], ["Documento1 testo.", "sei sette.", UTF8], OURS),
    ("the window list", [("key", "alt+n")], ["Sovrapponi."], OURS),
    ("its second document", [("key", "2")], ["Documento2 testo.", UTF8], OURS),
    ("the find dialog", [("dialog", "ctrl+f")],
     ["Trova e sostituisci dialogo.", "Trova: testo."], OURS),
    ("the end of a dialog", [("main", "Escape")],
     ["Vidizizor V. 1.0 cornice.", "Documento2 testo.", UTF8], OURS),
    ("the open dialog", [("dialog", "ctrl+o"), ("type", "prova.txt")], None, OURS),
    ("Open", [("main", "Return")],
     ["Vidizizor V. 1.0 cornice.", "prova.txt testo.", "uno due tre.", UTF8], OURS),
    ("a drop", [("drop", "trascinato.txt")],
     ["Vidizizor V. 1.0 cornice.", "trascinato.txt testo.", "trascinato qui.", UTF8], OURS),
    ("a hand-over", [("hand", "consegnato.txt")],
     ["consegnato.txt testo.", "consegnato alla città.", WINDOWS], OURS),
    # A message box read whole: title, text, button.
    ("a file that is missing", [("hand", MISSING)],
     ["allerta Vidizizor.",
      "Impossibile aprire il file \"{dir}/manca.txt\". File o cartella non trovati.",
      "OK pulsante."], OURS),
    ("OK", [("main", "Return")],
     ["Vidizizor V. 1.0 cornice.", "consegnato.txt testo.", "consegnato alla città.", WINDOWS],
     OURS),
]

FILES = {
    "prova.txt": ("\r\n".join(LINES) + "\r\n").encode(),
    "trascinato.txt": b"trascinato qui\r\n",
    "consegnato.txt": "consegnato alla città\r\n".encode("cp1252"),
}


class Keys:
    """Presses keys as a person does: the last keys of a step stay down until
    Orca has said what it says for them, then go up. Orca takes the key that
    is down for the cause of what it hears; a key let go at once may reach
    it before the program's answer and make it read that answer otherwise.
    Keys held down do not repeat meanwhile."""

    def __init__(self, desktop):
        self.desktop = desktop
        self.held = None
        self._repeat(X.AutoRepeatModeOff)

    def _repeat(self, mode):
        screen = display.Display(self.desktop.display)
        screen.change_keyboard_control(auto_repeat_mode=mode)
        screen.sync()
        screen.close()

    def press(self, *chords, hold=True):
        for chord in chords[:-1] if hold else chords:
            self.desktop.xdotool("key", "--delay", "40", chord)
        if hold:
            self.desktop.xdotool("keydown", chords[-1])
            self.held = chords[-1]

    def release(self):
        if self.held:
            self.desktop.xdotool("keyup", self.held)
            self.held = None

    def close(self):
        self.release()
        self._repeat(X.AutoRepeatModeDefault)


class Steps:
    """Does the steps on the program as a person does them."""

    def __init__(self, t, app, keys):
        self.t, self.app, self.keys = t, app, keys

    def do(self, kind, *args, last=True):
        if kind == "key":
            self.app.require_focus()
            self.keys.press(*args, hold=last)
        else:
            getattr(self, "do_" + kind)(*args)

    def do_type(self, text):
        self.app.type(text)

    def do_dialog(self, key):
        self.app.key(key)
        self.app.wait_dialog()

    def do_main(self, key):
        self.app.key(key)
        self.app.wait_main_active()

    def do_hand(self, name):
        handed = run([self.t.session.binary, name], env=self.app.env, timeout=30, check=False,
                     cwd=self.t.dir)
        if handed.returncode != 0:
            raise Failure(f"the second start ended with {handed.returncode}")
        if name == MISSING:
            self.app.wait_dialog()

    def do_drop(self, name):
        drag_file_onto(self.t, self.app, self.t.path(name), (0.5, -6))  # onto the status bar
        self.app.wait_main_active()


def expected(words, t):
    return [word.replace("{dir}", t.dir) for word in words]


@case("orca", "Orca says every step of a person's work in Italian: the document after each way it "
      "comes to the front, message boxes whole, selections by line and page with their text, one "
      "undo or redo once, menu entries with their shortcuts, and no noise")
def orca_hears(t):
    if not t.session.drag_source:
        raise Failure("no drag source program given (--drag-source)")
    for name, data in FILES.items():
        t.write(name, data)
    bus = AccessibilityBus(t.session.processes, t.desktop)
    bus.start()
    reader = ScreenReader(t.session.processes, bus, t.dir)
    keys = Keys(t.desktop)
    try:
        reader.start()
        app = t.start_app(env_extra=bus.app_env())
        program = ("Vidizizor", app.main_window)
        steps = Steps(t, app, keys)
        for name, actions, words, _ in STEPS:
            for n, action in enumerate(actions, 1):
                steps.do(*action, last=n == len(actions))
            heard = reader.heard(program)
            keys.release()
            if words is not None:
                t.check(heard == expected(words, t),
                        f"{name}: Orca said {heard}, expected {expected(words, t)}")
        t.shot("heard")
    finally:
        keys.close()
        reader.stop()
        bus.stop()
