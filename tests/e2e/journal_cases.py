"""End-to-end cases of the journals of unsaved edits: the program ended by a
kill, a signal or the session's logout brings every document back at its
next start, as it was, and Save writes the exact bytes; Esci brings nothing
back; a file changed meanwhile is never edited, and the text comes back
beside it.

Each case gives its runs one state folder of its own (XDG_STATE_HOME), so
that no journal reaches another case.
"""

import os
import re
import signal
import subprocess
import tempfile
import time

from e2elib import Failure, case, poll, read_file, wait_for_file

OPEN_DIALOG = "Apri"
LETTER = b"Perch\xe9 la citt\xe0 \xe8 pi\xf9 bella\r\n"  # Windows-1252
# The journals are synced within a second of an edit.
SYNCED = 1.2


def large_file(size):
    """Numbered lines of plain text, to about size bytes: 64 MB stands for
    any file read in parts by the load's threads, a gigabyte's included."""
    block = b"".join(b"%08d riga del file grande\r\n" % i for i in range(10_000))
    return (block * (size // len(block) + 1))[:size].rsplit(b"\r\n", 1)[0] + b"\r\n"


def state_folder(t):
    return tempfile.mkdtemp(prefix="state-", dir=t.session.work_dir)


def journals(state):
    folder = os.path.join(state, "vidizizor")
    if not os.path.isdir(folder):
        return []
    return sorted(name for name in os.listdir(folder) if name.endswith(".journal"))


def letter_with_e_grave(t, env):
    """The program started on a Windows-1252 letter, with an e grave typed
    at its end; the letter's path and the program."""
    letter = t.write("lettera.txt", LETTER)
    app = t.start_app(env_extra=env, args=[letter])
    app.key("ctrl+End")
    app.type("è")
    return letter, app


def end_program(t, app, how):
    """Ends the program as a signal does; checks the status it ends with."""
    os.kill(app.pid, how)
    status = app.wait_exit()
    expected = -signal.SIGKILL if how == signal.SIGKILL else 128 + how
    t.check(status == expected, f"the program ended with status {status}, not {expected}")


def save_each(t, app, expected):
    """Saves each document in turn, going to the next with Ctrl+F6, until
    every file of expected holds its bytes: a document still loading takes
    its Save once it has loaded, on a later turn."""
    pending = dict(expected)
    deadline = time.monotonic() + 60
    while pending:
        if time.monotonic() > deadline:
            raise Failure(f"never saved as expected: {sorted(pending)}")
        app.key("ctrl+s")
        try:
            done = poll(lambda: [name for name, data in pending.items()
                                 if read_file(t.path(name)) == data], 2, "a Save")
            for name in done:
                del pending[name]
            t.shot("saved")
        except Failure:
            pass
        app.key("ctrl+F6")


@case("ended_without_a_choice",
      "a new document, a Windows-1252 file with an e grave typed and a 64 MB file edited at "
      "both ends come back after the program is ended, and Save writes their exact bytes",
      rows=[("kill", signal.SIGKILL), ("terminate", signal.SIGTERM)])
def ended_without_a_choice(t, how):
    state = state_folder(t)
    env = {"XDG_STATE_HOME": state}
    large = large_file(64 << 20)
    big = t.write("grande.txt", large)
    letter, app = letter_with_e_grave(t, env)
    app.key("ctrl+o")
    app.file_dialog(big, OPEN_DIALOG)
    app.wait_main_active()
    app.key("ctrl+Home")
    app.type("inizio ")
    app.key("ctrl+End")
    app.type("fine")
    app.key("ctrl+n")
    app.type("testo nuovo\nnon salvato")
    time.sleep(SYNCED)
    t.shot("before-the-end")
    end_program(t, app, how)
    t.check(len(journals(state)) == 3, f"journals left: {journals(state)}")

    # Documento1, then the journals in the order they began: the files'
    # windows take the numbers 2 and 3, the new document the next.
    again = t.start_app(env_extra=env)
    t.shot("recovered")
    save_each(t, again, {"lettera.txt": LETTER + b"\xe8",
                         "grande.txt": b"inizio " + large + b"fine",
                         "Documento4": b"testo nuovo\r\nnon salvato"})
    t.check(read_file(t.path("Documento1")) in (None, b""), "Documento1 was not empty")


@case("chosen_end_discards",
      "Esci discards the unsaved text as before: the next start brings nothing back")
def chosen_end_discards(t):
    state = state_folder(t)
    env = {"XDG_STATE_HOME": state}
    letter, app = letter_with_e_grave(t, env)
    app.key("ctrl+n")
    app.type("da buttare")
    time.sleep(SYNCED)
    app.menu("f", "e")  # Esci
    status = app.wait_exit()
    t.check(status == 0, f"Esci ended the program with status {status}")
    t.check(journals(state) == [], f"journals left after Esci: {journals(state)}")
    again = t.start_app(env_extra=env)
    again.key("ctrl+s")  # Documento1 is the only document, and empty
    wait_for_file(t.path("Documento1"), b"")
    t.check(read_file(letter) == LETTER, "the file was changed")


@case("file_changed_before_the_start",
      "a file another program changed after the kill stays as it is now; the unsaved text "
      "comes back whole in a new document that Save writes in the file's encoding")
def file_changed_before_the_start(t):
    state = state_folder(t)
    env = {"XDG_STATE_HOME": state}
    letter, app = letter_with_e_grave(t, env)
    time.sleep(SYNCED)
    end_program(t, app, signal.SIGKILL)
    t.write("lettera.txt", b"scritto da un altro programma\r\n")
    # The new document comes, in front, once the file has loaded and is
    # found changed; a Save of the file's window before writes it as it is.
    again = t.start_app(env_extra=env)
    save_each(t, again, {"Documento3": LETTER + b"\xe8"})
    t.check(read_file(letter) == b"scritto da un altro programma\r\n",
            "the changed file was written")


@case("logout_keeps_the_text",
      "the session's logout ends the program at once without a question; the next start "
      "brings the text back")
def logout_keeps_the_text(t):
    if not t.session.session_manager:
        raise Failure("no session manager given (--session-manager)")
    state = state_folder(t)
    env = {"XDG_STATE_HOME": state}
    manager = t.session.processes.start("sessionmanager", [t.session.session_manager],
                                        env=t.desktop.env, stdin=subprocess.PIPE)
    said = t.session.processes.logs[manager.pid]
    address = poll(lambda: re.search(rb"SESSION_MANAGER=(\S+)", read_file(said) or b""), 10,
                   "the session manager's address").group(1).decode()
    app = t.start_app(env_extra=dict(env, SESSION_MANAGER=address))
    poll(lambda: b"registered" in read_file(said), 10, "the program to join the session")
    app.type("scritto prima del logout")
    manager.stdin.write(b"logout\n")
    manager.stdin.flush()
    status = app.wait_exit()
    t.check(status == 0, f"the logout ended the program with status {status}")
    t.check(len(journals(state)) == 1, f"journals left: {journals(state)}")
    manager.stdin.close()  # it ends, taking its socket away
    manager.wait(timeout=10)
    t.session.processes.stop(manager)
    again = t.start_app(env_extra=env)
    save_each(t, again, {"Documento2": b"scritto prima del logout"})
