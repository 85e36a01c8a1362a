"""Desktop harness for the end-to-end tests: a private X server with a window
manager, a private CUPS server with a PDF queue, and a driver that works the
real program through the keyboard, reads the clipboard and looks at pixels.

Every helper process is started by this module and stopped by its own PID.
Nothing here waits without a bound: each wait polls an observable condition
and gives up with a message after its timeout.
"""

import collections
import os
import re
import select
import shutil
import subprocess
import sys
import tempfile
import time

MAIN_TITLE = "Vidizizor  V. 1.0"
MESSAGE_TITLE = "Vidizizor"
SCREEN_WIDTH = 1280
SCREEN_HEIGHT = 1024


CASES = []


def case(ident, description, rows=None, printer=False):
    """Registers a case; with `rows`, the case runs once per (row name, data)."""
    def register(function):
        CASES.append((ident, description, function, rows, printer))
        return function
    return register


class Failure(Exception):
    """A check did not hold; the message says what was expected and found."""


class Unavailable(Exception):
    """Something the case needs cannot be set up on this machine."""


def poll(condition, timeout, what, interval=0.05):
    """Calls condition() until it returns a true value, which it returns.
    Raises Failure naming `what` after `timeout` seconds."""
    deadline = time.monotonic() + timeout
    last = None
    while True:
        last = condition()
        if last:
            return last
        if time.monotonic() > deadline:
            raise Failure(f"timed out after {timeout:g} s waiting for {what}")
        time.sleep(interval)


def settle(condition, timeout, what, period=0.3, interval=0.05):
    """Waits until condition() has held on every call for `period` seconds."""
    deadline = time.monotonic() + timeout
    since = None
    while True:
        if condition():
            now = time.monotonic()
            since = now if since is None else since
            if now - since >= period:
                return True
        else:
            since = None
        if time.monotonic() > deadline:
            raise Failure(f"timed out after {timeout:g} s waiting for {what}")
        time.sleep(interval)


def run(argv, env=None, timeout=30, check=True, cwd=None):
    """Runs a short command to completion and returns its CompletedProcess."""
    try:
        result = subprocess.run(argv, env=env, capture_output=True,
                                timeout=timeout, cwd=cwd)
    except subprocess.TimeoutExpired:
        raise Failure(f"command did not finish in {timeout} s: {' '.join(argv)}")
    if check and result.returncode != 0:
        raise Failure(f"command failed ({result.returncode}): {' '.join(argv)}\n"
                      f"{result.stderr.decode(errors='replace').strip()}")
    return result


class Processes:
    """Long-running helper processes, each remembered by its PID so that all
    of them can be stopped at the end, also after a failure."""

    def __init__(self, log_dir):
        self.log_dir = log_dir
        os.makedirs(log_dir, exist_ok=True)
        self.running = []  # (Popen, open log file)
        self.logs = {}  # pid -> log path
        self.started = 0

    def start(self, name, argv, env=None, cwd=None, pass_fds=(), stdin=subprocess.DEVNULL):
        self.started += 1
        path = os.path.join(self.log_dir, f"{self.started:03d}-{name}.log")
        log = open(path, "wb")
        try:
            proc = subprocess.Popen(argv, env=env, cwd=cwd, stdin=stdin,
                                    stdout=log, stderr=subprocess.STDOUT, pass_fds=pass_fds)
        except OSError:
            log.close()
            raise
        self.running.append((proc, log))
        self.logs[proc.pid] = path
        return proc

    def stop(self, proc, grace=5.0):
        """Asks the process to end, then kills it if it does not."""
        if proc.poll() is None:
            try:
                proc.terminate()
                proc.wait(timeout=grace)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait(timeout=grace)
        for entry in list(self.running):
            if entry[0] is proc:
                entry[1].close()
                self.running.remove(entry)

    def stop_all(self):
        for proc, _ in reversed(list(self.running)):
            self.stop(proc)

    def log_tail(self, proc, lines=20):
        path = self.logs.get(proc.pid)
        if not path:
            return ""
        with open(path, "rb") as f:
            text = f.read().decode(errors="replace")
        return "\n".join(text.splitlines()[-lines:])


