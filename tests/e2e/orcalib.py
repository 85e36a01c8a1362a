"""The Orca screen reader, heard, for the end-to-end tests.

Orca runs on the private accessibility bus of an AccessibilityBus, in
Italian, and speaks through a speech-dispatcher of our own: its own
configuration folder, socket and log folder, and one output module,
speechmodule.py, which writes every utterance to a file. A marker
(speechmarker.py) puts a known word into the speech after everything a
program has told Orca, so what Orca says for one action is exactly the
utterances between two markers. Nothing of the machine's speech or Orca
set-up is read or written; every process is stopped by its own PID.
"""

import json
import os
import re
import shutil
import subprocess
import sys
import time

from e2elib import Failure, Unavailable, poll, run

HERE = os.path.dirname(os.path.abspath(__file__))
ITALIAN = "it_IT.UTF-8"
# Every marker says a word like this one.
MARKER = re.compile(r"\bsegnaposto\d{4}\b")
# How long a marker may take before another one follows it, in seconds.
MARKER_PATIENCE = 2

# Orca's settings for the tests: everything as a new user has it, but for
# the echo of each key pressed, which Orca says on its own before any
# program hears the key, and the braille display and sounds there are none of.
ORCA_SETTINGS = {
    "enableKeyEcho": False,
    "enableBraille": False,
    "enableBrailleMonitor": False,
    "enableSound": False,
}

SPEECHD_CONF = """LogLevel 3
LogDir "{logs}"
DefaultModule file
DefaultLanguage "it"
AddModule "file" "sd_file" "{module_conf}"
"""


def italian_locale():
    """The Italian locale's name if the machine has it, else None."""
    names = run(["locale", "-a"], check=False).stdout.decode().lower().split()
    return ITALIAN if "it_it.utf8" in names else None


class SpeechServer:
    """speech-dispatcher with one output module that speaks into a file."""

    def __init__(self, processes, work_dir, spoken):
        self.processes = processes
        self.dir = os.path.join(work_dir, "speech")
        self.socket = os.path.join(self.dir, "speechd.sock")
        self.spoken = spoken
        self.proc = None

    def start(self, env, timeout=20):
        server = shutil.which("speech-dispatcher")
        if not server:
            raise Unavailable("speech-dispatcher is not installed "
                              "(scripts/install-deps.sh installs it)")
        conf, modules, logs = (os.path.join(self.dir, sub) for sub in ("conf", "modules", "logs"))
        for folder in (conf, modules, logs):
            os.makedirs(folder, exist_ok=True)
        module_conf = os.path.join(conf, "file.conf")
        with open(module_conf, "w") as f:
            f.write(f'OutputFile "{self.spoken}"\n')
        with open(os.path.join(conf, "speechd.conf"), "w") as f:
            f.write(SPEECHD_CONF.format(logs=logs, module_conf=module_conf))
        module = os.path.join(modules, "sd_file")
        with open(module, "w") as f:
            f.write(f'#!/bin/sh\nexec "{sys.executable}" "{HERE}/speechmodule.py" "$@"\n')
        os.chmod(module, 0o755)
        open(self.spoken, "w").close()
        self.proc = self.processes.start(
            "speech-dispatcher",
            [server, "--run-single", "--timeout", "0", "--config-dir", conf, "--module-dir",
             modules, "--communication-method", "unix_socket", "--socket-path", self.socket,
             "--log-dir", logs, "--pid-file", os.path.join(self.dir, "speechd.pid")], env=env)
        poll(lambda: self.proc.poll() is not None or os.path.exists(self.socket), timeout,
             "speech-dispatcher's socket")
        if self.proc.poll() is not None:
            raise Failure("speech-dispatcher ended at start:\n"
                          + self.processes.log_tail(self.proc))

    def client_env(self):
        return {"SPEECHD_ADDRESS": "unix_socket:" + self.socket}

    def said(self):
        """Every utterance so far, one a line."""
        with open(self.spoken, encoding="utf-8", errors="replace") as f:
            return f.read().splitlines()

    def stop(self):
        if self.proc is not None:
            self.processes.stop(self.proc)
            self.proc = None


