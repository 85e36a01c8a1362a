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

A folder may use a folder without using what that one uses (app uses document
but not textview): a header of an allowed folder that includes a folder the
including folder may not use is reported too, with the chain of headers that
reaches it.
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


def resolved(root, source, name):
    """The file of the program an include names, from the root, or None."""
    name = name.replace("\\", "/")
    for base in (os.path.dirname(source), root):
        path = os.path.normpath(os.path.join(base, name))
        if os.path.isfile(path):
            return os.path.relpath(path, root)
    return None


def included_files(root, path, cache):
    """The files of the program that a file includes, from the root."""
    if path not in cache:
        found = []
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
            for line in f:
                match = INCLUDE.match(line)
                target = match and resolved(root, os.path.join(root, path), match.group(1))
                if target:
                    found.append(target)
        cache[path] = found
    return cache[path]


def leaks(root, folders, rules):
    """[(file, chain of headers, folder reached)]: a folder reached through
    the headers of allowed folders that the including folder may not use."""
    cache = {}
    found = []
    for folder in folders:
        for directory, _, files in os.walk(os.path.join(root, folder)):
            for name in sorted(files):
                if not name.endswith(SOURCES):
                    continue
                start = os.path.relpath(os.path.join(directory, name), root)
                allowed = rules[folder] | {folder}
                chains = [[start]]
                seen = {start}
                while chains:
                    chain = chains.pop()
                    for target in included_files(root, chain[-1], cache):
                        top = target.split("/")[0]
                        if target in seen or top not in rules:
                            continue
                        seen.add(target)
                        if top not in allowed:
                            if len(chain) > 1:  # a direct include is an edge
                                found.append((start, chain[1:] + [target], top))
                        else:
                            chains.append(chain + [target])
    return found


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
    through = leaks(args.root, present, rules)
    for where, chain, target in through:
        source = where.split("/")[0]
        print(f'{where}: reaches {target} through {" -> ".join(chain)}: '
              f'{source} may not use {target}')
    print(f"{len(wrong) + len(through)} include(s) against the layers")
    return 1 if wrong or through else 0


if __name__ == "__main__":
    sys.exit(main())
