#!/usr/bin/env python3
"""Checks the includes of the product code (tests and benchmarks aside).

    scripts/check-includes.py [REPOSITORY]

Fails (exit 1), naming each fault, when
  - two units include each other, directly or round a cycle (a unit is a
    header with its source file);
  - two folders do (engine/write and engine/write/xhtml are two folders);
  - an engine layer includes a layer that is not below it:
        text -> document -> read, typeset -> write -> options, run
        io (files) links text, and read, write, options and run link it;
  - the engine includes Qt or anything outside engine/;
  - a writer's folder (engine/write/NAME/) is included by another writer's, by
    the write layer's own files, or by anything outside engine/write/ but the
    registry (engine/write/registry/): only the registry knows the writers;
    a drawing backend the writers share (engine/write/pdf/) is no writer, and
    includes nothing of the engine;
  - a file of engine/ or app/convert/ is longer than 600 lines.
Runs as a test, so the README's test command and CI fail on it.
"""
import collections
import os
import re
import sys

PRODUCT = ["engine", "app", "ui", "print", "platform", "progressbar", "tools"]
SOURCES = (".h", ".cpp")
LONGEST = 600
LONG_CHECKED = ("engine/", "app/convert/")

# What each engine layer may include besides itself.
LAYERS = {
    "text": set(),
    "io": {"text"},
    "document": {"text"},
    "read": {"text", "io", "document"},
    "typeset": {"text", "document"},
    "write": {"text", "io", "document", "typeset"},
    "options": {"text", "io", "document", "typeset", "write"},
    "run": {"text", "io", "document", "read", "typeset", "write"},
}
WRITE_SHARED = {"engine/write"}           # the sink interface and the helpers every writer shares
REGISTRY = "engine/write/registry"         # the one folder that knows the writers
BACKENDS = {"engine/write/pdf"}            # what writers draw on; standing alone

INCLUDE = re.compile(r'^\s*#\s*include\s+([<"])([^">]+)[">]')


def product_files(root):
    files = []
    for top in PRODUCT:
        for folder, _, names in os.walk(os.path.join(root, top)):
            for name in names:
                if name.endswith(SOURCES):
                    files.append(os.path.relpath(os.path.join(folder, name), root))
    return sorted(files)


def resolve(root, known, source, name):
    """The product file an include names, or None (system and generated headers)."""
    for base in (os.path.dirname(source), "engine"):
        candidate = os.path.normpath(os.path.join(base, name))
        if candidate in known:
            return candidate
    # The flat includes of the window's folders: a folder on the target's include path.
    matches = [f for f in known if f.endswith("/" + name) and f.count("/") == name.count("/") + 1]
    return matches[0] if len(matches) == 1 else None


def unit(path):
    return os.path.splitext(path)[0]


def layer(path):
    parts = path.split("/")
    return parts[1] if parts[0] == "engine" and len(parts) > 2 else None


def writer_folder(folder):
    """The folder of one writer (engine/write/NAME), or None."""
    parts = folder.split("/")
    if len(parts) == 3 and parts[:2] == ["engine", "write"] and folder != REGISTRY and folder not in BACKENDS:
        return folder
    return None


def cycles(graph):
    """The strongly connected components of more than one node (Tarjan)."""
    index, low, stack, on, found, counter = {}, {}, [], set(), [], [0]
    sys.setrecursionlimit(100000)

    def visit(v):
        index[v] = low[v] = counter[0]
        counter[0] += 1
        stack.append(v)
        on.add(v)
        for w in sorted(graph.get(v, ())):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            component = []
            while True:
                w = stack.pop()
                on.discard(w)
                component.append(w)
                if w == v:
                    break
            if len(component) > 1:
                found.append(sorted(component))

    for v in sorted(graph):
        if v not in index:
            visit(v)
    return found


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    files = product_files(root)
    known = set(files)
    faults = []
    units = collections.defaultdict(set)
    folders = collections.defaultdict(set)
    for source in files:
        with open(os.path.join(root, source), encoding="utf-8", errors="replace") as f:
            lines = f.read().split("\n")
        if source.startswith(LONG_CHECKED) and len(lines) - 1 > LONGEST:
            faults.append(f"{source}: {len(lines) - 1} lines, more than {LONGEST}")
        for number, line in enumerate(lines, 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            kind, name = match.groups()
            where = f"{source}:{number}"
            if source.startswith("engine/") and kind == "<" and re.match(r"Q[A-Z]|Qt", name):
                faults.append(f"{where}: the engine includes Qt ({name})")
            if kind == "<":
                continue
            target = resolve(root, known, source, name)
            if target is None:
                continue
            if unit(target) != unit(source):
                units[unit(source)].add(unit(target))
            here, there = os.path.dirname(source), os.path.dirname(target)
            if here != there:
                folders[here].add(there)
            if source.startswith("engine/"):
                if not target.startswith("engine/"):
                    faults.append(f"{where}: the engine includes {target}, outside engine/")
                    continue
                if here in BACKENDS and there != here:
                    faults.append(f"{where}: the backend {here} includes {target}: it stands alone")
                mine, theirs = layer(source), layer(target)
                if theirs != mine and theirs not in LAYERS.get(mine, set()):
                    faults.append(f"{where}: layer {mine} includes {target} of layer {theirs}, not below it")
            writer = writer_folder(there)
            if writer and here != writer and here != REGISTRY:
                who = "another writer" if writer_folder(here) else "the write layer" if here in WRITE_SHARED else here
                faults.append(f"{where}: {who} includes the writer {target}: only the registry knows writers")
    for component in cycles(units):
        faults.append("include cycle among the units " + ", ".join(component))
    for component in cycles(folders):
        faults.append("include cycle among the folders " + ", ".join(component))
    for fault in faults:
        print(fault)
    print(f"{len(files)} product files, {len(units)} units including others, "
          f"{len(folders)} folders including others: {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