class ScreenReader:
    """Orca on the accessibility bus of `bus`, heard through a SpeechServer;
    heard() gives what it said since the previous call."""

    def __init__(self, processes, bus, work_dir):
        self.processes = processes
        self.bus = bus
        self.dir = os.path.join(work_dir, "orca")
        # Beside the other processes' logs, which a run keeps.
        self.speech = SpeechServer(processes, work_dir,
                                   os.path.join(processes.log_dir, "orca-spoken.txt"))
        self.debug_file = os.path.join(processes.log_dir, "orca-debug.txt")
        self.orca = self.marker = None
        self.marks = 0
        self.heard_up_to = 0

    def start(self, timeout=60):
        if run([sys.executable, "-c", "import orca.settings"], check=False).returncode != 0:
            raise Unavailable("Orca is not installed (scripts/install-deps.sh installs it)")
        locale = italian_locale()
        if locale is None:
            raise Unavailable(f"the {ITALIAN} locale is missing "
                              "(scripts/install-deps.sh makes it)")
        os.makedirs(self.dir, exist_ok=True)
        env = dict(self.bus.env, LANG=locale, LC_ALL=locale, LANGUAGE="it")
        self.speech.start(env)
        env.update(self.speech.client_env())
        preferences = os.path.join(self.dir, "preferences")
        os.makedirs(preferences, exist_ok=True)
        with open(os.path.join(preferences, "user-settings.conf"), "w") as f:
            json.dump({"general": ORCA_SETTINGS, "pronunciations": {}, "keybindings": {},
                       "profiles": {"default": {"profile": ["Default", "default"]}}}, f)
        self.orca = self.processes.start(
            "orca", [sys.executable, os.path.join(HERE, "orcarun.py"), preferences,
                     self.debug_file], env=env)
        self.marker = self.processes.start(
            "speechmarker", [sys.executable, os.path.join(HERE, "speechmarker.py")],
            env=self.bus.env, stdin=subprocess.PIPE)
        poll(lambda: "ready" in self._marker_lines(), timeout, "the marker to start")
        # Orca listens once it has said that it is on.
        poll(lambda: self.orca.poll() is not None or self.speech.said(), timeout,
             "Orca to start")
        self.heard(timeout=timeout)

    def stop(self):
        for proc in (self.marker, self.orca):
            if proc is not None:
                self.processes.stop(proc)
        self.marker = self.orca = None
        self.speech.stop()

    def _marker_lines(self):
        path = self.processes.logs.get(self.marker.pid)
        with open(path, encoding="utf-8", errors="replace") as f:
            return f.read().splitlines()

    def _marker_answer(self, word):
        """The marker's answer about word, if it has come."""
        return next((line for line in self._marker_lines()
                     if line == "marked " + word or line.startswith(f"unmarked {word}:")),
                    None)

    def heard(self, program=None, timeout=15):
        """The utterances Orca said since the previous call, once everything
        `program` ((its name on the accessibility bus, the id of one of its
        windows)) was sent up to now has reached it: a marker is put after
        them and waited for. Orca drops a notification that comes while a
        flood of events waits in its queue, so a marker not heard soon is
        followed by another; the first one heard ends what the step said."""
        words = []
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            words.append(self._mark(program, deadline - time.monotonic()))
            heard = poll_until(lambda: self._until(words), MARKER_PATIENCE, deadline)
            if heard is not None:
                return heard
            if self.orca.poll() is not None:
                raise Failure("Orca ended:\n" + self.processes.log_tail(self.orca))
        raise Failure(f"Orca did not say the markers {words} in {timeout:g} s")

    def wait_for_speech(self, timeout=15):
        """Waits until Orca has said something since the previous step: a
        step whose effect comes later than its action (a hand-over, whose
        document opens after the second start has ended) is marked only
        once its first words have come."""
        def spoken():
            lines = self.speech.said()[self.heard_up_to:]
            return any(not MARKER.search(line) for line in lines)
        poll(spoken, timeout, "Orca to say something")

    def _mark(self, program, timeout):
        self.marks += 1
        word = f"segnaposto{self.marks:04d}"
        line = " ".join([word, *program]) if program else word
        self.marker.stdin.write((line + "\n").encode())
        self.marker.stdin.flush()
        answer = poll(lambda: self._marker_answer(word), timeout, f"the marker {word} to be put")
        if answer != "marked " + word:
            raise Failure(f"no marker after the step: {answer}")
        return word

    def _until(self, words):
        """What was said up to the first of the words, if one was said; the
        markers of earlier steps heard late are no part of it."""
        lines = self.speech.said()
        for i in range(self.heard_up_to, len(lines)):
            if any(re.search(rf"\b{word}\b", lines[i]) for word in words):
                between = [line for line in lines[self.heard_up_to:i] if not MARKER.search(line)]
                self.heard_up_to = i + 1
                return between
        return None


def poll_until(condition, patience, deadline):
    """condition()'s first value that is not None within `patience` seconds
    and before `deadline`, or None."""
    until = min(time.monotonic() + patience, deadline)
    while True:
        value = condition()
        if value is not None or time.monotonic() >= until:
            return value
        time.sleep(0.05)
