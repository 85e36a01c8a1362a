#!/usr/bin/env python3
"""A speech synthesizer for the end-to-end tests that speaks into a file.

speech-dispatcher starts it as an output module and talks to it on stdin and
stdout; every utterance it is given is appended to the file named by the
`OutputFile` line of the configuration file passed as the only argument, one
line each, the moment it comes: the markup taken out, line breaks written as
blanks. Speaking takes no time, so nothing queued behind an utterance is ever
cut short by a later one.
"""

import html
import re
import sys

TAG = re.compile(r"<[^>]*>")


def output_path(config):
    with open(config, encoding="utf-8") as f:
        for line in f:
            key, _, value = line.strip().partition(" ")
            if key == "OutputFile":
                return value.strip().strip('"')
    raise SystemExit(f"{config} names no OutputFile")


def reply(*lines):
    sys.stdout.write("".join(line + "\n" for line in lines))
    sys.stdout.flush()


def block():
    """The lines sent up to the lone full stop that ends them; a line that
    starts with a full stop has one added before it."""
    lines = []
    for line in sys.stdin:
        line = line.rstrip("\n")
        if line == ".":
            break
        lines.append(line[1:] if line.startswith("..") else line)
    return lines


def plain(lines):
    text = html.unescape(TAG.sub("", "\n".join(lines)))
    return " ".join(text.split())


def speak(out):
    reply("202 OK RECEIVING MESSAGE")
    text = plain(block())
    if not text:
        reply("301 ERROR CANT SPEAK")
        return
    reply("200 OK SPEAKING")
    out.write(text + "\n")
    out.flush()
    reply("701 BEGIN", "702 END")


def settings(kind):
    reply(f"207 OK RECEIVING {kind}SETTINGS")
    block()


def serve(out):
    if sys.stdin.readline() != "INIT\n":
        raise SystemExit("the server did not start with INIT")
    reply("299-speaks into a file", "299 OK LOADED SUCCESSFULLY")
    answers = {"SET": ("", "203 OK SETTINGS RECEIVED"),
               "AUDIO": ("AUDIO ", "203 OK AUDIO INITIALIZED"),
               "LOGLEVEL": ("LOGLEVEL ", "203 OK LOGLEVEL SET")}
    for line in sys.stdin:
        command = line.rstrip("\n")
        if command in ("SPEAK", "CHAR", "KEY", "SOUND_ICON"):
            speak(out)
        elif command in answers:
            kind, done = answers[command]
            settings(kind)
            reply(done)
        elif command in ("STOP", "PAUSE"):
            pass  # nothing is ever still being spoken
        elif command == "LIST VOICES":
            reply("200-file\tit\tnone", "200 OK VOICE LIST SENT")
        elif command.startswith("DEBUG"):
            reply("200 OK DEBUGGING " + ("ON" if " ON " in command + " " else "OFF"))
        elif command == "QUIT":
            reply("210 OK QUIT")
            return
        else:
            reply("300 ERR UNKNOWN COMMAND")


if __name__ == "__main__":
    with open(output_path(sys.argv[1]), "a", encoding="utf-8") as spoken:
        serve(spoken)