def clean_environment(home):
    """The environment for every client of the private servers: nothing from
    the caller's desktop session, printer choice or toolkit settings."""
    env = {k: v for k, v in os.environ.items()
           if not (k.startswith(("QT_", "XDG_", "DBUS_", "GTK_", "KDE_"))
                   or k in ("DISPLAY", "WAYLAND_DISPLAY", "XAUTHORITY", "SESSION_MANAGER",
                            "DESKTOP_SESSION", "PRINTER", "LPDEST", "CUPS_SERVER",
                            "LANGUAGE", "LC_ALL", "LANG"))}
    runtime = os.path.join(home, ".runtime")
    os.makedirs(runtime, mode=0o700, exist_ok=True)
    env.update(HOME=home, XDG_RUNTIME_DIR=runtime, LANG="C.UTF-8", LC_ALL="C.UTF-8",
               NO_AT_BRIDGE="1")
    return env


OPENBOX_RC = """<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <focus>
    <focusNew>yes</focusNew>
    <followMouse>no</followMouse>
  </focus>
  <!-- New windows go where the program puts them, or to the top left:
       never centred by the window manager. -->
  <placement>
    <policy>Smart</policy>
    <center>no</center>
  </placement>
  <desktops><number>1</number></desktops>
  <keyboard>
    <keybind key="A-F4"><action name="Close"/></keybind>
  </keyboard>
  <mouse></mouse>
</openbox_config>
"""


class Desktop:
    """A private X server with openbox on a display nobody else uses."""

    def __init__(self, processes, work_dir):
        self.processes = processes
        self.work_dir = work_dir
        self.display = None
        self.env = None

    def start(self, timeout=20):
        for tool in ("Xvfb", "openbox", "xdotool", "xclip", "xprop", "xwininfo", "import"):
            if not shutil.which(tool):
                raise Unavailable(f"{tool} is not installed (scripts/install-deps.sh installs it)")
        read_end, write_end = os.pipe()
        # -displayfd lets the server pick a free display and tell us its number
        # once it is ready for clients.
        self.xvfb = self.processes.start(
            "xvfb", ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                     f"{SCREEN_WIDTH}x{SCREEN_HEIGHT}x24", "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,))
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + timeout
        while not number.endswith(b"\n"):
            left = deadline - time.monotonic()
            ready, _, _ = select.select([read_end], [], [], max(left, 0))
            if not ready:
                os.close(read_end)
                raise Failure("Xvfb did not report a display number")
            chunk = os.read(read_end, 16)
            if not chunk:
                os.close(read_end)
                raise Failure("Xvfb ended before it was ready")
            number += chunk
        os.close(read_end)
        self.display = ":" + number.decode().strip()

        home = os.path.join(self.work_dir, "home")
        os.makedirs(home, exist_ok=True)
        self.home = home
        self.env = clean_environment(home)
        self.env["DISPLAY"] = self.display

        rc = os.path.join(self.work_dir, "openbox-rc.xml")
        with open(rc, "w") as f:
            f.write(OPENBOX_RC)
        self.openbox = self.processes.start("openbox", ["openbox", "--config-file", rc],
                                            env=self.env)
        poll(lambda: b"window id" in run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"],
                                         env=self.env, check=False).stdout,
             timeout, "openbox to manage the display")
        # Keep the pointer in a corner, away from menus and tooltips.
        self.xdotool("mousemove", str(SCREEN_WIDTH - 1), str(SCREEN_HEIGHT - 1))

    def xdotool(self, *args, check=True):
        return run(["xdotool", *args], env=self.env, check=check)

    def screenshot(self, path):
        run(["import", "-window", "root", path], env=self.env)

    def crop_screenshot(self, path, x, y, width, height):
        run(["import", "-window", "root", "-crop", f"{width}x{height}+{x}+{y}", "+repage", path],
            env=self.env)

    def active_window(self):
        """(id, pid, name) of the window that has the focus, or None."""
        result = self.xdotool("getactivewindow", check=False)
        if result.returncode != 0 or not result.stdout.strip():
            return None
        wid = result.stdout.strip().decode()
        name = self.xdotool("getwindowname", wid, check=False).stdout.decode(errors="replace")
        pid = self.xdotool("getwindowpid", wid, check=False).stdout.strip()
        return wid, int(pid) if pid.isdigit() else None, name.rstrip("\n")

    def visible_windows(self, pid):
        """Ids of the mapped windows that belong to the process `pid`."""
        result = self.xdotool("search", "--onlyvisible", "--pid", str(pid), check=False)
        return result.stdout.decode().split()

    def popups(self, pid):
        """Ids of the mapped menus and other pop-ups of the process `pid`."""
        found = []
        for wid in self.visible_windows(pid):
            info = run(["xwininfo", "-id", wid], env=self.env, check=False).stdout
            if b"Override Redirect State: yes" in info:
                found.append(wid)
        return found

    def window_name(self, wid):
        return self.xdotool("getwindowname", wid, check=False).stdout.decode(
            errors="replace").rstrip("\n")

    def frame_geometry(self, wid):
        """(x, y, width, height) of the window with its frame, on the screen."""
        info = run(["xwininfo", "-id", wid], env=self.env).stdout.decode()
        values = {key: int(re.search(rf"{key}:\s+(-?\d+)", info).group(1))
                  for key in ("Absolute upper-left X", "Absolute upper-left Y", "Width",
                              "Height")}
        extents = run(["xprop", "-id", wid, "_NET_FRAME_EXTENTS"], env=self.env).stdout.decode()
        numbers = [int(n) for n in re.findall(r"\d+", extents.split("=", 1)[-1])]
        left, right, top, bottom = numbers if len(numbers) == 4 else (0, 0, 0, 0)
        return (values["Absolute upper-left X"] - left, values["Absolute upper-left Y"] - top,
                values["Width"] + left + right, values["Height"] + top + bottom)

    def grab(self, wid):
        """The window's pixels as an Image."""
        geometry = run(["xwininfo", "-id", wid], env=self.env).stdout.decode()
        width = int(re.search(r"Width:\s+(\d+)", geometry).group(1))
        height = int(re.search(r"Height:\s+(\d+)", geometry).group(1))
        data = run(["import", "-window", wid, "-depth", "8", "rgb:-"], env=self.env).stdout
        if len(data) != width * height * 3:
            raise Failure(f"screen grab of {wid} gave {len(data)} bytes for {width}x{height}")
        return Image(width, height, data)


