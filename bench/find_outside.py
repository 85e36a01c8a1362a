#!/usr/bin/env python3
"""Find from outside, as a person does it: an editor under a private Xvfb
(display :93) with openbox opens FILE (Ctrl+O, the path, Return); then for
each WORD: Ctrl+F, the word, Return (measured), Escape, F3 (measured). Each
measure is the CPU time of the editor's process from the key until it has
been idle for QUIET seconds, and when its CPU time last grew. Prints figures
only. CONFIRM=KEYS in the environment answers a prompt after the open (Kate
asks about a file that was not closed properly: CONFIRM=alt+o).

    python3 bench/find_outside.py build/release/vidizizor FILE WORD [WORD...]
    CONFIRM=alt+o python3 bench/find_outside.py kate FILE WORD [WORD...]
"""
import os, subprocess, sys, time, tempfile, shlex

QUIET = 0.6
HZ = os.sysconf("SC_CLK_TCK")

def cpu(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / HZ

def idle_after(pid, start_cpu, start_wall, timeout=60):
    last_cpu, last_change = start_cpu, start_wall
    while time.monotonic() - last_change < QUIET:
        time.sleep(0.02)
        c = cpu(pid)
        if c > last_cpu:
            last_cpu, last_change = c, time.monotonic()
        if time.monotonic() - start_wall > timeout:
            break
    return last_cpu - start_cpu, last_change - start_wall

def main():
    editor, path, words = sys.argv[1], os.path.abspath(sys.argv[2]), sys.argv[3:]
    display = ":93"
    env = dict(os.environ, DISPLAY=display, LANG="C.UTF-8", LC_ALL="C.UTF-8", NO_AT_BRIDGE="1",
               HOME=tempfile.mkdtemp(), XDG_RUNTIME_DIR=tempfile.mkdtemp())
    procs = []
    try:
        procs.append(subprocess.Popen(["Xvfb", display, "-screen", "0", "1280x1024x24"],
                                      stderr=subprocess.DEVNULL))
        time.sleep(1)
        procs.append(subprocess.Popen(["openbox"], env=env, stderr=subprocess.DEVNULL))
        time.sleep(1)
        app = subprocess.Popen(["dbus-run-session", "--"] + shlex.split(editor), env=env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        procs.append(app)
        time.sleep(4)
        # The editor is a child of the session bus runner started here.
        name = os.path.basename(shlex.split(editor)[0])
        pid = int(subprocess.check_output(["pgrep", "-n", "-P", str(app.pid), name]).split()[0])
        key = lambda *k: subprocess.run(["xdotool", "key", "--clearmodifiers", "--delay", "40", *k], env=env)
        typ = lambda t: subprocess.run(["xdotool", "type", "--delay", "20", t], env=env)
        win = subprocess.check_output(["xdotool", "search", "--pid", str(pid), "--onlyvisible", "--name", "."], env=env).split()[-1]
        subprocess.run(["xdotool", "windowactivate", "--sync", win], env=env)
        time.sleep(0.5)
        key("ctrl+o"); time.sleep(1.5); typ(path); time.sleep(0.8)
        t0, c0 = time.monotonic(), cpu(pid)
        key("Return")
        used, wall = idle_after(pid, c0, t0, 120)
        if os.environ.get("CONFIRM"):
            key(os.environ["CONFIRM"])
            used2, wall2 = idle_after(pid, cpu(pid), time.monotonic(), 120)
            used += used2
        time.sleep(2)
        print(f"open: cpu {used:.2f} s, last cpu at {wall:.2f} s", flush=True)
        for word in words:
            key("ctrl+f"); time.sleep(1.0); typ(word); idle_after(pid, cpu(pid), time.monotonic())
            t0, c0 = time.monotonic(), cpu(pid)
            key("Return")
            used, wall = idle_after(pid, c0, t0)
            print(f"{word}: Return cpu {used:.3f} s, last cpu at {wall:.3f} s", flush=True)
            key("Escape"); time.sleep(1.0); idle_after(pid, cpu(pid), time.monotonic())
            t0, c0 = time.monotonic(), cpu(pid)
            key("F3")
            used, wall = idle_after(pid, c0, t0)
            print(f"{word}: F3 cpu {used:.3f} s, last cpu at {wall:.3f} s", flush=True)
    finally:
        for p in reversed(procs):
            p.terminate()
            try:
                p.wait(5)
            except subprocess.TimeoutExpired:
                p.kill()

main()
