#!/usr/bin/python3
"""Folder-level include graph of src/: prints every arrow (folder -> folder it
includes, with the number of include lines) and fails on an arrow that does
not run down the floors below, or on a cycle between folders.

    tools/include_graph.py [--src src] [--quiet]

Floors, from the bottom: a folder may include only folders on lower floors.
A folder of src/ that is missing from the table fails the check too, so a new
folder gets its floor on purpose.
"""
import argparse
import collections
import os
import re
import sys

FLOORS = [
    # 0: leaves
    {"text", "resources"},
    # 1: the settings file, media playback
    {"settings", "media"},
    # 2: word files and libraries, the core dictionary, pronunciation
    {"library", "dict", "speech"},
    # 3: the learning record; the widget kit every window borrows; word
    # extraction from texts (it reads the dictionary)
    {"record", "widgets", "extract"},
    # 4: backups, export, import and the sync folder (they read the record)
    {"backup"},
    # 5: the skinned window frame; the command-line verbs (no windows)
    {"chrome", "cli"},
    # 6: the windows (and the models beside them)
    {"backupui", "boxes", "browse", "manager", "recordui", "typing"},
    # 7: start-up and the application object
    {"app"},
]

# Folders whose code is all in the Qt Core library: they include no folder
# with widgets in it.
CORE_ONLY = {"text", "settings", "library", "dict", "record", "backup", "cli", "extract"}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([A-Za-z0-9_]+)/')


def folder_arrows(src):
    arrows = collections.Counter()
    for folder in sorted(os.listdir(src)):
        top = os.path.join(src, folder)
        if not os.path.isdir(top):
            continue
        for root, _dirs, files in os.walk(top):
            for name in files:
                if not name.endswith((".h", ".cpp")):
                    continue
                with open(os.path.join(root, name), encoding="utf-8", errors="replace") as f:
                    for line in f:
                        m = INCLUDE.match(line)
                        if m and m.group(1) != folder and os.path.isdir(os.path.join(src, m.group(1))):
                            arrows[(folder, m.group(1))] += 1
    return arrows


def find_cycle(arrows):
    graph = collections.defaultdict(set)
    for a, b in arrows:
        graph[a].add(b)
    state = {}
    path = []

    def visit(node):
        state[node] = "open"
        path.append(node)
        for nxt in sorted(graph[node]):
            if state.get(nxt) == "open":
                return path[path.index(nxt):] + [nxt]
            if nxt not in state:
                found = visit(nxt)
                if found:
                    return found
        path.pop()
        state[node] = "done"
        return None

    for node in sorted(graph):
        if node not in state:
            found = visit(node)
            if found:
                return found
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--src", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src"))
    parser.add_argument("--quiet", action="store_true", help="print only the problems")
    args = parser.parse_args()

    floor_of = {folder: level for level, folders in enumerate(FLOORS) for folder in folders}
    folders = sorted(d for d in os.listdir(args.src) if os.path.isdir(os.path.join(args.src, d)))
    arrows = folder_arrows(args.src)
    problems = []
    for folder in folders:
        if folder not in floor_of:
            problems.append("folder %s has no floor in tools/include_graph.py" % folder)
    for (a, b), count in sorted(arrows.items()):
        fa, fb = floor_of.get(a), floor_of.get(b)
        verdict = ""
        if fa is not None and fb is not None and fb >= fa:
            verdict = "  UPWARD" if fb > fa else "  SAME FLOOR"
            problems.append("%s (floor %d) includes %s (floor %d)" % (a, fa, b, fb))
        if a in CORE_ONLY and b not in CORE_ONLY:
            verdict += "  CORE INCLUDES GUI"
            problems.append("%s has only core code but includes %s" % (a, b))
        if not args.quiet:
            print("%-9s -> %-9s %3d%s" % (a, b, count, verdict))
    cycle = find_cycle(arrows)
    if cycle:
        problems.append("include cycle: " + " -> ".join(cycle))
    for problem in problems:
        print("include graph: " + problem, file=sys.stderr)
    if not problems and not args.quiet:
        print("include graph: %d arrows, all downward, no cycle" % len(arrows))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