class Clipboard:
    """The X clipboard, read and written with xclip."""

    def __init__(self, desktop, processes):
        self.desktop = desktop
        self.processes = processes
        self.owner = None

    def read(self):
        """The clipboard's text as bytes (UTF-8), or None when it holds none."""
        result = run(["xclip", "-selection", "clipboard", "-t", "UTF8_STRING", "-o"],
                     env=self.desktop.env, check=False, timeout=10)
        return result.stdout if result.returncode == 0 else None

    def wait_for(self, expected, timeout=10, or_no_text=False):
        """Waits until the clipboard holds `expected`, or, with or_no_text,
        no text at all."""
        seen = []

        def matches():
            seen[:] = [self.read()]
            return seen[0] == expected or (or_no_text and seen[0] is None)

        try:
            poll(matches, timeout, "the clipboard's text")
        except Failure:
            raise Failure(f"clipboard holds {seen[0]!r}, expected {expected!r}")

    def write(self, data):
        """Puts text on the clipboard; an xclip process serves it until another
        program takes the clipboard over."""
        self.release()
        path = os.path.join(self.desktop.work_dir, "clipboard-in")
        with open(path, "wb") as f:
            f.write(data)
        # -quiet keeps xclip in the foreground, so its PID is the one we hold.
        self.owner = self.processes.start(
            "xclip", ["xclip", "-quiet", "-selection", "clipboard", "-t", "UTF8_STRING", "-i",
                      path], env=self.desktop.env)
        self.wait_for(data)

    def release(self):
        if self.owner is not None:
            self.processes.stop(self.owner)
            self.owner = None


