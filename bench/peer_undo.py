#!/usr/bin/python3
"""Ctrl+A, Delete, Ctrl+Z and a redo key on a file opened with Ctrl+O: each key's time to
idle (busy_end, as peerbench's open) and the peak memory against the idle document's, from
outside, with the team's peerbench harness (PEERBENCH, default ../shared/peerbench).

Usage: peer_undo.py EDITOR FILE [KEYS THAT ACCEPT A LARGE-FILE PROMPT]
       (REDO_KEY=ctrl+shift+z for editors that redo with it; screenshots go to $TMPDIR)"""
import json, os, sys, tempfile, time
sys.path.insert(0, os.environ.get("PEERBENCH", os.path.join(
    os.path.dirname(os.path.abspath(__file__)), "..", "..", "shared", "peerbench")))
from pb_open import (Session, X, free_display, wait_for, wait_quiet, tree_cpu_ticks, tree_mem_kb,
                     QuietDetector, busy_end, descendants, read_stat, CLK_TCK)
import subprocess, shlex

editor, path = sys.argv[1], os.path.abspath(sys.argv[2])
rundir = tempfile.mkdtemp(prefix="undo-outside-")
ses = Session(rundir)
home, xdg = os.path.join(rundir, "home"), os.path.join(rundir, "xdg")
os.makedirs(home); os.makedirs(xdg, mode=0o700)
disp = free_display()
env = {"PATH": "/usr/local/bin:/usr/bin:/bin", "HOME": home, "USER": "root", "LOGNAME": "root",
       "LANG": "C.UTF-8", "XDG_RUNTIME_DIR": xdg, "DISPLAY": ":%d" % disp, "NO_AT_BRIDGE": "1"}
res = {"editor": editor, "file": path}
try:
    ses.spawn("xvfb", ["Xvfb", env["DISPLAY"], "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                       "-noreset"], env, os.path.join(rundir, "xvfb.log"))
    x = X(env)
    wait_for(lambda: subprocess.run(["xdpyinfo"], env=env, capture_output=True).returncode == 0,
             15, 0.1, "Xvfb")
    ses.spawn("wm", ["openbox", "--sm-disable"], env, os.path.join(rundir, "wm.log"))
    wait_for(lambda: "window id" in x.run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK"), 15, 0.1, "wm")
    sock = os.path.join(rundir, "bus")
    ses.spawn("dbus", ["dbus-daemon", "--session", "--nofork", "--nopidfile",
                       "--address=unix:path=" + sock], env, os.path.join(rundir, "dbus.log"))
    wait_for(lambda: os.path.exists(sock), 10, 0.05, "dbus")
    env["DBUS_SESSION_BUS_ADDRESS"] = "unix:path=" + sock
    argv = shlex.split(editor)
    if os.path.exists(argv[0]):          # the editor starts in its own HOME
        argv[0] = os.path.abspath(argv[0])
    ed = ses.spawn("editor", argv, env, os.path.join(rundir, "editor.log"))
    pid = ed.pid
    tree = lambda: [pid] + descendants(pid)
    wins = wait_for(lambda: x.windows(tree()), 60, 0.05, "main window")
    wait_quiet(pid, 1.0, 0.02, 120)
    x.run("xdotool", "windowactivate", "--sync", wins[0])
    before = set(x.windows(tree()))
    x.key("ctrl+o")
    wait_for(lambda: [w for w in x.windows(tree()) if w not in before], 20, 0.05, "open dialog")
    wait_quiet(pid, 0.5, 0.02, 30)
    x.type(path)
    wait_quiet(pid, 0.5, 0.02, 30)
    x.key("Return")
    wait_quiet(pid, 1.0, 0.02, 120)
    if len(sys.argv) > 3:   # keys that accept a large-file prompt
        x.key(*sys.argv[3].split())
        wait_quiet(pid, 1.0, 0.02, 120)
    x.run("xdotool", "windowactivate", "--sync", wins[0])
    wait_quiet(pid, 1.0, 0.02, 60)
    with open("/proc/%d/clear_refs" % pid, "w") as f:
        f.write("5")
    res["rss_idle_mb"] = round(tree_mem_kb(pid)[0] / 1024, 1)
    for key in ["ctrl+a", "Delete", "ctrl+z", os.environ.get("REDO_KEY", "ctrl+y")]:
        cpu0 = tree_cpu_ticks(pid)
        x.key(key)
        t0 = time.monotonic()
        det = QuietDetector(t0, cpu0, 1.0)
        trace = [(0.0, cpu0)]
        while True:
            time.sleep(0.02)
            now, c = time.monotonic(), tree_cpu_ticks(pid)
            if c != trace[-1][1]:
                trace.append((round(now - t0, 3), c))
            if det.feed(now, c):
                break
        res[key + "_busy_end_s"] = round(busy_end([(t, c - cpu0) for t, c in trace]), 3)
        res[key + "_cpu_s"] = round((tree_cpu_ticks(pid) - cpu0) / CLK_TCK, 3)
        x.screenshot(os.path.join(tempfile.gettempdir(), "peer-undo-%s-%s.png" % (os.path.basename(editor), key)))
    rss, hwm = tree_mem_kb(pid)
    res["peak_rss_mb"] = round(hwm / 1024, 1)
    res["peak_ratio"] = round(hwm / 1024 / res["rss_idle_mb"], 2)
except Exception as e:
    res["error"] = str(e)
ses.cleanup()
print(json.dumps(res))
