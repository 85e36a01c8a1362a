#!/usr/bin/env python3
"""Checks the Debian package with the distribution's own tools.

  build     builds the program and, with cpack, the package in the build folder
  validate  desktop-file-validate and appstreamcli on the files the package
            installs, checks that the program and the icons that the
            desktop entry names are in the package, that the entry takes
            files (%F) of the plain-text media types, the same ones as the
            AppStream metadata, and that a desktop with only this package
            installed names it to open plain text
  lintian   lintian on the package: no error, and no warning that is not
            accepted below
  start     starts the binary from the unpacked package under a private X
            server and waits for its main window

Every check but build unpacks the package with dpkg-deb -x into a temporary
folder, so it sees only what the package holds.
"""

import argparse
import configparser
import os
import re
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path
from xml.etree import ElementTree

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "e2e"))
import e2elib  # noqa: E402

# Lintian warnings that stay, by tag; each one is also listed in the README
# with the reason. Errors never pass.
ACCEPTED_WARNINGS = set()

ICON_SIZES = ("16x16", "32x32", "48x48")


class Failure(Exception):
    pass


def run(argv, **kwargs):
    """Runs a command, echoing it and its output, and returns the result."""
    print("$ " + " ".join(str(a) for a in argv), flush=True)
    result = subprocess.run(argv, capture_output=True, text=True, **kwargs)
    output = (result.stdout + result.stderr).rstrip()
    if output:
        print(output, flush=True)
    return result


def deb_path(args):
    arch = subprocess.run(["dpkg", "--print-architecture"], capture_output=True, text=True,
                          check=True).stdout.strip()
    return Path(args.build_dir) / f"vidizizor_{args.version}_{arch}.deb"


def unpack(deb, into):
    if not deb.is_file():
        raise Failure(f"no package at {deb} (the package_deb test or `make package` makes it)")
    if run(["dpkg-deb", "-x", str(deb), str(into)]).returncode != 0:
        raise Failure(f"dpkg-deb could not unpack {deb}")
    return into


def build(args):
    deb = deb_path(args)
    deb.unlink(missing_ok=True)
    if run([args.cmake, "--build", args.build_dir, "--target", "vidizizor"]).returncode != 0:
        raise Failure("the program did not build")
    if run([args.cpack, "-G", "DEB"], cwd=args.build_dir).returncode != 0 or not deb.is_file():
        raise Failure(f"cpack did not make {deb.name}")
    run(["dpkg-deb", "--info", str(deb)])
    run(["dpkg-deb", "--contents", str(deb)])


def desktop_entry(path):
    parser = configparser.ConfigParser(interpolation=None)
    parser.optionxform = str
    parser.read(path, encoding="utf-8")
    return parser["Desktop Entry"]


def validate(args, root):
    problems = []
    entries = sorted((root / "usr/share/applications").glob("*.desktop"))
    metainfo = sorted((root / "usr/share/metainfo").glob("*.metainfo.xml"))
    if not entries or not metainfo:
        raise Failure("the package has no desktop entry or no AppStream metadata")
    for path in entries:
        result = run(["desktop-file-validate", str(path)])
        if result.returncode != 0 or re.search(r"\b(error|warning):", result.stdout):
            problems.append(f"desktop-file-validate: {path.name}")
        problems += missing_files(root, desktop_entry(path))
        problems += opens_files(desktop_entry(path))
    for path in metainfo:
        if run(["appstreamcli", "validate", "--no-net", str(path)]).returncode != 0:
            problems.append(f"appstreamcli validate: {path.name}")
        problems += media_types_differ(path, entries)
    # Also checks that the metadata's launchable names a desktop entry that is there.
    if run(["appstreamcli", "validate-tree", "--no-net", str(root)]).returncode != 0:
        problems.append("appstreamcli validate-tree")
    problems += plain_text_default(entries)
    if problems:
        raise Failure("; ".join(problems))


def opens_files(entry):
    """What keeps a file manager from opening files with the entry."""
    problems = []
    if "%F" not in entry["Exec"].split():
        problems.append(f"the desktop entry's Exec {entry['Exec']!r} takes no files (%F)")
    types = entry.get("MimeType", "").split(";")
    if "text/plain" not in types:
        problems.append(f"the desktop entry's MimeType {types!r} lacks text/plain")
    return problems


def media_types_differ(metainfo, entries):
    """Software centres offer the program for the media types of its
    metadata, file managers for those of its desktop entry: the same ones."""
    provided = {element.text for element in ElementTree.parse(metainfo).iter("mediatype")}
    listed = {kind for path in entries
              for kind in desktop_entry(path).get("MimeType", "").split(";") if kind}
    if provided != listed:
        return [f"{metainfo.name} provides the media types {sorted(provided)}, "
                f"the desktop entry lists {sorted(listed)}"]
    return []