class AccessibilityBus:
    """A session bus of our own with the accessibility bus on it, as a desktop
    with a screen reader has, and a screen reader's ears on it
    (screenreader.py). Programs started with `env` report to it."""

    LAUNCHER = "/usr/libexec/at-spi-bus-launcher"

    def __init__(self, processes, desktop):
        self.processes = processes
        self.desktop = desktop
        self.env = None
        self.ears = None
        self.buses = []
        self.helper = os.path.join(os.path.dirname(os.path.abspath(__file__)), "screenreader.py")

    def start(self, timeout=20):
        for tool in ("dbus-daemon", self.LAUNCHER):
            if not shutil.which(tool):
                raise Unavailable(f"{tool} is not installed (scripts/install-deps.sh installs it)")
        if run([sys.executable, "-c", "import pyatspi"], check=False).returncode != 0:
            raise Unavailable("pyatspi is not installed (scripts/install-deps.sh installs it)")
        socket = os.path.join(self.desktop.work_dir, "session-bus")
        address = f"unix:path={socket}"
        self.env = dict(self.desktop.env, DBUS_SESSION_BUS_ADDRESS=address,
                        QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        self.env.pop("NO_AT_BRIDGE", None)
        self.buses = [self.processes.start(
            "session-bus", ["dbus-daemon", "--session", "--nofork", "--nopidfile",
                            f"--address={address}"], env=self.env)]
        poll(lambda: os.path.exists(socket), timeout, "the session bus")
        self.buses.append(self.processes.start("a11y-bus", [self.LAUNCHER, "--launch-immediately"],
                                               env=self.env))
        poll(lambda: run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus",
                          "/org/a11y/bus", "org.a11y.Bus.GetAddress"],
                         env=self.env, check=False).returncode == 0,
             timeout, "the accessibility bus")

    def stop(self):
        """Stops the ears and the buses (the accessibility bus's own daemon
        and registry end with the launcher)."""
        self.stop_listening()
        for proc in reversed(self.buses):
            self.processes.stop(proc)
        self.buses = []

    def app_env(self):
        """What a program needs in its environment to report to the bus."""
        return {key: self.env[key]
                for key in ("DBUS_SESSION_BUS_ADDRESS", "QT_LINUX_ACCESSIBILITY_ALWAYS_ON")}

    def listen(self, timeout=20):
        """Starts the screen reader's ears; heard() gives what they heard."""
        self.stop_listening()
        self.ears = self.processes.start("screenreader", [sys.executable, "-u", self.helper,
                                                          "listen"], env=self.env)
        poll(lambda: "listening" in self._log(), timeout, "the screen reader to listen")

    def stop_listening(self):
        if self.ears is not None:
            self.processes.stop(self.ears)
            self.ears = None

    def _log(self):
        path = self.processes.logs.get(self.ears.pid) if self.ears else None
        if not path:
            return ""
        with open(path, "rb") as f:
            return f.read().decode(errors="replace")

    def heard(self):
        """The events heard since listen(), one line each."""
        lines = self._log().splitlines()
        return lines[lines.index("listening") + 1:] if "listening" in lines else []

    def mark(self):
        """A place in what was heard, for heard_since()."""
        return len(self.heard())

    def heard_since(self, mark):
        return self.heard()[mark:]

    def ask(self, timeout=120):
        """Asks the focused text every item at every offset over the bus;
        returns (answered in time, what the helper said)."""
        result = run([sys.executable, self.helper, "ask"], env=self.env, check=False,
                     timeout=timeout)
        return result.returncode == 0, (result.stdout + result.stderr).decode(errors="replace")

    def caret(self, timeout=30):
        """What the focused text says of its caret over the bus: "caret
        OFFSET of COUNT: LINE"."""
        result = run([sys.executable, self.helper, "caret"], env=self.env, check=False,
                     timeout=timeout)
        return (result.stdout + result.stderr).decode(errors="replace").strip()


