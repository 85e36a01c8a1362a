#!/usr/bin/env python3
"""Lists the include graph between the program's folders and fails on an
include that goes where its folder may not go.

    layers.py --root SOURCE_DIR app:document,about,platform ... resources:

Each rule names a folder and the folders it may include; a folder may always
include its own headers. Every #include "..." of a file in a listed folder is
read, written from the project root ("platform/textbox.h") or relative to the
file ("../app/frmmain.h"); one that reaches another folder of the program is
an edge of the graph. The graph is printed with the number of includes on each
edge, then every include that its folder may not make, and the exit status is
1 if there is any.
"""

import argparse
import collections
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*["<]([^">]+)[">]')
SOURCES = (".h", ".cpp")


def rules_from(arguments):
    rules = {}
    for rule in arguments:
        folder, _, uses = rule.partition(":")
        rules[folder] = {used for used in uses.split(",") if used}
    return rules


def included_folder(root, source, name, known):
    """The top folder of the program that an include names, or None: the
    include is found beside the including file, or else from the root."""
    name = name.replace("\\", "/")
    beside = os.path.normpath(os.path.join(os.path.dirname(source), name))
    path = os.path.relpath(beside, root) if os.path.exists(beside) else name
    parts = path.replace("\\", "/").split("/")
    if len(parts) > 1 and (parts[0] in known or (
            parts[0] not in (".", "..") and os.path.isdir(os.path.join(root, parts[0])))):
        return parts[0]
    return None


def edges(root, folders, known):
    """(from folder, to folder) -> [(file, line number, include)]."""
    found = collections.defaultdict(list)
    for folder in folders:
        top = os.path.join(root, folder)
        for directory, _, files in os.walk(top):
            for name in sorted(files):
                if not name.endswith(SOURCES):
                    continue
                path = os.path.join(directory, name)
                with open(path, encoding="utf-8", errors="replace") as f:
                    for number, line in enumerate(f, start=1):
                        match = INCLUDE.match(line)
                        target = match and included_folder(root, path, match.group(1), known)
                        if target and target != folder:
                            where = os.path.relpath(path, root)
                            found[(folder, target)].append((where, number, match.group(1)))
    return found


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", required=True)
    parser.add_argument("rules", nargs="+", help="FOLDER:USED,USED,...")
    args = parser.parse_args()
    rules = rules_from(args.rules)

    present = [f for f in rules if os.path.isdir(os.path.join(args.root, f))]
    graph = edges(args.root, present, set(rules))
    print("include graph between folders (includes on each edge):")
    for (source, target), includes in sorted(graph.items()):
        mark = "" if target in rules[source] else "   NOT ALLOWED"
        print(f"  {source} -> {target}: {len(includes)}{mark}")
    wrong = [(edge, include) for edge, includes in sorted(graph.items())
             if edge[1] not in rules[edge[0]] for include in includes]
    for (source, target), (where, number, name) in wrong:
        allowed = ", ".join(sorted(rules[source])) or "nothing"
        print(f'{where}:{number}: includes "{name}": {source} may use {allowed}, not {target}')
    print(f"{len(wrong)} include(s) against the layers")
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main())