def plain_text_default(entries):
    """Installs the desktop entries as a user's own, in a scratch data folder
    with no other program's, and asks xdg-mime what opens plain text."""
    if not shutil.which("xdg-mime") or not shutil.which("update-desktop-database"):
        return ["xdg-mime or update-desktop-database is not installed "
                "(scripts/install-deps.sh installs them)"]
    with tempfile.TemporaryDirectory(prefix="vidizizor-xdg-") as scratch:
        applications = Path(scratch, "data", "applications")
        applications.mkdir(parents=True)
        for entry in entries:
            shutil.copy(entry, applications)
        Path(scratch, "config").mkdir()
        env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": scratch,
               "XDG_DATA_HOME": str(Path(scratch, "data")),
               "XDG_DATA_DIRS": str(Path(scratch, "none")),
               "XDG_CONFIG_HOME": str(Path(scratch, "config")),
               "XDG_CONFIG_DIRS": str(Path(scratch, "none"))}
        if run(["update-desktop-database", str(applications)], env=env).returncode != 0:
            return ["update-desktop-database failed on the desktop entry"]
        answer = run(["xdg-mime", "query", "default", "text/plain"], env=env).stdout.strip()
    names = [entry.name for entry in entries]
    if answer not in names:
        return [f"xdg-mime names {answer!r} to open text/plain, not one of {names}"]
    return []


def missing_files(root, entry):
    """The files that the desktop entry names and the package lacks."""
    program = entry["Exec"].split()[0]
    icon = entry["Icon"]
    wanted = [f"usr/bin/{program}", f"usr/share/icons/hicolor/scalable/apps/{icon}.svg"]
    wanted += [f"usr/share/icons/hicolor/{size}/apps/{icon}.png" for size in ICON_SIZES]
    problems = [f"missing {name}" for name in wanted if not (root / name).is_file()]
    if (root / wanted[0]).is_file() and not os.access(root / wanted[0], os.X_OK):
        problems.append(f"{wanted[0]} is not executable")
    return problems


def lintian(args):
    deb = deb_path(args)
    if not deb.is_file():
        raise Failure(f"no package at {deb} (the package_deb test or `make package` makes it)")
    # As root, lintian says once that it is not recommended and checks the same.
    result = run(["lintian", "--info", "--display-info", "--pedantic", str(deb)])
    tags = re.findall(r"^([EW]): \S+: (\S+)", result.stdout, re.MULTILINE)
    errors = [tag for kind, tag in tags if kind == "E"]
    warnings = [tag for kind, tag in tags if kind == "W" and tag not in ACCEPTED_WARNINGS]
    if result.returncode not in (0, 1) or errors or warnings:
        raise Failure(f"lintian: errors {errors}, warnings not accepted {warnings}"
                      f" (exit code {result.returncode})")


def start(args, root):
    binary = root / "usr/bin/vidizizor"
    if not os.access(binary, os.X_OK):
        raise Failure(f"the package has no program at {binary.relative_to(root)}")
    work = Path(e2elib.make_work_dir())
    processes = e2elib.Processes(str(work / "logs"))
    try:
        desktop = e2elib.Desktop(processes, str(work))
        desktop.start()
        app = processes.start("vidizizor", [str(binary)], env=desktop.env)

        def main_window():
            if app.poll() is not None:
                raise Failure(f"the program ended with code {app.returncode}:\n"
                              + processes.log_tail(app))
            return [w for w in desktop.visible_windows(app.pid)
                    if desktop.window_name(w) == e2elib.MAIN_TITLE]

        e2elib.poll(main_window, 30, f"a window titled {e2elib.MAIN_TITLE!r}")
        os.makedirs(args.artifacts, exist_ok=True)
        shot = os.path.join(args.artifacts, "started-from-package.png")
        desktop.screenshot(shot)
        print(f"main window shown; screenshot {shot}")
    except (e2elib.Failure, e2elib.Unavailable) as error:
        raise Failure(str(error))
    finally:
        processes.stop_all()
        shutil.rmtree(work, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("check", choices=("build", "validate", "lintian", "start"))
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--cmake", default="cmake")
    parser.add_argument("--cpack", default="cpack")
    parser.add_argument("--artifacts", default=".")
    args = parser.parse_args()
    try:
        if args.check == "build":
            build(args)
        elif args.check == "lintian":
            lintian(args)
        else:
            with tempfile.TemporaryDirectory(prefix="vidizizor-deb-") as folder:
                root = unpack(deb_path(args), Path(folder))
                (validate if args.check == "validate" else start)(args, root)
    except Failure as failure:
        print(f"FAIL {args.check}: {failure}", flush=True)
        return 1
    print(f"ok   {args.check}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