class Image:
    """Raw RGB pixels with the few measurements the cases need."""

    def __init__(self, width, height, data):
        self.width, self.height, self.data = width, height, data

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return self.data[i:i + 3]

    def row(self, y, x0=0, x1=None):
        x1 = self.width if x1 is None else x1
        return self.data[(y * self.width + x0) * 3:(y * self.width + x1) * 3]

    def column(self, x, y0=0, y1=None):
        y1 = self.height if y1 is None else y1
        return b"".join(self.pixel(x, y) for y in range(y0, y1))

    def most_common_colour(self):
        counts = collections.Counter(self.data[i:i + 3] for i in range(0, len(self.data), 3))
        return counts.most_common(1)[0][0]

    def count(self, colour, first_row=0, last_row=None):
        """How many pixels of the rows first_row to last_row are `colour`."""
        last_row = self.height - 1 if last_row is None else last_row
        start, end = first_row * self.width * 3, (last_row + 1) * self.width * 3
        return sum(1 for i in range(start, end, 3) if self.data[i:i + 3] == colour)

    def band(self, colour):
        """(first, last) of the longest run of rows whose middle four fifths
        are all `colour`, or None."""
        x0, x1 = self.width // 10, self.width - self.width // 10
        full = colour * (x1 - x0)
        best, start = None, None
        for y in range(self.height + 1):
            if y < self.height and self.row(y, x0, x1) == full:
                if start is None:
                    start = y
            elif start is not None:
                if best is None or y - 1 - start > best[1] - best[0]:
                    best = (start, y - 1)
                start = None
        return best


def runs(pixels, colour, minimum):
    """Lengths of the runs of `colour` at least `minimum` pixels long in a
    line of RGB pixels."""
    lengths, current = [], 0
    for i in range(0, len(pixels), 3):
        if pixels[i:i + 3] == colour:
            current += 1
        else:
            if current >= minimum:
                lengths.append(current)
            current = 0
    if current >= minimum:
        lengths.append(current)
    return lengths


class PrivateCups:
    """A CUPS server of our own: its own configuration, spool and log folders
    under a temporary folder, reachable only through a local socket. The
    machine's CUPS set-up is never read or written."""

    QUEUE = "e2epdf"

    def __init__(self, processes, work_dir):
        self.processes = processes
        self.dir = os.path.join(work_dir, "cups")
        self.socket = os.path.join(self.dir, "cups.sock")
        self.output = os.path.join(self.dir, "out", "job.pdf")
        self.env = None

    def start(self, base_env, timeout=30):
        if os.geteuid() != 0:
            raise Unavailable("the private CUPS server needs root")
        for tool in ("cupsd", "lpadmin", "lpstat", "lpinfo", "pdftotext"):
            if not shutil.which(tool) and not os.path.exists(f"/usr/sbin/{tool}"):
                raise Unavailable(f"{tool} is not installed (scripts/install-deps.sh installs it)")
        d = self.dir
        for sub in ("root/ppd", "root/ssl", "spool/tmp", "cache", "state", "log", "out"):
            os.makedirs(os.path.join(d, sub), exist_ok=True)
        # The scheduler runs its filters and back ends as the user lp, who
        # must reach the queue's PPD and the output folder.
        os.chmod(os.path.dirname(d), 0o711)
        os.chmod(d, 0o755)
        os.chmod(os.path.join(d, "out"), 0o777)
        os.chmod(os.path.join(d, "spool"), 0o711)
        os.chmod(os.path.join(d, "spool", "tmp"), 0o1777)
        with open(os.path.join(d, "cupsd.conf"), "w") as f:
            f.write(f"""Listen {self.socket}
LogLevel warn
Browsing No
WebInterface No
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
""")
        with open(os.path.join(d, "cups-files.conf"), "w") as f:
            f.write(f"""ServerRoot {d}/root
RequestRoot {d}/spool
TempDir {d}/spool/tmp
CacheDir {d}/cache
StateDir {d}/state
ErrorLog {d}/log/error_log
AccessLog {d}/log/access_log
PageLog {d}/log/page_log
FileDevice Yes
User lp
Group lp
SystemGroup root lpadmin
Sandboxing Relaxed
""")
        cupsd = shutil.which("cupsd") or "/usr/sbin/cupsd"
        self.proc = self.processes.start(
            "cupsd", [cupsd, "-f", "-c", os.path.join(d, "cupsd.conf"), "-s",
                      os.path.join(d, "cups-files.conf")], env=base_env)
        self.env = dict(base_env, CUPS_SERVER=self.socket)
        poll(lambda: self.proc.poll() is not None or (
            os.path.exists(self.socket)
            and b"is running" in run(["lpstat", "-r"], env=self.env, check=False).stdout),
            timeout, "the private CUPS server")
        if self.proc.poll() is not None:
            raise Failure("cupsd ended at start:\n" + self.processes.log_tail(self.proc))

        # The Generic PDF driver of cups-filters keeps the text extractable.
        models = run(["lpinfo", "-m"], env=self.env, timeout=60).stdout.decode()
        model = next((line.split()[0] for line in models.splitlines()
                      if "Generic-PDF_Printer-PDF" in line), None)
        ppd_args = ["-m", model] if model else [
            "-P", "/usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd"]
        run(["lpadmin", "-p", self.QUEUE, "-E", "-v", f"file:{self.output}", *ppd_args],
            env=self.env)
        run(["lpadmin", "-d", self.QUEUE], env=self.env)
        default = run(["lpstat", "-d"], env=self.env).stdout.decode()
        if self.QUEUE not in default:
            raise Failure(f"the PDF queue did not become the default printer: {default!r}")

    def completed_jobs(self):
        out = run(["lpstat", "-W", "completed", "-o", self.QUEUE], env=self.env).stdout.decode()
        return sorted(int(m) for m in re.findall(rf"^{self.QUEUE}-(\d+)", out, re.M))

    def pending_jobs(self):
        return run(["lpstat", "-o", self.QUEUE], env=self.env).stdout.decode().strip()

    def forget_output(self):
        """Removes the last printout, so that the next one is surely new."""
        if os.path.exists(self.output):
            os.remove(self.output)

    def error_log_tail(self, lines=15):
        path = os.path.join(self.dir, "log", "error_log")
        if not os.path.exists(path):
            return ""
        with open(path, "rb") as f:
            return "\n".join(f.read().decode(errors="replace").splitlines()[-lines:])

    def wait_for_job_after(self, known, timeout=60):
        """Waits until exactly one job newer than those in `known` has been
        completed and nothing is pending; returns the PDF's text."""
        def done():
            state = run(["lpstat", "-p", self.QUEUE], env=self.env).stdout.decode()
            if "Filter failed" in state or "Backend failed" in state:
                raise Failure(f"the print queue reports: {state.strip()}\n"
                              + self.error_log_tail())
            return (len(self.completed_jobs()) > len(known) and not self.pending_jobs()
                    and os.path.exists(self.output))

        poll(done, timeout, "the print job to complete", interval=0.2)
        new = [j for j in self.completed_jobs() if j not in known]
        if len(new) != 1:
            raise Failure(f"expected one new print job, found {len(new)}: {new}")
        text = run(["pdftotext", self.output, "-"], env=self.env).stdout
        return text.decode(errors="replace")


