#!/usr/bin/env python3
"""A screen reader's ears and questions on the accessibility bus, for the
end-to-end tests.

    screenreader.py listen   prints one line per event a screen reader
                             follows, as it comes, until it is stopped
    screenreader.py ask      asks the focused text every item (character,
                             word, sentence, line) at, before and after every
                             offset, as a screen reader moving through it
                             does, and prints how many answers came; it ends
                             with status 1 when one does not come in time
    screenreader.py caret    prints the focused text's caret offset, its
                             count of characters and the line at the caret:
                             "caret OFFSET of COUNT: LINE"

The lines of `listen`:
    focus ROLE NAME                    an object took the focus
    insert OFFSET TEXT / delete OFFSET TEXT    text came or went (CR and LF
                                       written as \\r and \\n)
    caret OFFSET                       the caret moved
    selection ROLE NAME                the selection changed
    shown ROLE NAME                    something showed (a notification)
"""

import sys

import pyatspi

# A question not answered in this time counts as a hang.
TIMEOUT_MS = 5000


def escaped(text):
    return (text or "").replace("\r", "\\r").replace("\n", "\\n")


def say(line):
    print(line, flush=True)


def heard(event):
    kind = event.type
    source = event.source
    try:
        role = source.getRoleName().replace(" ", "-")
        name = source.name or ""
    except Exception:  # the object went away
        role, name = "gone", ""
    if kind.startswith("object:state-changed:focused"):
        if event.detail1:
            say(f"focus {role} {name}")
    elif kind.startswith("object:text-changed:insert"):
        say(f"insert {event.detail1} {escaped(event.any_data)}")
    elif kind.startswith("object:text-changed:delete"):
        say(f"delete {event.detail1} {escaped(event.any_data)}")
    elif kind.startswith("object:text-caret-moved"):
        say(f"caret {event.detail1}")
    elif kind.startswith("object:text-selection-changed"):
        say(f"selection {role} {name}")
    elif kind.startswith("object:state-changed:showing"):
        if event.detail1:
            say(f"shown {role} {name}")


def listen():
    pyatspi.Registry.registerEventListener(
        heard, "object:state-changed:focused", "object:text-changed",
        "object:text-caret-moved", "object:text-selection-changed",
        "object:state-changed:showing", "object:property-change:accessible-name")
    say("listening")
    pyatspi.Registry.start()


def focused(role=None):
    """The object that has the focus in the first application on the bus
    (of that role: the window around a text box says it has the focus too)."""
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is None:
            continue
        found = pyatspi.findDescendant(
            app, lambda o: o.getState().contains(pyatspi.STATE_FOCUSED)
            and role in (None, o.getRole()))
        if found is not None:
            return found
    return None


def ask():
    import gi
    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi
    Atspi.set_timeout(TIMEOUT_MS, TIMEOUT_MS)
    target = focused()
    if target is None:
        say("nothing has the focus")
        return 1
    text = target.queryText()
    length = text.characterCount
    answers = 0
    kinds = [pyatspi.TEXT_BOUNDARY_CHAR, pyatspi.TEXT_BOUNDARY_WORD_START,
             pyatspi.TEXT_BOUNDARY_WORD_END, pyatspi.TEXT_BOUNDARY_SENTENCE_START,
             pyatspi.TEXT_BOUNDARY_LINE_START]
    try:
        for offset in range(length + 1):
            for kind in kinds:
                text.getTextAtOffset(offset, kind)
                text.getTextBeforeOffset(offset, kind)
                text.getTextAfterOffset(offset, kind)
                answers += 3
        word = text.getTextAtOffset(length, pyatspi.TEXT_BOUNDARY_WORD_START)
    except Exception as error:
        say(f"no answer after {answers} answers: {error}")
        return 1
    say(f"answered {answers} of {target.getRoleName()} {target.name!r}; "
        f"word at the end {escaped(word[0])!r}")
    return 0


def caret():
    target = focused(pyatspi.ROLE_TEXT)
    if target is None:
        say("no text has the focus")
        return 1
    text = target.queryText()
    offset = text.caretOffset
    line = text.getTextAtOffset(offset, pyatspi.TEXT_BOUNDARY_LINE_START)[0]
    say(f"caret {offset} of {text.characterCount}: {escaped(line)}")
    return 0


if __name__ == "__main__":
    if sys.argv[1:] == ["listen"]:
        listen()
    elif sys.argv[1:] == ["ask"]:
        sys.exit(ask())
    elif sys.argv[1:] == ["caret"]:
        sys.exit(caret())
    else:
        print(__doc__)
        sys.exit(2)