def snapshot_tree(path):
    """Names, sizes, modes and modification times of everything under path."""
    if not os.path.exists(path):
        return None
    entries = {}
    for root, dirs, files in os.walk(path):
        for name in dirs + files:
            full = os.path.join(root, name)
            try:
                st = os.lstat(full)
            except OSError:
                continue
            entries[os.path.relpath(full, path)] = (st.st_size, st.st_mode, st.st_mtime_ns)
    return entries


class App:
    """One run of the program under test, driven from the keyboard."""

    def __init__(self, binary, desktop, processes, cwd, env_extra=None, args=()):
        self.binary, self.desktop, self.processes, self.cwd = binary, desktop, processes, cwd
        self.args = list(args)
        self.env = dict(desktop.env, QT_QPA_PLATFORM="xcb", **(env_extra or {}))
        # Journals of unsaved edits stay with this run unless a case shares
        # them between runs on purpose: a run a case ends with a signal must
        # not bring its documents back in the next case.
        if "XDG_STATE_HOME" not in self.env:
            states = os.path.join(desktop.env["HOME"], ".states")
            os.makedirs(states, exist_ok=True)
            self.env["XDG_STATE_HOME"] = tempfile.mkdtemp(dir=states)
        self.proc = None
        self.main_window = None

    def start(self, timeout=30, focused=True):
        """Starts the program and waits for its main window; with `focused`,
        also until the main window has the focus."""
        self.proc = self.processes.start("vidizizor", [self.binary] + self.args, env=self.env,
                                         cwd=self.cwd)

        def main_window_shown():
            self.require_running()
            for wid in self.desktop.visible_windows(self.proc.pid):
                if self.desktop.window_name(wid) == MAIN_TITLE:
                    return wid
            return None

        self.main_window = poll(main_window_shown, timeout,
                                f'a window titled "{MAIN_TITLE}"')
        if focused:
            self.wait_main_active()

    @property
    def pid(self):
        return self.proc.pid

    def running(self):
        return self.proc is not None and self.proc.poll() is None

    def require_running(self):
        if self.proc.poll() is not None:
            raise Failure(f"the program ended (exit status {self.proc.returncode}):\n"
                          + self.processes.log_tail(self.proc))

    def log(self):
        return self.processes.log_tail(self.proc, lines=40) if self.proc else ""

    def full_log(self):
        path = self.processes.logs.get(self.proc.pid) if self.proc else None
        if not path:
            return ""
        with open(path, "rb") as f:
            return f.read().decode(errors="replace")

    def stop(self):
        if self.proc is not None:
            self.processes.stop(self.proc)

    def wait_exit(self, timeout=15):
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure(f"the program is still running {timeout} s later")

    # Focus and windows

    def active(self):
        return self.desktop.active_window()

    def wait_active(self, title_pattern, timeout=15):
        """Waits until one of the program's windows whose title matches has
        the focus; returns its id."""
        seen = []

        def focused():
            self.require_running()
            seen[:] = [self.active()]
            window = seen[0]
            if window and window[1] == self.pid and re.fullmatch(title_pattern, window[2]):
                return window[0]
            return None

        try:
            return poll(focused, timeout, f"a focused window titled {title_pattern!r}")
        except Failure:
            raise Failure(f"expected the focus on a window titled {title_pattern!r}, "
                          f"it is on {seen[0]!r}")

    def wait_main_active(self, timeout=15):
        """Waits until the main window has the focus and no menu or other
        pop-up of the program is open, and both have lasted a moment: right
        after a dialog closes the focus may still move."""
        self.wait_active(re.escape(MAIN_TITLE), timeout)
        return settle(
            lambda: self.active_is(self.main_window) and not self.desktop.popups(self.pid),
            timeout, "the focus to settle on the main window")

    def active_is(self, wid):
        window = self.active()
        return window is not None and window[0] == wid

    def wait_dialog(self, timeout=15):
        """Waits for a dialog of the program (any focused window of it other
        than the main window) and returns (id, title)."""
        def dialog():
            self.require_running()
            window = self.active()
            if window and window[1] == self.pid and window[0] != self.main_window:
                return window[0], window[2]
            return None

        return poll(dialog, timeout, "a dialog of the program to take the focus")

    def require_focus(self):
        """Key strokes only go where the focus is: make sure it is ours."""
        window = self.active()
        if not window or window[1] != self.pid:
            self.require_running()
            raise Failure(f"the program does not have the keyboard focus (it is on {window!r})")

    # Keyboard

    def key(self, *keys):
        self.require_focus()
        self.desktop.xdotool("key", "--clearmodifiers", "--delay", "40", *keys)

    def type(self, text):
        """Types the text; each line break is a press of Return."""
        self.require_focus()
        for i, line in enumerate(text.split("\n")):
            if i:
                self.desktop.xdotool("key", "--clearmodifiers", "Return")
            if line:
                # xdotool gives a letter the keyboard lacks a key for one
                # press and takes it away again soon after; a program that
                # reads the new map late sees no letter, so such lines go
                # slowly.
                delay = "15" if line.isascii() else "300"
                self.desktop.xdotool("type", "--clearmodifiers", "--delay", delay, "--", line)

    def menu(self, menu_key, item_key):
        """Opens a top-level menu with Alt and its access key, then picks an
        item by its access key."""
        self.open_menu(menu_key)
        self.desktop.xdotool("key", "--clearmodifiers", item_key)
        poll(lambda: not self.running() or not self.desktop.popups(self.pid), 10,
             "the menu to close")

    def open_menu(self, menu_key):
        """Opens a top-level menu and leaves it open; returns the popup's id."""
        self.key(f"alt+{menu_key}")
        return poll(lambda: self.desktop.popups(self.pid), 10,
                    f"the menu opened by Alt+{menu_key.upper()}")[0]

    def file_dialog(self, path, title_pattern):
        """In the open or save dialog that has just been asked for, types the
        full path and confirms it."""
        wid, title = self.wait_dialog()
        if not re.fullmatch(title_pattern, title):
            raise Failure(f"expected the file dialog {title_pattern!r}, found {title!r}")
        self.type(path)
        # The dialog completes file names in a pop-up of its own, fed from a
        # background thread: let it come and go before confirming.
        popups = []

        def unchanged():
            now = self.desktop.popups(self.pid)
            same = now == popups
            popups[:] = now
            return same and self.active_is(wid)

        settle(unchanged, 15, "the file dialog's completion to settle")
        self.key("Return")
        return wid

    def screen_centre_offset(self):
        x, y, w, h = self.desktop.frame_geometry(self.main_window)
        return (x + w / 2 - SCREEN_WIDTH / 2, y + h / 2 - SCREEN_HEIGHT / 2, (x, y, w, h))


def drag_file_onto(t, app, path, where):
    """Drags the file from the drag source program onto the main window at
    `where`, fractions of its size (a negative height counts pixels up from
    its bottom), over its middle first, as a file manager's drag goes; returns
    what the drag source said of the drop."""
    desktop, processes = t.desktop, t.session.processes
    source = processes.start("dragsource", [t.session.drag_source, path], env=desktop.env)
    try:
        wid = poll(lambda: desktop.visible_windows(source.pid), 15, "the drag source's window")[0]
        picture = desktop.grab(app.main_window)
        x = int(picture.width * where[0])
        y = int(picture.height * where[1]) if where[1] > 0 else picture.height + where[1]
        desktop.xdotool("mousemove", "--window", wid, "80", "60", "mousedown", "1")
        cx, cy = picture.width // 2, picture.height // 2
        for step in range(11):
            desktop.xdotool("mousemove", "--window", app.main_window,
                            str(cx + (x - cx) * step // 10), str(cy + (y - cy) * step // 10))
            time.sleep(0.05)
        time.sleep(0.2)
        t.shot("dragging")
        desktop.xdotool("mouseup", "1")
        log = poll(lambda: "dropped:" in processes.log_tail(source) and processes.log_tail(source),
                   15, "the drag to end")
        desktop.xdotool("mousemove", str(SCREEN_WIDTH - 1), str(SCREEN_HEIGHT - 1))
        return log
    finally:
        processes.stop(source)


def grab_when(app, predicate, what, timeout=10):
    """Grabs the main window until the picture satisfies `predicate`."""
    pictures = []

    def satisfied():
        pictures[:] = [app.desktop.grab(app.main_window)]
        return predicate(pictures[0])

    try:
        poll(satisfied, timeout, what, interval=0.1)
    except Failure:
        raise Failure(f"timed out waiting for {what}")
    return pictures[0]


def read_file(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError:
        return None


def wait_for_file(path, expected, timeout=10):
    """Waits until the file holds exactly `expected`."""
    seen = []

    def holds():
        seen[:] = [read_file(path)]
        return seen[0] == expected

    def described(data):
        if len(data) <= 200:
            return repr(data)
        return f"{len(data)} bytes, {data[:40]!r} ... {data[-40:]!r}"

    try:
        poll(holds, timeout, f"{path} to be written")
    except Failure:
        state = "does not exist" if seen[0] is None else f"holds {described(seen[0])}"
        raise Failure(f"{os.path.basename(path)} {state}; expected {described(expected)}")


# What a screen reader hears when a command that needs the whole text is
# asked for while the file still loads.
STILL_LOADING = "shown notification Il documento è ancora in caricamento"


def save_when_loaded(app, bus, saved, timeout=120):
    """Presses Ctrl+S until it saves, as a person does who is told that the
    file still loads: each press waits for its answer, either that note as
    the screen reader on `bus` hears it or saved() true, before the next."""
    deadline = time.monotonic() + timeout
    while True:
        mark = bus.mark()
        app.key("ctrl+s")

        def answered():
            if saved():
                return "saved"
            if any(line.startswith(STILL_LOADING) for line in bus.heard_since(mark)):
                return "refused"
            return None
        left = max(deadline - time.monotonic(), 1)
        if poll(answered, left, "Ctrl+S to save or to be refused") == "saved":
            return


def make_work_dir():
    return tempfile.mkdtemp(prefix="vidizizor-e2e-")
